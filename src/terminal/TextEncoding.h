#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace terminal {

// How the terminal's text travels on the line: UTF-8, as Linux stations write it, or GB18030,
// the code page of Chinese Windows stations (it covers GBK and GB2312).
enum class TextEncoding { Utf8, Gb18030 };

// The window's text (UTF-8) as the bytes of a text send. A byte that is no UTF-8 goes out as
// '?'; every character has a GB18030 form, so nothing else is lost.
std::string encodeText(TextEncoding encoding, const std::string& utf8);

// One iconv conversion between two encodings, with the state of a multi-byte character that
// the input has not finished yet.
class IconvConverter
{
public:
    enum class Stop {
        Done, // all input converted
        Invalid, // input begins with a byte sequence that has no meaning in the source encoding
        Incomplete, // input is the beginning of a character that needs more bytes
    };

    // Throws std::runtime_error when the C library has no such conversion.
    IconvConverter(const char* to, const char* from);
    ~IconvConverter();
    IconvConverter(IconvConverter&& other) noexcept;
    IconvConverter& operator=(IconvConverter&& other) noexcept;

    // Appends the conversion of input to out and advances input past what it took.
    Stop convert(std::span<const std::uint8_t>& input, std::string& out);
    void reset();

private:
    void* m_cd;
};

const char* iconvName(TextEncoding encoding);

} // namespace terminal
