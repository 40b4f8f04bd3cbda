#include "RegisterCommand.h"
#include "SimProcess.h"
#include "TempDir.h"
#include "TerminalRig.h"
#include "platform/PosixSerialPort.h"
#include "platform/System.h"
#include "registers/RegisterConsole.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

// One PC of the test: its own window fake and terminal on one pty of the simulator, at the
// simulator's default serial settings (9600-N-1) unless told otherwise. The pty is opened
// directly, never by name, so the rig's fake port list is never asked.
struct Station : fakes::TerminalRig<platform::RealSystem>
{
    explicit Station(const std::string& pty, std::uint8_t speedIndex = 1)
    {
        auto port = platform::PosixSerialPort::openDevice(pty);
        if (!port)
            throw std::runtime_error("cannot open " + pty);
        platform::LineSettings line;
        port->getSettings(line);
        line.baudRate = serial::baudForSpeedIndex(speedIndex);
        line.byteSize = 8;
        line.stopBits = 1;
        line.parity = platform::Parity::None;
        line.parityCheck = false;
        if (!port->setSettings(line))
            throw std::runtime_error("cannot set up " + pty);
        link.settings.speedIndex = speedIndex;
        link.handle.assign(std::move(port));
    }

    // A box of the echo test strip as a number.
    int shown(terminal::EchoCount count) { return std::atoi(strip.counts[count].c_str()); }
};

// Runs the stations' timers in real time (auto send every 10 ms while on, receive poll every
// 50 ms) until done() holds or the time is up; true when done() held. Once done() holds, each
// station polls once more, which finds the line quiet and shows what it has received.
bool runUntil(std::initializer_list<Station*> stations, std::function<bool()> done,
    std::chrono::milliseconds limit = 5s)
{
    const auto start = std::chrono::steady_clock::now();
    for (int step = 1; std::chrono::steady_clock::now() - start < limit; ++step) {
        std::this_thread::sleep_until(start + step * 10ms);
        for (Station* s : stations) {
            if (s->autoSendTimer.isActive())
                s->sender.autoSendTick();
            if (step % 5 == 0)
                s->terminal.receivePoll();
        }
        if (done()) {
            for (Station* s : stations)
                s->terminal.receivePoll();
            return true;
        }
    }
    return false;
}

// Waits until the port holds exactly this many bytes, without reading them.
bool waitForWaiting(Station& s, std::uint32_t count)
{
    for (int i = 0; i < 300; ++i) {
        platform::CommStatus status;
        s.link.handle.port().clearErrors(status);
        if (status.bytesWaiting >= count) {
            std::this_thread::sleep_for(50ms); // nothing more follows
            s.link.handle.port().clearErrors(status);
            return status.bytesWaiting == count;
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

std::string hexOf(std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += "3" + std::to_string(i % 10) + " ";
    return text;
}

} // namespace

TEST(TerminalEndToEnd, textCrossesTheAirByteForByteBothWays)
{
    simtest::SimProcess sim({"--link"});
    Station a(sim.ptyPath(1));
    Station b(sim.ptyPath(2));
    const std::string there = "Hello, radio\r\n第二行 line two";
    const std::string back = "回答：收到 ✓";
    a.send.text = there;
    a.sender.sendOnce();
    ASSERT_TRUE(runUntil({&a, &b}, [&] { return b.counts.received >= a.counts.sent; }));
    EXPECT_EQ(there, b.receive.text);
    EXPECT_EQ(static_cast<int>(there.size()), a.counts.sent);
    EXPECT_EQ(a.counts.sent, b.counts.received);
    EXPECT_EQ("RX : " + std::to_string(there.size()), b.status.text(core::StatusPanel::Received));

    b.send.text = back;
    b.sender.sendOnce();
    ASSERT_TRUE(runUntil({&a, &b}, [&] { return a.counts.received >= b.counts.sent; }));
    EXPECT_EQ(back, a.receive.text);
}

TEST(TerminalEndToEnd, hexSendHexDisplayAndAZeroByte)
{
    simtest::SimProcess sim({"--link"});
    Station a(sim.ptyPath(1));
    Station b(sim.ptyPath(2));
    a.send.hex = true;
    b.receive.hex = true;
    a.send.text = "01 02 fe\r\n00 41";
    a.sender.sendOnce();
    ASSERT_TRUE(runUntil({&a, &b}, [&] { return b.counts.received >= 5; }));
    EXPECT_EQ("01 02 FE 00 41 ", b.receive.text);

    b.receive.hex = false;
    b.receiver.clearReceiveArea();
    a.send.text = "41 00 42";
    a.sender.sendOnce();
    ASSERT_TRUE(waitForWaiting(b, 3));
    b.terminal.receivePoll();
    EXPECT_EQ("A", b.receive.text);
    EXPECT_EQ(8, b.counts.received);
}

// The period box is in milliseconds by the clock: the median gap between auto sends is the
// period, however the 10 ms ticks fall.
TEST(TerminalEndToEnd, autoSendKeepsThePeriodByTheClock)
{
    simtest::SimProcess sim({});
    Station a(sim.ptyPath(1));
    a.send.text = "tick";
    a.send.setAutoSend(true);
    std::vector<std::int64_t> sends;
    std::int32_t counted = 0;
    runUntil(
        {&a},
        [&] {
            if (a.counts.sent != counted)
                sends.push_back(a.system.steadyMs());
            counted = a.counts.sent;
            return false;
        },
        8s);
    ASSERT_GE(sends.size(), 7u);
    std::vector<std::int64_t> gaps;
    for (std::size_t i = 1; i < sends.size(); ++i)
        gaps.push_back(sends[i] - sends[i - 1]);
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    EXPECT_NEAR(1000, gaps[gaps.size() / 2], 50);
}

// Each station logs its session: every send and every received chunk in the order they
// happened, with counts that add up to its TX and RX counters.
TEST(TerminalEndToEnd, sessionLogsOfTwoStationsHoldEveryChunkInOrder)
{
    fakes::TempDir dir;
    simtest::SimProcess sim({"--link"});
    Station a(sim.ptyPath(1));
    Station b(sim.ptyPath(2));
    for (Station* s : {&a, &b}) {
        s->dialogs.fileNames.push_back(dir.path(s == &a ? "a.log" : "b.log"));
        s->receive.logOn = true;
        s->receiver.toggleSessionLog();
    }
    for (int round = 0; round < 3; ++round) {
        a.send.text = "ping " + std::to_string(round);
        a.sender.sendOnce();
        ASSERT_TRUE(runUntil({&a, &b}, [&] { return b.counts.received >= a.counts.sent; }));
        b.send.text = "pong, round " + std::to_string(round);
        b.sender.sendOnce();
        ASSERT_TRUE(runUntil({&a, &b}, [&] { return a.counts.received >= b.counts.sent; }));
    }
    for (Station* s : {&a, &b}) {
        SCOPED_TRACE(s == &a ? "a" : "b");
        std::istringstream log(fakes::TempDir::read(dir.path(s == &a ? "a.log" : "b.log")));
        int tx = 0;
        int rx = 0;
        std::string order;
        for (std::string line; std::getline(log, line);) {
            std::istringstream fields(line);
            std::string date, time, direction;
            int count = 0;
            fields >> date >> time >> direction >> count;
            (direction == "TX" ? tx : rx) += count;
            if (order.empty() || order.back() != direction[0])
                order += direction[0];
        }
        EXPECT_EQ(s->counts.sent, tx);
        EXPECT_EQ(s->counts.received, rx);
        EXPECT_EQ(s == &a ? "TRTRTR" : "RTRTRT", order);
    }
}

TEST(TerminalEndToEnd, upTo1024WaitingBytesAreShownAndMoreDiscarded)
{
    simtest::SimProcess sim({"--link"});
    Station a(sim.ptyPath(1));
    Station b(sim.ptyPath(2));
    a.send.hex = true;
    a.send.text = hexOf(1024);
    // The sender's polls hand the block over as fast as the line carries it.
    const auto sent = [&a](std::int32_t total) {
        return runUntil({&a}, [&a, total] { return a.counts.sent == total; });
    };
    a.sender.sendOnce();
    ASSERT_TRUE(sent(1024));
    ASSERT_TRUE(waitForWaiting(b, 1024));
    b.terminal.receivePoll();
    EXPECT_EQ(1024, b.counts.received);
    EXPECT_EQ("0123456789", b.receive.text.substr(0, 10));

    a.sender.sendOnce();
    ASSERT_TRUE(sent(2048));
    a.send.text = "35";
    a.sender.sendOnce();
    EXPECT_EQ(2048 + 1, a.counts.sent);
    ASSERT_TRUE(waitForWaiting(b, 1025));
    b.terminal.receivePoll();
    EXPECT_EQ(1024, b.counts.received);
    EXPECT_EQ(1024u, b.receive.text.size());
}

TEST(TerminalEndToEnd, echoTestOverAPerfectLinkReaches100Percent)
{
    simtest::SimProcess sim({"--link"});
    Station measuring(sim.ptyPath(1));
    Station echo(sim.ptyPath(2));
    for (Station* s : {&measuring, &echo})
        s->send.text = "error rate test 误码";
    measuring.strip.measuringOn = true;
    measuring.terminal.errorRate.toggle();
    echo.terminal.errorRate.toggle();
    ASSERT_TRUE(runUntil(
        {&measuring, &echo}, [&] { return measuring.shown(terminal::EchoCount::Sent) >= 3; }, 10s));
    EXPECT_EQ("100.0000", measuring.strip.counts[terminal::EchoCount::SuccessRate]);
    EXPECT_EQ("0", measuring.strip.counts[terminal::EchoCount::Bad]);
    EXPECT_EQ(0, echo.counts.sent);
}

TEST(TerminalEndToEnd, echoTestOverANoisyLinkFallsBelow100Percent)
{
    simtest::SimProcess sim({"--link", "--error-rate", "0.02", "--seed", "7"});
    Station measuring(sim.ptyPath(1));
    Station echo(sim.ptyPath(2));
    for (Station* s : {&measuring, &echo})
        s->send.text = "a longer line of text for the noisy link";
    measuring.strip.measuringOn = true;
    measuring.terminal.errorRate.toggle();
    echo.terminal.errorRate.toggle();
    ASSERT_TRUE(runUntil(
        {&measuring, &echo}, [&] { return measuring.shown(terminal::EchoCount::Sent) >= 5; }, 15s));
    EXPECT_GT(measuring.shown(terminal::EchoCount::Bad), 0);
    EXPECT_LT(
        measuring.shown(terminal::EchoCount::Good), measuring.shown(terminal::EchoCount::Sent));
    EXPECT_NE("100.0000", measuring.strip.counts[terminal::EchoCount::SuccessRate]);
}

namespace {

struct Console
{
    explicit Console(const std::string& pty, std::uint8_t speedIndex) : station(pty, speedIndex) { }

    Station station;
    fakes::RegisterRecorder view;
    fakes::FakeTimer pollTimer;
    registers::RegisterConsole console {station.link, station.portController, view, pollTimer,
        station.dialogs, station.system, station.language};
};

} // namespace

// Auto send far faster than a 300 bit/s line carries: the program keeps the rest of the block
// and runs no further ahead of the far station than the driver's 100 ms, the line's own bytes
// and a receive poll; stop, close and exit return at once and the far station stops receiving.
TEST(TerminalEndToEnd, autoSendAt300KeepsCloseToTheWireAndEndsAtOnce)
{
    // 3 bytes (100 ms) in the driver; a byte crossing each serial line and one in the air; 100 ms
    // for a simulator that a busy machine wakes late.
    constexpr std::int32_t kAhead = 3 + 3 + 3;
    // What the far station has: counted, and waiting for its next poll.
    const auto arrived = [](Station& s) {
        platform::CommStatus status;
        s.link.handle.port().clearErrors(status);
        return s.counts.received + static_cast<std::int32_t>(status.bytesWaiting);
    };
    const struct
    {
        const char* end;
        std::function<void(Station&)> act;
    } rows[] = {
        {"stop", [](Station& s) { s.send.setAutoSend(false); }},
        {"close", [](Station& s) { s.portController.closePort(); }},
        {"exit", [](Station& s) { s.portController.closeForExit(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.end);
        simtest::SimProcess sim({"--link", "--speed", "300", "--speed2", "300"});
        Station a(sim.ptyPath(1), 5);
        Station b(sim.ptyPath(2), 5);
        std::string block;
        while (block.size() < 100)
            block += "0123456789abcdefghij"; // no 0x55: nothing the radio could take for a frame
        a.send.text = block;
        a.send.period = "100";
        a.send.setAutoSend(true);
        std::int32_t ahead = 0;
        runUntil(
            {&a, &b},
            [&] {
                ahead = std::max(ahead, a.counts.sent - arrived(b));
                return false;
            },
            3s);
        EXPECT_GT(b.counts.received, 60) << "the line was kept busy";
        EXPECT_LE(ahead, kAhead);

        const auto start = std::chrono::steady_clock::now();
        row.act(a);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, 100ms);
        const std::int32_t atStop = arrived(b);
        const auto never = [] { return false; };
        runUntil({&a, &b}, never, 1s);
        EXPECT_LE(b.counts.received - atStop, kAhead) << "what was queued went to the far station";
        RecordProperty(std::string(row.end) + "_ahead_bytes", ahead);
        RecordProperty(std::string(row.end) + "_us",
            static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
        RecordProperty(std::string(row.end) + "_after_bytes", b.counts.received - atStop);
    }
}

// The dialog waits until the answer is whole: at 300 bit/s a request takes 233 ms on the wire
// and its answer as long again, and behind a USB adapter the answer comes 16 ms late at any
// speed.
TEST(RegisterConsoleEndToEnd, singleRegisterReadAndWriteFrom19200To300AndBehindAnAdapter)
{
    const struct
    {
        const char* speed;
        std::uint8_t index;
        bool adapter;
    } rows[] = {{"19200", 0, false}, {"19200", 0, true}, {"2400", 3, false}, {"300", 5, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.speed) + (row.adapter ? " behind an adapter" : ""));
        std::vector<std::string> args {"--speed", row.speed, "--register", "0x07=0x3C"};
        if (row.adapter)
            args.push_back("--usb-adapter");
        simtest::SimProcess sim(args);
        Console c(sim.ptyPath(1), row.index);
        c.view.readAt = "07";
        e2e::runRegisterCommand(c.console, c.station.eventLoop, [&] { c.console.readRegister(); });
        EXPECT_EQ("55 AA 03 99 3C 00 D8 ", c.view.answer);

        c.view.writeAt = "07";
        c.view.value = "a5";
        e2e::runRegisterCommand(c.console, c.station.eventLoop, [&] { c.console.writeRegister(); });
        EXPECT_EQ("55 AA 04 88 07 A5 01 38 ", c.view.answer);
        e2e::runRegisterCommand(c.console, c.station.eventLoop, [&] { c.console.readRegister(); });
        EXPECT_EQ("55 AA 03 99 A5 01 41 ", c.view.answer);
        EXPECT_TRUE(c.station.dialogs.shown.empty());
    }
}

TEST(RegisterConsoleEndToEnd, completeDumpAt19200And300AndBehindAnAdapter)
{
    const struct
    {
        const char* speed;
        std::uint8_t index;
        bool adapter;
    } rows[] = {{"19200", 0, false}, {"19200", 0, true}, {"300", 5, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.speed) + (row.adapter ? " behind an adapter" : ""));
        std::vector<std::string> args {"--speed", row.speed, "--register", "0x10=0xAB"};
        if (row.adapter)
            args.push_back("--usb-adapter");
        simtest::SimProcess sim(args);
        Console c(sim.ptyPath(1), row.index);
        e2e::runRegisterCommand(c.console, c.station.eventLoop, [&] { c.console.dumpRegisters(); });
        ASSERT_EQ(1u, c.station.dialogs.shown.size());
        EXPECT_EQ("Read End", c.station.dialogs.shown[0].text);
        const std::string dump = c.view.dump;
        ASSERT_EQ(99u, dump.size());
        EXPECT_EQ("5A 5B 58 ", dump.substr(0, 9)); // the default contents, address ^ 0x5A
        EXPECT_EQ("AB ", dump.substr(0x10 * 3, 3));
        EXPECT_EQ("7A ", dump.substr(0x20 * 3, 3));
    }
}

TEST(RegisterConsoleEndToEnd, aSilentRegisterIsMarkedAndTheDumpKeepsTheRest)
{
    simtest::SimProcess sim({"--silent-register", "0x05"});
    Console c(sim.ptyPath(1), 1);
    e2e::runRegisterCommand(c.console, c.station.eventLoop, [&] { c.console.dumpRegisters(); });
    ASSERT_EQ(1u, c.station.dialogs.shown.size());
    EXPECT_EQ("Read Error", c.station.dialogs.shown[0].text);
    const std::string dump = c.view.dump;
    ASSERT_EQ(99u, dump.size());
    EXPECT_EQ("5A 5B 58 59 5E -- 5C ", dump.substr(0, 21));
    EXPECT_EQ("7A ", dump.substr(0x20 * 3, 3));
}
