#include "TerminalFixture.h"

TEST_F(TerminalTest, pollWithoutAPortDoesNothing)
{
    poll(10);
    EXPECT_EQ("", status.text(core::StatusPanel::Received));
}

TEST_F(TerminalTest, upTo1024WaitingBytesAreShownAndMoreAreDiscarded)
{
    openPort();
    feed(std::string(1024, 'a'));
    poll();
    EXPECT_EQ(std::string(1024, 'a'), receive.text);
    EXPECT_EQ(1024, counts.received);
    EXPECT_EQ("RX : 1024", status.text(core::StatusPanel::Received));

    feed(std::string(1025, 'b'));
    poll();
    EXPECT_TRUE(port->rx.empty());
    EXPECT_EQ(std::string(1024, 'a'), receive.text);
    EXPECT_EQ(1024, counts.received);
}

TEST_F(TerminalTest, textDisplayStopsAtAZeroByteButCountsAll)
{
    openPort();
    port->feed({0x41, 0x00, 0x42});
    poll();
    EXPECT_EQ("A", receive.text);
    EXPECT_EQ(3, counts.received);
}

TEST_F(TerminalTest, hexDisplayRunsOnAcrossChunksAndShowsZeroBytes)
{
    openPort();
    receive.hex = true;
    port->feed({0x41, 0x42});
    poll();
    port->feed({0x0D, 0x00});
    poll();
    EXPECT_EQ("41 42 0D 00 ", receive.text);
    EXPECT_EQ(1, receive.shownLineCount());
    EXPECT_EQ(4, counts.received);
}

TEST_F(TerminalTest, hexSwitchAffectsOnlyLaterChunks)
{
    openPort();
    feed("hi");
    poll();
    receive.hex = true;
    feed("hi");
    poll();
    EXPECT_EQ("hi68 69 ", receive.text);
}

TEST_F(TerminalTest, textSplitBetweenChunksIsShownWhole)
{
    openPort();
    feed("中\xE6");
    poll();
    EXPECT_EQ("中", receive.text);
    feed("\x96\x87\r");
    poll();
    feed("\nok");
    poll();
    EXPECT_EQ("中文\r\nok", receive.text);
    EXPECT_EQ(2, receive.shownLineCount());
    EXPECT_EQ(10, counts.received);
}

TEST_F(TerminalTest, gb18030TextIsShownWholeAcrossPollsAndStopsAtAZeroByte)
{
    openPort();
    setGb18030(true);
    feed("\xCA\xFD\xB4");
    poll();
    EXPECT_EQ("数", receive.text);
    feed("\xAB\r");
    poll();
    EXPECT_EQ("数传\r\n", receive.text);
    // The lead byte before the zero byte is dropped with it, not joined to the next chunk.
    feed(std::string("\xB5\0\xE7", 3));
    poll();
    feed("AB");
    poll();
    EXPECT_EQ("数传\r\nAB", receive.text);
    EXPECT_EQ(10, counts.received);
}

TEST_F(TerminalTest, appendingKeepsWhatTheUserLeftInTheArea)
{
    openPort();
    receive.text = "typed";
    feed("rx");
    poll();
    EXPECT_EQ("typedrx", receive.text);
    EXPECT_EQ(1, receive.scrolls);
}

TEST_F(TerminalTest, stoppedDisplayConsumesWithoutShowingOrCounting)
{
    openPort();
    setEnglish();
    receiver.toggleDisplayStop();
    EXPECT_EQ("continue", receive.stopCaption);
    feed("lost");
    poll();
    EXPECT_TRUE(port->rx.empty());
    receiver.toggleDisplayStop();
    EXPECT_EQ("Stop Displsy", receive.stopCaption);
    feed("seen");
    poll();
    EXPECT_EQ("seen", receive.text);
    EXPECT_EQ(4, counts.received);
    language.value = 0;
    receiver.toggleDisplayStop();
    EXPECT_EQ("继续显示", receive.stopCaption);
    receiver.toggleDisplayStop();
    EXPECT_EQ("停止显示", receive.stopCaption);
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
        receive.autoClearOn = row.autoClear;
        receive.text = "";
        std::string lines;
        for (int i = 0; i < row.limit - 1; ++i)
            lines += "x\r\n";
        receive.text = lines;
        feed("y"); // line limit reached, not passed
        poll();
        EXPECT_EQ(row.limit, receive.shownLineCount());
        feed("\r\nz");
        poll();
        poll(); // the line goes quiet: the emptied area shows
        EXPECT_EQ("", receive.text);
    }
}

TEST_F(TerminalTest, autoClearCountsWrappedLinesOfTheHexDisplay)
{
    openPort();
    receive.wrapColumns = 30; // ten hex groups per shown line
    receive.hex = true;
    port->feed(fakes::Bytes(1000, 0x11)); // 100 lines
    poll();
    EXPECT_EQ(100, receive.shownLineCount());
    port->feed({0x22});
    poll(2);
    EXPECT_EQ("", receive.text);
}

TEST_F(TerminalTest, counterResetZeroesBothCounters)
{
    openPort();
    send.text = "abc";
    sender.sendOnce();
    feed("de");
    poll();
    receiver.resetCounters();
    EXPECT_EQ(0, counts.sent);
    EXPECT_EQ(0, counts.received);
    EXPECT_EQ("TX : 0", status.text(core::StatusPanel::Sent));
    EXPECT_EQ("RX : 0", status.text(core::StatusPanel::Received));
    send.text = "z";
    sender.sendOnce();
    EXPECT_EQ("TX : 1", status.text(core::StatusPanel::Sent));
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
    EXPECT_EQ(lines('a', 60), receive.text) << "no refresh yet";
    system.nowMs += terminal::ReceiveDisplay::kRefreshMs;
    terminal.receivePoll();
    EXPECT_EQ(lines('c', 10), receive.text);
}

// While data keeps coming, a refresh that would show the area just emptied waits for the next
// poll; when the line goes quiet, the emptied area is what shows.
TEST_F(TerminalTest, aRefreshDoesNotShowAnAreaJustEmptiedWhileDataKeepsComing)
{
    openPort();
    const std::string sixty(60 * 3, 'x'); // no line break: wrapped by the fake at 3 columns
    receive.wrapColumns = 3;
    feed(sixty);
    poll();
    feed(sixty); // the area goes above 100 lines: emptied
    poll();
    EXPECT_EQ(sixty, receive.text) << "held over the emptied area";
    feed("yz");
    poll();
    EXPECT_EQ("yz", receive.text);
    feed(std::string(101 * 3, 'w'));
    poll();
    EXPECT_EQ("yz", receive.text);
    poll(); // quiet
    EXPECT_EQ("", receive.text);
}
