#include "DisplayTextDecoder.h"

namespace terminal {

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";
const std::string kLineBreak = "\r\n";

bool isContinuation(std::uint8_t b)
{
    return (b & 0xC0) == 0x80;
}

// The second byte of a sequence has a narrower range after some lead bytes, which rules out
// overlong forms, surrogates and code points above U+10FFFF.
bool fitsAfterLead(std::uint8_t lead, std::uint8_t second)
{
    switch (lead) {
    case 0xE0:
        return second >= 0xA0;
    case 0xED:
        return second <= 0x9F;
    case 0xF0:
        return second >= 0x90;
    case 0xF4:
        return second <= 0x8F;
    default:
        return true;
    }
}

} // namespace

std::string DisplayTextDecoder::decode(std::span<const std::uint8_t> bytes)
{
    std::string out;
    for (const std::uint8_t b : bytes) {
        if (m_missing > 0) {
            const auto lead = static_cast<std::uint8_t>(m_partial.front());
            if (isContinuation(b) && (m_partial.size() > 1 || fitsAfterLead(lead, b))) {
                m_partial += static_cast<char>(b);
                if (--m_missing == 0) {
                    out += m_partial;
                    m_partial.clear();
                }
                continue;
            }
            out += kReplacement;
            m_partial.clear();
            m_missing = 0;
        }
        startCharacter(b, out);
    }
    return out;
}

void DisplayTextDecoder::startCharacter(std::uint8_t b, std::string& out)
{
    const bool afterCr = m_afterCr;
    m_afterCr = b == '\r';
    if (b == '\r' || b == '\n') {
        if (!(b == '\n' && afterCr))
            out += kLineBreak;
        return;
    }
    if (b < 0x80) {
        out += static_cast<char>(b);
        return;
    }
    if (b >= 0xC2 && b <= 0xDF)
        m_missing = 1;
    else if (b >= 0xE0 && b <= 0xEF)
        m_missing = 2;
    else if (b >= 0xF0 && b <= 0xF4)
        m_missing = 3;
    else {
        out += kReplacement;
        return;
    }
    m_partial = static_cast<char>(b);
}

void DisplayTextDecoder::reset()
{
    m_partial.clear();
    m_missing = 0;
    m_afterCr = false;
}

} // namespace terminal
