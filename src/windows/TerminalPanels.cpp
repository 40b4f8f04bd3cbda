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
    return form.gb18030Action->isChecked() ? terminal::TextEncoding::Gb18030
                                           : terminal::TextEncoding::Utf8;
}

} // namespace

SendPanel::SendPanel(MainWindow& form) : autoSendTimer(*form.autoSendTimer), m_form(form) { }

// The logic sees CR LF between the area's lines.
std::string SendPanel::sendText() const
{
    return m_form.sendText->toPlainText().replace('\n', "\r\n").toStdString();
}

void SendPanel::clearSendText()
{
    m_form.sendText->setPlainText(QString());
}

bool SendPanel::hexSend() const
{
    return m_form.hexSendCheck->isChecked();
}

terminal::TextEncoding SendPanel::textEncoding() const
{
    return encodingOf(m_form);
}

bool SendPanel::autoSend() const
{
    return m_form.autoSendCheck->isChecked();
}

void SendPanel::setAutoSend(bool on)
{
    m_form.autoSendCheck->setChecked(on);
}

void SendPanel::setAutoSendEnabled(bool enabled)
{
    m_form.autoSendCheck->setEnabled(enabled);
}

std::string SendPanel::autoSendPeriod() const
{
    return m_form.autoSendPeriodEdit->text().toStdString();
}

void SendPanel::setAutoSendPeriod(const std::string& text)
{
    m_form.autoSendPeriodEdit->setText(toQt(text));
}

bool ReceivePanel::hexDisplay() const
{
    return m_form.hexDisplayCheck->isChecked();
}

bool ReceivePanel::autoClear() const
{
    return m_form.autoClearCheck->isChecked();
}

bool ReceivePanel::showTime() const
{
    return m_form.showTimeAction->isChecked();
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
    return m_form.receiveText->appendPolls(texts, clearAbove, keepOverEmpty);
}

void ReceivePanel::scrollToEnd()
{
    QScrollBar* bar = m_form.receiveText->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void ReceivePanel::clearReceived()
{
    m_form.receiveText->setPlainText(QString());
}

void ReceivePanel::showStopCaption(const std::string& caption)
{
    m_form.stopDisplayButton->setText(toQt(caption));
}

bool ReceivePanel::logTicked() const
{
    return m_form.logToFileAction->isChecked();
}

void ReceivePanel::showLog(bool ticked, const std::string& caption)
{
    m_form.logToFileAction->setChecked(ticked);
    m_form.logToFileAction->setText(toQt(caption));
}

bool ErrorRatePanel::measuring() const
{
    return m_form.recordCheck->isChecked();
}

void ErrorRatePanel::showRunning(bool running)
{
    m_form.errorTestButton->setLowered(running);
}

void ErrorRatePanel::showCount(terminal::EchoCount count, const std::string& text)
{
    QLineEdit* const boxes[] = {
        m_form.sentCountEdit, m_form.receivedCountEdit, m_form.successEdit, m_form.errorCountEdit};
    boxes[static_cast<int>(count)]->setText(toQt(text));
}

RevealPanel::RevealPanel(MainWindow& form) : clock(*form.gestureTimer), m_form(form) { }

void RevealPanel::showHidden()
{
    m_form.registerTestAction->setVisible(true);
    m_form.linkTestAction->setVisible(true);
    m_form.errorRateStrip->setVisible(true);
    m_form.fitToContents();
}

void RevealPanel::enableAirRate()
{
    m_form.airRateCombo->setEnabled(true);
}
