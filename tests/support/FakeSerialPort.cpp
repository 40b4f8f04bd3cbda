#include "FakeSerialPort.h"
#include "platform/PosixSerialPorts.h"

#include <algorithm>

namespace fakes {

FakeSerialPort::FakeSerialPort(std::shared_ptr<PortState> state) : m_state(std::move(state))
{
    m_state->open = true;
}

FakeSerialPort::~FakeSerialPort()
{
    m_state->open = false;
}

bool FakeSerialPort::getSettings(platform::LineSettings& settings)
{
    if (m_state->vanished)
        return false;
    settings = m_state->settings;
    return true;
}

bool FakeSerialPort::setSettings(const platform::LineSettings& settings)
{
    if (m_state->vanished || m_state->refuseSettings)
        return false;
    m_state->settings = settings;
    m_state->applied.push_back(settings);
    return true;
}

bool FakeSerialPort::purge(unsigned purgeFlags)
{
    if (m_state->vanished)
        return false;
    m_state->purges.push_back(purgeFlags);
    if (purgeFlags & (platform::PurgeRxAbort | platform::PurgeRxClear))
        m_state->rx.clear();
    return true;
}

bool FakeSerialPort::clearErrors(platform::CommStatus& status)
{
    status = {};
    if (m_state->vanished)
        return false;
    status.errors = m_state->pendingErrors;
    m_state->pendingErrors = 0;
    status.bytesWaiting = static_cast<std::uint32_t>(m_state->rx.size());
    return true;
}

bool FakeSerialPort::read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got)
{
    got = 0;
    if (m_state->vanished)
        return false;
    while (got < count && !m_state->rx.empty()) {
        buffer[got++] = m_state->rx.front();
        m_state->rx.pop_front();
    }
    return true;
}

void FakeSerialPort::record(Bytes bytes)
{
    m_state->writes.push_back(bytes);
    if (m_state->onWrite)
        m_state->onWrite(bytes);
}

bool FakeSerialPort::writeFrame(
    const std::uint8_t* data, std::uint32_t count, std::uint32_t& written)
{
    written = 0;
    if (m_state->vanished)
        return false;
    if (!m_state->stalled) {
        written = count;
        record(Bytes(data, data + count));
    }
    return true;
}

bool FakeSerialPort::outputQueued(std::uint32_t& bytes)
{
    bytes = m_state->queued;
    return !m_state->vanished;
}

bool FakeSerialPort::writeSome(
    const std::uint8_t* data, std::uint32_t count, std::uint32_t& written)
{
    written = 0;
    if (m_state->vanished)
        return false;
    written = m_state->stalled ? 0 : std::min(count, m_state->acceptLimit);
    if (written > 0 || count == 0)
        record(Bytes(data, data + written));
    return true;
}

std::shared_ptr<PortState> FakeSerialPorts::add(const std::string& name)
{
    auto state = std::make_shared<PortState>();
    state->device.path = "/dev/ttyFAKE" + name.substr(3);
    state->device.kernelName = "ttyFAKE" + name.substr(3);
    state->device.identity = name;
    m_ports[name] = state;
    return state;
}

platform::OpenResult FakeSerialPorts::open(const std::string& name)
{
    attempts.push_back(name);
    platform::OpenResult result;
    const auto it = m_ports.find(name);
    if (it == m_ports.end() || it->second->vanished) {
        result.error = platform::OpenError::NoDevice;
        return result;
    }
    result.device = it->second->device.path;
    result.holder = it->second->holder;
    result.holderPid = it->second->holderPid;
    result.group = it->second->group;
    if (it->second->open)
        result.error = platform::OpenError::Busy;
    else if (it->second->refuseOpen != platform::OpenError::None)
        result.error = it->second->refuseOpen;
    else
        result.port = std::make_unique<FakeSerialPort>(it->second);
    m_failures[platform::portNumberOfName(name)] = result;
    return result;
}

platform::OpenFailure FakeSerialPorts::lastFailure(int number) const
{
    const auto it = m_failures.find(number);
    return it == m_failures.end() ? platform::OpenFailure {} : it->second;
}

platform::PortEntry FakeSerialPorts::entry(int number) const
{
    const auto it = m_ports.find("COM" + std::to_string(number));
    if (it == m_ports.end())
        return {};
    return {it->second->device, !it->second->vanished, false};
}

std::vector<platform::SerialDevice> FakeSerialPorts::devices() const
{
    std::vector<platform::SerialDevice> present;
    for (const auto& [name, port] : m_ports) {
        if (!port->vanished)
            present.push_back(port->device);
    }
    present.insert(present.end(), others.begin(), others.end());
    return present;
}

bool FakeSerialPorts::refresh()
{
    ++refreshes;
    return true;
}

} // namespace fakes
