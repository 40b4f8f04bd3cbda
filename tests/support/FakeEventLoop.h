#pragma once

#include "core/EventLoop.h"

#include <functional>
#include <utility>
#include <vector>

namespace fakes {

// An event loop that runs what was posted when the test says.
class FakeEventLoop final : public core::EventLoop
{
public:
    void post(std::function<void()> task) override { m_tasks.push_back(std::move(task)); }
    // What the event loop would run next: the posted tasks, including those they post.
    void runPending()
    {
        while (!m_tasks.empty()) {
            auto task = std::move(m_tasks.front());
            m_tasks.erase(m_tasks.begin());
            task();
        }
    }

private:
    std::vector<std::function<void()>> m_tasks;
};

} // namespace fakes
