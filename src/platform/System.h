#pragma once

#include <cstdint>

namespace platform {

class System
{
public:
    virtual ~System() = default;
    // Ends the process at once. A fake may return; callers do nothing after it.
    virtual void exitProcess(int status) = 0;
    // Milliseconds on a clock that never jumps, for periods, pauses and the deadlines checked on
    // the window's timers.
    virtual std::int64_t steadyMs() const = 0;
    // Milliseconds since 1970 (UTC), for the times shown and logged.
    virtual std::int64_t wallMs() const = 0;
};

class RealSystem final : public System
{
public:
    [[noreturn]] void exitProcess(int status) override;
    std::int64_t steadyMs() const override;
    std::int64_t wallMs() const override;
};

} // namespace platform
