#pragma once

#include "TempDir.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace simtest {

// One run of radiomodem-cli: its exit status and what it printed.
struct CliRun
{
    int status = -1; // -1 when it did not end by itself
    std::string out;
    std::string err;
};

// radiomodem-cli started with the arguments, in this process's environment without its pins of
// COM1 to COM8 and with the extra variables ("RADIOMODEM_COM1=/dev/pts/3"); XDG_CACHE_HOME is a
// new folder of its own unless the variables set it. Its standard output
// goes to stdoutPath when given (e.g. /dev/full), else to a file that wait() reads; its standard
// input comes from stdinPath when given.
class CliProcess
{
public:
    explicit CliProcess(const std::vector<std::string>& args,
        const std::vector<std::string>& env = {}, const std::string& stdoutPath = {},
        const std::string& stdinPath = {});
    // Kills it when it was not waited for.
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t pid() const { return m_pid; }
    // Waits for its end.
    CliRun wait();

private:
    fakes::TempDir m_dir;
    std::string m_outPath;
    pid_t m_pid = -1;
};

// Runs radiomodem-cli as CliProcess does and waits for it.
CliRun runCli(const std::vector<std::string>& args, const std::vector<std::string>& env = {});

// Pins of COM1 to COM8 to these devices, and of the other numbers to no device, so that the
// PC's own serial ports play no part.
std::vector<std::string> onlyPorts(const std::vector<std::string>& devices);

} // namespace simtest
