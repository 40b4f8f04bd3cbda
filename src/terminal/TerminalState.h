#pragma once

#include <cstdint>
#include <string>

namespace terminal {

// The process-wide record of the data terminal, shared by sending, receiving, the error-rate
// test and the reveal gesture.
struct TerminalState
{
    // Bytes the port took from manual and auto sends, and bytes received while the display ran,
    // since start or the last counter reset.
    std::int32_t TxCount = 0;
    std::int32_t RxCount = 0;
    bool DisplayStopped = false;
    // How long the auto-send timer has run since the last auto send; it stands still while
    // auto send is off.
    std::int64_t SinceSendMs = 0;
    std::int32_t IdlePolls = 0; // receive polls in a row that found nothing waiting

    // Echo error-rate test.
    bool TestMode = false;
    std::string TestRxText; // received in test mode since the last evaluation or echo
    std::int32_t TestSent = 0;
    std::int32_t TestGood = 0;
    std::int32_t TestBad = 0;

    // Reveal gesture, counted in ticks of the 100 ms Timer1.
    std::uint32_t StartupTicks = 0;
    bool RevealOpen = true;
    bool RevealArmed = false;
    std::uint8_t ArmTicks = 0;
    bool GestureToggle = false;
};

} // namespace terminal
