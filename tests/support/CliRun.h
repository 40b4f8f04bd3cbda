#pragma once

#include <string>
#include <vector>

namespace simtest {

// One run of radiomodem-cli: its exit status and what it printed.
struct CliRun
{
    int status = -1; // -1 when it did not end by itself
    std::string out;
    std::string err;
};

// Runs radiomodem-cli with the arguments, in this process's environment without its pins of
// COM1 to COM8 and with the extra variables ("RADIOMODEM_COM1=/dev/pts/3"), and waits for it.
CliRun runCli(const std::vector<std::string>& args, const std::vector<std::string>& env = {});

// Pins of COM1 to COM8 to these devices, and of the other numbers to no device, so that the
// PC's own serial ports play no part.
std::vector<std::string> onlyPorts(const std::vector<std::string>& devices);

} // namespace simtest
