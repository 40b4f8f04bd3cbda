#pragma once

#include "PortRig.h"
#include "TerminalRecorders.h"
#include "terminal/Terminal.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A terminal on recorders, wired as the main window wires it: changing the auto-send box runs
// toggleAutoSend.
class TerminalTest : public ::testing::Test, public fakes::PortRig
{
protected:
    TerminalTest()
    {
        send.onAutoSendChanged = [this] { sender.toggleAutoSend(); };
    }

    void openPort() { link.handle.assign(std::make_unique<fakes::FakeSerialPort>(port)); }
    void setEnglish() { language.value = 1; }
    void setGb18030(bool on)
    {
        send.encoding = receive.encoding
            = on ? terminal::TextEncoding::Gb18030 : terminal::TextEncoding::Utf8;
    }
    void feed(const std::string& bytes) { port->feed(fakes::Bytes(bytes.begin(), bytes.end())); }
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
            sender.autoSendTick();
        }
    }
    // Receive polls, each a display refresh apart so that each shows what it read.
    void poll(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            system.nowMs += terminal::ReceiveDisplay::kRefreshMs;
            terminal.receivePoll();
        }
    }

    fakes::SendRecorder send;
    fakes::ReceiveRecorder receive;
    fakes::ErrorRateRecorder strip;
    fakes::FakeTimer autoSendTimer;
    fakes::FakeSystem system;
    std::shared_ptr<fakes::PortState> port = std::make_shared<fakes::PortState>();
    terminal::Terminal terminal {link, portController, send, autoSendTimer, receive, strip, status,
        dialogs, system, language};
    terminal::Sender& sender = terminal.sender;
    terminal::ReceiveDisplay& receiver = terminal.receiver;
    terminal::TrafficCounts& counts = terminal.counts;
};
