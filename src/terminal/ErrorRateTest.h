#pragma once

#include "ErrorRateView.h"
#include "ReceiveDisplay.h"
#include "SendView.h"
#include "Sender.h"
#include "core/Language.h"
#include "platform/Dialogs.h"
#include "serial/PortController.h"

#include <cstdint>
#include <span>
#include <string>

namespace terminal {

// A success rate with exactly four decimals ("66.6667"), with the given decimal separator.
std::string formatRate(float rate, const std::string& decimalPoint);

// The echo error-rate test between two stations, riding on the sender and the receive poll:
// the measuring station auto-sends the send area every 2000 ms, and at once when an echo has
// come back and the line is quiet, and judges each echo against what it sent; the echo station
// returns what it received once the line is quiet.
class ErrorRateTest
{
public:
    // Registers with the sender, the receive poll and the port controller: a device that is
    // gone ends a running test.
    ErrorRateTest(Sender& sender, ReceiveDisplay& receiver, SendView& sendView, ErrorRateView& view,
        serial::PortController& portController, platform::Dialogs& dialogs,
        const core::Language& language);
    ErrorRateTest(const ErrorRateTest&) = delete;
    ErrorRateTest& operator=(const ErrorRateTest&) = delete;

    // The test button: starts the test, or stops it and ends test mode.
    void toggle();
    bool running() const { return m_running; }

private:
    void received(std::span<const std::uint8_t> chunk);
    bool lineQuiet();
    void evaluate();

    Sender& m_sender;
    SendView& m_sendView;
    ErrorRateView& m_view;
    platform::Dialogs& m_dialogs;
    const core::Language& m_language;
    bool m_running = false;
    std::string m_echo; // received while running since the last evaluation or echo
    std::int32_t m_sent = 0; // the judged sends
    std::int32_t m_good = 0;
    std::int32_t m_bad = 0;
    serial::PortController::Subscription m_closed;
};

} // namespace terminal
