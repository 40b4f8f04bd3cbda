#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace simtest {

// radiomodem-sim as a child process for tests that need a radio on a real pty. Each instance
// logs to a temporary file of its own, which log() and logLines() read back.
class SimProcess
{
public:
    // Starts the simulator with these arguments plus --log; waits at most 5 s for READY.
    // Throws std::runtime_error when it does not start.
    explicit SimProcess(std::vector<std::string> args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& ptyPath(int station = 1) const;
    pid_t pid() const { return m_pid; }
    std::string log() const;
    std::vector<std::string> logLines() const;
    // SIGTERM and wait; safe to call again, and after the simulator ended by itself.
    void stop();

private:
    void readAnnouncement();

    pid_t m_pid = -1;
    int m_stdout = -1;
    std::string m_logPath;
    std::vector<std::string> m_ptys;
};

} // namespace simtest
