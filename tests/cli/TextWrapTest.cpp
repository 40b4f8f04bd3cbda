#include "cli/TextWrap.h"

#include <gtest/gtest.h>

#include <tuple>

namespace cli {
namespace {

using Lines = std::vector<std::string>;

TEST(TextWrap, breaksAtSpacesAndBetweenWideCharactersButNotAtPunctuation)
{
    // Text, first column, indent, width, lines.
    const std::vector<std::tuple<std::string, std::size_t, std::size_t, std::size_t, Lines>> rows
        = {
            {"read the radio", 0, 0, 8, {"read the", "radio"}},
            {"read the radio", 4, 2, 8, {"read", "the", "radio"}},
            {"a-very-long-word b", 0, 0, 5, {"a-very-long-word", "b"}},
            // Wide characters take two columns and break anywhere between them...
            {"读取电台参数", 0, 0, 8, {"读取电台", "参数"}},
            {"端口COMn设备", 0, 0, 4, {"端口", "COMn", "设备"}},
            // ... but closing punctuation stays with what it follows, opening with what
            // follows it.
            {"一二三,四", 0, 0, 6, {"一二", "三,四"}},
            {"一二。三四", 0, 0, 4, {"一", "二。", "三四"}},
            {"一二(三)", 0, 0, 4, {"一二", "(三)"}},
            // A usage's option keeps its value.
            {"[-p P] [--id N]", 0, 0, 10, {"[-p P]", "[--id N]"}},
        };
    for (const auto& [text, start, indent, width, lines] : rows)
        EXPECT_EQ(wrapText(text, start, indent, width), lines) << text;
}

} // namespace
} // namespace cli
