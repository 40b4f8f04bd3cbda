#pragma once

#include "DisplayTextDecoder.h"
#include "ReceivedBytes.h"
#include "SessionLog.h"
#include "TerminalState.h"
#include "core/Language.h"
#include "core/StatusBar.h"
#include "core/Ui.h"
#include "platform/Dialogs.h"
#include "platform/System.h"
#include "serial/PortController.h"
#include "serial/SerialLink.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>

namespace terminal {

// A success rate with exactly four decimals ("66.6667"), with the given decimal separator.
std::string formatRate(float rate, const std::string& decimalPoint);

// The data terminal of the main window: sending the send area once or periodically, the
// receive poll with its display and counters, and the echo error-rate test that rides on both.
// One method per window event; the window calls toggleAutoSend whenever Check_AutoTrtt changes,
// also when this class changes it.
class Terminal
{
public:
    // A receive poll takes at most this many waiting bytes; more are discarded unseen.
    static constexpr std::uint32_t kMaxChunk = 1024;
    // The echo test acts on the seventh empty poll in a row (350 ms of quiet line).
    static constexpr std::int32_t kQuietPolls = 6;
    // An auto-send period up to this many milliseconds sends at every 10 ms tick.
    static constexpr std::int32_t kEveryTickPeriod = 14;
    // While data keeps coming, received text reaches the receive area at most this often; the
    // first chunk after a quiet poll, and what is pending when the line falls quiet, at once.
    static constexpr std::int64_t kRefreshMs = 200;
    // With time shown, a chunk after this much quiet starts a new, stamped line.
    static constexpr std::int64_t kStampQuietMs = 100;

    // Registers with the port controller: a device that is gone stops auto send and a running
    // echo test, and any close drops what the line had not taken yet.
    Terminal(serial::SerialLink& link, serial::PortController& portController, core::Ui& ui,
        core::StatusBar& status, platform::Dialogs& dialogs, const platform::System& system,
        const core::Language& language, TerminalState& state);
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Sending
    void sendOnce();
    void toggleAutoSend();
    void autoSendTick();
    void clearSendArea();

    // Receiving
    void receivePoll();
    void toggleDisplayStop();
    void clearReceiveArea();
    void resetCounters();
    // Writes the bytes counted since the receive area was last cleared to a file the user picks.
    void saveReceived();
    // LogToFile was ticked or unticked: start a session log into a file the user picks (added
    // to if it exists), or stop it.
    void toggleSessionLog();

    // Error-rate test
    void toggleErrorRateTest();

private:
    static constexpr std::int64_t kLongAgo = std::numeric_limits<std::int64_t>::min() / 2;

    bool checkCanSend(bool fromAutoSwitch);
    TextEncoding textEncoding() const;
    std::string sendText() const;
    std::string sendBlock() const;
    bool send(std::string block, bool counted);
    void pushOut(bool fresh);
    void portClosed(serial::PortController::CloseReason reason);
    std::optional<std::int32_t> autoSendPeriod();
    void showChunk(std::span<const std::uint8_t> chunk, bool afterQuiet);
    void refreshDisplay(bool lineQuiet);
    void clearDisplay();
    void logBytes(bool sent, std::span<const std::uint8_t> bytes);
    void stopLog();
    void quietLine();
    void evaluateTest();

    serial::SerialLink& m_link;
    core::Ui& m_ui;
    core::StatusBar& m_status;
    platform::Dialogs& m_dialogs;
    const platform::System& m_system;
    const core::Language& m_language;
    TerminalState& m_state;
    DisplayTextDecoder m_decoder;
    ReceivedBytes m_received;
    SessionLog m_log;
    // Display text received since the area was last refreshed, whether anything came at all
    // (a chunk of zero bytes shows no text but still counts), and when the area was refreshed.
    std::vector<core::ReceivedText> m_pendingShow; // one a chunk
    bool m_refreshDue = false;
    std::int64_t m_refreshedMs = kLongAgo;
    std::int64_t m_lastChunkMs = kLongAgo; // when the latest chunk arrived
    std::int64_t m_lastTickMs = 0; // the latest auto-send tick or tick-on
    std::optional<std::string> m_reportedPeriod; // the bad period text last reported
    bool m_reportingPeriod = false; // its error report is up
    // The part of the latest block that the line has not taken yet, and whether it counts in TX
    // (the echo of the error-rate test does not).
    std::string m_unsent;
    bool m_unsentCounted = false;
    serial::PortController::Subscription m_closed;
};

} // namespace terminal
