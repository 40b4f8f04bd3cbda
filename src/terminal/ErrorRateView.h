#pragma once

#include <string>

namespace terminal {

// The boxes of the echo test strip.
enum class EchoCount { Sent, Good, SuccessRate, Bad };

// What the echo error-rate test takes from its strip and shows in it.
class ErrorRateView
{
public:
    virtual ~ErrorRateView() = default;

    // The measuring station ticks RECORD; the echo station does not.
    virtual bool measuring() const = 0;
    // The test button stays down while the test runs.
    virtual void showRunning(bool running) = 0;
    virtual void showCount(EchoCount count, const std::string& text) = 0;
};

} // namespace terminal
