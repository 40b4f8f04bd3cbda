#pragma once

#include <cstdint>

namespace platform {

// Bit/s of a termios speed constant and back; 0 / B0 for speeds the table does not know.
std::uint32_t baudFromSpeed(unsigned speed);
unsigned speedFromBaud(std::uint32_t baud);

} // namespace platform
