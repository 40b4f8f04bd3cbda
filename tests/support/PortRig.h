#pragma once

#include "FakeDialogs.h"
#include "FakeEventLoop.h"
#include "FakeSerialPort.h"
#include "FakeTimer.h"
#include "PortRecorder.h"
#include "StatusRecorder.h"
#include "serial/PortController.h"

namespace fakes {

// The port controller on fakes, with everything it is built from, for the tests of a feature
// that talks over the port: the feature is built from these members too, after them. A test
// puts a port into the link, or adds ports by name, and sets the language before it acts.
struct PortRig
{
    serial::SerialLink link;
    core::Language language;
    FakeSerialPorts ports;
    PortRecorder portView;
    FakeTimer reopenTimer;
    FakeEventLoop eventLoop;
    FakeTimer receivePoll; // the terminal's, which the port controller runs
    StatusRecorder status;
    FakeDialogs dialogs;
    serial::PortController portController {
        link, ports, portView, reopenTimer, eventLoop, receivePoll, status, dialogs, language};
};

} // namespace fakes
