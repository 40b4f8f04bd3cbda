#pragma once

namespace core {

// A repeating timer that one feature runs: the feature starts and stops it, and whoever builds
// the feature connects its tick to the feature's handler. The toolkit's timer in the program; in
// tests a fake whose ticks the test delivers.
class Timer
{
public:
    virtual ~Timer() = default;

    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

} // namespace core
