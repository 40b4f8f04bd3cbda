#pragma once

#include "FakeUi.h"
#include "regtest/RegisterTest.h"

#include <chrono>
#include <thread>

namespace e2e {

// Clicks a button of the register dialog and delivers its 10 ms poll ticks, and the event loop's
// deferred work, until the command has ended.
template<typename Click>
void runRegisterCommand(regtest::RegisterTest& dialog, fakes::FakeUi& ui, Click click)
{
    click();
    while (dialog.busy()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        dialog.testPollTimer();
        ui.runDeferred();
    }
}

} // namespace e2e
