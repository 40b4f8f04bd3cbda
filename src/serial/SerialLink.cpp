#include "SerialLink.h"

namespace serial {

namespace {

constexpr std::uint32_t kBauds[kSpeedCount] = {19200, 9600, 4800, 2400, 1200, 300};

} // namespace

std::uint32_t baudForSpeedIndex(std::uint8_t speedIndex)
{
    return speedIndex < kSpeedCount ? kBauds[speedIndex] : 9600;
}

std::string speedTextForIndex(std::uint8_t speedIndex)
{
    return std::to_string(baudForSpeedIndex(speedIndex));
}

platform::Parity parityForIndex(std::uint8_t parityIndex)
{
    switch (parityIndex) {
    case 1:
        return platform::Parity::Odd;
    case 2:
        return platform::Parity::Even;
    default:
        return platform::Parity::None;
    }
}

char parityLetterForIndex(std::uint8_t parityIndex)
{
    switch (parityIndex) {
    case 1:
        return 'O';
    case 2:
        return 'E';
    default:
        return 'N';
    }
}

std::string settingsText(std::uint8_t speedIndex, std::uint8_t parityIndex)
{
    return speedTextForIndex(speedIndex) + "-" + parityLetterForIndex(parityIndex) + "-1";
}

std::string portNameForListIndex(int index)
{
    return "COM" + std::to_string(index < 0 ? 0 : index + 1);
}

} // namespace serial
