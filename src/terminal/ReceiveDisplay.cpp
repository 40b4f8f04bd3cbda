#include "ReceiveDisplay.h"

#include "HexText.h"
#include "core/PrintableText.h"
#include "platform/AtomicFile.h"

#include <algorithm>

namespace terminal {

ReceiveDisplay::ReceiveDisplay(serial::SerialLink& link, ReceiveView& view, core::StatusBar& status,
    platform::Dialogs& dialogs, const platform::System& system, const core::Language& language,
    TrafficCounts& counts)
    : m_link(link),
      m_view(view),
      m_status(status),
      m_dialogs(dialogs),
      m_system(system),
      m_language(language),
      m_counts(counts)
{ }

void ReceiveDisplay::poll()
{
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
        m_idlePolls = 0;
        return;
    }
    if (waiting == 0) {
        refreshDisplay(true);
        if (m_idlePolls++ >= kQuietPolls && onQuiet && onQuiet())
            m_idlePolls = 0;
        return;
    }
    const bool lineWasQuiet = m_idlePolls > 0;
    m_idlePolls = 0;
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

    if (onChunk)
        onChunk(chunk);
    if (m_displayStopped) {
        m_decoder.reset();
    } else {
        showChunk(chunk, afterQuiet);
        m_counts.received
            = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_counts.received) + got);
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
void ReceiveDisplay::showChunk(std::span<const std::uint8_t> chunk, bool afterQuiet)
{
    std::string piece;
    if (m_view.hexDisplay()) {
        m_decoder.reset();
        piece = BytesToHexText(chunk);
    } else {
        const auto zero = std::find(chunk.begin(), chunk.end(), 0);
        m_decoder.setEncoding(m_view.textEncoding());
        piece = m_decoder.decode({chunk.begin(), zero});
        if (zero != chunk.end())
            m_decoder.reset();
    }
    // A chunk without text is still a poll that auto clear looks at.
    const bool stamped = !piece.empty() && afterQuiet && m_view.showTime();
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
void ReceiveDisplay::refreshDisplay(bool lineQuiet)
{
    if (!m_refreshDue) {
        m_refreshedMs = m_system.steadyMs();
        return;
    }
    const int limit = m_view.autoClear() ? 100 : 1000;
    // The count is never held back with the text.
    m_status.setText(core::StatusPanel::Received, "RX : " + std::to_string(m_counts.received));
    if (!m_pendingShow.empty() && !m_view.appendReceived(m_pendingShow, limit, !lineQuiet))
        return;
    m_refreshedMs = m_system.steadyMs();
    m_refreshDue = false;
    m_pendingShow.clear();
    m_view.scrollToEnd();
}

void ReceiveDisplay::toggleDisplayStop()
{
    m_displayStopped = !m_displayStopped;
    m_view.showStopCaption(m_displayStopped ? m_language.pick("continue", "继续显示")
                                            : m_language.pick("Stop Displsy", "停止显示"));
}

void ReceiveDisplay::clearReceiveArea()
{
    m_view.clearReceived();
    m_pendingShow.clear();
    m_received.clear();
}

void ReceiveDisplay::resetCounters()
{
    m_counts.received = 0;
    m_status.setText(core::StatusPanel::Received, "RX : 0");
    m_counts.sent = 0;
    m_status.setText(core::StatusPanel::Sent, "TX : 0");
}

// What was received is kept apart from the receive area, which shows decoded text and is
// emptied by auto clear; the file gets the bytes themselves.
void ReceiveDisplay::saveReceived()
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

void ReceiveDisplay::toggleSessionLog()
{
    if (!m_view.logTicked()) {
        stopLog();
        return;
    }
    const std::string caption = m_language.pick("Log to file...", "记录到文件...");
    const auto path = m_dialogs.appendFileName(m_language.pick("Log to file", "记录到文件"));
    if (!path) {
        m_view.showLog(false, caption);
        return;
    }
    if (const auto error = m_log.open(*path)) {
        m_view.showLog(false, caption);
        m_dialogs.showMessage(m_language.pick("Could not open the log file ", "无法打开记录文件: ")
            + core::printable(*path) + "\n" + error->in(m_language));
        return;
    }
    // The item names the file, and the RX panel's tooltip says where the log goes.
    const std::string name = core::printable(path->substr(path->find_last_of('/') + 1));
    m_view.showLog(true, caption + "\t" + name);
    m_status.setTip(core::StatusPanel::Received,
        m_language.pick("Logging to ", "正在记录到 ") + core::printable(*path));
}

void ReceiveDisplay::stopLog()
{
    m_log.close();
    m_view.showLog(false, m_language.pick("Log to file...", "记录到文件..."));
    m_status.setTip(core::StatusPanel::Received, "");
}

// Every chunk that went over the line, either way, is one line in the log, written through at
// once. A failed write ends the log with one report; the terminal itself goes on.
void ReceiveDisplay::logBytes(bool sent, std::span<const std::uint8_t> bytes)
{
    if (!m_log.isOpen() || bytes.empty())
        return;
    const auto error
        = m_log.write(sessionLogLine(m_system.wallMs(), sent, bytes, m_view.textEncoding()));
    if (!error)
        return;
    const std::string path = m_log.path();
    stopLog();
    m_dialogs.showMessage(
        m_language.pick("Logging stopped: could not write to ", "记录已停止: 无法写入 ")
        + core::printable(path) + "\n" + *error);
}

} // namespace terminal
