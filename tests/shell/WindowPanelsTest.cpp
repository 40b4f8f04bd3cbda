#include "ProgramFixture.h"

#include "windows/ParameterPanel.h"
#include "windows/TerminalPanels.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextBlock>

#include <climits>
#include <random>

#include "windows/ProgressWindow.h"

namespace {

// The lines of an area laid out at its width, every block counted; an empty last line does not
// count.
int laidOutLines(QPlainTextEdit* area)
{
    int lines = 0;
    QTextDocument* document = area->document();
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next()) {
        document->documentLayout()->blockBoundingRect(b);
        lines += b.layout()->lineCount();
    }
    return lines - (document->lastBlock().text().isEmpty() ? 1 : 0);
}

// What selecting all of an area and copying it puts on the clipboard.
std::string copied(QPlainTextEdit* area)
{
    area->selectAll();
    area->copy();
    return QGuiApplication::clipboard()->text().toStdString();
}

// One poll's text, with no auto clear.
void append(ReceivePanel& panel, const std::string& text)
{
    panel.appendReceived({{text}}, INT_MAX, false);
}

// The area's text with CR LF between its lines, as the received text has them.
std::string shownText(const windows::TextArea* area)
{
    return area->text().replace('\n', "\r\n").toStdString();
}

} // namespace

// Polls appended at once end as they would have, shown one at a time with auto clear after
// each: the same text and lines, whatever the mix of wrapped lines, breaks and time stamps.
TEST_F(ProgramTest, receiveAreaAutoClearsPollByPollWhenPollsComeTogether)
{
    chooseLanguage(false);
    ReceivePanel& panel = *program.receivePanel;
    auto* batched = program.mainWindow->receiveText;
    windows::TextArea single(batched->parentWidget());
    single.setGeometry(batched->geometry());
    single.setFont(batched->font());
    single.setLineWrapMode(batched->lineWrapMode());
    single.setVerticalScrollBarPolicy(batched->verticalScrollBarPolicy());
    single.show();
    ASSERT_EQ(single.viewport()->width(), batched->viewport()->width());
    std::mt19937 random(7);
    const std::vector<std::string> pieces = {"ab", "\r\n", std::string(150, 'x'), "41 42 ",
        "中文\r\nline\r\n", "", std::string(70, 'y') + "\r\n"};
    for (int round = 0; round < 200; ++round) {
        std::vector<terminal::ReceivedText> polls(random() % 6);
        for (auto& poll : polls) {
            poll.text = pieces[random() % pieces.size()];
            poll.newLine = random() % 4 == 0;
        }
        panel.appendReceived(polls, 12, false);
        for (const auto& poll : polls) {
            if (poll.newLine && !single.document()->lastBlock().text().isEmpty())
                single.appendText("\n");
            single.appendText(QString::fromStdString(poll.text).replace("\r\n", "\n"));
            if (single.shownLineCount() > 12)
                single.clear();
        }
        ASSERT_EQ(batched->text(), single.text()) << round;
        ASSERT_EQ(batched->shownLineCount(), single.shownLineCount()) << round;
    }
}

TEST_F(ProgramTest, receiveAreaLineCountFollowsAppendsAndEdits)
{
    chooseLanguage(false);
    ReceivePanel& panel = *program.receivePanel;
    windows::TextArea* area = program.mainWindow->receiveText;
    EXPECT_EQ(area->shownLineCount(), 0);
    for (int i = 0; i < 40; ++i) {
        append(panel, i % 3 ? "line " + std::to_string(i) + "\r\n" : "41 42 0D ");
        ASSERT_EQ(area->shownLineCount(), laidOutLines(area)) << i;
    }
    area->setPlainText("one\ntwo");
    EXPECT_EQ(area->shownLineCount(), 2);
    area->clear();
    EXPECT_EQ(area->shownLineCount(), 0);
    append(panel, std::string(2000, 'x'));
    EXPECT_EQ(area->shownLineCount(), laidOutLines(area));
    EXPECT_GT(laidOutLines(area), 10);
}

// Appends cut long paragraphs where they wrap, yet the text and a copy of the whole area have
// line breaks only where the received text had them.
TEST_F(ProgramTest, copyOfTheReceiveAreaGivesTheReceivedTextExactly)
{
    chooseLanguage(false);
    ReceivePanel& panel = *program.receivePanel;
    windows::TextArea* area = program.mainWindow->receiveText;
    std::string sentence = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
    sentence += sentence + sentence;
    std::string all;
    for (int i = 0; i < 4; ++i)
        all += sentence + "\r\n";
    all += sentence;
    // Chunks of uneven sizes, cut anywhere but inside a line break, as the display gets them.
    for (std::size_t at = 0, size = 50; at < all.size(); at += size, size += 9) {
        if (at + size < all.size() && all[at + size - 1] == '\r')
            ++size;
        append(panel, all.substr(at, size));
    }
    EXPECT_GT(area->document()->blockCount(), 10) << "the long lines were cut into blocks";
    EXPECT_EQ(shownText(area), all);
    std::string withLf = all;
    for (std::size_t at; (at = withLf.find("\r\n")) != std::string::npos;)
        withLf.erase(at, 1);
    EXPECT_EQ(copied(area), withLf);
}

TEST_F(ProgramTest, progressBarShowsNegativePositionsEmptyAndDialogCannotBeDismissed)
{
    chooseLanguage(false);
    ProgressWindow& progress = *program.progressWindow;
    progress.showProgress("连接电台", "正在连接电台,请稍候...", 19);
    progress.showStep(-3);
    EXPECT_EQ(progress.progressBar->value(), 0);
    progress.showStep(25);
    EXPECT_EQ(progress.progressBar->value(), 19);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.size(), QSize(322, 151));
    progress.reject();
    progress.close();
    EXPECT_TRUE(progress.isVisible());
    progress.hideProgress();
    EXPECT_FALSE(progress.isVisible());
}

TEST_F(ProgramTest, checkingAutoSendThroughItsViewRunsItsHandler)
{
    chooseLanguage(false);
    program.sendPanel->setAutoSend(true);
    // With no port open the handler reports it and unchecks the box again.
    EXPECT_FALSE(program.sendPanel->autoSend());
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown[0].text, "串口未打开");
}

TEST_F(ProgramTest, verifyAfterWriteIsTickedByDefault)
{
    chooseLanguage(true);
    EXPECT_TRUE(program.parameterPanel->verifyAfterWrite());
    program.mainWindow->verifyAfterWriteAction->trigger();
    EXPECT_FALSE(program.parameterPanel->verifyAfterWrite());
}

TEST_F(ProgramTest, hexRunsShowTheSameLinesAsOneWrappedParagraph)
{
    chooseLanguage(false);
    ReceivePanel& panel = *program.receivePanel;
    windows::TextArea* area = program.mainWindow->receiveText;
    std::string all;
    for (int i = 0; i < 300; ++i) {
        const std::string groups = i % 7 ? "41 42 43 " : "0D 0A FF 00 7E ";
        append(panel, groups);
        all += groups;
    }
    // The same text as a single paragraph in an area of the same width.
    QPlainTextEdit reference;
    reference.setFont(program.mainWindow->receiveText->font());
    reference.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    reference.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reference.resize(program.mainWindow->receiveText->size());
    reference.show();
    reference.setPlainText(QString::fromStdString(all));
    const int lines = laidOutLines(&reference);
    EXPECT_GT(lines, 20);
    EXPECT_EQ(area->shownLineCount(), lines);
    // Copied, the hex text has no line breaks at all.
    EXPECT_EQ(shownText(area), all);
    EXPECT_EQ(copied(program.mainWindow->receiveText), all);
    // Appends lay out only the paragraph they extend, which stays within about one line.
    EXPECT_LT(program.mainWindow->receiveText->document()->lastBlock().length(), 200);
}

TEST_F(ProgramTest, scrollingToTheEndBringsTheLastReceivedLineIntoView)
{
    chooseLanguage(false);
    ReceivePanel& panel = *program.receivePanel;
    windows::TextArea* area = program.mainWindow->receiveText;
    for (int i = 0; i < 60; ++i) {
        append(panel, "received line " + std::to_string(i) + "\r\n");
        panel.scrollToEnd();
    }
    append(panel, "the last one");
    panel.scrollToEnd();
    const QTextCursor bottom = area->cursorForPosition(QPoint(5, area->viewport()->height() - 5));
    EXPECT_EQ(bottom.block().text(), "the last one");
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
}
