#pragma once

#include <string>

namespace platform {

// Another process that has the device open: its name and id, when /proc shows it; of several,
// the one holding a lock on it. Pid 0 when none is seen. Without root the open files of other
// users' processes are hidden: othersHidden says that some could not be looked at.
struct DeviceHolder
{
    std::string name;
    int pid = 0;
    bool othersHidden = false;
};
DeviceHolder findDeviceHolder(const std::string& path);

// The name of the group the file belongs to (its number when the system has no name for it).
std::string groupOf(const std::string& path);

} // namespace platform
