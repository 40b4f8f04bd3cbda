#pragma once

#include "core/Timer.h"

namespace fakes {

// A timer whose ticks the test delivers, by calling the handler while it is active; starts
// counts how often it was switched on.
class FakeTimer final : public core::Timer
{
public:
    void start() override
    {
        m_active = true;
        ++starts;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

    int starts = 0;

private:
    bool m_active = false;
};

} // namespace fakes
