#include "../radio/ScriptedRadio.h"
#include "ProgramFixture.h"
#include "TempDir.h"
#include "radio/ParameterExchange.h"
#include "radio/SettingsFile.h"
#include "radio/SettingsFileCommands.h"
#include "windows/PortDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QTimer>

namespace {

class SettingsFileMenuTest : public ProgramTest
{
protected:
    // Clicks the button and delivers the exchange's timer ticks until it has ended.
    void runExchange(QAbstractButton* button)
    {
        MainWindow& f = *program.mainWindow;
        button->click();
        for (int ticks = 0; f.answerTimer->isActive() && ticks < 10000; ++ticks) {
            system.nowMs += 10;
            if (f.requestTimer->isActive())
                program.exchange->sendTick();
            modem.tick();
            if (other)
                other->tick();
            program.exchange->receiveTick();
        }
    }
    void readRadio()
    {
        runExchange(program.mainWindow->readButton);
        ASSERT_TRUE(program.exchange->lastRead());
    }
    void load(const std::string& text)
    {
        fakes::TempDir::write(dir.path("in.conf"), text);
        dialogs.fileNames.push_back(dir.path("in.conf"));
        program.mainWindow->loadSettingsAction->trigger();
    }
    void write()
    {
        dialogs.shown.clear();
        com1->writes.clear();
        runExchange(program.mainWindow->writeButton);
    }
    const serial::SerialLink& link() const { return program.link; }
    std::vector<int> boxes() const
    {
        const MainWindow& f = *program.mainWindow;
        return {f.channelCombo->currentIndex(), f.radioSpeedCombo->currentIndex(),
            f.radioParityCombo->currentIndex()};
    }

    radiotest::ScriptedRadio modem {com1};
    radiotest::ScriptedRadio* other = nullptr; // a second radio on another port
    fakes::TempDir dir;
};

TEST_F(SettingsFileMenuTest, saveWithoutAReadIsRefusedAndAsksForNoFile)
{
    chooseLanguage(false);
    program.mainWindow->saveSettingsAction->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, fakes::ShownMessage::Message);
    EXPECT_EQ(dialogs.shown[0].text, "电台参数未知,请先读电台。");
}

TEST_F(SettingsFileMenuTest, saveWritesTheRadiosValuesAsLastRead)
{
    chooseLanguage(true);
    modem.channel = 9;
    modem.id = {0x65, 0x43, 0x21};
    readRadio();
    // A box changed after the read is not what the radio holds.
    program.mainWindow->channelCombo->setCurrentIndex(20);
    dialogs.shown.clear();
    dialogs.fileNames.push_back(dir.path("out.conf"));
    program.mainWindow->saveSettingsAction->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1u) << dialogs.shown.back().text;
    EXPECT_EQ(dialogs.shown[0].kind, fakes::ShownMessage::SaveFile);
    EXPECT_EQ(dialogs.shown[0].caption, "Save settings to file");
    const auto saved = radio::loadSettingsFile(dir.path("out.conf"));
    ASSERT_TRUE(std::holds_alternative<radio::RadioSettings>(saved));
    radio::RadioSettings expected;
    expected.channel = 9;
    expected.airRate = 1;
    expected.serial = radio::SerialMode {1, 0};
    expected.id = radio::IdBytes {0x65, 0x43, 0x21};
    expected.model = "TALVEX1.2";
    expected.port = "COM1 /dev/ttyFAKE1";
    // The time of the read, as local time with its offset: 2026-12-08T12:30:16+0800.
    const std::string readAt = std::get<radio::RadioSettings>(saved).readAt;
    EXPECT_EQ(readAt.size(), 24u) << readAt;
    expected.readAt = readAt;
    EXPECT_EQ(std::get<radio::RadioSettings>(saved), expected);
}

TEST_F(SettingsFileMenuTest, loadFillsTheBoxesAndKeepsAirRateAndIdForTheNextWrite)
{
    chooseLanguage(true);
    // A file's values are previewed against a radio: without a read there is none.
    program.mainWindow->loadSettingsAction->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, fakes::ShownMessage::Message);
    EXPECT_FALSE(program.settingsFiles->writeOverride());

    readRadio();
    dialogs.shown.clear();
    load("format = 1\nchannel = 21\nserial = 2400-E\nair-rate = 3\nid = 0xFFFFFF\n");
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].caption, "Load settings from file");
    // What the next write would change shows at once, hidden values included.
    EXPECT_NE(dialogs.shown[1].text.find("Air rate: 9600 bit/s → 2400 bit/s\nID: 123456 → "
                                         "0xFFFFFF\nChannel: 5 → 21\nSerial mode: 9600-N → 2400-E"),
        std::string::npos)
        << dialogs.shown[1].text;
    EXPECT_EQ(boxes(), (std::vector<int> {20, 3, 2}));
    EXPECT_EQ(program.settingsFiles->writeOverride(),
        (radio::WriteOverride {3, radio::IdBytes {0xFF, 0xFF, 0xFF}}));

    // Keys left out keep what is there: the boxes as they are, the radio's own air rate and ID.
    load("format = 1\nchannel = 2\n");
    EXPECT_EQ(boxes(), (std::vector<int> {1, 3, 2}));
    EXPECT_TRUE(program.settingsFiles->writeOverride()->empty());
}

TEST_F(SettingsFileMenuTest, aRefusedFileChangesNothingAndSaysWhy)
{
    chooseLanguage(false);
    readRadio();
    load("format = 1\nchannel = 21\nair-rate = 2\n");
    dialogs.shown.clear();
    load("format = 1\nchannel = 3\nair-rate = 4\nserial = 9600-X\n");
    EXPECT_EQ(boxes(), (std::vector<int> {20, 1, 0}));
    EXPECT_EQ(program.settingsFiles->writeOverride(), (radio::WriteOverride {2, std::nullopt}));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text.rfind(
                  "载入参数失败: " + dir.path("in.conf") + "\n第 4 行 serial:", 0),
        0u)
        << dialogs.shown[1].text;
    // Cancelled: nothing happens.
    program.mainWindow->loadSettingsAction->trigger();
    EXPECT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(boxes(), (std::vector<int> {20, 1, 0}));
}

} // namespace

namespace {

// A write that a loaded file shaped lists its changes and goes out only when confirmed; it sends
// the file's air rate and ID, and once written the next Write is the radio's own again.
TEST_F(SettingsFileMenuTest, aWriteShapedByAFileAsksFirstAndSendsTheFilesValues)
{
    chooseLanguage(true);
    program.mainWindow->verifyAfterWriteAction->setChecked(false);
    readRadio();
    load("format = 1\nchannel = 21\nair-rate = 3\nid = 0xFFFFFF\n");
    dialogs.answers = {platform::MessageResult::Ok};
    write();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].buttons, platform::MessageButtons::OkCancel);
    EXPECT_EQ(dialogs.shown[0].text,
        "The write changes these values on the radio (old → new):\n"
        "Air rate: 9600 bit/s → 2400 bit/s\nID: 123456 → 0xFFFFFF\nChannel: 5 → 21");
    EXPECT_EQ(dialogs.shown[1].text, "Write correct!");
    ASSERT_EQ(com1->writes.size(), 5u);
    EXPECT_EQ(com1->writes[1], (fakes::Bytes {0x55, 0xAA, 0x04, 0x20, 0x05, 0x03, 0x00, 0x2C}));
    EXPECT_EQ(com1->writes[2][4], 0xFF);
    EXPECT_FALSE(program.settingsFiles->writeOverride());

    write();
    ASSERT_EQ(dialogs.shown.size(), 1u) << "no question once the file's write went out";
    EXPECT_EQ(com1->writes[1][5], 0x03) << "the radio's own air rate, as written";
}

// A file's values belong to the radio they were previewed for: a Cancel, a read, a closed or
// changed port, or a write that did not end well drops them, the status bar says so, and the
// next write sends the radio's own ID without asking.
TEST_F(SettingsFileMenuTest, whateverChangesTheRadioDropsTheFilesValues)
{
    auto com3 = ports.add("COM3");
    radiotest::ScriptedRadio onCom3 {com3};
    onCom3.id = {0x65, 0x43, 0x21};
    other = &onCom3;
    MainWindow& f = *program.mainWindow;
    const struct
    {
        const char* name;
        std::function<void()> act;
        fakes::Bytes id; // of the radio the next write goes to
    } rows[] = {
        {"cancel", [this] { write(); }, {0x12, 0x34, 0x56}},
        {"read", [this] { readRadio(); }, {0x12, 0x34, 0x56}},
        {"another port",
            [this] {
                program.portDialog->portCombo->setCurrentIndex(2);
                program.portDialog->okButton->click();
            },
            {0x65, 0x43, 0x21}},
        {"failed write",
            [this] {
                dialogs.answers = {platform::MessageResult::Ok};
                modem.tamper = [](const fakes::Bytes& request, fakes::Bytes answer) {
                    return request[3] == radio::cmd::WriteChannel ? std::nullopt
                                                                  : std::optional(answer);
                };
                write();
                modem.tamper = nullptr;
            },
            // The radio took the ID before the channel failed: it is its own now.
            {0xFF, 0xFF, 0xFF}},
    };
    chooseLanguage(true);
    f.verifyAfterWriteAction->setChecked(false);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        program.mainWindow->closePortButton->click();
        readRadio();
        load("format = 1\nchannel = 21\nid = 0xFFFFFF\n");
        row.act();
        EXPECT_FALSE(program.settingsFiles->writeOverride());
        // A new port's state takes the panel's text; its tooltip keeps why.
        EXPECT_TRUE(program.mainWindow->statusPanels[3]->toolTip().startsWith(
            "The settings file's values were dropped: "));
        readRadio();
        com3->writes.clear();
        write();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].text, "Write correct!");
        const auto& writes = link().settings.portNumber == 3 ? com3->writes : com1->writes;
        ASSERT_EQ(writes.size(), 5u);
        EXPECT_EQ(fakes::Bytes(writes[2].begin() + 4, writes[2].begin() + 7), row.id);
    }
}

} // namespace
