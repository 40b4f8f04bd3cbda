#include "TerminalFixture.h"

using core::Ctl;

TEST_F(TerminalTest, pollWithoutAPortDoesNothing)
{
    poll(10);
    EXPECT_EQ(0, state.IdlePolls);
    EXPECT_EQ("", status.text(core::StatusPanel::Received));
}

TEST_F(TerminalTest, upTo1024WaitingBytesAreShownAndMoreAreDiscarded)
{
    openPort();
    feed(std::string(1024, 'a'));
    poll();
    EXPECT_EQ(std::string(1024, 'a'), received());
    EXPECT_EQ(1024, state.RxCount);
    EXPECT_EQ("RX : 1024", status.text(core::StatusPanel::Received));

    feed(std::string(1025, 'b'));
    state.IdlePolls = 3;
    poll();
    EXPECT_TRUE(port->rx.empty());
    EXPECT_EQ(std::string(1024, 'a'), received());
    EXPECT_EQ(1024, state.RxCount);
    EXPECT_EQ(0, state.IdlePolls);
}

TEST_F(TerminalTest, textDisplayStopsAtAZeroByteButCountsAll)
{
    openPort();
    port->feed({0x41, 0x00, 0x42});
    poll();
    EXPECT_EQ("A", received());
    EXPECT_EQ(3, state.RxCount);
}

TEST_F(TerminalTest, hexDisplayRunsOnAcrossChunksAndShowsZeroBytes)
{
    openPort();
    ui.setChecked(Ctl::Check_RecHex, true);
    port->feed({0x41, 0x42});
    poll();
    port->feed({0x0D, 0x00});
    poll();
    EXPECT_EQ("41 42 0D 00 ", received());
    EXPECT_EQ(1, ui.shownLineCount(Ctl::Memo_Rec));
    EXPECT_EQ(4, state.RxCount);
}

TEST_F(TerminalTest, hexSwitchAffectsOnlyLaterChunks)
{
    openPort();
    feed("hi");
    poll();
    ui.setChecked(Ctl::Check_RecHex, true);
    feed("hi");
    poll();
    EXPECT_EQ("hi68 69 ", received());
}

TEST_F(TerminalTest, textSplitBetweenChunksIsShownWhole)
{
    openPort();
    feed("中\xE6");
    poll();
    EXPECT_EQ("中", received());
    feed("\x96\x87\r");
    poll();
    feed("\nok");
    poll();
    EXPECT_EQ("中文\r\nok", received());
    EXPECT_EQ(2, ui.shownLineCount(Ctl::Memo_Rec));
    EXPECT_EQ(10, state.RxCount);
}

TEST_F(TerminalTest, gb18030TextIsShownWholeAcrossPollsAndStopsAtAZeroByte)
{
    openPort();
    ui.setChecked(Ctl::TextGb18030, true);
    feed("\xCA\xFD\xB4");
    poll();
    EXPECT_EQ("数", received());
    feed("\xAB\r");
    poll();
    EXPECT_EQ("数传\r\n", received());
    // The lead byte before the zero byte is dropped with it, not joined to the next chunk.
    feed(std::string("\xB5\0\xE7", 3));
    poll();
    feed("AB");
    poll();
    EXPECT_EQ("数传\r\nAB", received());
    EXPECT_EQ(10, state.RxCount);
}

TEST_F(TerminalTest, appendingKeepsWhatTheUserLeftInTheArea)
{
    openPort();
    ui.setText(Ctl::Memo_Rec, "typed");
    feed("rx");
    poll();
    EXPECT_EQ("typedrx", received());
    EXPECT_EQ(1, ui.scrolls[Ctl::Memo_Rec]);
}

TEST_F(TerminalTest, stoppedDisplayConsumesWithoutShowingOrCounting)
{
    openPort();
    setEnglish();
    terminal.toggleDisplayStop();
    EXPECT_TRUE(state.DisplayStopped);
    EXPECT_EQ("continue", ui.text(Ctl::Button1));
    feed("lost");
    poll();
    EXPECT_TRUE(port->rx.empty());
    terminal.toggleDisplayStop();
    EXPECT_EQ("Stop Displsy", ui.text(Ctl::Button1));
    feed("seen");
    poll();
    EXPECT_EQ("seen", received());
    EXPECT_EQ(4, state.RxCount);
}

TEST_F(TerminalTest, stopButtonCaptionsInChinese)
{
    terminal.toggleDisplayStop();
    EXPECT_EQ("继续显示", ui.text(Ctl::Button1));
    terminal.toggleDisplayStop();
    EXPECT_EQ("停止显示", ui.text(Ctl::Button1));
}

TEST_F(TerminalTest, autoClearEmptiesTheAreaAboveItsLineLimit)
{
    const struct
    {
        bool autoClear;
        int limit;
    } rows[] = {{true, 100}, {false, 1000}};
    openPort();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.limit);
        ui.setChecked(Ctl::Check_AutoClr, row.autoClear);
        ui.setText(Ctl::Memo_Rec, "");
        std::string lines;
        for (int i = 0; i < row.limit - 1; ++i)
            lines += "x\r\n";
        ui.setText(Ctl::Memo_Rec, lines);
        feed("y"); // line limit reached, not passed
        poll();
        EXPECT_EQ(row.limit, ui.shownLineCount(Ctl::Memo_Rec));
        feed("\r\nz");
        poll();
        poll(); // the line goes quiet: the emptied area shows
        EXPECT_EQ("", received());
    }
}

TEST_F(TerminalTest, autoClearCountsWrappedLinesOfTheHexDisplay)
{
    openPort();
    ui.wrapColumns = 30; // ten hex groups per shown line
    ui.setChecked(Ctl::Check_RecHex, true);
    port->feed(fakes::Bytes(1000, 0x11)); // 100 lines
    poll();
    EXPECT_EQ(100, ui.shownLineCount(Ctl::Memo_Rec));
    port->feed({0x22});
    poll(2);
    EXPECT_EQ("", received());
}

TEST_F(TerminalTest, counterResetZeroesBothCounters)
{
    openPort();
    setSendText("abc");
    terminal.sendOnce();
    feed("de");
    poll();
    terminal.resetCounters();
    EXPECT_EQ(0, state.TxCount);
    EXPECT_EQ(0, state.RxCount);
    EXPECT_EQ("TX : 0", status.text(core::StatusPanel::Sent));
    EXPECT_EQ("RX : 0", status.text(core::StatusPanel::Received));
    setSendText("z");
    terminal.sendOnce();
    EXPECT_EQ("TX : 1", status.text(core::StatusPanel::Sent));
}

TEST_F(TerminalTest, idlePollsCountEmptyPollsInARow)
{
    openPort();
    poll(4);
    EXPECT_EQ(4, state.IdlePolls);
    feed("a");
    poll();
    EXPECT_EQ(0, state.IdlePolls);
}

// Polls that one refresh brings together are auto-cleared one by one: the area shows what
// came after the last clear, not an area emptied because the polls were shown at once.
TEST_F(TerminalTest, autoClearOfPollsShownTogetherKeepsWhatFollowsTheLastClear)
{
    openPort();
    const auto lines = [](char c, int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += std::string(1, c) + "\r\n";
        return text;
    };
    feed(lines('a', 60));
    poll(); // a refresh of its own
    for (const char c : {'b', 'c'}) {
        feed(lines(c, c == 'b' ? 60 : 10));
        system.nowMs += 50;
        terminal.receivePoll();
    }
    EXPECT_EQ(lines('a', 60), received()) << "no refresh yet";
    system.nowMs += terminal::Terminal::kRefreshMs;
    terminal.receivePoll();
    EXPECT_EQ(lines('c', 10), received());
}

// While data keeps coming, a refresh that would show the area just emptied waits for the next
// poll; when the line goes quiet, the emptied area is what shows.
TEST_F(TerminalTest, aRefreshDoesNotShowAnAreaJustEmptiedWhileDataKeepsComing)
{
    openPort();
    const std::string sixty(60 * 3, 'x'); // no line break: wrapped by the fake at 3 columns
    ui.wrapColumns = 3;
    feed(sixty);
    poll();
    feed(sixty); // the area goes above 100 lines: emptied
    poll();
    EXPECT_EQ(sixty, received()) << "held over the emptied area";
    feed("yz");
    poll();
    EXPECT_EQ("yz", received());
    feed(std::string(101 * 3, 'w'));
    poll();
    EXPECT_EQ("yz", received());
    poll(); // quiet
    EXPECT_EQ("", received());
}
