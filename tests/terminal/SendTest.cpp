#include "TerminalFixture.h"
#include "terminal/HexText.h"

#include <functional>

using core::Ctl;
using core::TimerId;
using fakes::ShownMessage;

TEST_F(TerminalTest, manualTextSendWritesCrLfBetweenLinesAndCounts)
{
    openPort();
    setSendText("AB\r\nC");
    terminal.sendOnce();
    ASSERT_EQ(1u, port->writes.size());
    EXPECT_EQ((fakes::Bytes {0x41, 0x42, 0x0D, 0x0A, 0x43}), port->writes[0]);
    EXPECT_EQ(5, state.TxCount);
    EXPECT_EQ("TX : 5", status.text(core::StatusPanel::Sent));
}

TEST_F(TerminalTest, manualTextSendGoesOutAsUtf8)
{
    openPort();
    setSendText("中文 ok");
    terminal.sendOnce();
    EXPECT_EQ("中文 ok", lastWrite());
    EXPECT_EQ(9, state.TxCount);
}

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
    };
    openPort();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        ui.setChecked(Ctl::TextGb18030, row.gb18030);
        ui.setChecked(Ctl::Check_TrttHex, row.hex);
        setSendText(row.text);
        state.TxCount = 0;
        terminal.sendOnce();
        EXPECT_EQ(row.bytes, lastWrite());
        EXPECT_EQ(static_cast<int>(row.bytes.size()), state.TxCount);
    }
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
    ui.setChecked(Ctl::Check_TrttHex, true);
    for (const std::size_t columns : {7u, 0u}) {
        SCOPED_TRACE(columns);
        ui.wrapColumns = columns;
        setSendText(run + "\r\n5");
        terminal.sendOnce();
        EXPECT_EQ(bytes, port->writes.back());
    }
    setSendText("55 AA 0\r\nd1");
    terminal.sendOnce();
    EXPECT_EQ((fakes::Bytes {0x55, 0xAA, 0xD1}), port->writes.back()) << "no pair across lines";
}

TEST_F(TerminalTest, spacesAreTextButNoHexBytes)
{
    openPort();
    setSendText("  ");
    terminal.sendOnce();
    EXPECT_EQ("  ", lastWrite());
    ui.setChecked(Ctl::Check_TrttHex, true);
    status.setText(core::StatusPanel::Sent, "stale");
    terminal.sendOnce();
    ASSERT_EQ(2u, port->writes.size());
    EXPECT_TRUE(port->writes[1].empty());
    EXPECT_EQ("TX : 2", status.text(core::StatusPanel::Sent));
    EXPECT_TRUE(dialogs.shown.empty());
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
        setSendText(row.portOpen ? "" : "data");
        if (row.autoSwitch)
            ui.setChecked(Ctl::Check_AutoTrtt, true);
        else
            terminal.sendOnce();
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ(row.kind, dialogs.shown[0].kind);
        EXPECT_EQ(row.text, dialogs.shown[0].text);
        EXPECT_EQ(row.caption, dialogs.shown[0].caption);
        EXPECT_TRUE(port->writes.empty());
        EXPECT_EQ(0, state.TxCount);
        EXPECT_EQ("", status.text(core::StatusPanel::Sent));
        EXPECT_FALSE(ui.isChecked(Ctl::Check_AutoTrtt));
        EXPECT_FALSE(ui.isTimerActive(TimerId::TrttData));
        EXPECT_EQ(0, ui.timerStarts[TimerId::TrttData]);
    }
}

TEST_F(TerminalTest, autoSendSwitchRunsTheTimerAndItsTimeStandsStillWhileOff)
{
    openPort();
    setSendText("x");
    ui.setChecked(Ctl::Check_AutoTrtt, true);
    EXPECT_TRUE(ui.isTimerActive(TimerId::TrttData));
    ticks(60);
    ui.setChecked(Ctl::Check_AutoTrtt, false);
    EXPECT_FALSE(ui.isTimerActive(TimerId::TrttData));
    system.nowMs += 5000;
    ui.setChecked(Ctl::Check_AutoTrtt, true);
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
    setSendText("x");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.period + " every " + std::to_string(row.tickMs) + " ms");
        ui.setText(Ctl::Edit_TrttPerio, row.period);
        ui.setChecked(Ctl::Check_AutoTrtt, false);
        state.SinceSendMs = 0;
        ui.setChecked(Ctl::Check_AutoTrtt, true);
        const auto start = system.nowMs;
        std::vector<long long> sends;
        while (sends.size() < 10) {
            system.nowMs += static_cast<unsigned>(row.tickMs);
            const auto before = port->writes.size();
            terminal.autoSendTick();
            if (port->writes.size() != before)
                sends.push_back(static_cast<long long>(system.nowMs - start));
        }
        for (std::size_t i = 0; i < sends.size(); ++i) {
            const long long due = static_cast<long long>(i + 1) * row.gapMs;
            EXPECT_GE(sends[i], due) << i;
            EXPECT_LT(sends[i], due + row.tickMs) << i;
        }
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(TerminalTest, autoSendReadsThePeriodAndTheSendAreaAtEveryTick)
{
    openPort();
    setSendText("41");
    ticks(66);
    ui.setText(Ctl::Edit_TrttPerio, "600"); // 660 ms have passed
    ui.setChecked(Ctl::Check_TrttHex, true);
    ticks(1);
    EXPECT_EQ("A", lastWrite());
    setSendText("");
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
    setSendText("x");
    for (const char* bad : {"1.5", "", "99999999999", "1.5"}) {
        ui.setText(Ctl::Edit_TrttPerio, bad);
        ui.setChecked(Ctl::Check_AutoTrtt, true);
        ticks(20);
        EXPECT_EQ(
            "'" + std::string(bad) + "' is not a valid integer value", dialogs.shown.back().text);
        EXPECT_FALSE(ui.isChecked(Ctl::Check_AutoTrtt));
        EXPECT_FALSE(ui.isTimerActive(core::TimerId::TrttData));
    }
    EXPECT_EQ(4u, dialogs.shown.size());
    EXPECT_EQ(ShownMessage::Error, dialogs.shown[0].kind);
    EXPECT_TRUE(port->writes.empty());
    ui.setText(Ctl::Edit_TrttPerio, "1000");
    ui.setChecked(Ctl::Check_AutoTrtt, true);
    ticks(100);
    EXPECT_EQ(1u, port->writes.size());
    EXPECT_EQ(4u, dialogs.shown.size());
}

TEST_F(TerminalTest, badPeriodReportIsNeverStacked)
{
    openPort();
    setSendText("x");
    ui.setText(Ctl::Edit_TrttPerio, "abc");
    int reentered = 0;
    dialogs.onShow = [&](const ShownMessage&) {
        // The timer keeps ticking while the report is up, and the text may change under it.
        ui.setText(Ctl::Edit_TrttPerio, "abcd");
        if (reentered++ < 3)
            ticks(5);
    };
    ticks(1);
    EXPECT_EQ(1u, dialogs.shown.size());
}

TEST_F(TerminalTest, autoSendWithThePortClosedUnderItSendsAndCountsNothing)
{
    openPort();
    setSendText("x");
    ui.setChecked(Ctl::Check_AutoTrtt, true);
    ui.setText(Ctl::Edit_TrttPerio, "0");
    ticks(2);
    link.handle.close();
    ticks(5);
    EXPECT_EQ(2u, port->writes.size());
    EXPECT_EQ(2, state.TxCount);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(TerminalTest, onlyWhatThePortTookIsCounted)
{
    openPort();
    setSendText("abcdef");
    port->acceptLimit = 4;
    terminal.sendOnce();
    EXPECT_EQ(4, state.TxCount);
    port->vanished = true;
    terminal.sendOnce();
    ui.setText(Ctl::Edit_TrttPerio, "0");
    ticks(3);
    EXPECT_EQ(4, state.TxCount);
    EXPECT_EQ("TX : 4", status.text(core::StatusPanel::Sent));
}

// A line that cannot take a block at once: the rest goes out with later ticks and polls, no new
// block starts before it, and TX counts only what went out.
TEST_F(TerminalTest, aBlockTheLineCannotTakeAtOnceGoesOutWholeBeforeTheNextStarts)
{
    openPort();
    setSendText("abcdef");
    port->acceptLimit = 4;
    terminal.sendOnce();
    EXPECT_EQ(4, state.TxCount);
    EXPECT_EQ("TX : 4", status.text(core::StatusPanel::Sent));

    port->stalled = true;
    terminal.sendOnce();
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("线路忙:上次发送的数据尚未全部发出", dialogs.shown[0].text);
    EXPECT_EQ("传送", dialogs.shown[0].caption);
    setEnglish();
    terminal.sendOnce();
    ASSERT_EQ(2u, dialogs.shown.size());
    EXPECT_EQ(fakes::ShownMessage::Message, dialogs.shown[1].kind);
    EXPECT_EQ(4, state.TxCount);

    port->stalled = false;
    terminal.receivePoll();
    EXPECT_EQ(6, state.TxCount);
    EXPECT_EQ("TX : 6", status.text(core::StatusPanel::Sent));
    terminal.sendOnce();
    EXPECT_EQ(10, state.TxCount);
    std::string wire;
    for (const auto& write : port->writes)
        wire.append(write.begin(), write.end());
    EXPECT_EQ("abcdefabcd", wire);
    EXPECT_EQ(2u, dialogs.shown.size());
}

TEST_F(TerminalTest, autoSendIntoAStalledLineStartsNoBlockUntilTheLineTakesTheLast)
{
    openPort();
    setSendText("xyz");
    ui.setText(Ctl::Edit_TrttPerio, "0");
    ui.setChecked(Ctl::Check_AutoTrtt, true);
    port->stalled = true;
    ticks(20);
    EXPECT_EQ(0, state.TxCount);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(port->writes.empty());
    port->stalled = false;
    ticks(1);
    EXPECT_EQ(6, state.TxCount) << "the waiting block went out, then the tick's own";
    ticks(1);
    EXPECT_EQ(9, state.TxCount);
}

TEST_F(TerminalTest, stoppingAutoSendDropsWhatTheLineHasNotTaken)
{
    openPort();
    setSendText("abcdef");
    ui.setText(Ctl::Edit_TrttPerio, "0");
    port->acceptLimit = 4;
    ui.setChecked(Ctl::Check_AutoTrtt, true);
    ticks(1);
    ui.setChecked(Ctl::Check_AutoTrtt, false);
    EXPECT_EQ(std::vector<unsigned> {platform::PurgeTxClear}, port->purges);
    terminal.receivePoll();
    terminal.sendOnce();
    EXPECT_EQ(8, state.TxCount) << "the rest of the stopped block was dropped, not sent";
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
        {"manual send", [this] { terminal.sendOnce(); }},
        {"auto send", [this] { ticks(1); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.use);
        dialogs.shown.clear();
        port = std::make_shared<fakes::PortState>();
        openPort();
        link.settings.portNumber = 2;
        ui.setTimerActive(core::TimerId::RecData, true);
        setSendText("hello");
        ui.setChecked(Ctl::CheckTrtt, true);
        terminal.toggleErrorRateTest(); // the measuring station starts a test: auto send on
        ASSERT_TRUE(ui.isChecked(Ctl::Check_AutoTrtt));
        ui.setText(Ctl::Edit_TrttPerio, "0");
        port->vanished = true;

        row.act();
        EXPECT_TRUE(dialogs.shown.empty()) << "nothing is shown inside the failing call";
        eventLoop.runPending();
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ("COM2: 通讯端口设备已断开(已拔出?),端口已关闭。", dialogs.shown[0].text);
        EXPECT_EQ("CommError", dialogs.shown[0].caption);
        EXPECT_FALSE(link.handle.isValid());
        EXPECT_EQ("已断开", status.text(core::StatusPanel::Connection));
        EXPECT_FALSE(ui.isTimerActive(core::TimerId::RecData));
        EXPECT_FALSE(ui.isTimerActive(core::TimerId::TrttData));
        EXPECT_FALSE(ui.isChecked(Ctl::Check_AutoTrtt));
        EXPECT_TRUE(ui.isEnabled(Ctl::Check_AutoTrtt));
        EXPECT_FALSE(ui.isLowered(Ctl::PanelTrttTest));

        terminal.receivePoll();
        ticks(3);
        eventLoop.runPending();
        EXPECT_EQ(1u, dialogs.shown.size()) << "said once, not per tick";
    }
}
