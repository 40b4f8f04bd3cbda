#include "terminal/SessionLog.h"
#include "FileSizeLimit.h"
#include "TempDir.h"
#include "TerminalFixture.h"

#include <regex>
#include <sstream>
#include <sys/stat.h>

using fakes::ShownMessage;
using fakes::TempDir;

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class SessionLogTest : public TerminalTest
{
protected:
    SessionLogTest() { openPort(); }

    // Ticks the menu item and answers the file dialog with this file.
    void startLog(const std::string& file)
    {
        dialogs.fileNames.push_back(file);
        receive.logOn = true;
        receiver.toggleSessionLog();
    }

    TempDir dir;
};

} // namespace

TEST(SessionLogLine, timeDirectionCountHexAndDottedText)
{
    const std::uint8_t bytes[] = {'A', 0x0D, 0x0A, 0x00, 0xE4, '~', ' '};
    const std::string line = terminal::sessionLogLine(1'700'000'000'125, false, bytes);
    EXPECT_TRUE(std::regex_match(line,
        std::regex(
            R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.125 RX 7 41 0D 0A 00 E4 7E 20 \|A\.\.\.\.~ \|\n)")))
        << line;
    EXPECT_TRUE(terminal::sessionLogLine(5, true, {}).find(" TX 0 ||") != std::string::npos);
    EXPECT_TRUE(std::regex_match(
        terminal::localTimeText(1'700'000'000'007), std::regex(R"(\d\d:\d\d:\d\d\.007)")));
}

// The text column reads as the terminal shows the text; control characters and bytes that are
// no character of the encoding are dots, so a line stays one line.
TEST(SessionLogLine, theTextColumnIsInTheTerminalsEncoding)
{
    using terminal::TextEncoding;
    const struct
    {
        std::string bytes;
        TextEncoding encoding;
        const char* text;
    } rows[] = {
        {"\xE4\xB8\xAD\r\n", TextEncoding::Utf8, "|中..|"},
        {"\xD6\xD0ok", TextEncoding::Gb18030, "|中ok|"},
        {"\xD6\xD0ok", TextEncoding::Utf8, "|..ok|"},
        {"\xC2\x85\x7F\xE4", TextEncoding::Utf8, "|...|"},
    };
    for (const auto& row : rows) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(row.bytes.data());
        const std::string line
            = terminal::sessionLogLine(0, false, {data, row.bytes.size()}, row.encoding);
        EXPECT_NE(line.find(row.text), std::string::npos) << line;
    }
}

// Whatever goes over the line is logged, the display stopped or not, in either display mode;
// an existing file is added to, and the running log is named in the item and the RX tooltip.
TEST_F(SessionLogTest, everySendAndReceivedChunkIsOneLineAddedToTheFile)
{
    const std::string file = dir.path("session.log");
    TempDir::write(file, "earlier\n");
    startLog(file);
    EXPECT_EQ("记录到文件...\tsession.log", receive.logCaption);
    EXPECT_EQ("正在记录到 " + file, status.tip(core::StatusPanel::Received));
    send.text = "hi";
    sender.sendOnce();
    feed("ok\r\n");
    poll();
    receiver.toggleDisplayStop(); // display stopped
    receive.hex = true;
    port->feed({0x00, 0xFF});
    poll();
    receive.logOn = false;
    receiver.toggleSessionLog();
    feed("after");
    poll();

    const auto lines = linesOf(TempDir::read(file));
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("earlier", lines[0]);
    EXPECT_TRUE(lines[1].ends_with(" TX 2 68 69 |hi|")) << lines[1];
    EXPECT_TRUE(lines[2].ends_with(" RX 4 6F 6B 0D 0A |ok..|")) << lines[2];
    EXPECT_TRUE(lines[3].ends_with(" RX 2 00 FF |..|")) << lines[3];
    EXPECT_EQ("记录到文件...", receive.logCaption);
    EXPECT_EQ("", status.tip(core::StatusPanel::Received));
    EXPECT_TRUE(dialogs.shown.size() == 1 && dialogs.shown[0].kind == ShownMessage::SaveFile);
}

// A file that takes no more (here: the file size limit, as a full disk would) stops the log
// with one report in the user's language; the terminal goes on.
TEST_F(SessionLogTest, aWriteErrorIsReportedOnceAndTheTerminalGoesOn)
{
    const std::string file = dir.path("full.log");
    const struct
    {
        bool english;
        std::string message;
    } rows[] = {{false, "记录已停止: 无法写入 " + file + "\nFile too large"},
        {true, "Logging stopped: could not write to " + file + "\nFile too large"}};
    FileSizeLimit limit(0);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        language.value = row.english ? 1 : 0;
        dialogs.shown.clear();
        receive.text = "";
        startLog(file);
        ASSERT_TRUE(receive.logOn);
        for (const char* chunk : {"one", "two", "three"}) {
            feed(chunk);
            poll();
        }
        ASSERT_EQ(2u, dialogs.shown.size());
        EXPECT_EQ(dialogs.shown[1].text, row.message);
        EXPECT_FALSE(receive.logOn);
        EXPECT_EQ(row.english ? "Log to file..." : "记录到文件...", receive.logCaption);
        EXPECT_EQ("onetwothree", receive.text);
    }
}

TEST_F(SessionLogTest, cancelledOrUnopenableFileLeavesTheItemUnticked)
{
    receive.logOn = true;
    receiver.toggleSessionLog(); // the dialog is cancelled
    EXPECT_FALSE(receive.logOn);
    startLog(dir.path("no/such/dir.log"));
    EXPECT_FALSE(receive.logOn);
    ASSERT_EQ(3u, dialogs.shown.size());
    EXPECT_TRUE(dialogs.shown[2].text.starts_with("无法打开记录文件: ")) << dialogs.shown[2].text;

    // A FIFO without a reader would hold the window's thread in the open: refused at once.
    const std::string fifo = dir.path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    startLog(fifo);
    EXPECT_FALSE(receive.logOn);
    ASSERT_EQ(5u, dialogs.shown.size());
    EXPECT_NE(dialogs.shown[4].text.find(fifo + " 是命名管道"), std::string::npos)
        << dialogs.shown[4].text;
}

// With time shown, a chunk after 100 ms of quiet starts a new line with the local time; chunks
// closer together run on. Off, nothing is added.
TEST_F(TerminalTest, shownTimeStampsChunksAfterAQuietLine)
{
    openPort();
    receive.timeShown = true;
    const std::string stamp = R"(\[\d\d:\d\d:\d\d\.\d{3}\] )";
    auto chunkAfter = [this](unsigned ms, const std::string& bytes) {
        system.nowMs += ms;
        feed(bytes);
        terminal.receivePoll();
    };
    chunkAfter(200, "a");
    chunkAfter(200, "b\r\n");
    chunkAfter(200, "c");
    chunkAfter(20, "d");
    chunkAfter(20, "e");
    poll(); // the quiet poll shows what waits
    EXPECT_TRUE(std::regex_match(
        receive.text, std::regex(stamp + "a\r\n" + stamp + "b\r\n" + stamp + "cde")))
        << receive.text;

    receive.timeShown = false;
    receive.text = "";
    chunkAfter(200, "f");
    chunkAfter(200, "g");
    poll();
    EXPECT_EQ("fg", receive.text);
}

// While data keeps coming the area is refreshed once per refresh interval, in one append; the
// first chunk after a quiet poll, and what waits when the line falls quiet, are shown at once.
TEST_F(TerminalTest, receivedTextReachesTheAreaInBatches)
{
    openPort();
    poll(); // the line is quiet
    std::string sent;
    std::string shown;
    for (int i = 0; i < 12; ++i) {
        system.nowMs += 50;
        sent += static_cast<char>('a' + i);
        feed(sent.substr(i));
        terminal.receivePoll();
        const bool due = i * 50 % terminal::ReceiveDisplay::kRefreshMs == 0;
        EXPECT_EQ(due, receive.text != shown) << i;
        EXPECT_EQ(due ? sent : shown, receive.text) << i;
        shown = receive.text;
    }
    EXPECT_NE(sent, receive.text);
    system.nowMs += 50;
    terminal.receivePoll();
    EXPECT_EQ(sent, receive.text);
    EXPECT_EQ("RX : 12", status.text(core::StatusPanel::Received));
}
