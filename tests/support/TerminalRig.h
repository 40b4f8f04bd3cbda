#pragma once

#include "PortRig.h"
#include "TerminalRecorders.h"
#include "terminal/Terminal.h"

namespace fakes {

// A terminal on the port rig, its window replaced by recorders and wired as the main window wires
// it: changing the auto-send box runs toggleAutoSend. Clock is the fake system, whose time the
// test moves, or the real one.
template<typename Clock>
struct TerminalRig : PortRig
{
    TerminalRig()
    {
        send.onAutoSendChanged = [this] { sender.toggleAutoSend(); };
    }
    // Both areas in GB18030, or both in UTF-8.
    void setGb18030(bool on)
    {
        send.encoding = receive.encoding
            = on ? terminal::TextEncoding::Gb18030 : terminal::TextEncoding::Utf8;
    }

    SendRecorder send;
    ReceiveRecorder receive;
    ErrorRateRecorder strip;
    FakeTimer autoSendTimer;
    Clock system;
    terminal::Terminal terminal {link, portController, send, autoSendTimer, receive, strip, status,
        dialogs, system, language};
    terminal::Sender& sender = terminal.sender;
    terminal::ReceiveDisplay& receiver = terminal.receiver;
    terminal::TrafficCounts& counts = terminal.counts;
};

} // namespace fakes
