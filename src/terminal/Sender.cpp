#include "Sender.h"

#include "HexText.h"

#include <charconv>

namespace terminal {

namespace {

// Decimal digits with an optional sign, within 32 bits; anything else is no integer.
std::optional<std::int32_t> parseInteger(const std::string& text)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (text.size() > 1 && text[0] == '+' && text[1] >= '0' && text[1] <= '9')
        ++first;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

} // namespace

Sender::Sender(serial::SerialLink& link, serial::PortController& portController, SendView& view,
    core::Timer& autoSendTimer, core::StatusBar& status, platform::Dialogs& dialogs,
    const platform::System& system, const core::Language& language, TrafficCounts& counts)
    : m_link(link),
      m_view(view),
      m_timer(autoSendTimer),
      m_status(status),
      m_dialogs(dialogs),
      m_system(system),
      m_language(language),
      m_counts(counts),
      m_closed(portController.subscribeClosed([this](serial::PortController::CloseReason reason) {
          m_unsent.clear();
          if (reason == serial::PortController::CloseReason::DeviceGone)
              m_view.setAutoSend(false);
      })),
      m_paused(portController.subscribePaused([this](bool paused) {
          if (paused)
              m_timer.stop();
          else if (m_view.autoSend() && !m_timer.isActive())
              m_timer.start();
      }))
{ }

bool Sender::checkCanSend(bool fromAutoSwitch)
{
    if (!m_link.handle.isValid()) {
        if (!m_language.isEnglish())
            m_dialogs.messageBox("串口未打开", "ERROR", platform::MessageButtons::Ok);
        else if (fromAutoSwitch)
            m_dialogs.messageBox("Port not opened", "Write", platform::MessageButtons::Ok);
        else
            m_dialogs.showMessage("Port not opened");
        return false;
    }
    if (m_view.sendText().empty()) {
        if (m_language.isEnglish())
            m_dialogs.showMessage("String is empty");
        else
            m_dialogs.messageBox("发送字符串为空", "传送", platform::MessageButtons::Ok);
        return false;
    }
    return true;
}

std::string Sender::sendTextBytes() const
{
    return encodeText(m_view.textEncoding(), m_view.sendText());
}

std::string Sender::sendBlock() const
{
    if (!m_view.hexSend())
        return sendTextBytes();
    const auto bytes = HexTextToBytes(m_view.sendText());
    return std::string(bytes.begin(), bytes.end());
}

// A block goes to the port without holding the window: what the line cannot take now stays in
// m_unsent and goes out with later ticks and polls, and no new block starts before the last one
// has gone out whole. Returns false when the block was not started (line busy, device gone).
bool Sender::send(std::string block, bool counted)
{
    if (!m_link.handle.isValid())
        return false;
    pushOut(false);
    if (!m_link.handle.isValid() || !m_unsent.empty())
        return false;
    m_unsent = std::move(block);
    m_unsentCounted = counted;
    pushOut(true);
    return true;
}

void Sender::pushPending()
{
    pushOut(false);
}

// Hands the driver what it takes of m_unsent now; a fresh block is written even when empty,
// as a send of nothing still rewrites the TX count. TX counts only what went out.
void Sender::pushOut(bool fresh)
{
    if (!m_link.handle.isValid() || (m_unsent.empty() && !fresh))
        return;
    platform::SerialPort& port = m_link.handle.port();
    std::uint32_t written = 0;
    if (!port.writeSome(reinterpret_cast<const std::uint8_t*>(m_unsent.data()),
            static_cast<std::uint32_t>(m_unsent.size()), written))
        return;
    const std::string sent = m_unsent.substr(0, written);
    m_unsent.erase(0, written);
    if (m_unsentCounted && (written > 0 || fresh)) {
        m_counts.sent
            = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_counts.sent) + written);
        m_status.setText(core::StatusPanel::Sent, "TX : " + std::to_string(m_counts.sent));
    }
    // Last, as the report of a failed log write runs the event loop.
    if (onSent)
        onSent({reinterpret_cast<const std::uint8_t*>(sent.data()), sent.size()});
}

void Sender::sendOnce()
{
    if (!checkCanSend(false) || send(sendBlock(), true) || !m_link.handle.isValid())
        return;
    const char* english = "The line is busy: the previous data has not all gone out yet.";
    const char* chinese = "线路忙:上次发送的数据尚未全部发出";
    if (m_language.isEnglish())
        m_dialogs.showMessage(english);
    else
        m_dialogs.messageBox(chinese, "传送", platform::MessageButtons::Ok);
}

void Sender::toggleAutoSend()
{
    if (!m_view.autoSend()) {
        // A stop is a stop at every speed: what the line has not carried yet is dropped.
        m_timer.stop();
        m_unsent.clear();
        if (m_link.handle.isValid())
            m_link.handle.port().purge(platform::PurgeTxClear);
        return;
    }
    m_reportedPeriod.reset(); // every tick-on hears of a bad period again
    m_lastTickMs = m_system.steadyMs();
    if (!checkCanSend(true)) {
        m_view.setAutoSend(false);
        return;
    }
    if (!m_timer.isActive())
        m_timer.start();
}

// A bad period is reported once per tick-on and distinct text rather than at every 10 ms tick,
// and never while its report is still up (the timer keeps ticking under a modal box). Auto
// send then stops, its box unticked, so the box never says that something is sent.
std::optional<std::int32_t> Sender::autoSendPeriod()
{
    const std::string text = m_view.autoSendPeriod();
    if (const auto period = parseInteger(text)) {
        m_reportedPeriod.reset();
        return period;
    }
    if (!m_reportingPeriod && m_reportedPeriod != text) {
        m_reportedPeriod = text;
        m_reportingPeriod = true;
        m_dialogs.showError("'" + text + "' is not a valid integer value");
        m_reportingPeriod = false;
        m_view.setAutoSend(false);
    }
    return std::nullopt;
}

// The period is kept by the clock, not by counting ticks, so a send comes within one tick of
// its time however the ticks fall; the sends keep the period's cadence.
void Sender::autoSendTick()
{
    const std::int64_t now = m_system.steadyMs();
    m_sinceSendMs += now - m_lastTickMs;
    m_lastTickMs = now;
    const auto period = autoSendPeriod();
    if (!period || (*period > kEveryTickPeriod && m_sinceSendMs < *period))
        return;
    // The port may have been closed under a running auto send: then nothing goes out. While the
    // line is still taking the previous block the send waits, and goes at the first tick after.
    if (!m_link.handle.isValid() || !send(sendBlock(), true))
        return;
    // A send that came a period or more late (a busy line) starts a new cadence.
    const bool onCadence = *period > kEveryTickPeriod && m_sinceSendMs < 2LL * *period;
    m_sinceSendMs = onCadence ? m_sinceSendMs - *period : 0;
    if (onAutoSent)
        onAutoSent();
}

void Sender::clearSendArea()
{
    m_view.clearSendText();
}

} // namespace terminal
