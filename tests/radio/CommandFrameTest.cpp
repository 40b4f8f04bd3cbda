#include "radio/CommandFrame.h"

#include <gtest/gtest.h>

namespace {

using radio::CommandFrame;

struct ValidateCase
{
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool valid;
};

// A frame of length L with zero data and its correct sum.
std::vector<std::uint8_t> frameOfLength(std::uint8_t length)
{
    CommandFrame frame {0x55, 0xAA, length, 0x27};
    frame.resize(length + 4u, 0);
    radio::AppendChecksum(frame);
    return frame;
}

std::vector<std::uint8_t> withSwappedSum(std::vector<std::uint8_t> frame)
{
    std::swap(frame[frame.size() - 1], frame[frame.size() - 2]);
    return frame;
}

std::vector<std::uint8_t> appended(std::vector<std::uint8_t> frame, std::uint8_t extra)
{
    frame.push_back(extra);
    return frame;
}

class ValidateFrameTest : public testing::TestWithParam<ValidateCase>
{ };

TEST_P(ValidateFrameTest, verdict)
{
    const auto& c = GetParam();
    EXPECT_EQ(radio::ValidateFrame(c.bytes), c.valid) << c.name;
}

const std::vector<std::uint8_t> kModelAnswer = {0x55, 0xAA, 0x04, 0x27, 0x01, 0x12, 0x00, 0x3E};

INSTANTIATE_TEST_SUITE_P(Frames, ValidateFrameTest,
    testing::Values(ValidateCase {"model answer", kModelAnswer, true},
        ValidateCase {"write ack has L = 2", {0x55, 0xAA, 0x02, 0x20, 0x00, 0x22}, false},
        ValidateCase {"L = 3", frameOfLength(3), true},
        ValidateCase {"L = 29, 33 bytes", frameOfLength(29), true},
        ValidateCase {"L = 30", frameOfLength(30), false},
        ValidateCase {"wrong first header", {0x54, 0xAA, 0x03, 0x27, 0x00, 0x00, 0x2A}, false},
        ValidateCase {"wrong second header", {0x55, 0xAB, 0x03, 0x27, 0x00, 0x00, 0x2A}, false},
        ValidateCase {"stray byte before the frame",
            {0x00, 0x55, 0xAA, 0x04, 0x27, 0x01, 0x12, 0x00, 0x3E}, false},
        ValidateCase {"trailing bytes ignored", appended(kModelAnswer, 0x99), true},
        ValidateCase {"sum low byte first", withSwappedSum(kModelAnswer), false},
        ValidateCase {"swapped sum with equal bytes",
            withSwappedSum({0x55, 0xAA, 0x03, 0x27, 0xD7, 0x01, 0x01}), true},
        ValidateCase {
            "L = 5 needs nine bytes", {0x55, 0xAA, 0x05, 0x26, 0x12, 0x34, 0x56, 0x00}, false},
        ValidateCase {"sum off by one", {0x55, 0xAA, 0x03, 0x27, 0x00, 0x00, 0x2B}, false},
        ValidateCase {"too short for a length", {0x55, 0xAA}, false}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(AppendChecksum, writesTheSumHighByteFirst)
{
    struct Case
    {
        CommandFrame frame;
        std::uint8_t high, low;
    };
    const std::vector<Case> cases = {
        {{0x55, 0xAA, 0x04, 0x20, 0x08, 0x03}, 0x00, 0x2F},
        {{0x55, 0xAA, 0x05, 0x32, 0x12, 0x34, 0x56}, 0x00, 0xD3},
        {{0x55, 0xAA, 0x03, 0x28, 0x21}, 0x00, 0x4C},
        {{0x55, 0xAA, 0x04, 0x88, 0xFF, 0xFF}, 0x02, 0x8A},
    };
    for (auto c : cases) {
        const std::size_t length = c.frame[2];
        radio::AppendChecksum(c.frame);
        ASSERT_EQ(c.frame.size(), length + 4);
        EXPECT_EQ(c.frame[length + 2], c.high);
        EXPECT_EQ(c.frame[length + 3], c.low);
        EXPECT_TRUE(radio::ValidateFrame(c.frame));
    }
}

TEST(CommandFrame, storedQueriesCarryTheirSums)
{
    for (const auto& query :
        {radio::kQueryModelVersion, radio::kQueryAirRate, radio::kQueryChannel, radio::kQueryId}) {
        CommandFrame frame(query.begin(), query.begin() + 5);
        radio::AppendChecksum(frame);
        EXPECT_EQ(frame, CommandFrame(query.begin(), query.end()));
    }
}

TEST(IsWriteAck, needsTheExactSixBytes)
{
    EXPECT_TRUE(radio::IsWriteAck({0x55, 0xAA, 0x02, 0x20, 0x00, 0x22}));
    EXPECT_TRUE(radio::IsWriteAck({0x55, 0xAA, 0x02, 0x20, 0x00, 0x22, 0x55, 0x01}));
    EXPECT_FALSE(radio::IsWriteAck({0x55, 0xAA, 0x02, 0x20, 0x00, 0x23}));
    EXPECT_FALSE(radio::IsWriteAck({0x55, 0xAA, 0x02, 0x20, 0x00}));
    EXPECT_FALSE(radio::IsWriteAck({0x00, 0x55, 0xAA, 0x02, 0x20, 0x00, 0x22}));
}

} // namespace
