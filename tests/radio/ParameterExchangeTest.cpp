#include "radio/ParameterExchange.h"
#include "ExchangeRig.h"
#include "ScriptedRadio.h"

#include <gtest/gtest.h>

namespace {

using fakes::Bytes;
using platform::Parity;

constexpr std::uint8_t kProbe = radio::cmd::QueryModelVersion;

platform::LineSettings lineAt(std::uint32_t baud, Parity parity)
{
    platform::LineSettings line;
    line.baudRate = baud;
    line.parity = parity;
    line.parityCheck = parity != Parity::None;
    return line;
}

class ExchangeTest : public testing::Test, public fakes::ExchangeRig
{
protected:
    ExchangeTest()
    {
        // No box of the exchange may wait while its own timers still tick.
        dialogs.onShow = [this](const fakes::ShownMessage& message) {
            EXPECT_FALSE(sendTimer.isActive()) << message.text;
            EXPECT_FALSE(receiveTimer.isActive()) << message.text;
        };
    }

    // One tick of both 10 ms timers, as the window system delivers them, then what the event
    // loop runs after them.
    void tick()
    {
        clock.nowMs += 10;
        if (sendTimer.isActive())
            exchange.sendTick();
        modem.tick();
        if (receiveTimer.isActive())
            exchange.receiveTick();
        eventLoop.runPending();
    }
    bool running() const { return receiveTimer.isActive(); }
    int runToEnd()
    {
        int ticks = 0;
        while (running() && ticks < 10000) {
            tick();
            ++ticks;
        }
        return ticks;
    }
    void read()
    {
        exchange.startRead();
        runToEnd();
    }
    std::vector<std::uint8_t> sentCommands() const
    {
        std::vector<std::uint8_t> commands;
        for (const auto& frame : port->writes)
            commands.push_back(frame.at(3));
        return commands;
    }
    const fakes::ShownMessage& lastMessage() const { return dialogs.shown.back(); }
    // The first line of the last message: what failed, before where and why.
    std::string headline() const
    {
        return lastMessage().text.substr(0, lastMessage().text.find('\n'));
    }
    // The radio leaves the first request with this command unanswered.
    void withholdFirst(std::uint8_t command)
    {
        modem.tamper = [command, withheld = false](
                           const Bytes& request, Bytes answer) mutable -> std::optional<Bytes> {
            if (request[3] != command || withheld)
                return answer;
            withheld = true;
            return std::nullopt;
        };
    }
    void expectIdle()
    {
        EXPECT_FALSE(sendTimer.isActive());
        EXPECT_FALSE(receiveTimer.isActive());
        EXPECT_FALSE(progress.visible);
        EXPECT_EQ(receivePoll.isActive(), link.handle.isValid());
        EXPECT_FALSE(terminalPaused);
    }

    std::shared_ptr<fakes::PortState> port = ports.add("COM1");
    radiotest::ScriptedRadio modem {port};
};

TEST_F(ExchangeTest, readFindsARadioAt4800EvenOnTheSixthProbe)
{
    modem.line = lineAt(4800, Parity::Even);
    bool writeEnabledDuringMessage = true;
    dialogs.onShow = [&](const auto&) { writeEnabledDuringMessage = view.writeEnabled; };
    read();

    EXPECT_EQ(sentCommands(),
        (std::vector<std::uint8_t> {
            kProbe, kProbe, kProbe, kProbe, kProbe, kProbe, kProbe, 0x23, 0x24, 0x26}));
    ASSERT_EQ(port->applied.size(), 6u);
    const std::vector<platform::LineSettings> probeOrder
        = {lineAt(9600, Parity::None), lineAt(9600, Parity::Odd), lineAt(9600, Parity::Even),
            lineAt(4800, Parity::None), lineAt(4800, Parity::Odd), lineAt(4800, Parity::Even)};
    EXPECT_EQ(port->applied, probeOrder);
    EXPECT_EQ(ports.attempts, std::vector<std::string> {"COM1"});

    EXPECT_EQ(view.speed, 2);
    EXPECT_EQ(view.parity, 2);
    EXPECT_EQ(view.channel, 4);
    EXPECT_EQ(view.airRate, 1);
    EXPECT_EQ(view.id, "123456");
    EXPECT_EQ(view.model, "TALVEX1.2");
    EXPECT_EQ(status.text(core::StatusPanel::ModelVersion), "TALVEX1.2");
    EXPECT_EQ(status.text(core::StatusPanel::Port), "COM1");
    EXPECT_EQ(status.text(core::StatusPanel::SerialMode), "4800-E-1");
    EXPECT_EQ(portView.speed, 2); // 4800
    EXPECT_EQ(link.settings.timeoutBase, 10);

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(lastMessage().text, "参数读取成功");
    EXPECT_EQ(lastMessage().caption, "读参数");
    EXPECT_FALSE(writeEnabledDuringMessage);
    EXPECT_TRUE(view.writeEnabled);
    EXPECT_EQ(progress.maximum, 4);
    EXPECT_EQ(progress.step(), 3);
    expectIdle();
}

TEST_F(ExchangeTest, noRadioEndsAfter19ProbesBackOnTheStartingCombination)
{
    modem.line = lineAt(57600, Parity::None);
    exchange.startRead();
    EXPECT_EQ(progress.caption, "连接电台");
    EXPECT_EQ(progress.label, "正在连接电台,请稍候...");
    EXPECT_EQ(progress.maximum, 19);
    EXPECT_TRUE(progress.visible);
    EXPECT_EQ(status.text(core::StatusPanel::Connection), "连接中...");

    // Each probe waits base + 76 ticks: base 6 until the first speed change, then speed
    // index + 8.
    const int expectedTicks = 3 * 82 + 3 * 86 + 3 * 87 + 3 * 88 + 3 * 89 + 3 * 84 + 85;
    EXPECT_EQ(runToEnd(), expectedTicks);
    EXPECT_EQ(port->writes.size(), 19u);
    EXPECT_EQ(port->settings, lineAt(9600, Parity::None));
    EXPECT_EQ(status.text(core::StatusPanel::SerialMode), "9600-N-1");

    std::vector<int> shown;
    for (const int value : progress.steps) {
        if (shown.empty() || shown.back() != value)
            shown.push_back(value);
    }
    std::vector<int> expected = {0};
    for (int value = -3; value <= 15; ++value)
        expected.push_back(value);
    EXPECT_EQ(shown, expected);

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(lastMessage().text,
        "检测电台失败\nCOM1:请检查电台电源、连接电缆、电台串口,以及是否有其他程序占用该端口。");
    EXPECT_EQ(lastMessage().caption, "参数");
    EXPECT_EQ(exchange.state().step, 0);
    EXPECT_FALSE(exchange.state().connectMode);
    expectIdle();

    // Without root, other users' holders of the port cannot be seen: the message says so and
    // how to look, rather than blaming the radio alone.
    port->hiddenHolders = "/dev/ttyUSB0";
    read();
    EXPECT_NE(lastMessage().text.find("sudo fuser -v /dev/ttyUSB0"), std::string::npos)
        << lastMessage().text;
}

// A probe's answer counts up to base + 76 ticks after its request, and wins over the time-out
// on that tick; a step's counts up to base + 70 ticks, and up to 100 waiting bytes, more being
// discarded with the answer.
TEST_F(ExchangeTest, anAnswerCountsWithinItsDeadlineAndItsSize)
{
    const struct
    {
        std::uint8_t command;
        int delay;
        std::size_t size;
        bool succeeds;
    } rows[] = {{kProbe, 82, 0, true}, {radio::cmd::QueryAirRate, 76, 0, true},
        {radio::cmd::QueryAirRate, 77, 0, false}, {radio::cmd::QueryChannel, 1, 100, true},
        {radio::cmd::QueryChannel, 1, 101, false}};
    language.value = 1;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << int {row.command} << " answered after " << row.delay
                                        << " ticks, " << row.size << " bytes");
        dialogs.shown.clear();
        // The first request with the command: the probe's shares its command with step 0.
        modem.tamper = [this, row, first = true](const Bytes& request, Bytes answer) mutable {
            const bool late = first && request[3] == row.command;
            first = first && !late;
            modem.answerDelay = late ? row.delay : 1;
            if (late && row.size)
                answer.resize(row.size, 0x55);
            return std::optional<Bytes>(answer);
        };
        const auto settingsBefore = port->applied.size();
        read();
        EXPECT_EQ(port->applied.size(), settingsBefore + 1) << "the first probe found the radio";
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(lastMessage().kind, fakes::ShownMessage::Message);
        EXPECT_EQ(headline(), row.succeeds ? "Read correct!" : "Read error!");
        if (row.size) {
            EXPECT_TRUE(port->rx.empty()) << "the bytes over 100 are discarded";
        }
        expectIdle();
    }
}

TEST_F(ExchangeTest, parityErrorAloneInvalidatesAProbeAnswer)
{
    modem.tamper = [this](const Bytes&, Bytes answer) {
        port->pendingErrors = platform::CommRxParity;
        return std::optional<Bytes>(answer);
    };
    exchange.startRead();
    tick();
    EXPECT_TRUE(exchange.state().connectMode);
    EXPECT_EQ(exchange.state().attemptsLeft, 18);
    EXPECT_TRUE(port->rx.empty());
    // No new request: the time-out that follows costs another attempt.
    while (exchange.state().attemptsLeft == 18)
        tick();
    EXPECT_EQ(exchange.state().attemptsLeft, 17);
    EXPECT_EQ(port->writes.size(), 1u);
    EXPECT_EQ(port->settings, lineAt(9600, Parity::Odd));

    modem.tamper = [this](const Bytes&, Bytes answer) {
        port->pendingErrors = platform::CommRxParity | platform::CommFrame;
        return std::optional<Bytes>(answer);
    };
    modem.line = lineAt(9600, Parity::Odd);
    tick();
    EXPECT_FALSE(exchange.state().connectMode);
    EXPECT_EQ(progress.caption, "读参数");
}

class WriteTest : public ExchangeTest
{
protected:
    void SetUp() override
    {
        read();
        port->writes.clear();
        modem.heard.clear();
        dialogs.shown.clear();
    }
    void write()
    {
        exchange.startWrite();
        runToEnd();
    }
};

// A write sends the four frames; a new serial mode moves the port once the message has been
// answered, and the next read finds the radio there with its first probe.
TEST_F(WriteTest, writeSendsTheFourFramesAndMovesThePortOnlyForANewMode)
{
    const struct
    {
        const char* name;
        int channel, speed, parity;
        Bytes channelFrame, modeFrame;
        platform::LineSettings line;
        std::size_t settingsPut; // on the port: the probe's, then the new mode's
        int timeoutBase;
        const char* mode;
    } rows[] = {
        {"same mode", 31, 1, 0, {0x55, 0xAA, 0x06, 0x07, 0x20, 0x00, 0x00, 0x00, 0x00, 0x2D},
            {0x55, 0xAA, 0x03, 0x28, 0x01, 0x00, 0x2C}, lineAt(9600, Parity::None), 1, 6,
            "9600-N-1"},
        {"new mode", 4, 3, 1, {0x55, 0xAA, 0x06, 0x07, 0x05, 0x00, 0x00, 0x00, 0x00, 0x12},
            {0x55, 0xAA, 0x03, 0x28, 0x23, 0x00, 0x4E}, lineAt(2400, Parity::Odd), 2, 11,
            "2400-O-1"},
    };
    platform::LineSettings lineAtMessage;
    dialogs.onShow = [&, checkTimers = dialogs.onShow](const fakes::ShownMessage& message) {
        checkTimers(message);
        lineAtMessage = port->settings;
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port->writes.clear();
        dialogs.shown.clear();
        view.enter(row.channel, row.speed, row.parity);
        const auto settingsBefore = port->applied.size();
        exchange.startWrite();
        tick(); // the probe finds the radio
        EXPECT_EQ(progress.caption, "写参数");
        EXPECT_EQ(progress.label, "正在写参数,请稍候......");
        runToEnd();

        const std::vector<Bytes> expected
            = {Bytes(radio::kQueryModelVersion.begin(), radio::kQueryModelVersion.end()),
                {0x55, 0xAA, 0x04, 0x20, 0x05, 0x01, 0x00, 0x2A},
                {0x55, 0xAA, 0x05, 0x32, 0x12, 0x34, 0x56, 0x00, 0xD3}, row.channelFrame,
                row.modeFrame};
        EXPECT_EQ(port->writes, expected);
        EXPECT_EQ(lastMessage().text, "参数设置成功");
        EXPECT_EQ(lastMessage().caption, "写参数");
        EXPECT_EQ(lineAtMessage, lineAt(9600, Parity::None));
        EXPECT_EQ(progress.maximum, 5);
        EXPECT_EQ(progress.step(), 3);
        EXPECT_EQ(port->applied.size(), settingsBefore + row.settingsPut);
        EXPECT_EQ(port->settings, row.line);
        EXPECT_EQ(link.settings.speedIndex, row.speed);
        EXPECT_EQ(link.settings.parityIndex, row.parity);
        EXPECT_EQ(link.settings.timeoutBase, row.timeoutBase);
        EXPECT_EQ(status.text(core::StatusPanel::SerialMode), row.mode);
        EXPECT_EQ(portView.speed, row.speed);
        EXPECT_EQ(portView.parity, row.parity);
        expectIdle();

        port->writes.clear();
        read();
        EXPECT_EQ(port->writes.size(), 5u);
        EXPECT_EQ(view.speed, row.speed);
    }
}

TEST_F(WriteTest, acknowledgementNeedsSixBytesEndingIn22)
{
    language.value = 1;
    for (const auto& [ack, ticksAtMost] : {std::pair {Bytes {0x55, 0xAA, 0x02, 0x20, 0x00}, 80},
             std::pair {Bytes {0x55, 0xAA, 0x02, 0x20, 0x00, 0x23}, 2}}) {
        // A failed write leaves the radio unknown: it is read again first.
        modem.tamper = nullptr;
        read();
        port->writes.clear();
        modem.tamper = [ack](const Bytes& request, Bytes answer) {
            return std::optional<Bytes>(request[3] == radio::cmd::WriteSelector ? ack : answer);
        };
        exchange.startWrite();
        tick(); // probe
        const int ticks = runToEnd();
        EXPECT_LE(ticks, ticksAtMost);
        EXPECT_GE(ticks, ack.size() == 5 ? 77 : 1);
        EXPECT_EQ(headline(), "Write error!");
        EXPECT_EQ(sentCommands(), (std::vector<std::uint8_t> {kProbe, 0x20}));
        expectIdle();
    }
}

TEST_F(ExchangeTest, retryRestartsTheReadAtStepZeroWithoutANewProbe)
{
    withholdFirst(radio::cmd::QueryChannel);
    dialogs.answers = {platform::MessageResult::Retry};
    read();

    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].text.substr(0, dialogs.shown[0].text.find('\n')), "参数读取失败");
    EXPECT_EQ(dialogs.shown[0].caption, "读参数");
    EXPECT_EQ(dialogs.shown[0].buttons, platform::MessageButtons::RetryCancel);
    EXPECT_EQ(lastMessage().text, "参数读取成功");
    EXPECT_EQ(sentCommands(),
        (std::vector<std::uint8_t> {kProbe, kProbe, 0x23, 0x24, kProbe, 0x23, 0x24, 0x26}));
    EXPECT_EQ(port->applied.size(), 1u);
    EXPECT_EQ(progress.steps, (std::vector<int> {0, 0, 1, 2, 0, 1, 2, 3}));
    // The terminal's timers stayed off through the retry, and came back once.
    EXPECT_EQ(receivePoll.starts, 0 + 1);
    expectIdle();
}

TEST_F(ExchangeTest, cancelAfterAReadErrorRestoresTheTerminal)
{
    modem.tamper = [](const Bytes& request, Bytes answer) {
        return request[3] == radio::cmd::QueryId ? std::optional<Bytes>() : answer;
    };
    read();
    EXPECT_EQ(headline(), "参数读取失败");
    EXPECT_EQ(sentCommands().size(), 5u);
    EXPECT_FALSE(view.writeEnabled);
    expectIdle();
}

// The port has one user at a time: a Read or Write asked for while a register command holds the
// port's lease sends nothing; a Read holds the lease until it ends.
TEST_F(ExchangeTest, readAndWriteWaitForThePortsLease)
{
    {
        const auto registerCommand = portController.lease();
        read();
        exchange.startWrite();
        runToEnd();
        EXPECT_TRUE(port->writes.empty());
        EXPECT_TRUE(dialogs.shown.empty());
    }
    exchange.startRead();
    EXPECT_FALSE(portController.lease());
    runToEnd();
    EXPECT_EQ(view.id, "123456");
    EXPECT_TRUE(portController.lease());
}

TEST_F(ExchangeTest, noFreePortSaysSoAndStartsNothing)
{
    port->open = true; // held by another program
    exchange.startRead();
    EXPECT_EQ(ports.attempts, std::vector<std::string> {"COM1"}) << "the one port with a device";
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(lastMessage().text, "无空闲端口!\nCOM1 /dev/ttyFAKE1: 被占用");
    EXPECT_EQ(lastMessage().caption, "CommError");
    EXPECT_EQ(status.text(core::StatusPanel::Connection), "连接中...");
    EXPECT_FALSE(running());
    EXPECT_FALSE(progress.visible);

    language.value = 1;
    exchange.startRead();
    EXPECT_EQ(lastMessage().text, "No idle Port!\nCOM1 /dev/ttyFAKE1: busy");
    EXPECT_EQ(lastMessage().kind, fakes::ShownMessage::Box);
}

TEST_F(ExchangeTest, portSearchTriesOnlyTheNamesWithADeviceInOrder)
{
    port->open = true; // held by another program
    auto com3 = ports.add("COM3");
    auto com6 = ports.add("COM6");
    ports.add("COM4")->vanished = true; // unplugged: the name keeps it, but nothing is there
    exchange.startRead();
    EXPECT_EQ(ports.refreshes, 1) << "the devices are looked at before the search";
    EXPECT_EQ(ports.attempts, (std::vector<std::string> {"COM1", "COM3"}));
    EXPECT_TRUE(com3->open);
    EXPECT_FALSE(com6->open);
    EXPECT_EQ(link.settings.portNumber, 3);
    EXPECT_TRUE(running());
}

// Closing the port or losing its device at any stage ends the operation instead of leaving the
// progress dialog up for good.
struct LostPortCase
{
    const char* name;
    bool write;
    std::uint8_t lostAfter; // command of the request after which the port goes
    bool vanish;
    const char* message;
};

class LostPortTest : public WriteTest, public testing::WithParamInterface<LostPortCase>
{ };

TEST_P(LostPortTest, endsTheOperationAndReportsIt)
{
    const auto& c = GetParam();
    language.value = 1;
    bool lose = false;
    modem.tamper = [&](const Bytes& request, Bytes answer) {
        lose = request[3] == c.lostAfter;
        return lose ? std::optional<Bytes>() : std::optional<Bytes>(answer);
    };
    if (c.write)
        exchange.startWrite();
    else
        exchange.startRead();
    int ticks = 0;
    for (; running() && ticks < 100; ++ticks) {
        tick();
        if (lose && c.vanish)
            port->vanished = true;
        else if (lose)
            portController.closePort();
    }
    EXPECT_LT(ticks, 100);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(lastMessage().text, c.message);
    EXPECT_FALSE(link.handle.isValid());
    EXPECT_EQ(link.settings.portNumber, 0);
    EXPECT_EQ(status.text(core::StatusPanel::Connection), "Disconnect");
    EXPECT_FALSE(exchange.state().connectMode);
    expectIdle();

    // Nothing is left running: a later close or tick does nothing more.
    exchange.receiveTick();
    portController.closePort();
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

// A pulled adapter: one message box names the port under the operation's failure line.
#define GONE "COM1: the port's device is gone (unplugged?); the port has been closed."
INSTANTIATE_TEST_SUITE_P(Stages, LostPortTest,
    testing::Values(
        LostPortCase {"closedInProbe", false, kProbe, false, "Connect error! The port was closed."},
        LostPortCase {"closedInRead", false, radio::cmd::QueryChannel, false,
            "Read error! The port was closed."},
        LostPortCase {"closedInWrite", true, radio::cmd::WriteId, false,
            "Write error! The port was closed.\nThe radio took: air rate. Not confirmed: ID. Not "
            "sent: channel, serial mode."},
        LostPortCase {"vanishedInProbe", false, kProbe, true, "Connect error!\n" GONE},
        LostPortCase {
            "vanishedInRead", false, radio::cmd::QueryAirRate, true, "Read error!\n" GONE},
        LostPortCase {"vanishedInWrite", true, radio::cmd::WriteSerialMode, true,
            "Write error!\nThe radio took: air rate, ID, channel. Not confirmed: serial "
            "mode.\n" GONE}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriteTest, writeWithAnEmptyBoxSendsNothingAndNamesTheValue)
{
    view.channel = -1;
    exchange.startWrite();
    EXPECT_TRUE(port->writes.empty());
    EXPECT_FALSE(running());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(lastMessage().text, "参数未写入:未选择信道号!");
    EXPECT_EQ(lastMessage().caption, "写参数");

    language.value = 1;
    view.channel = 3;
    view.speed = -1;
    exchange.startWrite();
    EXPECT_TRUE(port->writes.empty());
    EXPECT_EQ(lastMessage().text, "Nothing written: no serial speed selected!");
    EXPECT_EQ(lastMessage().kind, fakes::ShownMessage::Message);
    expectIdle();
}

TEST_F(ExchangeTest, writeBeforeAnyReadSucceededSendsNothingAndNamesTheHiddenValues)
{
    // The boxes can show values, but the radio's own air rate and ID are not known.
    view.enter(3, 1, 0);
    exchange.startWrite();
    EXPECT_EQ(lastMessage().text, "参数未写入:电台的空中速率和ID码未知,请先读电台!");
    EXPECT_EQ(lastMessage().caption, "写参数");

    // A read that fails does not make them known either.
    modem.tamper = [](const Bytes& request, Bytes answer) {
        return request[3] == radio::cmd::QueryId ? std::optional<Bytes>() : answer;
    };
    read();
    EXPECT_EQ(headline(), "参数读取失败");
    view.speed = 1;
    view.parity = 0;
    port->writes.clear();
    language.value = 1;
    exchange.startWrite();
    EXPECT_EQ(lastMessage().text,
        "Nothing written: the radio's air rate and ID are not known. Read the radio first!");
    EXPECT_TRUE(port->writes.empty());
    expectIdle();
}

TEST_F(WriteTest, theValuesAreTakenAtTheClickSoBoxesChangedDuringTheWriteDoNotSplitIt)
{
    view.enter(6, 3, 1);
    modem.tamper = [this](const Bytes& request, Bytes answer) {
        if (request[3] == radio::cmd::WriteId) {
            view.enter(20, 0, -1);
        }
        return std::optional<Bytes>(answer);
    };
    write();
    EXPECT_EQ(lastMessage().text, "参数设置成功");
    ASSERT_EQ(port->writes.size(), 5u);
    EXPECT_EQ(port->writes[3], radio::makeFrame(radio::cmd::WriteChannel, {7, 0, 0, 0}));
    EXPECT_EQ(port->writes[4], radio::makeFrame(radio::cmd::WriteSerialMode, {0x23}));
    // The port follows the mode that was written, not what the boxes show now.
    EXPECT_EQ(port->settings, lineAt(2400, Parity::Odd));
    expectIdle();
}

// A radio reporting values inside and outside what the boxes can show: a Write sends back its
// own air rate and ID byte for byte, and the channel and serial mode as their visible boxes
// show them; a visible box that shows nothing refuses the Write before anything goes out.
struct ReportedCase
{
    const char* name;
    std::uint8_t airRate;
    std::uint8_t channel;
    radio::IdBytes id;
    int airRateBox; // what the hidden boxes show after the read
    const char* idText;
    int channelBox;
};

class ReportedValuesTest : public ExchangeTest, public testing::WithParamInterface<ReportedCase>
{
protected:
    std::vector<Bytes> writeFrames(std::uint8_t channel) const
    {
        const auto& c = GetParam();
        return {Bytes(radio::kQueryModelVersion.begin(), radio::kQueryModelVersion.end()),
            radio::makeFrame(radio::cmd::WriteSelector, {0x05, c.airRate}),
            radio::makeFrame(radio::cmd::WriteId, {c.id[0], c.id[1], c.id[2]}),
            radio::makeFrame(radio::cmd::WriteChannel, {channel, 0, 0, 0}),
            radio::makeFrame(radio::cmd::WriteSerialMode, {0x01})};
    }
    void write()
    {
        port->writes.clear();
        dialogs.shown.clear();
        exchange.startWrite();
        runToEnd();
    }
};

TEST_P(ReportedValuesTest, writeChangesOnlyWhatTheTechnicianChose)
{
    const auto& c = GetParam();
    modem.airRate = c.airRate;
    modem.channel = c.channel;
    modem.id = c.id;
    read();
    ASSERT_EQ(lastMessage().text, "参数读取成功");
    EXPECT_EQ(view.airRate, c.airRateBox);
    EXPECT_EQ(view.id, c.idText);
    EXPECT_EQ(view.channel, c.channelBox);

    // Nothing chosen: an empty channel box refuses; otherwise the channel it shows goes out.
    write();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    if (c.channelBox < 0) {
        EXPECT_EQ(lastMessage().text, "参数未写入:未选择信道号!");
        EXPECT_TRUE(port->writes.empty());
    } else {
        EXPECT_EQ(lastMessage().text, "参数设置成功");
        EXPECT_EQ(port->writes, writeFrames(static_cast<std::uint8_t>(c.channelBox + 1)));
    }
    EXPECT_EQ(modem.heard.size(), c.channelBox < 0 ? 5u : 10u);

    view.channel = 20;
    write();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(lastMessage().text, "参数设置成功");
    EXPECT_EQ(lastMessage().caption, "写参数");
    EXPECT_EQ(port->writes, writeFrames(21));
    expectIdle();
}

INSTANTIATE_TEST_SUITE_P(Values, ReportedValuesTest,
    testing::Values(ReportedCase {"airRate0", 0, 5, {0x12, 0x34, 0x56}, 0, "123456", 4},
        ReportedCase {"airRate1", 1, 5, {0x12, 0x34, 0x56}, 1, "123456", 4},
        ReportedCase {"airRate2", 2, 5, {0x12, 0x34, 0x56}, 2, "123456", 4},
        ReportedCase {"airRate3", 3, 5, {0x12, 0x34, 0x56}, 3, "123456", 4},
        ReportedCase {"airRate4", 4, 5, {0x12, 0x34, 0x56}, 4, "123456", 4},
        ReportedCase {"airRate5", 5, 5, {0x12, 0x34, 0x56}, -1, "123456", 4},
        ReportedCase {"airRate6", 6, 5, {0x12, 0x34, 0x56}, 1, "123456", 4},
        ReportedCase {"airRate7", 7, 5, {0x12, 0x34, 0x56}, 1, "123456", 4},
        ReportedCase {"channel0", 1, 0, {0x12, 0x34, 0x56}, 1, "123456", -1},
        ReportedCase {"channel1", 1, 1, {0x12, 0x34, 0x56}, 1, "123456", 0},
        ReportedCase {"channel32", 1, 32, {0x12, 0x34, 0x56}, 1, "123456", 31},
        ReportedCase {"channel33", 1, 33, {0x12, 0x34, 0x56}, 1, "123456", -1},
        ReportedCase {"channel128", 1, 128, {0x12, 0x34, 0x56}, 1, "123456", -1},
        // Above 128 the box shows NO.1, and what it shows is what a write sends.
        ReportedCase {"channel200", 1, 200, {0x12, 0x34, 0x56}, 1, "123456", 0},
        ReportedCase {"id9A", 1, 5, {0x12, 0x9A, 0x56}, 1, "120056", 4},
        ReportedCase {"idFFFFFF", 5, 5, {0xFF, 0xFF, 0xFF}, -1, "000000", 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriteTest, aWriteThatEndsPartWayNamesWhatTheRadioTookAndWhatNot)
{
    struct Case
    {
        std::uint8_t failing; // the request whose acknowledgement does not come
        bool badAck; // a wrong acknowledgement rather than none
        const char* english;
        const char* chinese;
    };
    const std::vector<Case> cases = {
        {radio::cmd::WriteChannel, false,
            "Write error!\nThe radio took: air rate, ID. Not confirmed: channel. Not sent: serial "
            "mode.",
            "参数设置失败\n电台已接受:空中速率、ID码;未确认:信道号;未发送:串口速率和校验"},
        {radio::cmd::WriteSerialMode, true,
            "Write error!\nThe radio took: air rate, ID, channel. Not confirmed: serial mode.",
            "参数设置失败\n电台已接受:空中速率、ID码、信道号;未确认:串口速率和校验"},
        // The first step: the radio took nothing, and the message says no more than before.
        {radio::cmd::WriteSelector, false, "Write error!", "参数设置失败"},
    };
    for (const auto& c : cases) {
        for (const std::uint8_t lang : {0, 1}) {
            language.value = lang;
            modem.tamper = nullptr;
            read();
            dialogs.shown.clear();
            modem.tamper = [&c](const Bytes& request, Bytes answer) -> std::optional<Bytes> {
                if (request[3] != c.failing)
                    return answer;
                if (c.badAck)
                    return Bytes {0x55, 0xAA, 0x02, 0x20, 0x00, 0x23};
                return std::nullopt;
            };
            write();
            ASSERT_EQ(dialogs.shown.size(), 1u);
            // What failed, then the port and the value not acknowledged, then what was taken.
            const std::string expected = lang ? c.english : c.chinese;
            const auto took = expected.find('\n');
            EXPECT_EQ(headline(), expected.substr(0, took));
            EXPECT_EQ(lastMessage().text.find("\nCOM1"), headline().size());
            if (took != std::string::npos) {
                EXPECT_TRUE(lastMessage().text.ends_with(expected.substr(took)))
                    << lastMessage().text;
            }
            if (!lang) {
                EXPECT_EQ(lastMessage().caption, "写参数");
                EXPECT_EQ(lastMessage().buttons, platform::MessageButtons::RetryCancel);
            }
            expectIdle();
        }
    }
}

// A retry after a partial write sends all four again, with the values confirmed for this radio:
// boxes changed meanwhile do not turn it into another write.
TEST_F(WriteTest, retryAfterAPartialWriteSendsTheSameFourAgain)
{
    const struct
    {
        std::uint8_t withheld;
        std::vector<std::uint8_t> commands;
    } rows[] = {
        {radio::cmd::WriteChannel, {kProbe, 0x20, 0x32, 0x07, 0x20, 0x32, 0x07, 0x28}},
        {radio::cmd::WriteId, {kProbe, 0x20, 0x32, 0x20, 0x32, 0x07, 0x28}},
    };
    dialogs.onShow = [this](const fakes::ShownMessage&) { view.channel = -1; };
    for (const auto& row : rows) {
        SCOPED_TRACE(int {row.withheld});
        view.channel = 6;
        withholdFirst(row.withheld);
        dialogs.answers = {platform::MessageResult::Retry};
        write();
        ASSERT_EQ(dialogs.shown.size(), 2u);
        EXPECT_EQ(lastMessage().text, "参数设置成功");
        EXPECT_EQ(sentCommands(), row.commands);
        for (const auto& frame : port->writes) {
            if (frame[3] == radio::cmd::WriteChannel) {
                EXPECT_EQ(frame[4], 7);
            }
        }
        expectIdle();
        port->writes.clear();
        dialogs.shown.clear();
    }
}

// A click while a Read or Write runs leaves it alone: a Write clicked in a read's probe, or once
// the read has emptied the boxes; and a Write, a Read or Escape during a write, since the radio
// would be left partly written. The progress window says why a write stays.
TEST_F(WriteTest, aClickWhileAnOperationRunsLeavesItAlone)
{
    const auto startWrite = [this] { exchange.startWrite(); };
    const auto startRead = [this] { exchange.startRead(); };
    const struct
    {
        const char* name;
        bool writing;
        int ticks;
        std::function<void()> click;
    } rows[] = {
        {"Write in the probe", false, 0, startWrite},
        {"Write a tick into the probe", false, 1, startWrite},
        {"Write in the read", false, 3, startWrite},
        {"Write during a write", true, 2, startWrite},
        {"Read during a write", true, 2, startRead},
        {"Escape during a write", true, 2, [this] { exchange.stopCommand(); }},
    };
    language.value = 1;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port->writes.clear();
        dialogs.shown.clear();
        view.channel = 4;
        row.writing ? startWrite() : startRead();
        for (int t = 0; t < row.ticks; ++t)
            tick();
        const std::string caption = progress.caption;
        view.channel = 9;
        row.click();
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_TRUE(running());
        EXPECT_TRUE(sendTimer.isActive());
        EXPECT_FALSE(receivePoll.isActive());
        EXPECT_TRUE(progress.visible);
        EXPECT_EQ(progress.caption, caption);
        EXPECT_EQ(exchange.state().writeMode, row.writing);
        runToEnd();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        if (row.writing) {
            EXPECT_EQ(lastMessage().text, "Write correct!");
            EXPECT_EQ(sentCommands(), (std::vector<std::uint8_t> {kProbe, 0x20, 0x32, 0x07, 0x28}));
            EXPECT_EQ(port->writes[3][4], 0x05) << "the channel chosen at the click";
        } else {
            EXPECT_EQ(lastMessage().text, "Read correct!");
            EXPECT_EQ(
                sentCommands(), (std::vector<std::uint8_t> {kProbe, kProbe, 0x23, 0x24, 0x26}));
        }
        expectIdle();
    }
    EXPECT_EQ(progress.label, "Writing. A write cannot be stopped halfway; please wait...");
}

// Escape or the close box stops a probe or a read at once: no frame goes out after it, the port
// stays open for the terminal at the speed and parity it had, not at the last combination the
// probe tried, and panel 3 says it was stopped.
TEST_F(ExchangeTest, escapeStopsAProbeOrAReadWithinATick)
{
    const struct
    {
        const char* name;
        platform::LineSettings radioAt;
        platform::LineSettings stopAt; // three ticks after the port is first at this
        bool inProbe;
    } rows[] = {
        {"probe", lineAt(4800, Parity::None), lineAt(9600, Parity::None), true},
        {"read", lineAt(9600, Parity::None), lineAt(9600, Parity::None), false},
        {"probe at another speed", lineAt(57600, Parity::None), lineAt(4800, Parity::None), true},
    };
    read();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port->writes.clear();
        dialogs.shown.clear();
        modem.line = row.radioAt;
        exchange.startRead();
        while (port->applied.back() != row.stopAt)
            tick();
        for (int t = 0; t < 3; ++t)
            tick();
        EXPECT_EQ(exchange.state().connectMode, row.inProbe);
        const auto sent = port->writes.size();
        exchange.stopCommand();
        EXPECT_EQ(status.text(core::StatusPanel::Connection), "已停止");
        for (int t = 0; t < 200; ++t)
            tick();
        EXPECT_EQ(port->writes.size(), sent);
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_TRUE(link.handle.isValid());
        EXPECT_EQ(port->settings, lineAt(9600, Parity::None));
        EXPECT_EQ(portView.parity, 0);
        EXPECT_EQ(status.text(core::StatusPanel::SerialMode), "9600-N-1");
        expectIdle();
    }
}

// With VerifyWrite checked, the port follows a new serial mode and the radio is read back there:
// a match adds a line to the success message, any value the radio did not take makes it a
// failure that names the value as written and as read back.
TEST_F(WriteTest, verificationReadsTheRadioBackAndNamesWhatItDidNotTake)
{
    const struct
    {
        const char* name;
        std::optional<std::uint8_t> ignored;
        const char* message;
    } rows[] = {
        {"all taken", std::nullopt, "Write correct!\nThe values were read back and match."},
        {"channel ignored", radio::cmd::WriteChannel,
            "Write error! The radio acknowledged the write, but reads back other values:\n"
            "Channel: written 21, read back 5"},
        {"serial mode ignored", radio::cmd::WriteSerialMode,
            "Write error! The radio acknowledged the write, but reads back other values:\n"
            "Serial mode: written 2400-O, read back 9600-N"},
    };
    language.value = 1;
    view.verify = true;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        modem.line = lineAt(9600, Parity::None);
        modem.channel = 5;
        modem.ignoreWrite = row.ignored;
        link.settings.speedIndex = 1;
        link.settings.parityIndex = 0;
        portController.applyPortSettings();
        port->writes.clear();
        dialogs.shown.clear();
        view.enter(20, 3, 1);
        write();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(lastMessage().text, row.message);
        const auto commands = sentCommands();
        ASSERT_GE(commands.size(), 10u);
        EXPECT_EQ(std::vector<std::uint8_t>(commands.begin(), commands.begin() + 6),
            (std::vector<std::uint8_t> {kProbe, 0x20, 0x32, 0x07, 0x28, kProbe}));
        EXPECT_EQ(std::vector<std::uint8_t>(commands.end() - 3, commands.end()),
            (std::vector<std::uint8_t> {0x23, 0x24, 0x26}));
        expectIdle();
    }
}
} // namespace

namespace {

using HeldChange = radio::ParameterExchange::HeldChange;

// After every way a write can end, what the window keeps as the radio's own values is what the
// radio holds as far as is known: nothing when it cannot be known.
TEST_F(WriteTest, afterEveryWriteTheKnownValuesAreWhatTheRadioHolds)
{
    using Values = radio::WriteValues;
    const Values before {1, {0x12, 0x34, 0x56}, 5, 1, 0};
    const Values written {1, {0x12, 0x34, 0x56}, 21, 3, 1};
    const struct
    {
        const char* name;
        bool verify;
        std::function<void()> arrange;
        std::optional<Values> held;
        HeldChange change;
    } rows[] = {
        {"verified", true, [] {}, written, HeldChange::Written},
        {"acknowledged, not verified", false, [] {}, written, HeldChange::Written},
        {"channel not taken", true, [this] { modem.ignoreWrite = radio::cmd::WriteChannel; },
            Values {1, {0x12, 0x34, 0x56}, 5, 3, 1}, HeldChange::NotWritten},
        {"port refuses the new mode", true,
            [this] {
                modem.tamper = [this](const Bytes& request, Bytes answer) {
                    port->refuseSettings = request[3] == radio::cmd::WriteSerialMode;
                    return std::optional<Bytes>(answer);
                };
            },
            std::nullopt, HeldChange::PortClosed},
        {"partial write", true, [this] { withholdFirst(radio::cmd::WriteChannel); }, std::nullopt,
            HeldChange::NotWritten},
        {"device gone", true,
            [this] {
                modem.tamper = [this](const Bytes& request, Bytes answer) {
                    port->vanished = request[3] == radio::cmd::WriteChannel;
                    return std::optional<Bytes>(answer);
                };
            },
            std::nullopt, HeldChange::PortClosed},
        {"no radio answers the probe", true, [this] { modem.line = lineAt(57600, Parity::None); },
            before, HeldChange::NotWritten},
    };
    language.value = 1;
    std::vector<HeldChange> changes;
    exchange.setWriteShaper(nullptr, [&changes](HeldChange why) { changes.push_back(why); });
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port->refuseSettings = false;
        port->vanished = false;
        modem.line = lineAt(9600, Parity::None);
        modem.channel = 5;
        modem.ignoreWrite.reset();
        modem.tamper = nullptr;
        link.handle.close();
        link.settings = {};
        read();
        ASSERT_EQ(exchange.heldValues(), before);
        changes.clear();
        view.verify = row.verify;
        view.enter(20, 3, 1);
        row.arrange();
        write();
        EXPECT_EQ(exchange.heldValues(), row.held);
        ASSERT_FALSE(changes.empty());
        EXPECT_EQ(changes.front(), row.change);
        expectIdle();
    }
}

} // namespace
