#pragma once

#include "ErrorRateTest.h"
#include "ReceiveDisplay.h"
#include "Sender.h"

namespace terminal {

// The data terminal of the main window: the sender, the receive display and the echo test
// that rides on both, built and wired together.
struct Terminal
{
    Terminal(serial::SerialLink& link, serial::PortController& portController, SendView& sendView,
        core::Timer& autoSendTimer, ReceiveView& receiveView, ErrorRateView& errorRateView,
        core::StatusBar& status, platform::Dialogs& dialogs, const platform::System& system,
        const core::Language& language)
        : sender(link, portController, sendView, autoSendTimer, status, dialogs, system, language,
            counts),
          receiver(link, receiveView, status, dialogs, system, language, counts),
          errorRate(sender, receiver, sendView, errorRateView, portController, dialogs, language)
    {
        sender.onSent
            = [this](std::span<const std::uint8_t> bytes) { receiver.logBytes(true, bytes); };
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // The receive poll's tick: the rest of a block on the line goes out first.
    void receivePoll()
    {
        sender.pushPending();
        receiver.poll();
    }

    TrafficCounts counts;
    Sender sender;
    ReceiveDisplay receiver;
    ErrorRateTest errorRate;
};

} // namespace terminal
