#pragma once

#include <array>
#include <csignal>
#include <string>

namespace cli {

// While it lives, SIGINT, SIGTERM and SIGHUP only record the signal; the conversations look at
// it between their ticks and decide where to stop, so a write is never left halfway. The flag
// is process-wide: conversations on other threads see it too. The dispositions that were in
// place come back when it ends.
class InterruptSignals
{
public:
    InterruptSignals();
    ~InterruptSignals();
    InterruptSignals(const InterruptSignals&) = delete;
    InterruptSignals& operator=(const InterruptSignals&) = delete;

private:
    std::array<struct sigaction, 3> m_previous {};
};

// The signal that arrived while InterruptSignals lived, or 0.
int interruptSignal();

// "SIGINT", "SIGTERM", "SIGHUP", or the signal's number.
std::string signalName(int signal);

} // namespace cli
