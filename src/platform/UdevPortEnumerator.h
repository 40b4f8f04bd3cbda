#pragma once

#include "PortEnumerator.h"

struct udev;
struct udev_monitor;

namespace platform {

// Serial devices from udev: the tty subsystem, without virtual consoles and ptys. What udev's
// database knows (by-id links, the product's name) is used when udev runs; the USB device's own
// attributes stand in when it does not.
class UdevPortEnumerator final : public PortEnumerator
{
public:
    UdevPortEnumerator();
    ~UdevPortEnumerator() override;
    UdevPortEnumerator(const UdevPortEnumerator&) = delete;
    UdevPortEnumerator& operator=(const UdevPortEnumerator&) = delete;

    std::vector<SerialDevice> devices() override;
    int monitorFd() const override;
    void drainNotices() override;

private:
    udev* m_udev;
    udev_monitor* m_monitor = nullptr;
};

} // namespace platform
