#pragma once

#include "RadioConversation.h"
#include "core/Language.h"
#include "platform/SerialPort.h"
#include "serial/SerialLink.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

// A port to talk to: COMn with the device behind it, or a device outside COM1 to COM8 by path.
struct PortTarget
{
    std::string name; // "COM3", or the device path
    std::string device; // empty when COMn has no device
    // What stays the same across runs: the device's /dev/serial/by-id link, else the path as
    // named (for COMn, its device's path).
    std::string identity;
};

// The serial devices present that no COMn stands for, unless every one of COM1 to COM8 is pinned
// (RADIOMODEM_COMn): the pins then name the whole bench.
std::vector<platform::SerialDevice> devicesBeyondComn(const platform::SerialPortProvider& ports);

// --port P: COMn as named; a device path or /dev/serial/by-id name (a bare by-id name is looked
// up in /dev/serial/by-id) is the COMn whose device it is, or else the path itself. Without P,
// the COMn whose device is present, in order, then the devices beyond them by their path.
std::vector<PortTarget> resolvePorts(
    const platform::SerialPortProvider& ports, const std::optional<std::string>& port);
// Each of several --port, in the order given, a port named twice once; without any, as above.
std::vector<PortTarget> resolvePorts(
    const platform::SerialPortProvider& ports, const std::vector<std::string>& names);

// Opens COMn through the provider and any other path directly, exclusively as the window does.
platform::OpenResult openTarget(platform::SerialPortProvider& ports, const PortTarget& target);

// One port: opened (through the provider for COMn) with its result so far, for a conversation.
class PortRun
{
public:
    PortRun(platform::SerialPortProvider& ports, const PortTarget& target,
        const core::Language& language);

    bool isOpen() const { return m_link.handle.isValid(); }
    // The port's device is not there: with --all, a port without a radio like any other.
    bool hasNoDevice() const { return m_noDevice; }
    serial::SerialLink& link() { return m_link; }
    PortResult& result() { return m_result; }
    const PortTarget& target() const { return m_target; }

private:
    PortTarget m_target;
    serial::SerialLink m_link;
    PortResult m_result;
    bool m_noDevice = false;
};

} // namespace cli
