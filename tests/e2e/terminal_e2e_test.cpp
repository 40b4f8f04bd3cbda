#include "FakeDialogs.h"
#include "FakePortEnumerator.h"
#include "FakeUi.h"
#include "SimProcess.h"
#include "TempDir.h"
#include "platform/PosixSerialPort.h"
#include "platform/System.h"
#include "regtest/RegisterTest.h"
#include "terminal/Terminal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <sstream>
#include <thread>

using core::Ctl;
using core::TimerId;
using namespace std::chrono_literals;

namespace {

// One PC of the test: its own window fake and terminal on one pty of the simulator, at the
// simulator's default serial settings (9600-N-1) unless told otherwise.
struct Station
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
        ui.onChecked = [this](Ctl ctl) {
            if (ctl == Ctl::Check_AutoTrtt)
                terminal.autoTrttClick();
        };
    }

    fakes::FakeUi ui;
    fakes::FakeDialogs dialogs;
    serial::SerialLink link;
    core::Language language;
    terminal::TerminalState state;
    fakes::FakePortEnumerator devices; // the station's port is opened directly, not by name
    platform::PosixSerialPorts ports {devices};
    serial::PortController portController {link, ports, ui, dialogs, language};
    platform::RealSystem system;
    terminal::Terminal terminal {link, portController, ui, dialogs, system, language, state};
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
            if (s->ui.isTimerActive(TimerId::TrttData))
                s->terminal.trttDataTimer();
            if (step % 5 == 0)
                s->terminal.recDataTimer();
        }
        if (done()) {
            for (Station* s : stations)
                s->terminal.recDataTimer();
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
    a.ui.setText(Ctl::Memo_Trtt, there);
    a.terminal.manualTrttClick();
    ASSERT_TRUE(runUntil({&a, &b}, [&] { return b.state.RxCount >= a.state.TxCount; }));
    EXPECT_EQ(there, b.ui.text(Ctl::Memo_Rec));
    EXPECT_EQ(static_cast<int>(there.size()), a.state.TxCount);
    EXPECT_EQ(a.state.TxCount, b.state.RxCount);
    EXPECT_EQ("RX : " + std::to_string(there.size()), b.ui.statusText(5));

    b.ui.setText(Ctl::Memo_Trtt, back);
    b.terminal.manualTrttClick();
    ASSERT_TRUE(runUntil({&a, &b}, [&] { return a.state.RxCount >= b.state.TxCount; }));
    EXPECT_EQ(back, a.ui.text(Ctl::Memo_Rec));
}

TEST(TerminalEndToEnd, hexSendHexDisplayAndAZeroByte)
{
    simtest::SimProcess sim({"--link"});
    Station a(sim.ptyPath(1));
    Station b(sim.ptyPath(2));
    a.ui.setChecked(Ctl::Check_TrttHex, true);
    b.ui.setChecked(Ctl::Check_RecHex, true);
    a.ui.setText(Ctl::Memo_Trtt, "01 02 fe\r\n00 41");
    a.terminal.manualTrttClick();
    ASSERT_TRUE(runUntil({&a, &b}, [&] { return b.state.RxCount >= 5; }));
    EXPECT_EQ("01 02 FE 00 41 ", b.ui.text(Ctl::Memo_Rec));

    b.ui.setChecked(Ctl::Check_RecHex, false);
    b.terminal.clrRecMemoClick();
    a.ui.setText(Ctl::Memo_Trtt, "41 00 42");
    a.terminal.manualTrttClick();
    ASSERT_TRUE(waitForWaiting(b, 3));
    b.terminal.recDataTimer();
    EXPECT_EQ("A", b.ui.text(Ctl::Memo_Rec));
    EXPECT_EQ(8, b.state.RxCount);
}

// The period box is in milliseconds by the clock: the median gap between auto sends is the
// period, however the 10 ms ticks fall.
TEST(TerminalEndToEnd, autoSendKeepsThePeriodByTheClock)
{
    simtest::SimProcess sim({});
    Station a(sim.ptyPath(1));
    a.ui.setText(Ctl::Memo_Trtt, "tick");
    a.ui.setChecked(Ctl::Check_AutoTrtt, true);
    std::vector<std::int64_t> sends;
    std::int32_t counted = 0;
    runUntil(
        {&a},
        [&] {
            if (a.state.TxCount != counted)
                sends.push_back(a.system.steadyMs());
            counted = a.state.TxCount;
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
        s->ui.setChecked(Ctl::LogToFile, true);
        s->terminal.logToFileClick();
    }
    for (int round = 0; round < 3; ++round) {
        a.ui.setText(Ctl::Memo_Trtt, "ping " + std::to_string(round));
        a.terminal.manualTrttClick();
        ASSERT_TRUE(runUntil({&a, &b}, [&] { return b.state.RxCount >= a.state.TxCount; }));
        b.ui.setText(Ctl::Memo_Trtt, "pong, round " + std::to_string(round));
        b.terminal.manualTrttClick();
        ASSERT_TRUE(runUntil({&a, &b}, [&] { return a.state.RxCount >= b.state.TxCount; }));
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
        EXPECT_EQ(s->state.TxCount, tx);
        EXPECT_EQ(s->state.RxCount, rx);
        EXPECT_EQ(s == &a ? "TRTRTR" : "RTRTRT", order);
    }
}

TEST(TerminalEndToEnd, upTo1024WaitingBytesAreShownAndMoreDiscarded)
{
    simtest::SimProcess sim({"--link"});
    Station a(sim.ptyPath(1));
    Station b(sim.ptyPath(2));
    a.ui.setChecked(Ctl::Check_TrttHex, true);
    a.ui.setText(Ctl::Memo_Trtt, hexOf(1024));
    a.terminal.manualTrttClick();
    ASSERT_TRUE(waitForWaiting(b, 1024));
    b.terminal.recDataTimer();
    EXPECT_EQ(1024, b.state.RxCount);
    EXPECT_EQ("0123456789", b.ui.text(Ctl::Memo_Rec).substr(0, 10));

    a.terminal.manualTrttClick();
    a.ui.setText(Ctl::Memo_Trtt, "35");
    a.terminal.manualTrttClick();
    EXPECT_EQ(2048 + 1, a.state.TxCount);
    ASSERT_TRUE(waitForWaiting(b, 1025));
    b.terminal.recDataTimer();
    EXPECT_EQ(1024, b.state.RxCount);
    EXPECT_EQ(1024u, b.ui.text(Ctl::Memo_Rec).size());
}

TEST(TerminalEndToEnd, echoTestOverAPerfectLinkReaches100Percent)
{
    simtest::SimProcess sim({"--link"});
    Station measuring(sim.ptyPath(1));
    Station echo(sim.ptyPath(2));
    for (Station* s : {&measuring, &echo})
        s->ui.setText(Ctl::Memo_Trtt, "error rate test 误码");
    measuring.ui.setChecked(Ctl::CheckTrtt, true);
    measuring.terminal.panelTrttTestClick();
    echo.terminal.panelTrttTestClick();
    ASSERT_TRUE(runUntil(
        {&measuring, &echo}, [&] { return measuring.state.TestSent >= 4; }, 10s));
    EXPECT_EQ("100.0000", measuring.ui.text(Ctl::Edit3));
    EXPECT_EQ("0", measuring.ui.text(Ctl::Edit4));
    EXPECT_EQ(0, echo.state.TxCount);
}

TEST(TerminalEndToEnd, echoTestOverANoisyLinkFallsBelow100Percent)
{
    simtest::SimProcess sim({"--link", "--error-rate", "0.02", "--seed", "7"});
    Station measuring(sim.ptyPath(1));
    Station echo(sim.ptyPath(2));
    for (Station* s : {&measuring, &echo})
        s->ui.setText(Ctl::Memo_Trtt, "a longer line of text for the noisy link");
    measuring.ui.setChecked(Ctl::CheckTrtt, true);
    measuring.terminal.panelTrttTestClick();
    echo.terminal.panelTrttTestClick();
    ASSERT_TRUE(runUntil(
        {&measuring, &echo}, [&] { return measuring.state.TestSent >= 6; }, 15s));
    EXPECT_GT(measuring.state.TestBad, 0);
    EXPECT_LT(measuring.state.TestGood, measuring.state.TestSent - 1);
    EXPECT_NE("100.0000", measuring.ui.text(Ctl::Edit3));
}

namespace {

struct Console
{
    explicit Console(const std::string& pty, std::uint8_t speedIndex) : station(pty, speedIndex) { }

    Station station;
    regtest::RegisterTest dialog {station.link, station.portController, station.ui, station.dialogs,
        station.system, station.language};
};

} // namespace

// At 300 bit/s a request takes 233 ms on the wire and its answer as long again: the fixed wait
// must start once the request has left the port.
TEST(RegisterTestEndToEnd, singleRegisterReadAndWriteFrom19200To300)
{
    const struct
    {
        const char* speed;
        std::uint8_t index;
    } rows[] = {{"19200", 0}, {"2400", 3}, {"300", 5}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.speed);
        simtest::SimProcess sim({"--speed", row.speed, "--register", "0x07=0x3C"});
        Console c(sim.ptyPath(1), row.index);
        c.station.ui.setText(Ctl::Test_Edit2, "07");
        c.dialog.button3Click();
        EXPECT_EQ("55 AA 03 99 3C 00 D8 ", c.station.ui.text(Ctl::Test_EditDis));

        c.station.ui.setText(Ctl::Test_Edit3, "07");
        c.station.ui.setText(Ctl::Test_Edit4, "a5");
        c.dialog.button4Click();
        EXPECT_EQ("55 AA 04 88 07 A5 01 38 ", c.station.ui.text(Ctl::Test_EditDis));
        c.dialog.button3Click();
        EXPECT_EQ("55 AA 03 99 A5 01 41 ", c.station.ui.text(Ctl::Test_EditDis));
        EXPECT_TRUE(c.station.dialogs.shown.empty());
    }
}

TEST(RegisterTestEndToEnd, completeDumpAt19200And300)
{
    const struct
    {
        const char* speed;
        std::uint8_t index;
    } rows[] = {{"19200", 0}, {"300", 5}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.speed);
        simtest::SimProcess sim({"--speed", row.speed, "--register", "0x10=0xAB"});
        Console c(sim.ptyPath(1), row.index);
        c.dialog.button2Click();
        ASSERT_EQ(1u, c.station.dialogs.shown.size());
        EXPECT_EQ("Read End", c.station.dialogs.shown[0].text);
        const std::string dump = c.station.ui.text(Ctl::Test_Memo1);
        ASSERT_EQ(99u, dump.size());
        EXPECT_EQ("5A 5B 58 ", dump.substr(0, 9)); // the default contents, address ^ 0x5A
        EXPECT_EQ("AB ", dump.substr(0x10 * 3, 3));
        EXPECT_EQ("7A ", dump.substr(0x20 * 3, 3));
    }
}

TEST(RegisterTestEndToEnd, dumpStopsAtASilentRegisterAt9600)
{
    simtest::SimProcess sim({"--silent-register", "0x05"});
    Console c(sim.ptyPath(1), 1);
    const auto start = std::chrono::steady_clock::now();
    c.dialog.button2Click();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s); // six registers, not 33
    ASSERT_EQ(1u, c.station.dialogs.shown.size());
    EXPECT_EQ("Read Error", c.station.dialogs.shown[0].text);
    EXPECT_EQ(" ", c.station.ui.text(Ctl::Test_Memo1));
}
