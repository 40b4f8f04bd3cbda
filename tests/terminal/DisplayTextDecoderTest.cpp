#include "terminal/DisplayTextDecoder.h"
#include "terminal/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Decodes the chunks one after another and joins what each gives.
std::string decodeChunks(
    terminal::DisplayTextDecoder& decoder, const std::vector<std::string>& chunks)
{
    std::string shown;
    for (const std::string& chunk : chunks)
        shown
            += decoder.decode({reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()});
    return shown;
}

const std::string kFffd = "\xEF\xBF\xBD";
const std::string kShuchuan = "数传电台";
const std::string kShuchuanGb = "\xCA\xFD\xB4\xAB\xB5\xE7\xCC\xA8";

} // namespace

TEST(TextEncoding, encodesTheWindowTextForTheLine)
{
    using terminal::TextEncoding;
    const struct
    {
        TextEncoding encoding;
        std::string text;
        std::string bytes;
    } rows[] = {
        {TextEncoding::Utf8, "AB\r\nC", "AB\r\nC"},
        {TextEncoding::Gb18030, "AB\r\nC", "AB\r\nC"},
        {TextEncoding::Utf8, kShuchuan, kShuchuan},
        {TextEncoding::Gb18030, kShuchuan, kShuchuanGb},
        {TextEncoding::Gb18030, "€", "\xA2\xE3"},
        {TextEncoding::Gb18030, "\xC2\x80", "\x81\x30\x81\x30"}, // U+0080, four bytes
        {TextEncoding::Gb18030, "\xF0\x9F\x98\x80", "\x94\x39\xFC\x36"}, // beyond 16 bits
        {TextEncoding::Gb18030,
            "a\xFF"
            "b",
            "a?b"}, // no UTF-8: never from the window
        {TextEncoding::Gb18030, "", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.bytes, terminal::encodeText(row.encoding, row.text))
            << ::testing::PrintToString(row.text);
}

TEST(DisplayTextDecoder, gb18030TextComesOutWholeAcrossChunks)
{
    const struct
    {
        std::vector<std::string> chunks;
        std::string shown;
    } rows[] = {
        {{"AB\r\n"}, "AB\r\n"}, {{kShuchuanGb}, kShuchuan},
        {{"\xCA", "\xFD\xB4\xAB"}, "数传"}, // two-byte character split
        {{"\x94\x39", "\xFC", "\x36!"}, "\xF0\x9F\x98\x80!"}, // four-byte character split
        {{"\xCA\xFD\x81", "\x30\x81\x30"}, "数\xC2\x80"},
        {{"\x81\x40"}, "丂"}, // a second byte in the ASCII letter range
        {{"\xFF"}, kFffd},
        {{"\x80"
          "A"},
            kFffd + "A"},
        {{"\xCA", "\r\n"}, kFffd + "\r\n"}, // a lead byte that a line break cuts off
        {{"\x81\x30  "}, kFffd + "0  "}, {{"a\r", "\nb"}, "a\r\nb"},
        {{kShuchuan.substr(0, 3) + "!"}, "鏁" + kFffd + "!"}, // UTF-8 read as GB18030
    };
    for (const auto& row : rows) {
        terminal::DisplayTextDecoder decoder(terminal::TextEncoding::Gb18030);
        EXPECT_EQ(row.shown, decodeChunks(decoder, row.chunks))
            << ::testing::PrintToString(row.chunks);
    }
}

TEST(DisplayTextDecoder, changingTheEncodingDropsAPartialCharacter)
{
    terminal::DisplayTextDecoder decoder;
    EXPECT_EQ("", decodeChunks(decoder, {"\xE6\x95"}));
    decoder.setEncoding(terminal::TextEncoding::Gb18030);
    EXPECT_EQ("数", decodeChunks(decoder, {"\xCA\xFD"}));
    decoder.setEncoding(terminal::TextEncoding::Gb18030);
    EXPECT_EQ("传", decodeChunks(decoder, {"\xB4", "\xAB"})) << "the same encoding keeps state";
}

TEST(DisplayTextDecoder, joinsSplitCharactersAndNormalisesLineBreaks)
{
    const std::string zhong = "\xE4\xB8\xAD"; // 中
    const std::string emoji = "\xF0\x9F\x98\x80";
    const struct
    {
        std::vector<std::string> chunks;
        std::string shown;
    } rows[] = {
        {{"AB"}, "AB"}, {{"\xE4", "\xB8\xAD"}, zhong}, {{"\xE4\xB8", "\xAD", "x"}, zhong + "x"},
        {{"\xF0", "\x9F", "\x98", "\x80"}, emoji}, {{"a\r\nb"}, "a\r\nb"},
        {{"a\r", "\nb"}, "a\r\nb"}, {{"a\nb\rc"}, "a\r\nb\r\nc"}, {{"\n\n"}, "\r\n\r\n"},
        {{"\r\r\n"}, "\r\n\r\n"}, {{"\xFF"}, "\xEF\xBF\xBD"},
        {{"\xC8 "}, "\xEF\xBF\xBD "}, // a Latin-1 letter is no UTF-8
        {{"\xE4", "A"},
            "\xEF\xBF\xBD"
            "A"},
        {{"\xE0\x80\x80"}, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}, // overlong form
        {{"\xED\xA0\x80"}, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}, // surrogate
        {{"\xF4\x90\x80\x80"}, kFffd + kFffd + kFffd + kFffd}, // beyond U+10FFFF
        {{kShuchuanGb.substr(0, 2) + "!"}, kFffd + kFffd + "!"}, // GB18030 read as UTF-8
    };
    for (const auto& row : rows) {
        terminal::DisplayTextDecoder decoder;
        EXPECT_EQ(row.shown, decodeChunks(decoder, row.chunks))
            << ::testing::PrintToString(row.chunks);
    }
}

TEST(DisplayTextDecoder, resetDropsAPartialCharacterAndAPendingCr)
{
    terminal::DisplayTextDecoder decoder;
    EXPECT_EQ("a\r\n", decodeChunks(decoder, {"a\r", "\xE4\xB8"}));
    decoder.reset();
    EXPECT_EQ("\r\nb", decodeChunks(decoder, {"\nb"}));
}
