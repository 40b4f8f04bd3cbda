#pragma once

#include "TerminalState.h"
#include "core/Ui.h"

namespace terminal {

// The two-click gesture on the blank panels beside the status bar that reveals the error-rate
// test strip, the Test menu and the air-rate box: a click on Panel11 arms it, a click on
// Panel10 within half a second completes it, both within 20 seconds of the main window's
// creation (long enough to pick the language first).
class RevealGesture
{
public:
    static constexpr std::uint32_t kStartWindowTicks = 200;
    static constexpr std::uint8_t kArmWindowTicks = 5;

    RevealGesture(core::Ui& ui, TerminalState& state);

    void gestureTick();
    void armGesture(); // or disarms it when armed
    void completeGesture();
    // The reveal of the invisible toolbar button: the strip and the menu, without condition.
    void revealHidden();

private:
    void showHidden();

    core::Ui& m_ui;
    TerminalState& m_state;
};

} // namespace terminal
