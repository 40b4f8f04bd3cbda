#include "RevealGesture.h"

namespace terminal {

RevealGesture::RevealGesture(RevealView& view, core::Timer& clock)
    : m_view(view), m_clock(clock) { }

void RevealGesture::gestureTick()
{
    if (++m_startupTicks >= kStartWindowTicks) {
        m_clock.stop();
        m_open = false;
    }
    if (++m_armTicks >= kArmWindowTicks)
        m_armed = false;
}

void RevealGesture::armGesture()
{
    m_armTicks = 0;
    m_armed = !m_armed;
}

void RevealGesture::completeGesture()
{
    m_toggle = !m_toggle;
    if (m_toggle && m_armed && m_open) {
        m_view.enableAirRate();
        m_view.showHidden();
    }
}

void RevealGesture::revealHidden()
{
    m_view.showHidden();
}

} // namespace terminal
