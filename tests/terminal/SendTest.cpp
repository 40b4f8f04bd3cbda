#include "TerminalFixture.h"
#include "terminal/HexText.h"

#include <functional>

using fakes::ShownMessage;

// Spaces are text, but no hex bytes: a hex send of them sends an empty block, and TX is shown
// all the same.
TEST_F(TerminalTest, textSendsGoOutInTheChosenEncodingAndHexSendsDoNot)
{
    const struct
    {
        bool gb18030;
        bool hex;
        std::string text;
        std::string bytes;
    } rows[] = {
        {false, false, "数传\r\nA", "数传\r\nA"},
        {true, false, "数传\r\nA", "\xCA\xFD\xB4\xAB\r\nA"},
        {true, false, "ok", "ok"},
        {true, true, "CA FD 数", "\xCA\xFD"},
        {false, false, "  ", "  "},
        {false, true, "  ", ""},
    };
    openPort();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        setGb18030(row.gb18030);
        send.hex = row.hex;
        send.text = row.text;
        counts.sent = 0;
        const auto writes = port->writes.size();
        sender.sendOnce();
        ASSERT_EQ(writes + 1, port->writes.size());
        EXPECT_EQ(row.bytes, lastWrite());
        EXPECT_EQ(static_cast<int>(row.bytes.size()), counts.sent);
        EXPECT_EQ("TX : " + std::to_string(row.bytes.size()), status.text(core::StatusPanel::Sent));
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

// A hex send takes the text's own lines, never the pieces the area wraps them into: a long run
// of digits gives the same bytes in a narrow window as in a wide one.
TEST_F(TerminalTest, hexSendUsesTheTextsOwnLinesWhateverTheWidth)
{
    std::string run;
    fakes::Bytes bytes;
    for (int i = 0; i < 60; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(i * 37 + 5));
        run += terminal::BytesToHexText({&bytes.back(), 1}).substr(0, 2);
    }
    openPort();
    send.hex = true;
    for (const std::size_t columns : {7u, 0u}) {
        SCOPED_TRACE(columns);
        receive.wrapColumns = columns;
        send.text = run + "\r\n5";
        sender.sendOnce();
        EXPECT_EQ(bytes, port->writes.back());
    }
    send.text = "55 AA 0\r\nd1";
    sender.sendOnce();
    EXPECT_EQ((fakes::Bytes {0x55, 0xAA, 0xD1}), port->writes.back()) << "no pair across lines";
}

// A refused send: by a click of manual send or by switching auto send on, the language,
// whether a port is open, and the message it gets.
struct RefusalRow
{
    bool autoSwitch;
    bool english;
    bool portOpen;
    ShownMessage::Kind kind;
    std::string text;
    std::string caption;
};

TEST_F(TerminalTest, refusedSendsInBothLanguagesSendNothing)
{
    const RefusalRow rows[] = {
        {false, true, false, ShownMessage::Message, "Port not opened", ""},
        {false, false, false, ShownMessage::Box, "串口未打开", "ERROR"},
        {false, true, true, ShownMessage::Message, "String is empty", ""},
        {false, false, true, ShownMessage::Box, "发送字符串为空", "传送"},
        {true, true, false, ShownMessage::Box, "Port not opened", "Write"},
        {true, false, false, ShownMessage::Box, "串口未打开", "ERROR"},
        {true, true, true, ShownMessage::Message, "String is empty", ""},
        {true, false, true, ShownMessage::Box, "发送字符串为空", "传送"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text + (row.autoSwitch ? " (auto send)" : " (manual send)"));
        dialogs.shown.clear();
        language.value = row.english ? 1 : 0;
        if (row.portOpen)
            openPort();
        else
            link.handle.close();
        send.text = row.portOpen ? "" : "data";
        if (row.autoSwitch)
            send.setAutoSend(true);
        else
            sender.sendOnce();
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ(row.kind, dialogs.shown[0].kind);
        EXPECT_EQ(row.text, dialogs.shown[0].text);
        EXPECT_EQ(row.caption, dialogs.shown[0].caption);
        EXPECT_TRUE(port->writes.empty());
        EXPECT_EQ(0, counts.sent);
        EXPECT_EQ("", status.text(core::StatusPanel::Sent));
        EXPECT_FALSE(send.autoOn);
        EXPECT_FALSE(autoSendTimer.isActive());
        EXPECT_EQ(0, autoSendTimer.starts);
    }
}

TEST_F(TerminalTest, autoSendSwitchRunsTheTimerAndItsTimeStandsStillWhileOff)
{
    openPort();
    send.text = "x";
    send.setAutoSend(true);
    EXPECT_TRUE(autoSendTimer.isActive());
    ticks(60);
    send.setAutoSend(false);
    EXPECT_FALSE(autoSendTimer.isActive());
    system.nowMs += 5000;
    send.setAutoSend(true);
    ticks(39);
    EXPECT_TRUE(port->writes.empty());
    ticks(1); // 600 + 400 ms of running timer
    EXPECT_EQ(1u, port->writes.size());
}

// The period is kept by the clock: each send comes within one tick of its time, the sends keep
// the period's cadence however the ticks fall, and 14 ms or less sends at every tick.
TEST_F(TerminalTest, autoSendKeepsThePeriodByTheClock)
{
    const struct
    {
        std::string period;
        int tickMs;
        int gapMs;
    } rows[] = {{"1000", 10, 1000}, {"1000", 16, 1000}, {"2000", 13, 2000}, {"15", 10, 15},
        {"20", 10, 20}, {"+45", 10, 45}, {"14", 10, 10}, {"0", 10, 10}, {"-100", 10, 10},
        {"14", 16, 16}};
    openPort();
    send.text = "x";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.period + " every " + std::to_string(row.tickMs) + " ms");
        send.period = row.period;
        send.setAutoSend(false);
        send.setAutoSend(true);
        const auto start = system.nowMs;
        std::vector<long long> sends;
        while (sends.size() < 10) {
            system.nowMs += static_cast<unsigned>(row.tickMs);
            const auto before = port->writes.size();
            sender.autoSendTick();
            if (port->writes.size() != before)
                sends.push_back(static_cast<long long>(system.nowMs - start));
        }
        // Off, the timer's time stands still: a row starts with what the last one left over,
        // less than the last row's tick.
        const long long early = &row == rows ? 0 : (&row - 1)->tickMs;
        for (std::size_t i = 0; i < sends.size(); ++i) {
            const long long due = static_cast<long long>(i + 1) * row.gapMs;
            EXPECT_GE(sends[i], due - early) << i;
            EXPECT_LT(sends[i], due + row.tickMs) << i;
        }
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(TerminalTest, autoSendReadsThePeriodAndTheSendAreaAtEveryTick)
{
    openPort();
    send.text = "41";
    ticks(66);
    send.period = "600"; // 660 ms have passed
    send.hex = true;
    ticks(1);
    EXPECT_EQ("A", lastWrite());
    send.text = "";
    ticks(60);
    ASSERT_EQ(2u, port->writes.size());
    EXPECT_TRUE(port->writes[1].empty());
    EXPECT_EQ("TX : 1", status.text(core::StatusPanel::Sent));
}

// A bad period is reported at each tick-on, and the box unticks with its report: it never says
// that something is sent while nothing is.
TEST_F(TerminalTest, aBadPeriodIsReportedAndUnticksAutoSend)
{
    openPort();
    send.text = "x";
    for (const char* bad : {"1.5", "", "99999999999", "1.5"}) {
        send.period = bad;
        send.setAutoSend(true);
        ticks(20);
        EXPECT_EQ(
            "'" + std::string(bad) + "' is not a valid integer value", dialogs.shown.back().text);
        EXPECT_FALSE(send.autoOn);
        EXPECT_FALSE(autoSendTimer.isActive());
    }
    EXPECT_EQ(4u, dialogs.shown.size());
    EXPECT_EQ(ShownMessage::Error, dialogs.shown[0].kind);
    EXPECT_TRUE(port->writes.empty());
    send.period = "1000";
    send.setAutoSend(true);
    ticks(100);
    EXPECT_EQ(1u, port->writes.size());
    EXPECT_EQ(4u, dialogs.shown.size());
}

TEST_F(TerminalTest, badPeriodReportIsNeverStacked)
{
    openPort();
    send.text = "x";
    send.period = "abc";
    int reentered = 0;
    dialogs.onShow = [&](const ShownMessage&) {
        // The timer keeps ticking while the report is up, and the text may change under it.
        send.period = "abcd";
        if (reentered++ < 3)
            ticks(5);
    };
    ticks(1);
    EXPECT_EQ(1u, dialogs.shown.size());
}

TEST_F(TerminalTest, autoSendWithThePortClosedUnderItSendsAndCountsNothing)
{
    openPort();
    send.text = "x";
    send.setAutoSend(true);
    send.period = "0";
    ticks(2);
    link.handle.close();
    ticks(5);
    EXPECT_EQ(2u, port->writes.size());
    EXPECT_EQ(2, counts.sent);
    EXPECT_TRUE(dialogs.shown.empty());
}

// A line that cannot take a block at once: the rest goes out with later ticks and polls, no new
// block starts before it, and TX counts only what went out, nothing once the device is gone.
TEST_F(TerminalTest, aBlockTheLineCannotTakeAtOnceGoesOutWholeBeforeTheNextStarts)
{
    openPort();
    send.text = "abcdef";
    port->acceptLimit = 4;
    sender.sendOnce();
    EXPECT_EQ(4, counts.sent);
    EXPECT_EQ("TX : 4", status.text(core::StatusPanel::Sent));

    port->stalled = true;
    sender.sendOnce();
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("线路忙:上次发送的数据尚未全部发出", dialogs.shown[0].text);
    EXPECT_EQ("传送", dialogs.shown[0].caption);
    setEnglish();
    sender.sendOnce();
    ASSERT_EQ(2u, dialogs.shown.size());
    EXPECT_EQ(fakes::ShownMessage::Message, dialogs.shown[1].kind);
    EXPECT_EQ(4, counts.sent);

    port->stalled = false;
    terminal.receivePoll();
    EXPECT_EQ(6, counts.sent);
    EXPECT_EQ("TX : 6", status.text(core::StatusPanel::Sent));
    sender.sendOnce();
    EXPECT_EQ(10, counts.sent);
    std::string wire;
    for (const auto& write : port->writes)
        wire.append(write.begin(), write.end());
    EXPECT_EQ("abcdefabcd", wire);
    EXPECT_EQ(2u, dialogs.shown.size());

    port->vanished = true;
    sender.sendOnce();
    send.period = "0";
    ticks(3);
    EXPECT_EQ(10, counts.sent);
    EXPECT_EQ("TX : 10", status.text(core::StatusPanel::Sent));
}

TEST_F(TerminalTest, autoSendIntoAStalledLineStartsNoBlockUntilTheLineTakesTheLast)
{
    openPort();
    send.text = "xyz";
    send.period = "0";
    send.setAutoSend(true);
    port->stalled = true;
    ticks(20);
    EXPECT_EQ(0, counts.sent);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(port->writes.empty());
    port->stalled = false;
    ticks(1);
    EXPECT_EQ(6, counts.sent) << "the waiting block went out, then the tick's own";
    ticks(1);
    EXPECT_EQ(9, counts.sent);
}

TEST_F(TerminalTest, stoppingAutoSendDropsWhatTheLineHasNotTaken)
{
    openPort();
    send.text = "abcdef";
    send.period = "0";
    port->acceptLimit = 4;
    send.setAutoSend(true);
    ticks(1);
    send.setAutoSend(false);
    EXPECT_EQ(std::vector<unsigned> {platform::PurgeTxClear}, port->purges);
    terminal.receivePoll();
    sender.sendOnce();
    EXPECT_EQ(8, counts.sent) << "the rest of the stopped block was dropped, not sent";
    EXPECT_TRUE(dialogs.shown.empty()) << "the line is free again";
}

// A pulled adapter is noticed by whatever uses the port next: it is closed as by the close
// button, auto send and a running echo test stop, and one message names the port.
TEST_F(TerminalTest, aVanishedDeviceClosesThePortStopsSendingAndSaysSoOnce)
{
    const struct
    {
        const char* use;
        std::function<void()> act;
    } rows[] = {
        {"receive poll", [this] { terminal.receivePoll(); }},
        {"manual send", [this] { sender.sendOnce(); }},
        {"auto send", [this] { ticks(1); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.use);
        dialogs.shown.clear();
        port = std::make_shared<fakes::PortState>();
        openPort();
        link.settings.portNumber = 2;
        receivePoll.start();
        send.text = "hello";
        strip.measuringOn = true;
        terminal.errorRate.toggle(); // the measuring station starts a test: auto send on
        ASSERT_TRUE(send.autoOn);
        send.period = "0";
        port->vanished = true;

        row.act();
        EXPECT_TRUE(dialogs.shown.empty()) << "nothing is shown inside the failing call";
        eventLoop.runPending();
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ("COM2: 通讯端口设备已断开(已拔出?),端口已关闭。", dialogs.shown[0].text);
        EXPECT_EQ("CommError", dialogs.shown[0].caption);
        EXPECT_FALSE(link.handle.isValid());
        EXPECT_EQ("已断开", status.text(core::StatusPanel::Connection));
        EXPECT_FALSE(receivePoll.isActive());
        EXPECT_FALSE(autoSendTimer.isActive());
        EXPECT_FALSE(send.autoOn);
        EXPECT_TRUE(send.autoEnabled);
        EXPECT_FALSE(strip.runningShown);

        terminal.receivePoll();
        ticks(3);
        eventLoop.runPending();
        EXPECT_EQ(1u, dialogs.shown.size()) << "said once, not per tick";
    }
}

// A request to the radio pauses auto send; afterwards it runs again only if its box is ticked.
TEST_F(TerminalTest, autoSendPausesForTheRadioAndResumesOnlyWhenTicked)
{
    openPort();
    send.text = "x";
    for (const bool ticked : {true, false}) {
        SCOPED_TRACE(ticked);
        send.setAutoSend(ticked);
        portController.pauseTerminal();
        EXPECT_FALSE(autoSendTimer.isActive());
        portController.resumeTerminal();
        EXPECT_EQ(ticked, autoSendTimer.isActive());
    }
}
