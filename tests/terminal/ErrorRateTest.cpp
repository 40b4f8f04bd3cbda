#include "TerminalFixture.h"

#include <deque>

using terminal::EchoCount;

namespace {

// Runs the main window's timers on a simulated clock: the 10 ms auto-send tick while it is on,
// and the 50 ms receive poll, before which the next scripted reply piece arrives.
class ErrorRateTest : public TerminalTest
{
protected:
    void startMeasuring(const std::string& text)
    {
        openPort();
        send.text = text;
        strip.measuringOn = true;
        terminal.errorRate.toggle();
    }

    // Every write is answered with the given pieces, one per poll.
    void echoWith(std::function<std::vector<std::string>(const std::string&)> reply)
    {
        port->onWrite = [this, reply](const fakes::Bytes& bytes) {
            for (const auto& piece : reply(std::string(bytes.begin(), bytes.end())))
                pieces.push_back(piece);
        };
    }

    void runMs(int ms)
    {
        for (int step = 0; step < ms / 10; ++step) {
            system.nowMs += 10;
            const auto nowMs = static_cast<long>(system.nowMs);
            if (autoSendTimer.isActive()) {
                const auto before = port->writes.size();
                sender.autoSendTick();
                if (port->writes.size() != before)
                    sendTimes.push_back(nowMs);
            }
            if (nowMs % 50 == 0) {
                if (!pieces.empty()) {
                    feed(pieces.front());
                    pieces.pop_front();
                    lastChunkMs = nowMs;
                }
                terminal.receivePoll();
            }
        }
    }

    std::string box(EchoCount count) { return strip.counts[count]; }

    std::deque<std::string> pieces;
    long lastChunkMs = 0;
    std::vector<long> sendTimes;
};

} // namespace

TEST(RateText, fourDecimalsWithTheGivenSeparator)
{
    EXPECT_EQ("100.0000", terminal::formatRate(100.0f, "."));
    EXPECT_EQ("66.6667", terminal::formatRate(200.0f / 3.0f, "."));
    EXPECT_EQ("0.0000", terminal::formatRate(0.0f, "."));
    EXPECT_EQ("12,3457", terminal::formatRate(12.345678f, ","));
}

TEST_F(ErrorRateTest, startWithAnEmptySendAreaOnlyZeroesTheBoxes)
{
    const struct
    {
        bool english;
        std::string message;
    } rows[] = {{true, "Please input datas"}, {false, "请输入发送字符"}};
    for (const auto& row : rows) {
        language.value = row.english ? 1 : 0;
        dialogs.shown.clear();
        strip.counts[EchoCount::Good] = "7";
        terminal.errorRate.toggle();
        for (const auto count :
            {EchoCount::Sent, EchoCount::Good, EchoCount::SuccessRate, EchoCount::Bad})
            EXPECT_EQ("0", box(count));
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ(fakes::ShownMessage::Message, dialogs.shown[0].kind);
        EXPECT_EQ(row.message, dialogs.shown[0].text);
        EXPECT_FALSE(strip.runningShown);
        EXPECT_FALSE(terminal.errorRate.running());
        EXPECT_EQ("1000", send.period);
        EXPECT_TRUE(send.autoEnabled);
    }
}

TEST_F(ErrorRateTest, startOnAMeasuringStationRunsAutoSend)
{
    startMeasuring("hello");
    EXPECT_TRUE(terminal.errorRate.running());
    EXPECT_TRUE(strip.runningShown);
    EXPECT_EQ("2000", send.period);
    EXPECT_TRUE(send.autoOn);
    EXPECT_FALSE(send.autoEnabled);
    EXPECT_TRUE(autoSendTimer.isActive());

    runMs(2000); // the first send one period after the start, with nothing received before it
    ASSERT_EQ(1u, sendTimes.size());
    EXPECT_EQ("0", box(EchoCount::Sent));
    EXPECT_EQ("0", box(EchoCount::Good));
    EXPECT_EQ("0", box(EchoCount::Bad));
}

TEST_F(ErrorRateTest, startWithoutAPortKeepsTheRunningLook)
{
    send.text = "hello";
    strip.measuringOn = true;
    terminal.errorRate.toggle();
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("串口未打开", dialogs.shown[0].text);
    EXPECT_FALSE(send.autoOn);
    EXPECT_FALSE(autoSendTimer.isActive());
    EXPECT_TRUE(strip.runningShown);
}

TEST_F(ErrorRateTest, perfectEchoReads100PercentFromTheSecondEvaluation)
{
    echoWith([](const std::string& sent) { return std::vector<std::string> {sent}; });
    startMeasuring("hello\r\n中文");
    runMs(2000);
    ASSERT_EQ(1u, sendTimes.size());
    EXPECT_EQ("0", box(EchoCount::SuccessRate));
    runMs(2000);
    ASSERT_GE(sendTimes.size(), 3u);
    EXPECT_EQ(std::to_string(sendTimes.size() - 1), box(EchoCount::Good));
    EXPECT_EQ("0", box(EchoCount::Bad));
    EXPECT_EQ("100.0000", box(EchoCount::SuccessRate));
    EXPECT_EQ(
        static_cast<int>(sendTimes.size() * std::string("hello\r\n中文").size()), counts.sent);
}

TEST_F(ErrorRateTest, echoOfGb18030TextIsJudgedByTheBytesThatWereSent)
{
    echoWith([](const std::string& sent) { return std::vector<std::string> {sent}; });
    setGb18030(true);
    startMeasuring("数传电台");
    runMs(2000 + 2000);
    ASSERT_GE(sendTimes.size(), 3u);
    EXPECT_EQ("\xCA\xFD\xB4\xAB\xB5\xE7\xCC\xA8", lastWrite());
    EXPECT_EQ("0", box(EchoCount::Bad));
    EXPECT_EQ("100.0000", box(EchoCount::SuccessRate));
}

TEST_F(ErrorRateTest, noEchoReadsZeroPercent)
{
    startMeasuring("hello");
    runMs(2000 * 3);
    ASSERT_EQ(3u, sendTimes.size());
    EXPECT_EQ("2", box(EchoCount::Sent));
    EXPECT_EQ("0", box(EchoCount::Good));
    EXPECT_EQ("0", box(EchoCount::Bad));
    EXPECT_EQ("0.0000", box(EchoCount::SuccessRate));
}

TEST_F(ErrorRateTest, replyInSeveralChunksIsJudgedAsOneText)
{
    echoWith([](const std::string& sent) {
        return std::vector<std::string> {sent.substr(0, 2), sent.substr(2, 3), sent.substr(5)};
    });
    startMeasuring("0123456789");
    runMs(2000);
    runMs(490); // up to the second send, before its reply
    ASSERT_EQ(2u, sendTimes.size());
    EXPECT_EQ("1", box(EchoCount::Good));
    EXPECT_EQ("0", box(EchoCount::Bad));
    // The next send follows the quiet line, 350 ms after the last piece, not the period.
    EXPECT_GE(sendTimes[1] - lastChunkMs, 350);
    EXPECT_LE(sendTimes[1] - lastChunkMs, 360);
}

TEST_F(ErrorRateTest, replyDifferingInOneByteIsAnError)
{
    echoWith([](std::string sent) {
        sent[1] = 'X';
        return std::vector<std::string> {sent};
    });
    startMeasuring("hello");
    runMs(2000);
    runMs(500);
    ASSERT_EQ(2u, sendTimes.size());
    EXPECT_EQ("0", box(EchoCount::Good));
    EXPECT_EQ("1", box(EchoCount::Bad));
    EXPECT_EQ("0.0000", box(EchoCount::SuccessRate));
}

TEST_F(ErrorRateTest, replyIsCollectedWhileTheDisplayIsStopped)
{
    echoWith([](const std::string& sent) { return std::vector<std::string> {sent}; });
    startMeasuring("hello");
    receiver.toggleDisplayStop();
    runMs(2000);
    runMs(500);
    EXPECT_EQ("1", box(EchoCount::Good));
    EXPECT_EQ("", receive.text);
}

TEST_F(ErrorRateTest, echoStationReturnsWhatItReceivedOnceTheLineIsQuiet)
{
    openPort();
    send.text = "anything";
    terminal.errorRate.toggle();
    EXPECT_FALSE(send.autoOn);
    pieces = {"ab", std::string("c\0d", 3)};
    runMs(400);
    EXPECT_TRUE(port->writes.empty());
    runMs(50); // the seventh empty poll in a row
    ASSERT_EQ(1u, port->writes.size());
    EXPECT_EQ("abc", lastWrite());
    EXPECT_EQ(0, counts.sent);
    runMs(1000);
    EXPECT_EQ(1u, port->writes.size()) << "what was echoed is not echoed again";
}

TEST_F(ErrorRateTest, stopEndsTheTestAndKeepsTheCounts)
{
    startMeasuring("hello");
    runMs(2000 * 2);
    terminal.errorRate.toggle();
    EXPECT_FALSE(strip.runningShown);
    EXPECT_FALSE(send.autoOn);
    EXPECT_TRUE(send.autoEnabled);
    EXPECT_FALSE(autoSendTimer.isActive());
    EXPECT_FALSE(terminal.errorRate.running());
    EXPECT_EQ("1", box(EchoCount::Sent));

    // After the stop nothing is collected or echoed any more.
    strip.measuringOn = false;
    feed("late");
    runMs(500);
    EXPECT_EQ(2u, port->writes.size());
}
