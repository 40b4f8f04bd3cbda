#pragma once

#include "platform/DirectoryWatch.h"
#include "platform/PortEnumerator.h"

#include <memory>

#include <string>
#include <vector>

namespace fakes {

// A scripted set of serial devices; plugging and unplugging makes the notice descriptor
// readable, as the system's hot-plug notice does. With a device folder, the notice is the
// real watch on that folder, and plugging makes a node there (named as the device's kernel
// name) as the kernel does in /dev.
class FakePortEnumerator final : public platform::PortEnumerator
{
public:
    explicit FakePortEnumerator(
        std::vector<platform::SerialDevice> devices = {}, const std::string& deviceFolder = {});
    ~FakePortEnumerator() override;
    FakePortEnumerator(const FakePortEnumerator&) = delete;
    FakePortEnumerator& operator=(const FakePortEnumerator&) = delete;

    std::vector<platform::SerialDevice> devices() override { return present; }
    int monitorFd() const override { return m_watch ? m_watch->fd() : m_notice[0]; }
    void drainNotices() override;

    void plug(const platform::SerialDevice& device);
    void unplug(const std::string& identity);

    std::vector<platform::SerialDevice> present;

private:
    void notify();
    int m_notice[2] = {-1, -1};
    std::string m_folder;
    std::unique_ptr<platform::DirectoryWatch> m_watch;
};

// A USB adapter with the given identity at path.
platform::SerialDevice usbAdapter(const std::string& path, const std::string& identity,
    const std::string& description = "FT232R USB UART", const std::string& serial = "A50285BI");

} // namespace fakes
