#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace radio {

// A frame of the radio protocol: 0x55 0xAA, length L (the length byte, the command and the
// data), command, data, then the 16-bit sum of the L bytes from the length byte on, high byte
// first. The whole frame is L + 4 bytes.
using CommandFrame = std::vector<std::uint8_t>;

constexpr std::uint8_t kHeader1 = 0x55;
constexpr std::uint8_t kHeader2 = 0xAA;
constexpr std::size_t kMinValidLength = 3;
constexpr std::size_t kMaxValidLength = 29;

// Sum of the L bytes from offset 2 on (L read from offset 2); no bounds check of L.
std::uint16_t frameSum(const std::uint8_t* frame);
// Writes the sum after the data, growing the frame to L + 4 bytes if needed. L is not checked.
void AppendChecksum(CommandFrame& frame);
// The frame at the very start of the buffer: both headers, 3 <= L <= 29, at least L + 4 bytes
// and a correct sum. Bytes after it are ignored.
bool ValidateFrame(
    const std::uint8_t* buffer, std::size_t size, std::uint8_t header1, std::uint8_t header2);
inline bool ValidateFrame(const std::vector<std::uint8_t>& buffer)
{
    return ValidateFrame(buffer.data(), buffer.size(), kHeader1, kHeader2);
}
// The write acknowledgement 55 AA 02 20 00 22 at the start of the buffer.
bool IsWriteAck(const std::uint8_t* buffer, std::size_t size);
inline bool IsWriteAck(const std::vector<std::uint8_t>& buffer)
{
    return IsWriteAck(buffer.data(), buffer.size());
}

// Builds a complete frame from command and data.
CommandFrame makeFrame(std::uint8_t command, const std::vector<std::uint8_t>& data);

// The request catalogue.
namespace cmd {
constexpr std::uint8_t WriteSelector = 0x20; // first data byte selects: 05 air rate, 08/09 tx test
constexpr std::uint8_t QueryAirRate = 0x23;
constexpr std::uint8_t QueryChannel = 0x24;
constexpr std::uint8_t QueryId = 0x26;
constexpr std::uint8_t QueryModelVersion = 0x27;
constexpr std::uint8_t WriteSerialMode = 0x28;
constexpr std::uint8_t WriteId = 0x32;
constexpr std::uint8_t WriteChannel = 0x07;
constexpr std::uint8_t ReadRegister = 0x99;
constexpr std::uint8_t WriteRegister = 0x88;
} // namespace cmd

constexpr std::array<std::uint8_t, 7> kQueryModelVersion
    = {0x55, 0xAA, 0x03, 0x27, 0x00, 0x00, 0x2A};
constexpr std::array<std::uint8_t, 7> kQueryAirRate = {0x55, 0xAA, 0x03, 0x23, 0x00, 0x00, 0x26};
constexpr std::array<std::uint8_t, 7> kQueryChannel = {0x55, 0xAA, 0x03, 0x24, 0x00, 0x00, 0x27};
constexpr std::array<std::uint8_t, 7> kQueryId = {0x55, 0xAA, 0x03, 0x26, 0x00, 0x00, 0x29};
constexpr std::array<std::uint8_t, 6> kWriteAck = {0x55, 0xAA, 0x02, 0x20, 0x00, 0x22};

// Five-byte prefixes of the write requests; the parameter bytes go in before the sum.
CommandFrame writeAirRatePrefix(); // 55 AA 04 20 05
CommandFrame writeIdPrefix(); // 55 AA 05 32 00 (+ two more ID bytes)
CommandFrame writeChannelPrefix(); // 55 AA 06 07 00 (+ three bytes after the channel)
CommandFrame writeSerialModePrefix(); // 55 AA 03 28 00

constexpr std::array<std::uint8_t, 8> kStartTxTest
    = {0x55, 0xAA, 0x04, 0x20, 0x08, 0x00, 0x00, 0x2C};
constexpr std::array<std::uint8_t, 8> kTxFrequencyTest
    = {0x55, 0xAA, 0x04, 0x20, 0x08, 0x03, 0x00, 0x2F};
constexpr std::array<std::uint8_t, 8> kStopTxTest
    = {0x55, 0xAA, 0x04, 0x20, 0x09, 0x00, 0x00, 0x2D};

} // namespace radio
