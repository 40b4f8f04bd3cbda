#include "terminal/HexText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using terminal::BytesToHexText;
using terminal::HexTextToByte;
using terminal::HexTextToBytes;
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

TEST(HexText, hexTextToBytesFollowsThePairRules)
{
    const struct
    {
        std::string text;
        Bytes block;
    } rows[] = {
        {"55 AA 0d", {0x55, 0xAA, 0x0D}},
        {"55AA0D", {0x55, 0xAA, 0x0D}},
        {"5 5,A-A", {0x55, 0xAA}},
        {"0x1F", {0x01}},
        {"ABC", {0xAB}},
        {"A\r\nB", {}},
        {"A\nB\rC", {}},
        {"GHZ", {}},
        {" \r\n,\r\n中文字符", {}},
        {"1\r\n23\r\n4 5", {0x23, 0x45}},
        {"ff\r\n\r\n0", {0xFF}},
        {"", {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.block, HexTextToBytes(row.text)) << ::testing::PrintToString(row.text);
}

TEST(HexText, hexTextToBytesStopsAt1024Bytes)
{
    std::string oneLine;
    std::string manyLines;
    Bytes expected;
    for (int i = 0; i < 1030; ++i) {
        const auto b = static_cast<std::uint8_t>(i * 7);
        const std::string pair = BytesToHexText(Bytes {b});
        oneLine += pair;
        manyLines += pair + pair.substr(0, 1) + "\r\n"; // odd digit left at the line's end
        if (expected.size() < 1024)
            expected.push_back(b);
    }
    EXPECT_EQ(expected, HexTextToBytes(oneLine));
    EXPECT_EQ(expected, HexTextToBytes(manyLines));
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
