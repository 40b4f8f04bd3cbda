#include "ErrorRateTest.h"

#include <algorithm>
#include <charconv>
#include <clocale>

namespace terminal {

std::string formatRate(float rate, const std::string& decimalPoint)
{
    char buffer[32];
    const auto result
        = std::to_chars(buffer, buffer + sizeof buffer, rate, std::chars_format::fixed, 4);
    std::string text(buffer, result.ptr);
    if (const auto dot = text.find('.'); dot != std::string::npos)
        text.replace(dot, 1, decimalPoint);
    return text;
}

ErrorRateTest::ErrorRateTest(Sender& sender, ReceiveDisplay& receiver, SendView& sendView,
    ErrorRateView& view, serial::PortController& portController, platform::Dialogs& dialogs,
    const core::Language& language)
    : m_sender(sender),
      m_sendView(sendView),
      m_view(view),
      m_dialogs(dialogs),
      m_language(language),
      m_closed(portController.subscribeClosed([this](serial::PortController::CloseReason reason) {
          if (reason == serial::PortController::CloseReason::DeviceGone && m_running)
              toggle();
      }))
{
    sender.onAutoSent = [this] {
        if (m_running)
            evaluate();
    };
    receiver.onChunk = [this](std::span<const std::uint8_t> chunk) { received(chunk); };
    receiver.onQuiet = [this] { return lineQuiet(); };
}

void ErrorRateTest::toggle()
{
    if (m_running) {
        // A stop ends test mode too, so that an echo station stops echoing and later sends
        // are no longer judged.
        m_view.showRunning(false);
        m_running = false;
        m_echo.clear();
        m_sendView.setAutoSend(false);
        m_sendView.setAutoSendEnabled(true);
        return;
    }
    for (const EchoCount count :
        {EchoCount::Sent, EchoCount::Good, EchoCount::SuccessRate, EchoCount::Bad})
        m_view.showCount(count, "0");
    m_sent = m_good = m_bad = 0;
    if (m_sendView.sendText().empty()) {
        m_dialogs.showMessage(m_language.pick("Please input datas", "请输入发送字符"));
        return;
    }
    m_running = true;
    m_echo.clear();
    m_sendView.setAutoSendPeriod("2000");
    m_view.showRunning(true);
    m_sendView.setAutoSendEnabled(false);
    if (m_view.measuring())
        m_sendView.setAutoSend(true);
}

// A chunk's text up to its first zero byte is what the test compares.
void ErrorRateTest::received(std::span<const std::uint8_t> chunk)
{
    if (m_running)
        m_echo.append(chunk.begin(), std::find(chunk.begin(), chunk.end(), 0));
}

// Once the line has been quiet for a while, the measuring station sends its next text at
// once, and the echo station returns what it received. True when an echo went out.
bool ErrorRateTest::lineQuiet()
{
    if (!m_running || m_echo.empty())
        return false;
    if (m_view.measuring()) {
        m_sender.sendAtNextTick();
        return false;
    }
    if (!m_sender.send(m_echo, false))
        return false;
    m_echo.clear();
    return true;
}

// Judges the reply that came since the previous send; m_sent counts the judged sends.
void ErrorRateTest::evaluate()
{
    // No reply counts neither way, also when the send area has been emptied.
    if (!m_echo.empty()) {
        if (m_echo == m_sender.sendTextBytes()) {
            ++m_good;
            m_view.showCount(EchoCount::Good, std::to_string(m_good));
        } else {
            ++m_bad;
        }
    }
    m_view.showCount(EchoCount::Bad, std::to_string(m_bad));
    m_view.showCount(EchoCount::Sent, std::to_string(m_sent));
    if (m_sent > 0 && m_view.measuring()) {
        const auto rate = static_cast<float>(m_good * 100.0 / m_sent);
        m_view.showCount(
            EchoCount::SuccessRate, formatRate(rate, std::localeconv()->decimal_point));
    }
    m_echo.clear();
    ++m_sent;
}

} // namespace terminal
