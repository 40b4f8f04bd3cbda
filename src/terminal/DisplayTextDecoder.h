#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace terminal {

// Turns received bytes into display text, chunk by chunk: UTF-8 characters split between two
// chunks come out whole once their last byte has arrived, bytes that are no UTF-8 show as
// U+FFFD, and every CR, LF or CR LF (also one split between chunks) becomes one CR LF, the line
// break of the window's text.
class DisplayTextDecoder
{
public:
    std::string decode(std::span<const std::uint8_t> bytes);
    // Forgets a partial character and a preceding CR, when the bytes that follow no longer
    // continue the text shown (they went to the hex display, or were not shown at all).
    void reset();

private:
    void startCharacter(std::uint8_t b, std::string& out);

    std::string m_partial; // the bytes so far of an incomplete character
    int m_missing = 0; // continuation bytes it still needs
    bool m_afterCr = false;
};

} // namespace terminal
