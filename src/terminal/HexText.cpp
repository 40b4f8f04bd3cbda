#include "HexText.h"

#include <optional>

namespace terminal {

namespace {

std::optional<std::uint8_t> digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint8_t>(c - 'a' + 10);
    return std::nullopt;
}

} // namespace

char HexDigit(std::uint8_t value)
{
    return "0123456789ABCDEF"[value & 0x0F];
}

std::string BytesToHexText(std::span<const std::uint8_t> bytes)
{
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const std::uint8_t b : bytes) {
        text += HexDigit(b / 16);
        text += HexDigit(b % 16);
        text += ' ';
    }
    return text;
}

std::vector<std::uint8_t> HexTextToBytes(const std::string& text)
{
    std::vector<std::uint8_t> block;
    std::optional<std::uint8_t> high;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            high.reset();
            continue;
        }
        const auto digit = digitValue(c);
        if (!digit)
            continue;
        if (!high) {
            high = digit;
            continue;
        }
        block.push_back(static_cast<std::uint8_t>(*high * 16 + *digit));
        high.reset();
        if (block.size() == kMaxHexBlock)
            break;
    }
    return block;
}

std::uint8_t HexTextToByte(const std::string& text)
{
    unsigned value = 0;
    for (const char c : text) {
        const auto digit = digitValue(c);
        value = (value * 16 + (digit ? *digit : static_cast<unsigned char>(c))) % 256;
    }
    return static_cast<std::uint8_t>(value);
}

} // namespace terminal
