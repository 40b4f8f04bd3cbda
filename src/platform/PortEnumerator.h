#pragma once

#include "SerialPort.h"

#include <vector>

namespace platform {

// The serial devices the system has, and notice when one comes or goes.
class PortEnumerator
{
public:
    virtual ~PortEnumerator() = default;
    virtual std::vector<SerialDevice> devices() = 0;
    // Readable when a device comes or goes; -1 when the system gives no such notice.
    virtual int monitorFd() const = 0;
    // Takes every notice waiting on monitorFd().
    virtual void drainNotices() = 0;
};

} // namespace platform
