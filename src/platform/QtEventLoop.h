#pragma once

#include "core/EventLoop.h"

#include <QObject>

namespace platform {

// Tasks queued on the toolkit's event loop; those still waiting when it goes are dropped.
class QtEventLoop final : public QObject, public core::EventLoop
{
public:
    void post(std::function<void()> task) override
    {
        QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
    }
};

} // namespace platform
