#pragma once

#include <cstdint>

namespace terminal {

// The TX and RX counts of the status bar: bytes the port took from manual and auto sends, and
// bytes received while the display ran, since start or the last counter reset. Signed 32-bit,
// wrapping, as the panels show them.
struct TrafficCounts
{
    std::int32_t sent = 0;
    std::int32_t received = 0;
};

} // namespace terminal
