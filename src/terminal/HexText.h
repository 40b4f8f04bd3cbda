#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace terminal {

// The most bytes one hex send writes; digits beyond them are ignored.
constexpr std::size_t kMaxHexBlock = 1024;

// The upper-case digit of a value 0 to 15.
char HexDigit(std::uint8_t value);

// Two upper-case digits and one space per byte, nothing else: "55 AA 0D ".
std::string BytesToHexText(std::span<const std::uint8_t> bytes);

// The bytes spelled by pairs of hex digits in a text. Other characters are skipped, a pair never
// spans a line break (CR or LF; a line's odd last digit is dropped), and at most kMaxHexBlock
// bytes. Only the text's own line breaks count, never where a window wraps it.
std::vector<std::uint8_t> HexTextToBytes(const std::string& text);

// A typed register field to one byte: every character shifts the value up by one digit, a hex
// digit adding its value and any other character its own code, all modulo 256. So only the
// last two digits of "1234" count, and "1G" gives 0x57.
std::uint8_t HexTextToByte(const std::string& text);

} // namespace terminal
