#include "registers/RegisterConsole.h"
#include "PortRig.h"
#include "RegisterRecorder.h"
#include "terminal/HexText.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

using fakes::Bytes;
using platform::PurgeRxClear;
using platform::PurgeTxClear;
using registers::AnswerColor;

namespace {

// The dialog on a scripted radio that answers a frame as soon as it was written.
class RegisterConsoleTest : public ::testing::Test, public fakes::PortRig
{
public:
    RegisterConsoleTest()
    {
        link.settings.speedIndex = 1;
        port->onWrite = [this](const Bytes& frame) { answer(frame); };
    }

    void openPort()
    {
        link.handle.assign(std::make_unique<fakes::FakeSerialPort>(port));
        port->onWrite = [this](const Bytes& frame) { answer(frame); };
    }
    const std::string& shown() const { return view.answer; }

    // Clicks, then delivers the 10 ms poll ticks and the event loop's deferred work until the
    // command has ended; returns the milliseconds it ran.
    std::int64_t press(const std::function<void()>& click)
    {
        const std::int64_t start = system.nowMs;
        click();
        for (int ticks = 0; console.busy() && ticks < 10000; ++ticks) {
            system.nowMs += 10;
            EXPECT_TRUE(pollTimer.isActive());
            console.pollAnswer();
            eventLoop.runPending();
        }
        eventLoop.runPending();
        EXPECT_FALSE(pollTimer.isActive());
        return system.nowMs - start;
    }

    // A register read answer: 55 AA 03 99 value and its sum.
    static Bytes registerAnswer(std::uint8_t value)
    {
        return radio::makeFrame(radio::cmd::ReadRegister, {value});
    }
    // Answers each register read by the register's number.
    void answerRegisters(std::function<Bytes(std::uint8_t reg)> answer)
    {
        radio = [answer](const Bytes& frame) { return answer(frame.at(4)); };
    }

    fakes::FakeSystem system;
    std::shared_ptr<fakes::PortState> port = std::make_shared<fakes::PortState>();
    std::function<Bytes(const Bytes&)> radio;
    fakes::RegisterRecorder view;
    fakes::FakeTimer pollTimer;
    registers::RegisterConsole console {
        link, portController, view, pollTimer, dialogs, system, language};

private:
    void answer(const Bytes& frame)
    {
        if (radio)
            port->feed(radio(frame));
    }
};

} // namespace

TEST(RegisterConsoleWaits, growWithTheSpeedIndex)
{
    const struct
    {
        std::uint8_t speedIndex;
        unsigned single;
        unsigned dump;
    } rows[] = {{0, 20, 100}, {1, 110, 150}, {2, 200, 200}, {3, 290, 250}, {4, 380, 300},
        {5, 470, 350}, {255, 110, 150}};
    for (const auto& row : rows) {
        EXPECT_EQ(row.single, registers::RegisterConsole::singleWaitMs(row.speedIndex))
            << +row.speedIndex;
        EXPECT_EQ(row.dump, registers::RegisterConsole::dumpWaitMs(row.speedIndex))
            << +row.speedIndex;
    }
}

TEST_F(RegisterConsoleTest, eachButtonSendsItsFrame)
{
    const struct
    {
        const char* name;
        std::function<void(RegisterConsoleTest&)> press;
        Bytes frame;
    } rows[] = {
        {"ReadOne 00", [](RegisterConsoleTest& t) { t.console.readRegister(); },
            {0x55, 0xAA, 0x03, 0x99, 0x00, 0x00, 0x9C}},
        {"ReadOne 1f",
            [](RegisterConsoleTest& t) {
                t.view.readAt = "1f";
                t.console.readRegister();
            },
            {0x55, 0xAA, 0x03, 0x99, 0x1F, 0x00, 0xBB}},
        {"WriteOne 1F 3c",
            [](RegisterConsoleTest& t) {
                t.view.writeAt = "1F";
                t.view.value = "3c";
                t.console.writeRegister();
            },
            {0x55, 0xAA, 0x04, 0x88, 0x1F, 0x3C, 0x00, 0xE7}},
        {"WriteOne empty fields",
            [](RegisterConsoleTest& t) {
                t.view.writeAt = "";
                t.view.value = "";
                t.console.writeRegister();
            },
            {0x55, 0xAA, 0x04, 0x88, 0x00, 0x00, 0x00, 0x8C}},
        {"start test", [](RegisterConsoleTest& t) { t.console.startTransmitTest(); },
            {0x55, 0xAA, 0x04, 0x20, 0x08, 0x00, 0x00, 0x2C}},
        {"frequency test", [](RegisterConsoleTest& t) { t.console.transmitFrequencyTest(); },
            {0x55, 0xAA, 0x04, 0x20, 0x08, 0x03, 0x00, 0x2F}},
        {"stop test", [](RegisterConsoleTest& t) { t.console.stopTransmitTest(); },
            {0x55, 0xAA, 0x04, 0x20, 0x09, 0x00, 0x00, 0x2D}},
    };
    openPort();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port->writes.clear();
        port->purges.clear();
        press([&] { row.press(*this); });
        ASSERT_EQ(1u, port->writes.size());
        EXPECT_EQ(row.frame, port->writes[0]);
        EXPECT_EQ(std::vector<unsigned> {PurgeRxClear | PurgeTxClear}, port->purges);
    }
}

TEST_F(RegisterConsoleTest, answerIsShownAsItCameInAlternatingColours)
{
    openPort();
    const Bytes notAFrame {0x01, 0x02, 0xFE};
    radio = [&](const Bytes&) { return notAFrame; };
    const auto readOne = [this] { console.readRegister(); };
    EXPECT_EQ(AnswerColor::Normal, view.color);
    press(readOne);
    EXPECT_EQ("01 02 FE ", shown());
    EXPECT_EQ(AnswerColor::Red, view.color);
    press(readOne);
    EXPECT_EQ("01 02 FE ", shown());
    EXPECT_EQ(AnswerColor::Link, view.color);
    press(readOne);
    EXPECT_EQ(AnswerColor::Red, view.color);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(RegisterConsoleTest, answerLimitsOfASingleCommand)
{
    openPort();
    radio = [](const Bytes&) { return Bytes(20, 0xAB); };
    press([this] { console.startTransmitTest(); });
    EXPECT_EQ(60u, shown().size());

    radio = [](const Bytes&) { return Bytes(21, 0xAB); };
    press([this] { console.startTransmitTest(); });
    EXPECT_EQ(" ", shown());
    EXPECT_TRUE(port->rx.empty());
    EXPECT_EQ(PurgeRxClear, port->purges.back());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(RegisterConsoleTest, noAnswerMessageFollowsTheLanguage)
{
    const struct
    {
        std::uint8_t language;
        bool portOpen;
        bool vanished;
        const char* message;
    } rows[] = {
        {1, true, false, "No respond"},
        {0, true, false, "无响应"},
        {0, false, false, "无响应"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        language.value = row.language;
        dialogs.shown.clear();
        port->vanished = row.vanished;
        if (row.portOpen)
            openPort();
        else
            link.handle.close();
        view.answer = "old";
        press([this] { console.stopTransmitTest(); });
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ(fakes::ShownMessage::Message, dialogs.shown[0].kind);
        EXPECT_EQ(row.message, dialogs.shown[0].text);
        EXPECT_EQ(" ", shown());
    }
}

// A silent radio is waited for at least the fixed wait of the speed, and never less than an
// answer needs behind a USB adapter; an answer that is whole ends the wait at once.
TEST_F(RegisterConsoleTest, theWaitIsAMinimumThatCoversTheAdapter)
{
    openPort();
    language.value = 1;
    const struct
    {
        std::uint8_t speed;
        std::uint32_t baud;
    } rows[] = {{0, 19200}, {5, 300}, {255, 9600}};
    for (const auto& row : rows) {
        SCOPED_TRACE(+row.speed);
        link.settings.speedIndex = row.speed;
        port->settings.baudRate = row.baud;
        dialogs.shown.clear();
        radio = nullptr;
        const std::int64_t silent = press([this] { console.readRegister(); });
        const auto wait
            = std::max<std::int64_t>(registers::RegisterConsole::singleWaitMs(row.speed),
                radio::kAdapterLatencyMs + radio::kAnswerAllowanceMs);
        EXPECT_GE(silent, wait);
        EXPECT_LE(silent, wait + 4 * 233 + 20); // plus the request's and answer's wire time
        EXPECT_EQ("No respond", dialogs.shown.at(0).text);

        answerRegisters(registerAnswer);
        EXPECT_EQ(10, press([this] { console.readRegister(); }));
    }
}

// A partial answer is waited for until the frame is whole or the deadline has passed.
TEST_F(RegisterConsoleTest, aSplitAnswerIsJoinedAndAPartialOneShownAtTheDeadline)
{
    openPort();
    const Bytes whole = registerAnswer(0x3C);
    radio = [&](const Bytes&) { return Bytes(whole.begin(), whole.begin() + 3); };
    console.readRegister();
    system.nowMs += 10;
    console.pollAnswer();
    EXPECT_TRUE(console.busy());
    port->feed(Bytes(whole.begin() + 3, whole.end()));
    press([] {});
    EXPECT_EQ(terminal::BytesToHexText(whole), shown());

    press([this] { console.readRegister(); });
    EXPECT_EQ("55 AA 03 ", shown());
}

TEST_F(RegisterConsoleTest, clicksWhileACommandRunsAreIgnored)
{
    openPort();
    console.readRegister();
    console.dumpRegisters();
    console.writeRegister();
    EXPECT_EQ(1u, port->writes.size());
    press([] {});
}

// While a Read or Write holds the port's lease no command goes out; a command holds the lease
// until its answer.
TEST_F(RegisterConsoleTest, commandsWaitForThePortsLease)
{
    openPort();
    {
        const auto readOrWrite = portController.lease();
        console.readRegister();
        console.dumpRegisters();
        EXPECT_TRUE(port->writes.empty());
    }
    console.readRegister();
    EXPECT_FALSE(portController.lease());
    press([] {});
    EXPECT_EQ(1u, port->writes.size());
    EXPECT_TRUE(portController.lease());
}

TEST_F(RegisterConsoleTest, completeDumpShowsAll33Values)
{
    openPort();
    language.value = 0;
    answerRegisters([](std::uint8_t reg) { return registerAnswer(reg + 0x40); });
    press([this] { console.dumpRegisters(); });
    ASSERT_EQ(33u, port->writes.size());
    for (std::uint8_t reg = 0; reg <= 0x20; ++reg)
        EXPECT_EQ(radio::makeFrame(radio::cmd::ReadRegister, {reg}), port->writes[reg]);
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("Read End", dialogs.shown[0].text);
    const std::string dump = view.dump;
    ASSERT_EQ(99u, dump.size());
    EXPECT_EQ("40 41 42 ", dump.substr(0, 9));
    EXPECT_EQ("60 ", dump.substr(96));
}

// A dump keeps every value it read: a register that stays silent is marked "--", one whose
// answer fails the check or floods is marked "??", and the dump goes on to the last register.
TEST_F(RegisterConsoleTest, dumpMarksWhatFailedAndKeepsTheRest)
{
    const struct
    {
        const char* name;
        std::function<Bytes(std::uint8_t)> answer;
        const char* start;
        const char* message;
    } rows[] = {
        {"silent register",
            [](std::uint8_t reg) { return reg == 0x02 ? Bytes {} : registerAnswer(0x11); },
            "11 11 -- 11 ", "Read Error"},
        {"too much for one register",
            [](std::uint8_t reg) { return reg == 0x02 ? Bytes(101, 0x55) : registerAnswer(0x11); },
            "11 11 ?? 11 ", "Read Error"},
        {"a register fails the check",
            [](std::uint8_t reg) {
                Bytes a = registerAnswer(0x11);
                if (reg == 0x02)
                    a[5] ^= 1;
                return a;
            },
            "11 11 ?? 11 ", "Read End"},
        {"last register fails the check",
            [](std::uint8_t reg) {
                Bytes a = registerAnswer(0x11);
                if (reg == 0x20)
                    a.back() ^= 1;
                return a;
            },
            "11 11 11 11 ", "Read Error"},
    };
    openPort();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port->writes.clear();
        dialogs.shown.clear();
        answerRegisters(row.answer);
        press([this] { console.dumpRegisters(); });
        EXPECT_EQ(33u, port->writes.size());
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ(row.message, dialogs.shown[0].text);
        const std::string dump = view.dump;
        ASSERT_EQ(99u, dump.size());
        EXPECT_EQ(row.start, dump.substr(0, 12));
    }
}

TEST_F(RegisterConsoleTest, dumpWithoutAPortSaysReadError)
{
    press([this] { console.dumpRegisters(); });
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("Read Error", dialogs.shown[0].text);
    EXPECT_TRUE(port->writes.empty());
}

// A pulled adapter ends the command with the one message that names the port, shown from the
// event loop; neither "No respond" nor "Read Error" follows it.
TEST_F(RegisterConsoleTest, aVanishedDeviceClosesThePortWithOneMessage)
{
    const struct
    {
        const char* button;
        std::function<void(registers::RegisterConsole&)> click;
        std::string fakes::RegisterRecorder::*display;
        bool vanishDuring;
    } rows[] = {
        {"ReadOne", [](registers::RegisterConsole& d) { d.readRegister(); },
            &fakes::RegisterRecorder::answer, false},
        {"ReadAll", [](registers::RegisterConsole& d) { d.dumpRegisters(); },
            &fakes::RegisterRecorder::dump, false},
        {"ReadAll, pulled during the dump",
            [](registers::RegisterConsole& d) { d.dumpRegisters(); },
            &fakes::RegisterRecorder::dump, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.button);
        dialogs.shown.clear();
        port = std::make_shared<fakes::PortState>();
        openPort();
        link.settings.portNumber = 1;
        language.value = 1;
        answerRegisters([this, &row](std::uint8_t reg) {
            port->vanished = row.vanishDuring && reg == 3;
            return registerAnswer(reg);
        });
        port->vanished = !row.vanishDuring;
        press([&] { row.click(console); });
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ("COM1: the port's device is gone (unplugged?); the port has been closed.",
            dialogs.shown[0].text);
        EXPECT_FALSE(link.handle.isValid());
        EXPECT_EQ("Disconnect", status.text(core::StatusPanel::Connection));
        EXPECT_EQ(" ", view.*row.display);
    }
}
