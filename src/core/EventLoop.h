#pragma once

#include <functional>

namespace core {

// The program's event loop, for work that must not run inside the handler that asks for it. The
// toolkit's loop in the program; in tests a fake that runs the tasks when the test says.
class EventLoop
{
public:
    virtual ~EventLoop() = default;

    // Runs a task from the event loop once the handler running now has returned.
    virtual void post(std::function<void()> task) = 0;
};

} // namespace core
