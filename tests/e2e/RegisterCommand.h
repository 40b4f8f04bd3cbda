#pragma once

#include "FakeEventLoop.h"
#include "FakeTimer.h"
#include "RegisterRecorder.h"
#include "registers/RegisterConsole.h"

#include <chrono>
#include <thread>

namespace e2e {

// Starts a register command and delivers its 10 ms poll ticks, and the event loop's deferred
// work, until the command has ended.
template<typename Start>
void runRegisterCommand(
    registers::RegisterConsole& console, fakes::FakeEventLoop& eventLoop, Start start)
{
    start();
    while (console.busy()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        console.pollAnswer();
        eventLoop.runPending();
    }
}

} // namespace e2e
