#pragma once

#include "DisplayTextDecoder.h"
#include "ReceiveView.h"
#include "ReceivedBytes.h"
#include "SessionLog.h"
#include "TerminalState.h"
#include "core/Language.h"
#include "core/StatusBar.h"
#include "platform/Dialogs.h"
#include "platform/System.h"
#include "serial/SerialLink.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <vector>

namespace terminal {

// The receive poll with its display, the counters, saving what was received and the session
// log of both directions.
class ReceiveDisplay
{
public:
    // A receive poll takes at most this many waiting bytes; more are discarded unseen.
    static constexpr std::uint32_t kMaxChunk = 1024;
    // Empty polls in a row after which the line counts as quiet.
    static constexpr std::int32_t kQuietPolls = 6;
    // While data keeps coming, received text reaches the receive area at most this often; the
    // first chunk after a quiet poll, and what is pending when the line falls quiet, at once.
    static constexpr std::int64_t kRefreshMs = 200;
    // With time shown, a chunk after this much quiet starts a new, stamped line.
    static constexpr std::int64_t kStampQuietMs = 100;

    ReceiveDisplay(serial::SerialLink& link, ReceiveView& view, core::StatusBar& status,
        platform::Dialogs& dialogs, const platform::System& system, const core::Language& language,
        TrafficCounts& counts);
    ReceiveDisplay(const ReceiveDisplay&) = delete;
    ReceiveDisplay& operator=(const ReceiveDisplay&) = delete;

    void poll();
    void toggleDisplayStop();
    void clearReceiveArea();
    void resetCounters();
    // Writes the bytes counted since the receive area was last cleared to a file the user picks.
    void saveReceived();
    // The log item was ticked or unticked: start a session log into a file the user picks
    // (added to if it exists), or stop it.
    void toggleSessionLog();
    // One line in the session log, if one runs.
    void logBytes(bool sent, std::span<const std::uint8_t> bytes);

    bool displayStopped() const { return m_displayStopped; }
    // The next chunk counts as one after a quiet poll, shown at once.
    void markLineQuiet() { m_idlePolls = 1; }

    // Told of every chunk read, shown or not; and, at every empty poll after kQuietPolls of
    // them, that the line is quiet: a listener that sent something returns true, and the quiet
    // polls count again from there.
    std::function<void(std::span<const std::uint8_t>)> onChunk;
    std::function<bool()> onQuiet;

private:
    static constexpr std::int64_t kLongAgo = std::numeric_limits<std::int64_t>::min() / 2;

    void showChunk(std::span<const std::uint8_t> chunk, bool afterQuiet);
    void refreshDisplay(bool lineQuiet);
    void stopLog();

    serial::SerialLink& m_link;
    ReceiveView& m_view;
    core::StatusBar& m_status;
    platform::Dialogs& m_dialogs;
    const platform::System& m_system;
    const core::Language& m_language;
    TrafficCounts& m_counts;
    DisplayTextDecoder m_decoder;
    ReceivedBytes m_received;
    SessionLog m_log;
    bool m_displayStopped = false;
    std::int32_t m_idlePolls = 0; // receive polls in a row that found nothing waiting
    // Display text received since the area was last refreshed, whether anything came at all
    // (a chunk of zero bytes shows no text but still counts), and when the area was refreshed.
    std::vector<ReceivedText> m_pendingShow; // one a chunk
    bool m_refreshDue = false;
    std::int64_t m_refreshedMs = kLongAgo;
    std::int64_t m_lastChunkMs = kLongAgo; // when the latest chunk arrived
};

} // namespace terminal
