#include "PosixSerialPorts.h"
#include "PosixSerialPort.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace platform {

int portNumberOfName(const std::string& name)
{
    if (name.size() != 4 || name.compare(0, 3, "COM") != 0 || name[3] < '1' || name[3] > '8')
        return 0;
    return name[3] - '0';
}

PortAssignment::Pins pinsFromEnvironment()
{
    PortAssignment::Pins pins;
    for (int n = 1; n <= kPortCount; ++n) {
        const std::string variable = "RADIOMODEM_COM" + std::to_string(n);
        if (const char* pinned = std::getenv(variable.c_str()))
            pins[static_cast<std::size_t>(n - 1)] = pinned;
    }
    return pins;
}

PosixSerialPorts::PosixSerialPorts(PortEnumerator& enumerator) : m_enumerator(enumerator)
{
    refresh();
}

OpenResult PosixSerialPorts::open(const std::string& name)
{
    OpenResult result;
    m_assignment.update(m_devices, pinsFromEnvironment());
    const int number = portNumberOfName(name);
    const PortEntry port = m_assignment.entry(number);
    if (!port.device || !port.present) {
        result.error = OpenError::NoDevice;
        if (port.device)
            result.device = port.device->path;
    } else {
        result.port = PosixSerialPort::openDevice(port.device->path, &result);
    }
    if (number != 0)
        m_failures[static_cast<std::size_t>(number - 1)] = result;
    return result;
}

OpenFailure PosixSerialPorts::lastFailure(int number) const
{
    if (number < 1 || number > kPortCount)
        return {};
    return m_failures[static_cast<std::size_t>(number - 1)];
}

PortEntry PosixSerialPorts::entry(int number) const
{
    return m_assignment.entry(number);
}

std::vector<SerialDevice> PosixSerialPorts::devices() const
{
    std::vector<SerialDevice> present;
    std::copy_if(m_devices.begin(), m_devices.end(), std::back_inserter(present), isSerialPort);
    std::sort(present.begin(), present.end(), [](const SerialDevice& a, const SerialDevice& b) {
        return kernelOrderLess(a.kernelName, b.kernelName);
    });
    return present;
}

bool PosixSerialPorts::refresh()
{
    m_enumerator.drainNotices();
    m_devices = m_enumerator.devices();
    const PortAssignment before = m_assignment;
    m_assignment.update(m_devices, pinsFromEnvironment());
    return !(m_assignment == before);
}

int PosixSerialPorts::hotplugFd() const
{
    return m_enumerator.monitorFd();
}

} // namespace platform
