#include "DisplayTextDecoder.h"

#include <utility>

namespace terminal {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// The converter's target: UTF-32 refuses what is no Unicode character, in every source
// encoding, where glibc's UTF-8 to UTF-8 would let code points beyond U+10FFFF through.
constexpr const char* kDisplayCode = "UTF-32LE";

void appendUtf8(char32_t c, std::string& out)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

DisplayTextDecoder::DisplayTextDecoder(TextEncoding encoding)
    : m_encoding(encoding), m_converter(kDisplayCode, iconvName(encoding))
{ }

std::string DisplayTextDecoder::decode(std::span<const std::uint8_t> bytes)
{
    std::vector<std::uint8_t> pending = std::exchange(m_partial, {});
    pending.insert(pending.end(), bytes.begin(), bytes.end());
    std::span<const std::uint8_t> input(pending);
    std::string out;
    for (;;) {
        std::string utf32;
        const auto stop = m_converter.convert(input, utf32);
        for (std::size_t i = 0; i + 4 <= utf32.size(); i += 4) {
            char32_t c = 0;
            for (std::size_t k = 4; k-- > 0;)
                c = (c << 8) | static_cast<std::uint8_t>(utf32[i + k]);
            put(c, out);
        }
        if (stop == IconvConverter::Stop::Done)
            break;
        if (stop == IconvConverter::Stop::Incomplete) {
            m_partial.assign(input.begin(), input.end());
            break;
        }
        // A byte that starts no character: mark it and go on with the next one.
        put(kReplacement, out);
        input = input.subspan(1);
    }
    return out;
}

void DisplayTextDecoder::put(char32_t c, std::string& out)
{
    const bool afterCr = m_afterCr;
    m_afterCr = c == '\r';
    if (c == '\r' || c == '\n') {
        if (!(c == '\n' && afterCr))
            out += "\r\n";
        return;
    }
    appendUtf8(c, out);
}

void DisplayTextDecoder::reset()
{
    m_converter.reset();
    m_partial.clear();
    m_afterCr = false;
}

void DisplayTextDecoder::setEncoding(TextEncoding encoding)
{
    if (encoding == m_encoding)
        return;
    m_converter = IconvConverter(kDisplayCode, iconvName(encoding));
    m_encoding = encoding;
    reset();
}

} // namespace terminal
