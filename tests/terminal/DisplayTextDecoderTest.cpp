#include "terminal/DisplayTextDecoder.h"

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

} // namespace

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
