#pragma once

#include "SendView.h"
#include "TerminalState.h"
#include "core/Language.h"
#include "core/StatusBar.h"
#include "core/Timer.h"
#include "platform/Dialogs.h"
#include "platform/System.h"
#include "serial/PortController.h"
#include "serial/SerialLink.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>

namespace terminal {

// Sending the send area once or every period on the 10 ms auto-send timer. One block is on the
// line at a time: what the driver cannot take at once goes out with later ticks and polls,
// without holding the window.
class Sender
{
public:
    // An auto-send period up to this many milliseconds sends at every 10 ms tick.
    static constexpr std::int32_t kEveryTickPeriod = 14;

    // Registers with the port controller: any close drops what the line had not taken yet, a
    // device that is gone stops auto send, and auto send pauses while the radio is talked to.
    Sender(serial::SerialLink& link, serial::PortController& portController, SendView& view,
        core::Timer& autoSendTimer, core::StatusBar& status, platform::Dialogs& dialogs,
        const platform::System& system, const core::Language& language, TrafficCounts& counts);
    Sender(const Sender&) = delete;
    Sender& operator=(const Sender&) = delete;

    void sendOnce();
    // The auto-send box changed.
    void toggleAutoSend();
    void autoSendTick();
    void clearSendArea();

    // Hands the driver what it takes now of the block on the line.
    void pushPending();
    // Starts a block unless the line still takes the last one; counted: it adds to TX.
    bool send(std::string block, bool counted);
    // The send area as the bytes of a text send.
    std::string sendTextBytes() const;
    // The next auto-send tick sends, whatever is left of the period.
    void sendAtNextTick() { m_sinceSendMs = std::numeric_limits<std::int32_t>::max(); }

    // Told of every piece the line took, and of every auto send started.
    std::function<void(std::span<const std::uint8_t>)> onSent;
    std::function<void()> onAutoSent;

private:
    bool checkCanSend(bool fromAutoSwitch);
    std::string sendBlock() const;
    void pushOut(bool fresh);
    std::optional<std::int32_t> autoSendPeriod();

    serial::SerialLink& m_link;
    SendView& m_view;
    core::Timer& m_timer;
    core::StatusBar& m_status;
    platform::Dialogs& m_dialogs;
    const platform::System& m_system;
    const core::Language& m_language;
    TrafficCounts& m_counts;
    // How long the auto-send timer has run since the last auto send; it stands still while
    // auto send is off.
    std::int64_t m_sinceSendMs = 0;
    std::int64_t m_lastTickMs = 0; // the latest auto-send tick or tick-on
    std::optional<std::string> m_reportedPeriod; // the bad period text last reported
    bool m_reportingPeriod = false; // its error report is up
    // The part of the latest block that the line has not taken yet, and whether it counts in TX
    // (the echo of the error-rate test does not).
    std::string m_unsent;
    bool m_unsentCounted = false;
    serial::PortController::Subscription m_closed;
    serial::PortController::Subscription m_paused;
};

} // namespace terminal
