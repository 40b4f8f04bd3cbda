#include "SerialPort.h"

namespace platform {

std::uint32_t byteTimeUs(const LineSettings& settings)
{
    const std::uint32_t bits
        = 1u + settings.byteSize + (settings.parity == Parity::None ? 0u : 1u) + settings.stopBits;
    return settings.baudRate == 0 ? 0 : bits * 1'000'000u / settings.baudRate;
}

} // namespace platform
