#pragma once

#include "FakeDialogs.h"
#include "FakeEventLoop.h"
#include "FakeSerialPort.h"
#include "FakeTimer.h"
#include "FakeUi.h"
#include "PortRecorder.h"
#include "StatusRecorder.h"
#include "terminal/Terminal.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A terminal on recording fakes, wired as the main window wires it: changing Check_AutoTrtt
// runs toggleAutoSend.
class TerminalTest : public ::testing::Test
{
protected:
    TerminalTest()
    {
        ui.onChecked = [this](core::Ctl ctl) {
            if (ctl == core::Ctl::Check_AutoTrtt)
                terminal.toggleAutoSend();
        };
    }

    void openPort() { link.handle.assign(std::make_unique<fakes::FakeSerialPort>(port)); }
    void setEnglish() { language.value = 1; }
    void setSendText(const std::string& text) { ui.setText(core::Ctl::Memo_Trtt, text); }
    void feed(const std::string& bytes) { port->feed(fakes::Bytes(bytes.begin(), bytes.end())); }
    std::string received() const { return ui.text(core::Ctl::Memo_Rec); }
    std::string lastWrite() const
    {
        return port->writes.empty()
            ? std::string()
            : std::string(port->writes.back().begin(), port->writes.back().end());
    }
    // The 10 ms auto-send tick, on the simulated clock.
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i) {
            system.nowMs += 10;
            terminal.autoSendTick();
        }
    }
    // Receive polls, each a display refresh apart so that each shows what it read.
    void poll(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            system.nowMs += terminal::Terminal::kRefreshMs;
            terminal.receivePoll();
        }
    }

    fakes::FakeUi ui;

    fakes::StatusRecorder status;
    fakes::FakeDialogs dialogs;
    fakes::FakeSystem system;
    std::shared_ptr<fakes::PortState> port = std::make_shared<fakes::PortState>();
    serial::SerialLink link;
    core::Language language;
    terminal::TerminalState state;
    fakes::FakeSerialPorts ports;
    fakes::PortRecorder portView;
    fakes::FakeTimer reopenTimer;
    fakes::FakeEventLoop eventLoop;
    serial::PortController portController {
        link, ports, portView, reopenTimer, eventLoop, ui, status, dialogs, language};
    terminal::Terminal terminal {
        link, portController, ui, status, dialogs, system, language, state};
};
