#pragma once

#include "SerialPort.h"

#include <array>
#include <string>
#include <vector>

namespace platform {

// Gives the serial devices that exist the names COM1 to COM8, once for the run: on-board UARTs
// that have hardware first, in kernel order, then USB and ACM adapters by their identity. A
// number stays with its device for the rest of the run, also while the device is unplugged, so
// an adapter plugged in again comes back under its old name; one without a serial number that
// comes back in another socket takes the lowest absent number of its make (sameDevice).
// Devices that appear later take the lowest numbers nobody had, and once every number has
// had a device, the lowest number whose device is absent. A pin (RADIOMODEM_COMn) puts COMn on the
// device it names, enumerated or not, and that device takes no other number.
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

// Whether the device is a serial port that can carry a radio: any adapter, and an on-board node
// with a UART behind it (the kernel makes ttyS nodes without one).
bool isSerialPort(const SerialDevice& device);

// Whether device is the known one back again: the same identity, or, for adapters without a
// serial number (known only by their socket), the same kind, vendor, product and interface.
bool sameDevice(const SerialDevice& known, const SerialDevice& device);

// Kernel order of device names: ttyS2 before ttyS10.
bool kernelOrderLess(const std::string& a, const std::string& b);

} // namespace platform
