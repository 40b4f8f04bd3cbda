#include "ProgramFixture.h"
#include "TempDir.h"

#include "terminal/Terminal.h"
#include "windows/PortDialog.h"
#include "windows/TerminalPanels.h"

#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>

namespace {

QAction* actionNamed(QMenu& menu, const QString& name)
{
    for (QAction* action : menu.actions()) {
        if (action->objectName() == name)
            return action;
    }
    return nullptr;
}

// The menus' own texts, in the window's language: the two encodings and, for the receive area,
// saving.
std::vector<QString> terminalTexts(QMenu& menu)
{
    std::vector<QString> texts;
    for (const char* name : {"TextUtf8", "TextGb18030", "SaveRecData"}) {
        if (const QAction* action = actionNamed(menu, name))
            texts.push_back(action->text());
    }
    return texts;
}

} // namespace

TEST_F(ProgramTest, textAreaMenusAddOneEncodingChoiceAndSavingToTheStandardActions)
{
    chooseLanguage(false);
    MainWindow& f = *program.mainWindow;
    const auto receiveMenu = f.contextMenu(f.receiveText);
    const auto sendMenu = f.contextMenu(f.sendText);
    for (QMenu* menu : {receiveMenu.get(), sendMenu.get()})
        EXPECT_TRUE(actionNamed(*menu, "edit-copy")) << "the toolkit's editing actions stay";
    EXPECT_EQ(terminalTexts(*receiveMenu),
        (std::vector<QString> {
            "文本编码：UTF-8", "文本编码：GB18030 (GBK)", "保存接收数据...\t最近 16 MiB"}));
    EXPECT_EQ(terminalTexts(*sendMenu),
        (std::vector<QString> {"文本编码：UTF-8", "文本编码：GB18030 (GBK)"}));
    EXPECT_TRUE(f.utf8Action->isChecked());

    actionNamed(*sendMenu, "TextGb18030")->trigger();
    EXPECT_TRUE(actionNamed(*receiveMenu, "TextGb18030")->isChecked()) << "one choice for both";
    EXPECT_FALSE(f.utf8Action->isChecked());
    EXPECT_EQ(program.sendPanel->textEncoding(), terminal::TextEncoding::Gb18030);
    EXPECT_EQ(program.receivePanel->textEncoding(), terminal::TextEncoding::Gb18030);
}

TEST_F(ProgramTest, textAreaMenusInEnglish)
{
    chooseLanguage(true);
    MainWindow& f = *program.mainWindow;
    EXPECT_EQ(terminalTexts(*f.contextMenu(f.receiveText)),
        (std::vector<QString> {"Text encoding: UTF-8", "Text encoding: GB18030 (GBK)",
            "Save received data...\tlast 16 MiB"}));
}

TEST_F(ProgramTest, gb18030ChosenInTheMenuSendsShowsAndSavesThroughTheWindow)
{
    chooseLanguage(false);
    MainWindow& f = *program.mainWindow;
    f.openPortButton->click();
    program.portDialog->okButton->click();
    ASSERT_TRUE(com1->open);
    actionNamed(*f.contextMenu(f.receiveText), "TextGb18030")->trigger();

    f.sendText->setPlainText("数传");
    f.sendButton->click();
    ASSERT_EQ(com1->writes.size(), 1u);
    EXPECT_EQ(com1->writes[0], (fakes::Bytes {0xCA, 0xFD, 0xB4, 0xAB}));

    const fakes::Bytes received {0xB5, 0xE7, 0xCC, 0xA8, 0x00, 0x0D};
    com1->feed(received);
    program.terminal->receivePoll();
    EXPECT_EQ(f.receiveText->toPlainText(), "电台");

    fakes::TempDir dir;
    dialogs.fileNames.push_back(dir.path("rx.bin"));
    actionNamed(*f.contextMenu(f.receiveText), "SaveRecData")->trigger();
    EXPECT_EQ(
        fakes::TempDir::read(dir.path("rx.bin")), std::string(received.begin(), received.end()));
}
