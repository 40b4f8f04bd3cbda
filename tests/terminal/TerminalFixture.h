#pragma once

#include "TerminalRig.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A terminal on recorders and the simulated clock.
class TerminalTest : public ::testing::Test, public fakes::TerminalRig<fakes::FakeSystem>
{
protected:
    void openPort() { link.handle.assign(std::make_unique<fakes::FakeSerialPort>(port)); }
    void setEnglish() { language.value = 1; }
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

    std::shared_ptr<fakes::PortState> port = std::make_shared<fakes::PortState>();
};
