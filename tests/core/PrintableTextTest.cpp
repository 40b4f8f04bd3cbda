#include "core/PrintableText.h"

#include <gtest/gtest.h>

TEST(PrintableText, controlsAndBytesThatAreNoUtf8AreEscapedTheRestKept)
{
    const struct
    {
        std::string text;
        std::string shown;
    } rows[] = {
        {"COM1 /dev/ttyUSB0", "COM1 /dev/ttyUSB0"},
        {"电台 ü €", "电台 ü €"},
        {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
        {"a\tb\r\nc", "a\\x09b\\x0d\\x0ac"},
        {std::string("nul\0end", 7), "nul\\x00end"},
        {"del\x7f", "del\\x7f"},
        {"csi\xc2\x9b"
         "2J nel\xc2\x85 nbsp\xc2\xa0",
            "csi\\xc2\\x9b2J nel\\xc2\\x85 nbsp\xc2\xa0"},
        {"latin1 \xe9t\xe9", "latin1 \\xe9t\\xe9"},
        {"overlong \xc0\xaf, surrogate \xed\xa0\x80, cut \xe4\xb8",
            "overlong \\xc0\\xaf, surrogate \\xed\\xa0\\x80, cut \\xe4\\xb8"},
        {"back\\slash \\x1b", "back\\\\slash \\\\x1b"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(core::printable(row.text), row.shown) << row.shown;
}
