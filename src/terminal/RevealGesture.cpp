#include "RevealGesture.h"

namespace terminal {

using core::Ctl;

RevealGesture::RevealGesture(core::Ui& ui, TerminalState& state) : m_ui(ui), m_state(state) { }

void RevealGesture::gestureTick()
{
    if (++m_state.StartupTicks >= kStartWindowTicks) {
        m_ui.setTimerActive(core::TimerId::Timer1, false);
        m_state.RevealOpen = false;
    }
    if (++m_state.ArmTicks >= kArmWindowTicks)
        m_state.RevealArmed = false;
}

void RevealGesture::armGesture()
{
    m_state.ArmTicks = 0;
    m_state.RevealArmed = !m_state.RevealArmed;
}

void RevealGesture::completeGesture()
{
    m_state.GestureToggle = !m_state.GestureToggle;
    if (m_state.GestureToggle && m_state.RevealArmed && m_state.RevealOpen) {
        m_ui.setEnabled(Ctl::ComboAirBaud, true);
        showHidden();
    }
}

void RevealGesture::revealHidden()
{
    showHidden();
}

void RevealGesture::showHidden()
{
    m_ui.setVisible(Ctl::Test_M, true);
    m_ui.setVisible(Ctl::Panel2, true);
    m_ui.fitMainWindow();
}

} // namespace terminal
