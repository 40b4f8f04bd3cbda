#include "Terminal.h"

#include "HexText.h"
#include "core/PrintableText.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <vector>

namespace terminal {

using core::Ctl;

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

// The counters are signed 32-bit and wrap, as the status panels show them.
void addCount(std::int32_t& counter, std::uint32_t bytes)
{
    counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + bytes);
}

} // namespace

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

Terminal::Terminal(serial::SerialLink& link, serial::PortController& portController, core::Ui& ui,
    core::StatusBar& status, platform::Dialogs& dialogs, const platform::System& system,
    const core::Language& language, TerminalState& state)
    : m_link(link),
      m_ui(ui),
      m_status(status),
      m_dialogs(dialogs),
      m_system(system),
      m_language(language),
      m_state(state),
      m_closed(portController.subscribeClosed(
          [this](serial::PortController::CloseReason reason) { portClosed(reason); }))
{ }

void Terminal::portClosed(serial::PortController::CloseReason reason)
{
    m_unsent.clear();
    if (reason != serial::PortController::CloseReason::DeviceGone)
        return;
    if (m_ui.isLowered(Ctl::PanelTrttTest))
        toggleErrorRateTest();
    m_ui.setChecked(Ctl::Check_AutoTrtt, false);
}

bool Terminal::checkCanSend(bool fromAutoSwitch)
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
    if (m_ui.text(Ctl::Memo_Trtt).empty()) {
        if (m_language.isEnglish())
            m_dialogs.showMessage("String is empty");
        else
            m_dialogs.messageBox("发送字符串为空", "传送", platform::MessageButtons::Ok);
        return false;
    }
    return true;
}

TextEncoding Terminal::textEncoding() const
{
    return m_ui.isChecked(Ctl::TextGb18030) ? TextEncoding::Gb18030 : TextEncoding::Utf8;
}

// The send area's text as the bytes that a text send writes.
std::string Terminal::sendText() const
{
    return encodeText(textEncoding(), m_ui.text(Ctl::Memo_Trtt));
}

std::string Terminal::sendBlock() const
{
    if (!m_ui.isChecked(Ctl::Check_TrttHex))
        return sendText();
    const auto bytes = HexTextToBytes(m_ui.text(Ctl::Memo_Trtt));
    return std::string(bytes.begin(), bytes.end());
}

// A block goes to the port without holding the window: what the line cannot take now stays in
// m_unsent and goes out with later ticks and polls, and no new block starts before the last one
// has gone out whole. Returns false when the block was not started (line busy, device gone).
bool Terminal::send(std::string block, bool counted)
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

// Hands the driver what it takes of m_unsent now; a fresh block is written even when empty,
// as a send of nothing still rewrites the TX count. TX counts only what went out.
void Terminal::pushOut(bool fresh)
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
        addCount(m_state.TxCount, written);
        m_status.setText(core::StatusPanel::Sent, "TX : " + std::to_string(m_state.TxCount));
    }
    // Last, as the report of a failed log write runs the event loop.
    logBytes(true, {reinterpret_cast<const std::uint8_t*>(sent.data()), sent.size()});
}

void Terminal::sendOnce()
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

void Terminal::toggleAutoSend()
{
    if (!m_ui.isChecked(Ctl::Check_AutoTrtt)) {
        // A stop is a stop at every speed: what the line has not carried yet is dropped.
        m_ui.setTimerActive(core::TimerId::TrttData, false);
        m_unsent.clear();
        if (m_link.handle.isValid())
            m_link.handle.port().purge(platform::PurgeTxClear);
        return;
    }
    m_reportedPeriod.reset(); // every tick-on hears of a bad period again
    m_lastTickMs = m_system.steadyMs();
    if (!checkCanSend(true)) {
        m_ui.setChecked(Ctl::Check_AutoTrtt, false);
        return;
    }
    m_ui.setTimerActive(core::TimerId::TrttData, true);
}

// A bad period is reported once per tick-on and distinct text rather than at every 10 ms tick,
// and never while its report is still up (the timer keeps ticking under a modal box). Auto
// send then stops, its box unticked, so the box never says that something is sent.
std::optional<std::int32_t> Terminal::autoSendPeriod()
{
    const std::string text = m_ui.text(Ctl::Edit_TrttPerio);
    if (const auto period = parseInteger(text)) {
        m_reportedPeriod.reset();
        return period;
    }
    if (!m_reportingPeriod && m_reportedPeriod != text) {
        m_reportedPeriod = text;
        m_reportingPeriod = true;
        m_dialogs.showError("'" + text + "' is not a valid integer value");
        m_reportingPeriod = false;
        m_ui.setChecked(Ctl::Check_AutoTrtt, false);
    }
    return std::nullopt;
}

// The period is kept by the clock, not by counting ticks, so a send comes within one tick of
// its time however the ticks fall; the sends keep the period's cadence.
void Terminal::autoSendTick()
{
    const std::int64_t now = m_system.steadyMs();
    m_state.SinceSendMs += now - m_lastTickMs;
    m_lastTickMs = now;
    const auto period = autoSendPeriod();
    if (!period || (*period > kEveryTickPeriod && m_state.SinceSendMs < *period))
        return;
    // The port may have been closed under a running auto send: then nothing goes out. While the
    // line is still taking the previous block the send waits, and goes at the first tick after.
    if (!m_link.handle.isValid() || !send(sendBlock(), true))
        return;
    // A send that came a period or more late (a busy line) starts a new cadence.
    const bool onCadence = *period > kEveryTickPeriod && m_state.SinceSendMs < 2LL * *period;
    m_state.SinceSendMs = onCadence ? m_state.SinceSendMs - *period : 0;
    if (m_state.TestMode)
        evaluateTest();
}

void Terminal::clearSendArea()
{
    m_ui.setText(Ctl::Memo_Trtt, "");
}

void Terminal::receivePoll()
{
    if (!m_link.handle.isValid())
        return;
    pushOut(false);
    if (!m_link.handle.isValid())
        return;
    platform::SerialPort& port = m_link.handle.port();
    platform::CommStatus status;
    if (!port.clearErrors(status)) {
        if (port.isGone())
            return;
        status.bytesWaiting = 0;
    }
    const std::uint32_t waiting = status.bytesWaiting;
    if (waiting > kMaxChunk) {
        port.purge(platform::PurgeRxClear);
        m_state.IdlePolls = 0;
        return;
    }
    if (waiting == 0) {
        refreshDisplay(true);
        if (m_state.IdlePolls++ >= kQuietPolls)
            quietLine();
        return;
    }
    const bool lineWasQuiet = m_state.IdlePolls > 0;
    m_state.IdlePolls = 0;
    std::vector<std::uint8_t> chunk(waiting);
    std::uint32_t got = 0;
    if (!port.read(chunk.data(), waiting, got) && port.isGone())
        return;
    chunk.resize(got);
    if (chunk.empty())
        return;
    const std::int64_t now = m_system.steadyMs();
    const bool afterQuiet = now - m_lastChunkMs >= kStampQuietMs;
    m_lastChunkMs = now;

    if (m_state.TestMode)
        m_state.TestRxText.append(chunk.begin(), std::find(chunk.begin(), chunk.end(), 0));
    if (m_state.DisplayStopped) {
        m_decoder.reset();
    } else {
        showChunk(chunk, afterQuiet);
        addCount(m_state.RxCount, got);
        m_received.append(chunk);
        m_refreshDue = true;
        if (lineWasQuiet || now - m_refreshedMs >= kRefreshMs)
            refreshDisplay(false);
    }
    // Last, as the report of a failed log write runs the event loop.
    logBytes(false, chunk);
}

// Hex shows every byte; text stops at the first zero byte of the chunk. The text waits for the
// next refresh of the area.
void Terminal::showChunk(std::span<const std::uint8_t> chunk, bool afterQuiet)
{
    std::string piece;
    if (m_ui.isChecked(Ctl::Check_RecHex)) {
        m_decoder.reset();
        piece = BytesToHexText(chunk);
    } else {
        const auto zero = std::find(chunk.begin(), chunk.end(), 0);
        m_decoder.setEncoding(textEncoding());
        piece = m_decoder.decode({chunk.begin(), zero});
        if (zero != chunk.end())
            m_decoder.reset();
    }
    // A chunk without text is still a poll that auto clear looks at.
    const bool stamped = !piece.empty() && afterQuiet && m_ui.isChecked(Ctl::ShowTime);
    if (stamped)
        piece.insert(0, "[" + localTimeText(m_system.wallMs()) + "] ");
    m_pendingShow.push_back({std::move(piece), stamped});
}

// Brings what was received since the last refresh into the area at once: one insert, one
// scroll and one repaint however many polls it took. Auto clear goes poll by poll, so the area
// shows what it would have shown had each poll been displayed on its own, not the empty area
// of a clear that came after several polls at once. While data keeps coming, a refresh that
// would show the area just emptied waits for the next poll, whose text follows the clear; once
// the line is quiet the area shows what there is.
void Terminal::refreshDisplay(bool lineQuiet)
{
    if (!m_refreshDue) {
        m_refreshedMs = m_system.steadyMs();
        return;
    }
    const int limit = m_ui.isChecked(Ctl::Check_AutoClr) ? 100 : 1000;
    // The count is never held back with the text.
    m_status.setText(core::StatusPanel::Received, "RX : " + std::to_string(m_state.RxCount));
    if (!m_pendingShow.empty()
        && !m_ui.appendReceived(Ctl::Memo_Rec, m_pendingShow, limit, !lineQuiet))
        return;
    m_refreshedMs = m_system.steadyMs();
    m_refreshDue = false;
    m_pendingShow.clear();
    m_ui.scrollToEnd(Ctl::Memo_Rec);
}

void Terminal::clearDisplay()
{
    m_ui.setText(Ctl::Memo_Rec, "");
    m_pendingShow.clear();
}

void Terminal::toggleDisplayStop()
{
    m_state.DisplayStopped = !m_state.DisplayStopped;
    m_ui.setText(Ctl::Button1,
        m_state.DisplayStopped ? m_language.pick("continue", "继续显示")
                               : m_language.pick("Stop Displsy", "停止显示"));
}

void Terminal::clearReceiveArea()
{
    clearDisplay();
    m_received.clear();
}

void Terminal::resetCounters()
{
    m_state.RxCount = 0;
    m_status.setText(core::StatusPanel::Received, "RX : 0");
    m_state.TxCount = 0;
    m_status.setText(core::StatusPanel::Sent, "TX : 0");
}

// What was received is kept apart from the receive area, which shows decoded text and is
// emptied by auto clear; the file gets the bytes themselves.
void Terminal::saveReceived()
{
    const auto path = m_dialogs.saveFileName(m_language.pick("Save received data", "保存接收数据"));
    if (!path)
        return;
    const platform::FileWriteResult saved
        = platform::writeFileAtomically(*path, m_received.bytes());
    const std::string shown = core::printable(*path);
    if (saved.error) {
        m_dialogs.showMessage(
            m_language.pick("Could not save received data to ", "保存接收数据失败: ") + shown + "\n"
            + saved.error->in(m_language));
    } else if (saved.warning) {
        m_dialogs.showMessage(m_language.pick("Received data saved to " + shown + ", but ",
                                  "接收数据已保存到 " + shown + ",但")
            + saved.warning->in(m_language));
    }
}

void Terminal::toggleSessionLog()
{
    if (!m_ui.isChecked(Ctl::LogToFile)) {
        stopLog();
        return;
    }
    const auto path = m_dialogs.appendFileName(m_language.pick("Log to file", "记录到文件"));
    if (!path) {
        m_ui.setChecked(Ctl::LogToFile, false);
        return;
    }
    if (const auto error = m_log.open(*path)) {
        m_ui.setChecked(Ctl::LogToFile, false);
        m_dialogs.showMessage(m_language.pick("Could not open the log file ", "无法打开记录文件: ")
            + core::printable(*path) + "\n" + error->in(m_language));
        return;
    }
    // The item names the file, and the RX panel's tooltip says where the log goes.
    const std::string name = core::printable(path->substr(path->find_last_of('/') + 1));
    m_ui.setText(Ctl::LogToFile, m_language.pick("Log to file...", "记录到文件...") + "\t" + name);
    m_status.setTip(core::StatusPanel::Received,
        m_language.pick("Logging to ", "正在记录到 ") + core::printable(*path));
}

void Terminal::stopLog()
{
    m_log.close();
    m_ui.setChecked(Ctl::LogToFile, false);
    m_ui.setText(Ctl::LogToFile, m_language.pick("Log to file...", "记录到文件..."));
    m_status.setTip(core::StatusPanel::Received, "");
}

// Every chunk that went over the line, either way, is one line in the log, written through at
// once. A failed write ends the log with one report; the terminal itself goes on.
void Terminal::logBytes(bool sent, std::span<const std::uint8_t> bytes)
{
    if (!m_log.isOpen() || bytes.empty())
        return;
    const auto error = m_log.write(sessionLogLine(m_system.wallMs(), sent, bytes, textEncoding()));
    if (!error)
        return;
    const std::string path = m_log.path();
    stopLog();
    m_dialogs.showMessage(
        m_language.pick("Logging stopped: could not write to ", "记录已停止: 无法写入 ")
        + core::printable(path) + "\n" + *error);
}

void Terminal::toggleErrorRateTest()
{
    if (m_ui.isLowered(Ctl::PanelTrttTest)) {
        // A stop ends test mode too, so that an echo station stops echoing and later sends
        // are no longer judged.
        m_ui.setLowered(Ctl::PanelTrttTest, false);
        m_state.TestMode = false;
        m_state.TestRxText.clear();
        m_ui.setChecked(Ctl::Check_AutoTrtt, false);
        m_ui.setEnabled(Ctl::Check_AutoTrtt, true);
        return;
    }
    for (const Ctl box : {Ctl::Edit1, Ctl::Edit2, Ctl::Edit3, Ctl::Edit4})
        m_ui.setText(box, "0");
    m_state.TestSent = m_state.TestGood = m_state.TestBad = 0;
    if (m_ui.text(Ctl::Memo_Trtt).empty()) {
        m_dialogs.showMessage(m_language.pick("Please input datas", "请输入发送字符"));
        return;
    }
    m_state.TestMode = true;
    m_state.TestRxText.clear();
    m_ui.setText(Ctl::Edit_TrttPerio, "2000");
    m_ui.setLowered(Ctl::PanelTrttTest, true);
    m_ui.setEnabled(Ctl::Check_AutoTrtt, false);
    if (m_ui.isChecked(Ctl::CheckTrtt))
        m_ui.setChecked(Ctl::Check_AutoTrtt, true);
}

// Once the line has been quiet for a while, the measuring station sends its next text at
// once, and the echo station returns what it received.
void Terminal::quietLine()
{
    if (!m_state.TestMode || m_state.TestRxText.empty())
        return;
    if (m_ui.isChecked(Ctl::CheckTrtt)) {
        m_state.SinceSendMs = std::numeric_limits<std::int32_t>::max(); // send at the next tick
        return;
    }
    if (!send(m_state.TestRxText, false))
        return;
    m_state.TestRxText.clear();
    m_state.IdlePolls = 0;
}

// Judges the reply that came since the previous send; TestSent counts the judged sends.
void Terminal::evaluateTest()
{
    // No reply counts neither way, also when the send area has been emptied.
    if (!m_state.TestRxText.empty()) {
        if (m_state.TestRxText == sendText()) {
            ++m_state.TestGood;
            m_ui.setText(Ctl::Edit2, std::to_string(m_state.TestGood));
        } else {
            ++m_state.TestBad;
        }
    }
    m_ui.setText(Ctl::Edit4, std::to_string(m_state.TestBad));
    m_ui.setText(Ctl::Edit1, std::to_string(m_state.TestSent));
    if (m_state.TestSent > 0 && m_ui.isChecked(Ctl::CheckTrtt)) {
        const auto rate = static_cast<float>(m_state.TestGood * 100.0 / m_state.TestSent);
        m_ui.setText(Ctl::Edit3, formatRate(rate, std::localeconv()->decimal_point));
    }
    m_state.TestRxText.clear();
    ++m_state.TestSent;
}

} // namespace terminal
