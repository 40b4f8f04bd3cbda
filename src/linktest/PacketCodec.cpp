#include "PacketCodec.h"

#include <array>

namespace linktest {
namespace {

// Crockford's base 32: no letter is one bit away from the mark.
constexpr std::string_view kDigits = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr int kSequenceChars = 3;
constexpr int kCheckChars = 4;

std::uint16_t crc16(std::string_view bytes)
{
    std::uint16_t crc = 0xFFFF; // CRC-16/CCITT-FALSE
    for (const char c : bytes) {
        crc ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(c) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

void appendDigits(std::string& out, std::uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        out += kDigits[(value >> (5 * i)) & 31];
}

std::optional<std::uint32_t> readDigits(std::string_view text)
{
    std::uint32_t value = 0;
    for (const char c : text) {
        const std::size_t digit = kDigits.find(c);
        if (digit == std::string_view::npos)
            return std::nullopt;
        value = value << 5 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

} // namespace

std::string encodePacket(std::uint32_t sequence, int size)
{
    std::string packet(1, kMark);
    appendDigits(packet, sequence & kSequenceMask, kSequenceChars);
    const int filler = size - 1 - kSequenceChars - kCheckChars;
    for (int i = 0; i < filler; ++i)
        packet += kDigits[(sequence * 7 + static_cast<std::uint32_t>(i)) & 31];
    appendDigits(packet, crc16(std::string_view(packet).substr(1)), kCheckChars);
    return packet;
}

std::vector<Echo> EchoParser::feed(std::string_view bytes)
{
    m_pending.append(bytes);
    std::vector<Echo> echoes;
    const auto size = static_cast<std::size_t>(m_size);
    std::size_t at = 0;
    while (true) {
        const std::size_t mark = m_pending.find(kMark, at);
        if (mark == std::string::npos) {
            m_pending.clear();
            return echoes;
        }
        const std::size_t next = m_pending.find(kMark, mark + 1);
        if (next != std::string::npos && next < mark + size) {
            echoes.push_back(read(std::string_view(m_pending).substr(mark, next - mark)));
            at = next;
        } else if (m_pending.size() < mark + size) {
            m_pending.erase(0, mark);
            return echoes;
        } else {
            echoes.push_back(read(std::string_view(m_pending).substr(mark, size)));
            at = mark + size;
        }
    }
}

Echo EchoParser::read(std::string_view packet) const
{
    Echo echo;
    if (packet.size() > static_cast<std::size_t>(kSequenceChars))
        echo.sequence = readDigits(packet.substr(1, kSequenceChars));
    if (packet.size() != static_cast<std::size_t>(m_size))
        return echo;
    const auto body = packet.substr(1, packet.size() - 1 - kCheckChars);
    const auto check = readDigits(packet.substr(packet.size() - kCheckChars));
    echo.intact = echo.sequence && check && *check == crc16(body);
    return echo;
}

} // namespace linktest
