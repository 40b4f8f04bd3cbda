#include "Interrupt.h"

#include <atomic>

namespace cli {

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> g_signal {0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

void record(int signal)
{
    g_signal.store(signal);
}

} // namespace

InterruptSignals::InterruptSignals()
{
    g_signal.store(0);
    struct sigaction action
    { };
    action.sa_handler = record;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    // A signal ignored on entry (nohup, a background job) stays ignored.
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], nullptr, &m_previous[i]);
        if (m_previous[i].sa_handler != SIG_IGN)
            sigaction(kSignals[i], &action, nullptr);
    }
}

InterruptSignals::~InterruptSignals()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &m_previous[i], nullptr);
}

int interruptSignal()
{
    return g_signal.load();
}

std::string signalName(int signal)
{
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    }
    return "signal " + std::to_string(signal);
}

} // namespace cli
