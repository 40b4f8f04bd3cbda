#pragma once

#include "platform/SerialPort.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

// A port to talk to: COMn with the device behind it, or a device outside COM1 to COM8 by path.
struct PortTarget
{
    std::string name; // "COM3", or the device path
    std::string device; // empty when COMn has no device
};

// --port P: COMn as named; a device path or /dev/serial/by-id name (a bare by-id name is looked
// up in /dev/serial/by-id) is the COMn whose device it is, or else the path itself. Without P,
// the COMn whose device is present, in order.
std::vector<PortTarget> resolvePorts(
    const platform::SerialPortProvider& ports, const std::optional<std::string>& port);

// Opens COMn through the provider and any other path directly, exclusively as the window does.
platform::OpenResult openTarget(platform::SerialPortProvider& ports, const PortTarget& target);

} // namespace cli
