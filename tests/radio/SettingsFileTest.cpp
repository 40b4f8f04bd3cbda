#include "radio/SettingsFile.h"
#include "FakeDialogs.h"
#include "TempDir.h"
#include "radio/ChangePreview.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace radio {
namespace {

const core::Language kEnglish {1};
const core::Language kChinese {0};

RadioSettings parsedOk(const std::string& text)
{
    const auto parsed = parseSettings(text);
    if (const auto* error = std::get_if<SettingsError>(&parsed))
        ADD_FAILURE() << settingsErrorText(*error, kEnglish) << "\n" << text;
    return std::get_if<RadioSettings>(&parsed) ? std::get<RadioSettings>(parsed) : RadioSettings {};
}

TEST(SettingsFile, roundTripOfEveryValueAndTheInformation)
{
    fakes::TempDir dir;
    RadioSettings settings;
    settings.channel = 32;
    settings.airRate = 0;
    settings.serial = SerialMode {5, 2};
    settings.id = IdBytes {0x12, 0xFA, 0x05}; // not packed BCD: kept as raw bytes
    settings.model = "TALVEX1.2";
    settings.port = "COM2 /dev/ttyUSB1";
    settings.readAt = "2026-12-01T10:42:07+01:00";
    const platform::FileWriteResult saved = saveSettingsFile(dir.path("a.conf"), settings);
    ASSERT_FALSE(saved.error || saved.warning);
    const std::string text = fakes::TempDir::read(dir.path("a.conf"));
    EXPECT_NE(text.find("serial = 300-E\n"), std::string::npos) << text;
    EXPECT_NE(text.find("id = 0x12FA05\n"), std::string::npos) << text;
    EXPECT_EQ(std::get<RadioSettings>(loadSettingsFile(dir.path("a.conf"))), settings);

    // Only the format: every value is the radio's own.
    const RadioSettings bare = parsedOk("format = 1\n");
    EXPECT_EQ(bare, RadioSettings {});
    EXPECT_EQ(serializeSettings(bare),
        "# Radio modem settings. A value left out keeps the radio's own.\nformat = 1\n");
}

TEST(SettingsFile, hardEditedTextIsRead)
{
    const RadioSettings settings = parsedOk("\xEF\xBB\xBF# site A\r\n\r\n  format=1  \r\n"
                                            "id = 000009\r\n# comment = x\r\nserial\t=\t19200-O");
    EXPECT_EQ(settings.id, (IdBytes {0x00, 0x00, 0x09}));
    EXPECT_EQ(settings.serial, (SerialMode {0, 1}));
    EXPECT_EQ(parsedOk("format = 1\nid = 0x0a0B0c\n").id, (IdBytes {0x0A, 0x0B, 0x0C}));
    EXPECT_EQ(parsedOk("format = 1\nmodel = 电台 X = 2\n").model, "电台 X = 2");
}

TEST(SettingsFile, badFilesAreRefusedNamingTheLineOrKeyAndTheReason)
{
    struct Row
    {
        std::string text;
        std::string english; // the whole message in English
        std::string chinese; // a part of it in Chinese
    };
    const std::vector<Row> rows = {
        {"channel = 3\n", "format: the format version is missing", "缺少格式版本"},
        {"format = 2\n", "Line 1, format: \"2\": this program reads format 1", "本程序读取格式 1"},
        {"format = 1\nchanel = 3\n", "Line 2, chanel: unknown key; did you mean channel?",
            "第 2 行 chanel:未知的键;您是不是要输入 channel?"},
        {"format = 1\nbaud = 3\n", "Line 2, baud: unknown key\n", "第 2 行 baud:未知的键\n"},
        {"format = 1\nchannel = 3\nchannel = 4\n", "Line 3, channel: the key appears twice",
            "键重复出现"},
        {"format = 1\n\nchannel 3\n", "Line 3: a line must read key = value", "每行应为"},
        {"format = 1\nchannel = 0\n", "Line 2, channel: \"0\": the channel is 1 to 32", "信道号"},
        {"format = 1\nchannel = 33\n", "Line 2, channel: \"33\": the channel is 1 to 32", ""},
        {"format = 1\nchannel = -1\n", "Line 2, channel: \"-1\": the channel is 1 to 32", ""},
        {"format = 1\nchannel =\n", "Line 2, channel: \"\": the channel is 1 to 32", ""},
        // 5 is a code a radio may report, but the air rate list cannot show it.
        {"format = 1\nair-rate = 5\n", "Line 2, air-rate: \"5\": the air rate is", ""},
        {"format = 1\nair-rate = 6\n",
            "Line 2, air-rate: \"6\": the air rate is an index 0 to 4 (19200, 9600, 4800, 2400, "
            "1200 bit/s)",
            "空中速率"},
        {"format = 1\nserial = 9600\n", "Line 2, serial: \"9600\": the serial mode is", "串口模式"},
        {"format = 1\nserial = 9601-N\n", "Line 2, serial: \"9601-N\"", ""},
        {"format = 1\nserial = 9600-M\n", "Line 2, serial: \"9600-M\"", ""},
        {"format = 1\nid = 12345\n", "Line 2, id: \"12345\": the ID is six digits", "六位数字"},
        {"format = 1\nid = 0x12345G\n", "Line 2, id: \"0x12345G\"", ""},
        {"format = 1\nport = COM1 \xC0\xAF\n", "Line 2: the text is not UTF-8", "不是 UTF-8"},
        {"format = 1\n# \xED\xA0\x80\n", "Line 2: the text is not UTF-8", ""},
        // What the file holds is shown escaped: no escape sequence reaches a terminal.
        {"format = 1\n\x1b]0;t\x07 = 1\n", "Line 2, \\x1b]0;t\\x07: unknown key",
            "第 2 行 \\x1b]0;t\\x07:未知的键"},
        {"format = 1\nchannel = 3\x1b[2J\n",
            "Line 2, channel: \"3\\x1b[2J\": the channel is 1 to 32", "\"3\\x1b[2J\":信道号"},
        {"format = 1\nmodel = " + std::string(kMaxSettingsLineBytes, 'x') + "\n",
            "Line 2: the line is longer than 8 KiB", "第 2 行:该行超过 8 KiB"},
        {"format = 1\n#" + std::string(kMaxSettingsFileBytes, 'x') + "\n",
            "the file is larger than 64 KiB", "文件大于 64 KiB"},
    };
    for (const Row& row : rows) {
        const auto parsed = parseSettings(row.text);
        const auto* error = std::get_if<SettingsError>(&parsed);
        ASSERT_TRUE(error) << row.english;
        // A row that ends in a line break is the whole text.
        EXPECT_EQ((settingsErrorText(*error, kEnglish) + "\n").substr(0, row.english.size()),
            row.english);
        EXPECT_NE((settingsErrorText(*error, kChinese) + "\n").find(row.chinese), std::string::npos)
            << settingsErrorText(*error, kChinese);
    }
}

TEST(SettingsFile, aFileThatCannotBeReadOrWrittenGivesTheSystemsReason)
{
    fakes::TempDir dir;
    const auto missing = loadSettingsFile(dir.path("none.conf"));
    ASSERT_TRUE(std::holds_alternative<SettingsError>(missing));
    EXPECT_EQ(
        settingsErrorText(std::get<SettingsError>(missing), kEnglish), "No such file or directory");
    EXPECT_TRUE(saveSettingsFile(dir.path("no/such/dir.conf"), RadioSettings {}).error);
    fakes::TempDir::write(dir.path("big.conf"), std::string(kMaxSettingsFileBytes + 10, '#'));
    EXPECT_TRUE(std::holds_alternative<SettingsError>(loadSettingsFile(dir.path("big.conf"))));
}

// A FIFO would hold the load until someone writes to it, and a save would put a file in its
// place: both refuse it at once, naming the path (escaped) and what it is.
TEST(SettingsFile, aPathThatIsNoRegularFileIsRefusedAtOnce)
{
    fakes::TempDir dir;
    const std::string fifo = dir.path("pipe\x1b[2J");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    const std::string shown = dir.path("pipe\\x1b[2J");
    const auto loaded = loadSettingsFile(fifo);
    ASSERT_TRUE(std::holds_alternative<SettingsError>(loaded));
    EXPECT_EQ(loadFailureText(fifo, std::get<SettingsError>(loaded), kEnglish),
        "Could not load settings from " + shown + "\n" + shown
            + " is a FIFO (named pipe), not a file");
    const platform::FileWriteResult saved = saveSettingsFile(fifo, RadioSettings {});
    ASSERT_TRUE(saved.error);
    EXPECT_EQ(saveFailureText(fifo, *saved.error, kChinese),
        "保存参数失败: " + shown + "\n" + shown + " 是命名管道 (FIFO),不是文件");
}

TEST(SettingsFile, valuesOfAReadAndTheirUseInAWrite)
{
    RadioParameters radio;
    radio.version = 0x25;
    radio.channel = 7;
    radio.airRate = 1; // as shown; the write sends what the radio reported
    radio.reported = {9, {0xFF, 0xFF, 0xFF}};
    serial::LinkSettings link;
    link.speedIndex = 4;
    link.parityIndex = 1;
    const WriteValues held = heldValues(radio, link);
    const RadioSettings settings
        = settingsFromRead(radio.version, held, 3, "/dev/ttyUSB2", "2026-12-01T10:00:00Z");
    EXPECT_EQ(settings.channel, 7);
    EXPECT_FALSE(settings.airRate) << "an air rate outside the list is left out";
    EXPECT_EQ(settings.serial, (SerialMode {4, 1}));
    EXPECT_EQ(settings.id, (IdBytes {0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(settings.model, "TALVEX2.5");
    EXPECT_EQ(settings.port, "COM3 /dev/ttyUSB2");

    RadioSettings file;
    file.channel = 21;
    const WriteValues sent = applySettings(held, file);
    EXPECT_EQ(sent, (WriteValues {9, {0xFF, 0xFF, 0xFF}, 21, 4, 1}));
    EXPECT_EQ(
        applyOverride(held, {2, std::nullopt}), (WriteValues {2, radio.reported.id, 7, 4, 1}));
}

TEST(ChangePreview, listsEveryChangedValueOldAndNewInBothLanguages)
{
    const WriteValues held {1, {0x12, 0x34, 0x56}, 7, 1, 0};
    EXPECT_TRUE(changedValues(held, held).empty());
    EXPECT_EQ(changePreviewText({}, kEnglish), "The write changes no value on the radio.");

    const WriteValues sent {3, {0x12, 0x34, 0xAB}, 21, 5, 2};
    EXPECT_EQ(changePreviewText(changedValues(held, sent), kEnglish),
        "The write changes these values on the radio (old → new):\n"
        "Air rate: 9600 bit/s → 2400 bit/s\n"
        "ID: 123456 → 0x1234AB\n"
        "Channel: 7 → 21\n"
        "Serial mode: 9600-N → 300-E");
    const WriteValues parityOnly {1, {0x12, 0x34, 0x56}, 7, 1, 1};
    EXPECT_EQ(changePreviewText(changedValues(held, parityOnly), kChinese),
        "写入将改变电台的以下参数(原值 → 新值):\n串口模式: 9600-N → 9600-O");
    // A code the list does not know is not passed off as a rate.
    const WriteValues unknownRate {5, {0x12, 0x34, 0x56}, 7, 1, 0};
    EXPECT_EQ(changePreviewText(changedValues(unknownRate, held), kChinese),
        "写入将改变电台的以下参数(原值 → 新值):\n空中速率: 未知(代码 5) → 9600 bit/s");
}

TEST(ChangePreview, theConfirmationAsksOkOrCancel)
{
    const WriteValues held {1, {0x12, 0x34, 0x56}, 7, 1, 0};
    WriteValues sent = held;
    sent.channel = 8;
    for (const auto answer : {platform::MessageResult::Ok, platform::MessageResult::Cancel}) {
        fakes::FakeDialogs dialogs;
        dialogs.answers.push_back(answer);
        EXPECT_EQ(
            confirmWrite(dialogs, kChinese, held, sent), answer == platform::MessageResult::Ok);
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].buttons, platform::MessageButtons::OkCancel);
        EXPECT_EQ(dialogs.shown[0].caption, "写电台");
        EXPECT_NE(dialogs.shown[0].text.find("信道号: 7 → 8"), std::string::npos);
    }
}

} // namespace
} // namespace radio
