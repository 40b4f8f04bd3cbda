#include "CommandFrame.h"

#include <algorithm>

namespace radio {

std::uint16_t frameSum(const std::uint8_t* frame)
{
    const std::size_t length = frame[2];
    unsigned sum = 0;
    for (std::size_t i = 0; i < length; ++i)
        sum += frame[2 + i];
    return static_cast<std::uint16_t>(sum);
}

void AppendChecksum(CommandFrame& frame)
{
    const std::size_t length = frame.at(2);
    if (frame.size() < length + 4)
        frame.resize(length + 4, 0);
    const std::uint16_t sum = frameSum(frame.data());
    frame[2 + length] = static_cast<std::uint8_t>(sum >> 8);
    frame[3 + length] = static_cast<std::uint8_t>(sum & 0xFF);
}

bool ValidateFrame(
    const std::uint8_t* buffer, std::size_t size, std::uint8_t header1, std::uint8_t header2)
{
    if (size < 3 || buffer[0] != header1 || buffer[1] != header2)
        return false;
    const std::size_t length = buffer[2];
    if (length < kMinValidLength || length > kMaxValidLength || size < length + 4)
        return false;
    const unsigned stored = buffer[2 + length] * 256u + buffer[3 + length];
    return frameSum(buffer) == stored;
}

bool IsWriteAck(const std::uint8_t* buffer, std::size_t size)
{
    return size >= kWriteAck.size() && std::equal(kWriteAck.begin(), kWriteAck.end(), buffer);
}

CommandFrame makeFrame(std::uint8_t command, const std::vector<std::uint8_t>& data)
{
    CommandFrame frame(data.size() + 6, 0);
    frame[0] = kHeader1;
    frame[1] = kHeader2;
    frame[2] = static_cast<std::uint8_t>(data.size() + 2);
    frame[3] = command;
    std::copy(data.begin(), data.end(), frame.begin() + 4);
    AppendChecksum(frame);
    return frame;
}

CommandFrame writeAirRatePrefix()
{
    return {kHeader1, kHeader2, 0x04, cmd::WriteSelector, 0x05};
}

CommandFrame writeIdPrefix()
{
    return {kHeader1, kHeader2, 0x05, cmd::WriteId, 0x00};
}

CommandFrame writeChannelPrefix()
{
    return {kHeader1, kHeader2, 0x06, cmd::WriteChannel, 0x00};
}

CommandFrame writeSerialModePrefix()
{
    return {kHeader1, kHeader2, 0x03, cmd::WriteSerialMode, 0x00};
}

} // namespace radio
