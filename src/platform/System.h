#pragma once

#include <cstdint>

namespace platform {

class System
{
public:
    virtual ~System() = default;
    // A monotonic clock in milliseconds, for deadlines checked on the window's timers.
    virtual std::int64_t nowMs() const = 0;
    // Ends the process at once. A fake may return; callers do nothing after it.
    virtual void exitProcess(int status) = 0;
};

class RealSystem final : public System
{
public:
    std::int64_t nowMs() const override;
    [[noreturn]] void exitProcess(int status) override;
};

} // namespace platform
