#include "TempDir.h"
#include "TerminalFixture.h"
#include "terminal/ReceivedBytes.h"

using fakes::ShownMessage;
using fakes::TempDir;

namespace {

std::string kept(const terminal::ReceivedBytes& received)
{
    const auto bytes = received.bytes();
    return {bytes.begin(), bytes.end()};
}

void append(terminal::ReceivedBytes& received, const std::string& bytes)
{
    received.append({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

class SaveReceivedTest : public TerminalTest
{
protected:
    // Saves through the file dialog, answered with this name.
    void saveAs(const std::string& file)
    {
        dialogs.fileNames.push_back(file);
        receiver.saveReceived();
    }

    TempDir dir;
};

} // namespace

TEST(ReceivedBytes, keepsTheLastBytesUpToItsCapacity)
{
    terminal::ReceivedBytes received(8);
    append(received, "abc");
    append(received, "defgh");
    EXPECT_EQ("abcdefgh", kept(received));
    append(received, "ij");
    EXPECT_EQ("cdefghij", kept(received));
    append(received, "klmnopq"); // wraps past the end of the ring
    EXPECT_EQ("jklmnopq", kept(received));
    append(received, "0123456789ABCDEF"); // more than the capacity at once
    EXPECT_EQ("89ABCDEF", kept(received));
    received.clear();
    EXPECT_EQ("", kept(received));
    append(received, "xy");
    EXPECT_EQ("xy", kept(received));
}

TEST_F(SaveReceivedTest, fileHoldsTheCountedBytesAcrossAnAutoClear)
{
    openPort();
    std::string counted;
    auto arrive = [&](const std::string& bytes) {
        feed(bytes);
        poll();
        counted += bytes;
    };
    arrive(std::string("A\0B\xFF", 4)); // text display stops at the zero byte; the file not
    receive.hex = true;
    arrive("\x55\xAA");
    receive.hex = false;
    std::string lines;
    for (int i = 0; i < 120; ++i)
        lines += "line " + std::to_string(i) + "\r\n";
    for (std::size_t at = 0; at < lines.size(); at += 1000)
        arrive(lines.substr(at, 1000));
    ASSERT_LT(receive.shownLineCount(), 100) << "auto clear emptied the area";
    receiver.resetCounters(); // a counter reset keeps the bytes
    receiver.toggleDisplayStop(); // bytes taken while the display stops are not counted, nor kept
    feed("unseen");
    poll();
    receiver.toggleDisplayStop();
    arrive("end");
    EXPECT_EQ(3, counts.received);

    saveAs(dir.path("rx.bin"));
    EXPECT_EQ(counted, TempDir::read(dir.path("rx.bin")));
    ASSERT_EQ(1u, dialogs.shown.size()) << "only the file dialog";
    EXPECT_EQ(ShownMessage::SaveFile, dialogs.shown[0].kind);
    EXPECT_EQ("保存接收数据", dialogs.shown[0].caption);

    receiver.clearReceiveArea();
    arrive("after");
    saveAs(dir.path("rx.bin"));
    EXPECT_EQ("after", TempDir::read(dir.path("rx.bin")));
}

TEST_F(SaveReceivedTest, cancellingTheFileDialogWritesNothing)
{
    openPort();
    setEnglish();
    feed("data");
    poll();
    receiver.saveReceived();
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("Save received data", dialogs.shown[0].caption);
    EXPECT_TRUE(dir.names().empty());
}

TEST_F(SaveReceivedTest, aFailedWriteIsReportedAndLeavesNoFile)
{
    const struct
    {
        bool english;
        std::string message;
    } rows[] = {
        {true, "Could not save received data to "},
        {false, "保存接收数据失败: "},
    };
    openPort();
    feed("data");
    poll();
    // A folder that cannot hold files, whoever runs the test: its parent is a regular file.
    TempDir::write(dir.path("plain"), "");
    const std::string target = dir.path("plain") + "/rx.bin";
    for (const auto& row : rows) {
        language.value = row.english ? 1 : 0;
        dialogs.shown.clear();
        saveAs(target);
        ASSERT_EQ(2u, dialogs.shown.size());
        EXPECT_EQ(ShownMessage::Message, dialogs.shown[1].kind);
        EXPECT_EQ(row.message + target + "\nNot a directory", dialogs.shown[1].text);
        EXPECT_EQ(std::set<std::string> {"plain"}, dir.names());
    }
}
