#pragma once

#include "core/Timer.h"

#include <QTimer>

namespace platform {

// A feature's timer on the toolkit's: the owner of the QTimer connects its tick.
class QtTimer final : public core::Timer
{
public:
    explicit QtTimer(QTimer& timer) : m_timer(timer) { }

    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer& m_timer;
};

} // namespace platform
