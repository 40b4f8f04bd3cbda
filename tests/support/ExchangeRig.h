#pragma once

#include "ParameterRecorder.h"
#include "PortRig.h"
#include "radio/ParameterExchange.h"

namespace fakes {

// The Read and Write exchange on the port rig, its window and progress dialog replaced by
// recorders, on a clock and timers the test drives. terminalPaused follows what the controller
// tells the terminal.
struct ExchangeRig : PortRig
{
    FakeSystem clock;
    ParameterRecorder view;
    ProgressRecorder progress;
    FakeTimer sendTimer;
    FakeTimer receiveTimer;
    radio::ParameterExchange exchange {link, portController, view, progress,
        {sendTimer, receiveTimer}, status, dialogs, clock, language};
    bool terminalPaused = false;
    serial::PortController::Subscription pauses
        = portController.subscribePaused([this](bool paused) { terminalPaused = paused; });
};

} // namespace fakes
