#pragma once

#include "SerialPort.h"

#include <array>
#include <string>
#include <vector>

namespace platform {

// Gives the serial devices that exist the names COM1 to COM8, once for the run: on-board UARTs
// that have hardware first, in kernel order, then USB and ACM adapters by their identity. A
// number stays with its device for the rest of the run, also while the device is unplugged, so
// an adapter plugged in again comes back under its old name; devices that appear later take
// the lowest numbers nobody had. A pin (RADIOMODEM_COMn) puts COMn on the device it names,
// enumerated or not, and that device takes no other number.
class PortAssignment
{
public:
    using Pins = std::array<std::string, kPortCount>; // by n - 1; empty: not pinned

    // The devices present now; the order they come in does not matter.
    void update(const std::vector<SerialDevice>& devices, const Pins& pins);
    // COMn, n = 1 to 8; outside that range no device.
    PortEntry entry(int number) const;

    bool operator==(const PortAssignment&) const = default;

private:
    std::array<PortEntry, kPortCount> m_assigned; // what each number was given, pins aside
    std::array<PortEntry, kPortCount> m_entries; // pins applied
};

// Kernel order of device names: ttyS2 before ttyS10.
bool kernelOrderLess(const std::string& a, const std::string& b);

} // namespace platform
