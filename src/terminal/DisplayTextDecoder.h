#pragma once

#include "TextEncoding.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace terminal {

// Turns received bytes into display text, chunk by chunk, in the terminal's text encoding:
// characters split between two chunks come out whole once their last byte has arrived, bytes
// that mean nothing in the encoding show as U+FFFD, and every CR, LF or CR LF (also one split
// between chunks) becomes one CR LF, the line break of the window's text.
class DisplayTextDecoder
{
public:
    explicit DisplayTextDecoder(TextEncoding encoding = TextEncoding::Utf8);

    std::string decode(std::span<const std::uint8_t> bytes);
    // Forgets a partial character and a preceding CR, when the bytes that follow no longer
    // continue the text shown (they went to the hex display, or were not shown at all).
    void reset();
    // A change of encoding starts afresh, as the bytes so far belong to the other one.
    void setEncoding(TextEncoding encoding);
    TextEncoding encoding() const { return m_encoding; }

private:
    void put(char32_t c, std::string& out);

    TextEncoding m_encoding;
    IconvConverter m_converter;
    std::vector<std::uint8_t> m_partial; // the bytes so far of an incomplete character
    bool m_afterCr = false;
};

} // namespace terminal
