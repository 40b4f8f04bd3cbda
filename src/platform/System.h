#pragma once

namespace platform {

class System
{
public:
    virtual ~System() = default;
    // Blocks the calling thread; no events are processed meanwhile.
    virtual void sleepMs(unsigned milliseconds) = 0;
    // Ends the process at once. A fake may return; callers do nothing after it.
    virtual void exitProcess(int status) = 0;
};

class RealSystem final : public System
{
public:
    void sleepMs(unsigned milliseconds) override;
    [[noreturn]] void exitProcess(int status) override;
};

} // namespace platform
