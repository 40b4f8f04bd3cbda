#include "terminal/HexText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using terminal::BytesToHexText;
using terminal::HexLinesToBytes;
using terminal::HexTextToByte;
using Bytes = std::vector<std::uint8_t>;

TEST(HexText, digitsAreUpperCase)
{
    EXPECT_EQ(std::string("0123456789ABCDEF"), [] {
        std::string digits;
        for (std::uint8_t v = 0; v < 16; ++v)
            digits += terminal::HexDigit(v);
        return digits;
    }());
}

TEST(HexText, bytesToHexTextWritesTwoDigitsAndASpacePerByte)
{
    const struct
    {
        Bytes bytes;
        std::string text;
    } rows[] = {
        {{}, ""},
        {{0x00}, "00 "},
        {{0xFF}, "FF "},
        {{0xC8}, "C8 "},
        {{0x55, 0xAA, 0x0D}, "55 AA 0D "},
        {{0xab, 0x0c, 0x80}, "AB 0C 80 "},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.text, BytesToHexText(row.bytes)) << row.text;
}

TEST(HexText, hexLinesToBytesFollowsThePairRules)
{
    const struct
    {
        std::vector<std::string> lines;
        Bytes block;
    } rows[] = {
        {{"55 AA 0d"}, {0x55, 0xAA, 0x0D}},
        {{"55AA0D"}, {0x55, 0xAA, 0x0D}},
        {{"5 5,A-A"}, {0x55, 0xAA}},
        {{"0x1F"}, {0x01}},
        {{"ABC"}, {0xAB}},
        {{"A", "B"}, {}},
        {{"GHZ"}, {}},
        {{" ", ",", "中文字符"}, {}},
        {{"1", "23", "4 5"}, {0x23, 0x45}},
        {{"ff", "", "0"}, {0xFF}},
        {{}, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.block, HexLinesToBytes(row.lines)) << ::testing::PrintToString(row.lines);
}

TEST(HexText, hexLinesToBytesStopsAt1024Bytes)
{
    std::string oneLine;
    std::vector<std::string> manyLines;
    Bytes expected;
    for (int i = 0; i < 1030; ++i) {
        const auto b = static_cast<std::uint8_t>(i * 7);
        const std::string pair = BytesToHexText(Bytes {b});
        oneLine += pair;
        manyLines.push_back(pair + pair.substr(0, 1)); // odd digit left at the line's end
        if (expected.size() < 1024)
            expected.push_back(b);
    }
    EXPECT_EQ(expected, HexLinesToBytes({oneLine}));
    EXPECT_EQ(expected, HexLinesToBytes(manyLines));
}

TEST(HexText, hexTextToByteShiftsInEveryCharacter)
{
    const struct
    {
        std::string text;
        std::uint8_t value;
    } rows[] = {
        {"", 0x00},
        {"00", 0x00},
        {"7", 0x07},
        {"ff", 0xFF},
        {"1f", 0x1F},
        {"1F", 0x1F},
        {"1234", 0x34},
        {"1FF", 0xFF},
        {"100", 0x00},
        {"1G", 0x57},
        {" 5", 0x05},
        {"5 ", 0x70},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.value, HexTextToByte(row.text)) << '"' << row.text << '"';
}
