#include "regtest/RegisterTest.h"
#include "FakeDialogs.h"
#include "FakeSerialPort.h"
#include "FakeUi.h"
#include "terminal/HexText.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

using core::Ctl;
using core::TextColor;
using fakes::Bytes;
using platform::PurgeRxClear;
using platform::PurgeTxClear;

namespace {

// The dialog on a scripted radio whose answer to a frame arrives during the wait.
class RegisterTestTest : public ::testing::Test
{
public:
    RegisterTestTest()
    {
        link.settings.speedIndex = 1;
        system.onSleep = [this](unsigned) {
            if (!port->writes.empty() && radio)
                port->feed(radio(port->writes.back()));
        };
    }

    void openPort() { link.handle.assign(std::make_unique<fakes::FakeSerialPort>(port)); }
    std::string shown() const { return ui.text(Ctl::Test_EditDis); }

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

    fakes::FakeUi ui;
    fakes::FakeDialogs dialogs;
    fakes::FakeSystem system;
    std::shared_ptr<fakes::PortState> port = std::make_shared<fakes::PortState>();
    serial::SerialLink link;
    core::Language language;
    std::function<Bytes(const Bytes&)> radio;
    fakes::FakeSerialPorts ports;
    serial::PortController portController {link, ports, ui, dialogs, language};
    regtest::RegisterTest dialog {link, portController, ui, dialogs, system, language};
};

} // namespace

TEST(RegisterTestWaits, growWithTheSpeedIndex)
{
    const struct
    {
        std::uint8_t speedIndex;
        unsigned single;
        unsigned dump;
    } rows[] = {{0, 20, 100}, {1, 110, 150}, {2, 200, 200}, {3, 290, 250}, {4, 380, 300},
        {5, 470, 350}, {255, 110, 150}};
    for (const auto& row : rows) {
        EXPECT_EQ(row.single, regtest::RegisterTest::singleWaitMs(row.speedIndex))
            << +row.speedIndex;
        EXPECT_EQ(row.dump, regtest::RegisterTest::dumpWaitMs(row.speedIndex)) << +row.speedIndex;
    }
}

TEST_F(RegisterTestTest, eachButtonSendsItsFrame)
{
    const struct
    {
        const char* name;
        std::function<void(RegisterTestTest&)> press;
        Bytes frame;
    } rows[] = {
        {"ReadOne 00", [](RegisterTestTest& t) { t.dialog.button3Click(); },
            {0x55, 0xAA, 0x03, 0x99, 0x00, 0x00, 0x9C}},
        {"ReadOne 1f",
            [](RegisterTestTest& t) {
                t.ui.setText(Ctl::Test_Edit2, "1f");
                t.dialog.button3Click();
            },
            {0x55, 0xAA, 0x03, 0x99, 0x1F, 0x00, 0xBB}},
        {"WriteOne 1F 3c",
            [](RegisterTestTest& t) {
                t.ui.setText(Ctl::Test_Edit3, "1F");
                t.ui.setText(Ctl::Test_Edit4, "3c");
                t.dialog.button4Click();
            },
            {0x55, 0xAA, 0x04, 0x88, 0x1F, 0x3C, 0x00, 0xE7}},
        {"WriteOne empty fields",
            [](RegisterTestTest& t) {
                t.ui.setText(Ctl::Test_Edit3, "");
                t.ui.setText(Ctl::Test_Edit4, "");
                t.dialog.button4Click();
            },
            {0x55, 0xAA, 0x04, 0x88, 0x00, 0x00, 0x00, 0x8C}},
        {"start test", [](RegisterTestTest& t) { t.dialog.button1Click(); },
            {0x55, 0xAA, 0x04, 0x20, 0x08, 0x00, 0x00, 0x2C}},
        {"frequency test", [](RegisterTestTest& t) { t.dialog.button6Click(); },
            {0x55, 0xAA, 0x04, 0x20, 0x08, 0x03, 0x00, 0x2F}},
        {"stop test", [](RegisterTestTest& t) { t.dialog.button5Click(); },
            {0x55, 0xAA, 0x04, 0x20, 0x09, 0x00, 0x00, 0x2D}},
    };
    openPort();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port->writes.clear();
        port->purges.clear();
        system.sleeps.clear();
        row.press(*this);
        ASSERT_EQ(1u, port->writes.size());
        EXPECT_EQ(row.frame, port->writes[0]);
        EXPECT_EQ((std::vector<unsigned> {PurgeRxClear, PurgeTxClear}), port->purges);
        EXPECT_EQ(std::vector<unsigned> {110}, system.sleeps);
    }
}

TEST_F(RegisterTestTest, answerIsShownAsItCameInAlternatingColours)
{
    openPort();
    const Bytes notAFrame {0x01, 0x02, 0xFE};
    radio = [&](const Bytes&) { return notAFrame; };
    EXPECT_EQ(TextColor::Normal, ui.textColor(Ctl::Test_EditDis));
    dialog.button3Click();
    EXPECT_EQ("01 02 FE ", shown());
    EXPECT_EQ(TextColor::Red, ui.textColor(Ctl::Test_EditDis));
    dialog.button3Click();
    EXPECT_EQ("01 02 FE ", shown());
    EXPECT_EQ(TextColor::HotLight, ui.textColor(Ctl::Test_EditDis));
    dialog.button3Click();
    EXPECT_EQ(TextColor::Red, ui.textColor(Ctl::Test_EditDis));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(RegisterTestTest, answerLimitsOfASingleCommand)
{
    openPort();
    radio = [](const Bytes&) { return Bytes(20, 0xAB); };
    dialog.button1Click();
    EXPECT_EQ(60u, shown().size());

    radio = [](const Bytes&) { return Bytes(21, 0xAB); };
    dialog.button1Click();
    EXPECT_EQ(" ", shown());
    EXPECT_TRUE(port->rx.empty());
    EXPECT_EQ(PurgeRxClear, port->purges.back());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(RegisterTestTest, noAnswerMessageFollowsTheLanguage)
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
        system.sleeps.clear();
        port->vanished = row.vanished;
        if (row.portOpen)
            openPort();
        else
            link.handle.close();
        ui.setText(Ctl::Test_EditDis, "old");
        dialog.button5Click();
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ(fakes::ShownMessage::Message, dialogs.shown[0].kind);
        EXPECT_EQ(row.message, dialogs.shown[0].text);
        EXPECT_EQ(" ", shown());
        EXPECT_LE(system.sleeps.size(), 1u);
    }
}

TEST_F(RegisterTestTest, singleCommandWaitsForTheSpeed)
{
    openPort();
    for (const std::uint8_t speed : {0, 5, 255}) {
        link.settings.speedIndex = speed;
        system.sleeps.clear();
        dialog.button3Click();
        EXPECT_EQ(
            std::vector<unsigned> {regtest::RegisterTest::singleWaitMs(speed)}, system.sleeps);
    }
}

TEST_F(RegisterTestTest, completeDumpShowsAll33Values)
{
    openPort();
    language.value = 0;
    answerRegisters([](std::uint8_t reg) { return registerAnswer(reg + 0x40); });
    dialogs.onShow = [&](const fakes::ShownMessage&) { EXPECT_EQ(" ", ui.text(Ctl::Test_Memo1)); };
    dialog.button2Click();
    ASSERT_EQ(33u, port->writes.size());
    for (std::uint8_t reg = 0; reg <= 0x20; ++reg)
        EXPECT_EQ(radio::makeFrame(radio::cmd::ReadRegister, {reg}), port->writes[reg]);
    EXPECT_EQ(std::vector<unsigned>(33, 150), system.sleeps);
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("Read End", dialogs.shown[0].text);
    const std::string dump = ui.text(Ctl::Test_Memo1);
    ASSERT_EQ(99u, dump.size());
    EXPECT_EQ("40 41 42 ", dump.substr(0, 9));
    EXPECT_EQ("60 ", dump.substr(96));
}

TEST_F(RegisterTestTest, dumpStopsAtASilentRegister)
{
    openPort();
    answerRegisters([](std::uint8_t reg) { return reg == 0x05 ? Bytes {} : registerAnswer(reg); });
    dialog.button2Click();
    EXPECT_EQ(6u, port->writes.size());
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("Read Error", dialogs.shown[0].text);
    EXPECT_EQ(" ", ui.text(Ctl::Test_Memo1));
}

TEST_F(RegisterTestTest, dumpFailures)
{
    const struct
    {
        const char* name;
        std::function<Bytes(std::uint8_t)> answer;
        std::size_t frames;
    } rows[] = {
        {"too much for one register",
            [](std::uint8_t reg) { return reg == 3 ? Bytes(101, 0x55) : registerAnswer(reg); }, 4},
        {"last register fails the check",
            [](std::uint8_t reg) {
                Bytes a = registerAnswer(reg);
                if (reg == 0x20)
                    a.back() ^= 1;
                return a;
            },
            33},
    };
    openPort();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port->writes.clear();
        dialogs.shown.clear();
        answerRegisters(row.answer);
        dialog.button2Click();
        EXPECT_EQ(row.frames, port->writes.size());
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ("Read Error", dialogs.shown[0].text);
        EXPECT_EQ(" ", ui.text(Ctl::Test_Memo1));
    }
}

TEST_F(RegisterTestTest, dumpMarksARegisterWhoseAnswerFailedTheCheck)
{
    openPort();
    answerRegisters([](std::uint8_t reg) {
        Bytes a = registerAnswer(0x11);
        if (reg == 0x02)
            a[5] ^= 1;
        return a;
    });
    dialog.button2Click();
    EXPECT_EQ("Read End", dialogs.shown.at(0).text);
    const std::string dump = ui.text(Ctl::Test_Memo1);
    ASSERT_EQ(99u, dump.size());
    EXPECT_EQ("11 11 ?? 11 ", dump.substr(0, 12));
}

TEST_F(RegisterTestTest, dumpWithoutADeviceEndsAtTheFirstRegister)
{
    const struct
    {
        const char* name;
        bool portOpen;
    } rows[] = {{"no port", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dialogs.shown.clear();
        system.sleeps.clear();
        port->vanished = row.portOpen;
        if (row.portOpen)
            openPort();
        dialog.button2Click();
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ("Read Error", dialogs.shown[0].text);
        EXPECT_LE(system.sleeps.size(), 1u);
        EXPECT_TRUE(port->writes.empty());
    }
}

// A pulled adapter ends the command with the one message that names the port; neither
// "No respond" nor "Read Error" follows it.
TEST_F(RegisterTestTest, aVanishedDeviceClosesThePortWithOneMessage)
{
    const struct
    {
        const char* button;
        std::function<void(regtest::RegisterTest&)> click;
        Ctl display;
    } rows[] = {
        {"ReadOne", [](regtest::RegisterTest& d) { d.button3Click(); }, Ctl::Test_EditDis},
        {"ReadAll", [](regtest::RegisterTest& d) { d.button2Click(); }, Ctl::Test_Memo1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.button);
        dialogs.shown.clear();
        port = std::make_shared<fakes::PortState>();
        openPort();
        link.settings.portNumber = 1;
        language.value = 1;
        port->vanished = true;
        row.click(dialog);
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ("COM1: the port's device is gone (unplugged?); the port has been closed.",
            dialogs.shown[0].text);
        EXPECT_FALSE(link.handle.isValid());
        EXPECT_EQ("Disconnect", ui.statusText(3));
        EXPECT_EQ(" ", ui.text(row.display));
    }
}
