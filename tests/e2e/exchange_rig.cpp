#include "exchange_rig.h"

#include <algorithm>
#include <thread>

namespace e2e {

ExchangeRig::ExchangeRig(std::vector<std::string> simArgs)
    : sim(std::move(simArgs)),
      devices({fakes::usbAdapter(sim.ptyPath(1), "radio")}),
      ports(devices),
      controller(
          link, ports, portView, reopenTimer, eventLoop, receivePoll, status, dialogs, language),
      exchange(link, controller, view, progress, {sendTimer, receiveTimer}, status, dialogs, system,
          language)
{ }

void ExchangeRig::tick()
{
    if (sendTimer.isActive())
        exchange.sendTick();
    if (receiveTimer.isActive())
        exchange.receiveTick();
    eventLoop.runPending();
}

std::vector<std::string> ExchangeRig::frames() const
{
    std::vector<std::string> frames;
    for (const auto& line : sim.logLines())
        frames.push_back(line.substr(line.find(' ') + 1));
    return frames;
}

int runAll(const std::vector<ExchangeRig*>& rigs, std::chrono::microseconds period, int limit)
{
    auto next = std::chrono::steady_clock::now();
    for (int ticks = 0; ticks < limit; ++ticks) {
        bool any = false;
        for (ExchangeRig* rig : rigs) {
            if (rig->running()) {
                rig->tick();
                any = true;
            }
        }
        if (!any)
            return ticks;
        // Like a window timer, a tick that a blocking write delayed is not made up for by a
        // burst of ticks afterwards.
        next = std::max(next + period, std::chrono::steady_clock::now());
        std::this_thread::sleep_until(next);
    }
    return limit;
}

} // namespace e2e
