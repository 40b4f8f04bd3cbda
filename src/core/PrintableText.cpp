#include "PrintableText.h"

#include <cstdio>

namespace core {

std::size_t utf8SequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

bool isUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8SequenceLength(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string printable(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    const auto escape = [&shown](std::string_view bytes) {
        for (const char c : bytes) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
            shown += hex;
        }
    };
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8SequenceLength(text, at);
        const auto lead = static_cast<unsigned char>(text[at]);
        // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
        const bool c1
            = length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0;
        if (length == 0) {
            escape(text.substr(at, 1));
            ++at;
            continue;
        }
        if (lead < 0x20 || lead == 0x7F || c1)
            escape(text.substr(at, length));
        else if (lead == '\\')
            shown += "\\\\";
        else
            shown += text.substr(at, length);
        at += length;
    }
    return shown;
}

} // namespace core
