#include "TermiosSpeed.h"

#include <termios.h>

namespace platform {

namespace {

struct SpeedEntry
{
    std::uint32_t baud;
    speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},
    {75, B75},
    {110, B110},
    {134, B134},
    {150, B150},
    {200, B200},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {1800, B1800},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
};

} // namespace

std::uint32_t baudFromSpeed(unsigned speed)
{
    for (const auto& entry : kSpeeds) {
        if (entry.speed == speed)
            return entry.baud;
    }
    return 0;
}

unsigned speedFromBaud(std::uint32_t baud)
{
    for (const auto& entry : kSpeeds) {
        if (entry.baud == baud)
            return entry.speed;
    }
    return B0;
}

} // namespace platform
