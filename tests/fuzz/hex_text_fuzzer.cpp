// Hex text both ways, and the display text decoder: what the receive area shows must not depend
// on how the received bytes were cut into chunks.
#include "FuzzCheck.h"
#include "terminal/DisplayTextDecoder.h"
#include "terminal/HexText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Well-formed UTF-8 (no overlong forms, surrogates or code points above U+10FFFF), in which
// every CR is followed by LF and every LF follows a CR.
bool isDisplayText(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            return false;
        if (b == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
        int extra = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (b < 0x80)
            extra = 0;
        else if (b >= 0xC2 && b <= 0xDF)
            extra = 1;
        else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            low = b == 0xE0 ? 0xA0 : 0x80;
            high = b == 0xED ? 0x9F : 0xBF;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            low = b == 0xF0 ? 0x90 : 0x80;
            high = b == 0xF4 ? 0x8F : 0xBF;
        } else
            return false;
        if (i + static_cast<std::size_t>(extra) >= text.size() && extra > 0)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            const unsigned char lo = k == 1 ? low : 0x80;
            const unsigned char hi = k == 1 ? high : 0xBF;
            if (c < lo || c > hi)
                return false;
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

void checkBytesToHex(const Bytes& bytes)
{
    const std::string text = terminal::BytesToHexText(bytes);
    FUZZ_CHECK(text.size() == 3 * bytes.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i % 3 == 2)
            FUZZ_CHECK(c == ' ');
        else
            FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    }
    // What is shown can be sent back as it is, up to the block limit.
    const Bytes back = terminal::HexTextToBytes(text);
    const std::size_t kept = std::min(bytes.size(), terminal::kMaxHexBlock);
    FUZZ_CHECK(back.size() == kept && std::equal(back.begin(), back.end(), bytes.begin()));
}

void checkHexLines(const std::string& text, const std::vector<std::string>& lines)
{
    const Bytes block = terminal::HexTextToBytes(text);
    FUZZ_CHECK(block.size() <= terminal::kMaxHexBlock);
    // Lines convert on their own: a pair never spans a line break.
    Bytes joined;
    std::string digitsOnly;
    for (const std::string& line : lines) {
        const Bytes part = terminal::HexTextToBytes(line);
        joined.insert(joined.end(), part.begin(), part.end());
        std::copy_if(line.begin(), line.end(), std::back_inserter(digitsOnly),
            [](char c) { return isHexDigit(c) || c == '\r'; });
        digitsOnly += '\n';
    }
    joined.resize(std::min(joined.size(), terminal::kMaxHexBlock));
    FUZZ_CHECK(block == joined);
    // Non-digits are skipped, never split a pair.
    FUZZ_CHECK(terminal::HexTextToBytes(digitsOnly) == block);
}

void checkHexTextToByte(const std::string& text)
{
    // Each character shifts the value up by four bits, modulo 256, so only the last two count.
    const std::string lastTwo = text.substr(text.size() - std::min<std::size_t>(2, text.size()));
    FUZZ_CHECK(terminal::HexTextToByte(text) == terminal::HexTextToByte(lastTwo));
    if (lastTwo.size() == 2 && isHexDigit(lastTwo[0]) && isHexDigit(lastTwo[1]))
        FUZZ_CHECK(terminal::HexTextToByte(text) == std::stoi(lastTwo, nullptr, 16));
}

void checkDecoderChunking(const Bytes& bytes, FuzzedDataProvider& cuts)
{
    terminal::DisplayTextDecoder whole;
    const std::string expected = whole.decode(bytes);
    FUZZ_CHECK(isDisplayText(expected));
    terminal::DisplayTextDecoder chunked;
    std::string shown;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t size = std::min<std::size_t>(
            bytes.size() - at, cuts.ConsumeIntegralInRange<std::size_t>(1, 16));
        shown += chunked.decode({bytes.data() + at, size});
        at += size;
    }
    FUZZ_CHECK(shown == expected);
    // A fresh start after reset shows the rest as a new decoder would.
    chunked.reset();
    terminal::DisplayTextDecoder fresh;
    FUZZ_CHECK(chunked.decode(bytes) == fresh.decode(bytes));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string first = input.ConsumeRandomLengthString(4096);
    const Bytes bytes(first.begin(), first.end());
    checkBytesToHex(bytes);
    checkHexTextToByte(first);

    std::vector<std::string> lines;
    std::string line;
    for (const char c : first) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    lines.push_back(line);
    checkHexLines(first, lines);

    checkDecoderChunking(bytes, input);
    return 0;
}
