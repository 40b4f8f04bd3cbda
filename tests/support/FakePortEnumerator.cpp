#include "FakePortEnumerator.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace fakes {

FakePortEnumerator::FakePortEnumerator(
    std::vector<platform::SerialDevice> devices, const std::string& deviceFolder)
    : present(std::move(devices)), m_folder(deviceFolder)
{
    if (!m_folder.empty())
        m_watch = std::make_unique<platform::DirectoryWatch>(m_folder);
    if (::pipe2(m_notice, O_NONBLOCK | O_CLOEXEC) != 0)
        m_notice[0] = m_notice[1] = -1;
}

FakePortEnumerator::~FakePortEnumerator()
{
    for (int fd : m_notice) {
        if (fd >= 0)
            ::close(fd);
    }
}

void FakePortEnumerator::drainNotices()
{
    if (m_watch)
        m_watch->drain();
    char buffer[64];
    while (::read(m_notice[0], buffer, sizeof buffer) > 0) { }
}

void FakePortEnumerator::plug(const platform::SerialDevice& device)
{
    present.push_back(device);
    if (m_watch)
        ::close(::open((m_folder + "/" + device.kernelName).c_str(), O_CREAT | O_WRONLY, 0600));
    else
        notify();
}

void FakePortEnumerator::unplug(const std::string& identity)
{
    for (const auto& device : present) {
        if (m_watch && device.identity == identity)
            ::unlink((m_folder + "/" + device.kernelName).c_str());
    }
    std::erase_if(present, [&](const auto& device) { return device.identity == identity; });
    if (!m_watch)
        notify();
}

void FakePortEnumerator::notify()
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(m_notice[1], &byte, 1);
}

platform::SerialDevice usbAdapter(const std::string& path, const std::string& identity,
    const std::string& description, const std::string& serial)
{
    platform::SerialDevice device;
    device.path = path;
    device.kernelName = path.substr(path.rfind('/') + 1);
    device.identity = identity;
    device.kind = platform::DeviceKind::Usb;
    device.vendorId = "0403";
    device.productId = "6001";
    device.serialNumber = serial;
    device.description = description;
    return device;
}

} // namespace fakes
