#include "ProgramFixture.h"

#include "shell/QtUi.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextBlock>

#include "radio/ProgressForm.h"

using core::Ctl;

namespace {

std::string joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const auto& line : lines)
        all += line;
    return all;
}

} // namespace

TEST_F(ProgramTest, sendAreaLinesAreTheWrappedLinesItShows)
{
    chooseLanguage(false);
    QtUi& ui = *program.ui;
    std::string longLine;
    for (int i = 0; i < 120; ++i)
        longLine += "A5 ";
    ui.setText(Ctl::Memo_Trtt, longLine + "\r\n12 34\r\n");
    const auto lines = ui.shownLines(Ctl::Memo_Trtt);
    ASSERT_GT(lines.size(), 3u) << "a 360-character line wraps in a 425-pixel area";
    EXPECT_EQ(lines.back(), "12 34") << "the empty last line does not count";
    EXPECT_EQ(joined(lines), longLine + "12 34");
    EXPECT_EQ(ui.text(Ctl::Memo_Trtt), longLine + "\r\n12 34\r\n");
}

TEST_F(ProgramTest, receiveAreaLineCountFollowsAppendsAndEdits)
{
    chooseLanguage(false);
    QtUi& ui = *program.ui;
    auto fullCount = [&] { return static_cast<int>(ui.shownLines(Ctl::Memo_Rec).size()); };
    EXPECT_EQ(ui.shownLineCount(Ctl::Memo_Rec), 0);
    for (int i = 0; i < 40; ++i) {
        ui.appendText(Ctl::Memo_Rec, i % 3 ? "line " + std::to_string(i) + "\r\n" : "41 42 0D ");
        ASSERT_EQ(ui.shownLineCount(Ctl::Memo_Rec), fullCount()) << i;
    }
    ui.setText(Ctl::Memo_Rec, "one\r\ntwo");
    EXPECT_EQ(ui.shownLineCount(Ctl::Memo_Rec), 2);
    program.Form1->Memo_Rec->clear();
    EXPECT_EQ(ui.shownLineCount(Ctl::Memo_Rec), 0);
    ui.appendText(Ctl::Memo_Rec, std::string(2000, 'x'));
    EXPECT_EQ(ui.shownLineCount(Ctl::Memo_Rec), fullCount());
    EXPECT_GT(fullCount(), 10);
}

TEST_F(ProgramTest, progressBarShowsNegativePositionsEmptyAndDialogCannotBeDismissed)
{
    chooseLanguage(false);
    QtUi& ui = *program.ui;
    ui.setProgressMaximum(Ctl::ProgressBar1, 19);
    ui.setProgressValue(Ctl::ProgressBar1, -3);
    EXPECT_EQ(ui.progressValue(Ctl::ProgressBar1), -3);
    EXPECT_EQ(program.Form_Progress->ProgressBar1->value(), 0);
    ui.setVisible(Ctl::Form_Progress, true);
    EXPECT_TRUE(program.Form_Progress->isVisible());
    EXPECT_EQ(program.Form_Progress->size(), QSize(322, 151));
    program.Form_Progress->reject();
    program.Form_Progress->close();
    EXPECT_TRUE(program.Form_Progress->isVisible());
    ui.setVisible(Ctl::Form_Progress, false);
    EXPECT_FALSE(program.Form_Progress->isVisible());
}

TEST_F(ProgramTest, checkingAutoSendThroughTheUiRunsItsHandler)
{
    chooseLanguage(false);
    program.ui->setChecked(Ctl::Check_AutoTrtt, true);
    // With no port open the handler reports it and unchecks the box again.
    EXPECT_FALSE(program.ui->isChecked(Ctl::Check_AutoTrtt));
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown[0].text, "串口未打开");
}

TEST_F(ProgramTest, hexRunsShowTheSameLinesAsOneWrappedParagraph)
{
    chooseLanguage(false);
    QtUi& ui = *program.ui;
    std::string all;
    for (int i = 0; i < 300; ++i) {
        const std::string groups = i % 7 ? "41 42 43 " : "0D 0A FF 00 7E ";
        ui.appendText(Ctl::Memo_Rec, groups);
        all += groups;
    }
    // The same text as a single paragraph in an area of the same width.
    QPlainTextEdit reference;
    reference.setFont(program.Form1->Memo_Rec->font());
    reference.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    reference.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reference.resize(program.Form1->Memo_Rec->size());
    reference.show();
    reference.setPlainText(QString::fromStdString(all));
    int lines = 0;
    for (QTextBlock b = reference.document()->begin(); b.isValid(); b = b.next()) {
        reference.document()->documentLayout()->blockBoundingRect(b);
        lines += b.layout()->lineCount();
    }
    EXPECT_GT(lines, 20);
    EXPECT_EQ(ui.shownLineCount(Ctl::Memo_Rec), lines);
    EXPECT_EQ(joined(ui.shownLines(Ctl::Memo_Rec)), all);
    // Appends lay out only the paragraph they extend, which stays within about one line.
    EXPECT_LT(program.Form1->Memo_Rec->document()->lastBlock().length(), 200);
}

TEST_F(ProgramTest, scrollingToTheEndBringsTheLastReceivedLineIntoView)
{
    chooseLanguage(false);
    QtUi& ui = *program.ui;
    QPlainTextEdit* area = program.Form1->Memo_Rec;
    for (int i = 0; i < 60; ++i) {
        ui.appendText(Ctl::Memo_Rec, "received line " + std::to_string(i) + "\r\n");
        ui.scrollToEnd(Ctl::Memo_Rec);
    }
    ui.appendText(Ctl::Memo_Rec, "the last one");
    ui.scrollToEnd(Ctl::Memo_Rec);
    const QTextCursor bottom = area->cursorForPosition(QPoint(5, area->viewport()->height() - 5));
    EXPECT_EQ(bottom.block().text(), "the last one");
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
}
