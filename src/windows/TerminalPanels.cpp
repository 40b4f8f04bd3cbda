#include "TerminalPanels.h"

#include "windows/Controls.h"
#include "windows/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {

QString toQt(const std::string& text)
{
    return QString::fromStdString(text);
}

terminal::TextEncoding encodingOf(const MainWindow& form)
{
    return form.TextGb18030->isChecked() ? terminal::TextEncoding::Gb18030
                                         : terminal::TextEncoding::Utf8;
}

} // namespace

SendPanel::SendPanel(MainWindow& form) : autoSendTimer(*form.Timer_TrttData), m_form(form) { }

// The logic sees CR LF between the area's lines.
std::string SendPanel::sendText() const
{
    return m_form.Memo_Trtt->toPlainText().replace('\n', "\r\n").toStdString();
}

void SendPanel::clearSendText()
{
    m_form.Memo_Trtt->setPlainText(QString());
}

bool SendPanel::hexSend() const
{
    return m_form.Check_TrttHex->isChecked();
}

terminal::TextEncoding SendPanel::textEncoding() const
{
    return encodingOf(m_form);
}

bool SendPanel::autoSend() const
{
    return m_form.Check_AutoTrtt->isChecked();
}

void SendPanel::setAutoSend(bool on)
{
    m_form.Check_AutoTrtt->setChecked(on);
}

void SendPanel::setAutoSendEnabled(bool enabled)
{
    m_form.Check_AutoTrtt->setEnabled(enabled);
}

std::string SendPanel::autoSendPeriod() const
{
    return m_form.Edit_TrttPerio->text().toStdString();
}

void SendPanel::setAutoSendPeriod(const std::string& text)
{
    m_form.Edit_TrttPerio->setText(toQt(text));
}

bool ReceivePanel::hexDisplay() const
{
    return m_form.Check_RecHex->isChecked();
}

bool ReceivePanel::autoClear() const
{
    return m_form.Check_AutoClr->isChecked();
}

bool ReceivePanel::showTime() const
{
    return m_form.ShowTime->isChecked();
}

terminal::TextEncoding ReceivePanel::textEncoding() const
{
    return encodingOf(m_form);
}

bool ReceivePanel::appendReceived(
    const std::vector<terminal::ReceivedText>& polls, int clearAbove, bool keepOverEmpty)
{
    std::vector<windows::TextArea::Poll> texts;
    texts.reserve(polls.size());
    for (const terminal::ReceivedText& poll : polls)
        texts.push_back({toQt(poll.text).replace("\r\n", "\n"), poll.newLine});
    return m_form.Memo_Rec->appendPolls(texts, clearAbove, keepOverEmpty);
}

void ReceivePanel::scrollToEnd()
{
    QScrollBar* bar = m_form.Memo_Rec->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void ReceivePanel::clearReceived()
{
    m_form.Memo_Rec->setPlainText(QString());
}

void ReceivePanel::showStopCaption(const std::string& caption)
{
    m_form.Button1->setText(toQt(caption));
}

bool ReceivePanel::logTicked() const
{
    return m_form.LogToFile->isChecked();
}

void ReceivePanel::showLog(bool ticked, const std::string& caption)
{
    m_form.LogToFile->setChecked(ticked);
    m_form.LogToFile->setText(toQt(caption));
}

bool ErrorRatePanel::measuring() const
{
    return m_form.CheckTrtt->isChecked();
}

void ErrorRatePanel::showRunning(bool running)
{
    m_form.PanelTrttTest->setLowered(running);
}

void ErrorRatePanel::showCount(terminal::EchoCount count, const std::string& text)
{
    QLineEdit* const boxes[] = {m_form.Edit1, m_form.Edit2, m_form.Edit3, m_form.Edit4};
    boxes[static_cast<int>(count)]->setText(toQt(text));
}

RevealPanel::RevealPanel(MainWindow& form) : clock(*form.Timer1), m_form(form) { }

void RevealPanel::showHidden()
{
    m_form.Test_M->setVisible(true);
    m_form.LinkTest_M->setVisible(true);
    m_form.Panel2->setVisible(true);
    m_form.fitToContents();
}

void RevealPanel::enableAirRate()
{
    m_form.ComboAirBaud->setEnabled(true);
}
