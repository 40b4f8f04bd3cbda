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

terminal::TextEncoding encodingOf(const MainWindow& window)
{
    return window.gb18030Action->isChecked() ? terminal::TextEncoding::Gb18030
                                             : terminal::TextEncoding::Utf8;
}

} // namespace

SendPanel::SendPanel(MainWindow& window)
    : autoSendTimer(*window.autoSendTimer), m_window(window) { }

// The logic sees CR LF between the area's lines.
std::string SendPanel::sendText() const
{
    return m_window.sendText->toPlainText().replace('\n', "\r\n").toStdString();
}

void SendPanel::clearSendText()
{
    m_window.sendText->setPlainText(QString());
}

bool SendPanel::hexSend() const
{
    return m_window.hexSendCheck->isChecked();
}

terminal::TextEncoding SendPanel::textEncoding() const
{
    return encodingOf(m_window);
}

bool SendPanel::autoSend() const
{
    return m_window.autoSendCheck->isChecked();
}

void SendPanel::setAutoSend(bool on)
{
    m_window.autoSendCheck->setChecked(on);
}

void SendPanel::setAutoSendEnabled(bool enabled)
{
    m_window.autoSendCheck->setEnabled(enabled);
}

std::string SendPanel::autoSendPeriod() const
{
    return m_window.autoSendPeriodEdit->text().toStdString();
}

void SendPanel::setAutoSendPeriod(const std::string& text)
{
    m_window.autoSendPeriodEdit->setText(toQt(text));
}

bool ReceivePanel::hexDisplay() const
{
    return m_window.hexDisplayCheck->isChecked();
}

bool ReceivePanel::autoClear() const
{
    return m_window.autoClearCheck->isChecked();
}

bool ReceivePanel::showTime() const
{
    return m_window.showTimeAction->isChecked();
}

terminal::TextEncoding ReceivePanel::textEncoding() const
{
    return encodingOf(m_window);
}

bool ReceivePanel::appendReceived(
    const std::vector<terminal::ReceivedText>& polls, int clearAbove, bool keepOverEmpty)
{
    std::vector<windows::TextArea::Poll> texts;
    texts.reserve(polls.size());
    for (const terminal::ReceivedText& poll : polls)
        texts.push_back({toQt(poll.text).replace("\r\n", "\n"), poll.newLine});
    return m_window.receiveText->appendPolls(texts, clearAbove, keepOverEmpty);
}

void ReceivePanel::scrollToEnd()
{
    QScrollBar* bar = m_window.receiveText->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void ReceivePanel::clearReceived()
{
    m_window.receiveText->setPlainText(QString());
}

void ReceivePanel::showStopCaption(const std::string& caption)
{
    m_window.stopDisplayButton->setText(toQt(caption));
}

bool ReceivePanel::logTicked() const
{
    return m_window.logToFileAction->isChecked();
}

void ReceivePanel::showLog(bool ticked, const std::string& caption)
{
    m_window.logToFileAction->setChecked(ticked);
    m_window.logToFileAction->setText(toQt(caption));
}

bool ErrorRatePanel::measuring() const
{
    return m_window.recordCheck->isChecked();
}

void ErrorRatePanel::showRunning(bool running)
{
    m_window.errorTestButton->setLowered(running);
}

void ErrorRatePanel::showCount(terminal::EchoCount count, const std::string& text)
{
    QLineEdit* const boxes[] = {m_window.sentCountEdit, m_window.receivedCountEdit,
        m_window.successEdit, m_window.errorCountEdit};
    boxes[static_cast<int>(count)]->setText(toQt(text));
}

RevealPanel::RevealPanel(MainWindow& window) : clock(*window.gestureTimer), m_window(window) { }

void RevealPanel::showHidden()
{
    m_window.registerTestAction->setVisible(true);
    m_window.linkTestAction->setVisible(true);
    m_window.errorRateStrip->setVisible(true);
    m_window.fitToContents();
}

void RevealPanel::enableAirRate()
{
    m_window.airRateCombo->setEnabled(true);
}
