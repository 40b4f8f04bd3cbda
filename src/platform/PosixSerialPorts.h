#pragma once

#include "PortAssignment.h"
#include "PortEnumerator.h"
#include "SerialPort.h"

#include <array>
#include <string>
#include <vector>

namespace platform {

// n of "COMn" for n = 1 to 8; 0 for any other name.
int portNumberOfName(const std::string& name);

// The pins RADIOMODEM_COM1 to RADIOMODEM_COM8 of the environment.
PortAssignment::Pins pinsFromEnvironment();

// COM1 to COM8 on the devices the enumerator finds, named by PortAssignment, with the pins
// of the environment.
class PosixSerialPorts final : public SerialPortProvider
{
public:
    explicit PosixSerialPorts(PortEnumerator& enumerator);

    OpenResult open(const std::string& name) override;
    PortEntry entry(int number) const override;
    std::vector<SerialDevice> devices() const override;
    OpenFailure lastFailure(int number) const override;
    bool refresh() override;
    int hotplugFd() const override;

private:
    PortEnumerator& m_enumerator;
    std::vector<SerialDevice> m_devices;
    PortAssignment m_assignment;
    std::array<OpenFailure, kPortCount> m_failures;
};

} // namespace platform
