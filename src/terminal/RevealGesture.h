#pragma once

#include "RevealView.h"
#include "core/Timer.h"

#include <cstdint>

namespace terminal {

// The two-click gesture on the blank panels beside the status bar that reveals the error-rate
// test strip, the Test menu and the air-rate box: a click on the right-hand panel arms it, a
// click on the left-hand one within half a second completes it, both within 20 seconds of the
// main window's creation (long enough to pick the language first). The clock is the gesture's
// 100 ms timer, running from the window's creation.
class RevealGesture
{
public:
    static constexpr std::uint32_t kStartWindowTicks = 200;
    static constexpr std::uint8_t kArmWindowTicks = 5;

    RevealGesture(RevealView& view, core::Timer& clock);

    void gestureTick();
    void armGesture(); // or disarms it when armed
    void completeGesture();
    // The reveal of the invisible toolbar button: the strip and the menu, without condition.
    void revealHidden();

private:
    RevealView& m_view;
    core::Timer& m_clock;
    std::uint32_t m_startupTicks = 0;
    bool m_open = true; // still within the start window
    bool m_armed = false;
    std::uint8_t m_armTicks = 0;
    bool m_toggle = false; // the left-hand panel completes at every other click
};

} // namespace terminal
