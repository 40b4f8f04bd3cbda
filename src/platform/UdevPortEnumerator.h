#pragma once

#include "DirectoryWatch.h"
#include "PortEnumerator.h"

#include <memory>

struct udev;
struct udev_monitor;

namespace platform {

// Serial devices from udev: the tty subsystem, without virtual consoles and ptys. What udev's
// database knows (by-id links, the product's name) is used when udev runs; the USB device's own
// attributes stand in when it does not. Hot-plug notices come from udevd when it runs (its
// control socket exists), else from a watch on the device folder.
class UdevPortEnumerator final : public PortEnumerator
{
public:
    enum class Notices { Auto, Udev, DeviceFolder };
    explicit UdevPortEnumerator(
        Notices notices = Notices::Auto, const std::string& devices = "/dev");
    ~UdevPortEnumerator() override;
    UdevPortEnumerator(const UdevPortEnumerator&) = delete;
    UdevPortEnumerator& operator=(const UdevPortEnumerator&) = delete;

    std::vector<SerialDevice> devices() override;
    int monitorFd() const override;
    void drainNotices() override;

private:
    udev* m_udev;
    udev_monitor* m_monitor = nullptr;
    std::unique_ptr<DirectoryWatch> m_folderWatch;
};

// Whether udevd runs here (containers and minimal systems have none).
bool udevRuns();

} // namespace platform
