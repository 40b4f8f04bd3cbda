#pragma once

#include "FakeDialogs.h"
#include "FakeEventLoop.h"
#include "FakePortEnumerator.h"
#include "FakeTimer.h"
#include "ParameterRecorder.h"
#include "PortRecorder.h"
#include "SimProcess.h"
#include "StatusRecorder.h"
#include "platform/PosixSerialPorts.h"
#include "platform/System.h"
#include "radio/ParameterExchange.h"

#include <chrono>
#include <string>
#include <vector>

namespace e2e {

// A simulated radio and the exchange on the real serial layer, with fakes in place of the
// windows and the message dialogs.
struct ExchangeRig
{
    explicit ExchangeRig(std::vector<std::string> simArgs);

    bool running() const { return receiveTimer.isActive(); }
    // Delivers one tick of each running command timer, send timer first.
    void tick();
    // The frames the simulator received as "<settings> <kind> <hex>", station number dropped.
    std::vector<std::string> frames() const;

    simtest::SimProcess sim;
    fakes::FakeTimer receivePoll; // the terminal's, which the port controller runs
    fakes::ParameterRecorder view;
    fakes::ProgressRecorder progress;
    fakes::FakeTimer sendTimer;
    fakes::FakeTimer receiveTimer;
    fakes::StatusRecorder status;
    fakes::FakeDialogs dialogs;
    platform::RealSystem system;
    core::Language language;
    serial::SerialLink link;
    fakes::FakePortEnumerator devices; // the simulator's pty is the one device, COM1
    platform::PosixSerialPorts ports;
    fakes::PortRecorder portView;
    fakes::FakeTimer reopenTimer;
    fakes::FakeEventLoop eventLoop;
    serial::PortController controller;
    radio::ParameterExchange exchange;
};

// Ticks every rig at the given period until none is running (or the limit is reached); returns
// the number of ticks.
int runAll(
    const std::vector<ExchangeRig*>& rigs, std::chrono::microseconds period, int limit = 4000);

} // namespace e2e
