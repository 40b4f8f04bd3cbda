#include "radio/RadioParameters.h"
#include "ParameterRecorder.h"
#include "StatusRecorder.h"

#include <gtest/gtest.h>

namespace {

using radio::IdBytes;

std::vector<std::uint8_t> answer(std::uint8_t command, std::vector<std::uint8_t> data)
{
    return radio::makeFrame(command, data);
}

TEST(ModelVersionText, showsBothNibblesInDecimal)
{
    EXPECT_EQ(radio::modelVersionText(0x12), "TALVEX1.2");
    EXPECT_EQ(radio::modelVersionText(0xA5), "TALVEX10.5");
    EXPECT_EQ(radio::modelVersionText(0x0F), "TALVEX0.15");
}

TEST(SerialModeByte, addsTheParityToTheSpeedIndex)
{
    EXPECT_EQ(radio::SerialModeByte(1, 1), 0x21);
    EXPECT_EQ(radio::SerialModeByte(5, 2), 0x35);
    EXPECT_EQ(radio::SerialModeByte(2, 2), 0x32);
    EXPECT_EQ(radio::SerialModeByte(3, 0), 0x03);
    EXPECT_EQ(radio::SerialModeByte(0, 7), 0x00);
}

TEST(IdText, encodesPairsModulo256)
{
    struct Case
    {
        std::string text;
        IdBytes bytes;
    };
    const std::vector<Case> cases = {
        {"123456", {0x12, 0x34, 0x56}},
        {"12 456", {0x12, 0x04, 0x56}}, // a blank first in a pair adds nothing
        {"1 3456", {0x00, 0x34, 0x56}}, // (1 * 16) + (' ' - '0') wraps to 0
        {"1234", {0x12, 0x34, 0xF0}}, // missing characters count as mask blanks
        {"A00000", {0x10, 0x00, 0x00}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(radio::idTextToBytes(c.text), c.bytes) << c.text;
}

TEST(IdText, decodesEachNibbleInDecimal)
{
    EXPECT_EQ(radio::idBytesToText({0x12, 0x34, 0x56}), "123456");
    EXPECT_EQ(radio::idBytesToText({0x00, 0x3C, 0x01}),
        "00312"
        "01");
}

TEST(CheckConnectResponse, acceptsModelsUpTo16)
{
    radio::RadioParameters radio;
    EXPECT_FALSE(radio::CheckConnectResponse(answer(0x27, {17, 0x21}), radio));
    EXPECT_EQ(radio.model, 17); // stored although refused
    EXPECT_EQ(radio.version, 0x21);

    EXPECT_TRUE(radio::CheckConnectResponse(answer(0x27, {16, 0x12}), radio));
    EXPECT_TRUE(radio::CheckConnectResponse(answer(0x27, {0, 0x30}), radio));

    auto broken = answer(0x27, {1, 0x99});
    broken.back() ^= 1;
    EXPECT_FALSE(radio::CheckConnectResponse(broken, radio));
    EXPECT_EQ(radio.version, 0x30);
}

TEST(ParseReadResponse, modelStepTakesOnlyKnownModels)
{
    struct Case
    {
        std::uint8_t model;
        bool valid;
        bool enablesAirRate;
    };
    for (const Case c :
        {Case {1, true, true}, Case {2, true, true}, Case {3, true, true}, Case {16, true, true},
            Case {10, true, false}, Case {0, false, false}, Case {4, false, false}}) {
        fakes::ParameterRecorder view;
        fakes::StatusRecorder status;
        radio::RadioParameters radio;
        status.setText(core::StatusPanel::ModelVersion, "TALVEX2.1");
        EXPECT_EQ(radio::ParseReadResponse(0, answer(0x27, {c.model, 0x21}), radio), c.valid)
            << int(c.model);
        if (c.valid)
            radio::ShowModel(radio, view, status);
        EXPECT_EQ(view.model, c.valid ? "TALVEX2.1" : "") << int(c.model);
        EXPECT_EQ(view.airRateEnabled, c.enablesAirRate) << int(c.model);
    }
}

TEST(ParseReadResponse, storesValuesAndClearsNonBcdIdBytes)
{
    radio::RadioParameters radio;
    EXPECT_TRUE(radio::ParseReadResponse(1, answer(0x23, {3}), radio));
    EXPECT_TRUE(radio::ParseReadResponse(2, answer(0x24, {200}), radio));
    EXPECT_TRUE(radio::ParseReadResponse(3, answer(0x26, {0x12, 0x9A, 0x99}), radio));
    EXPECT_EQ(radio.airRate, 3);
    EXPECT_EQ(radio.channel, 200);
    EXPECT_EQ(radio.id, (IdBytes {0x12, 0x00, 0x99}));
    // The radio's own bytes stay as they came, for writing them back.
    EXPECT_EQ(radio.reported, (radio::ReportedBytes {3, {0x12, 0x9A, 0x99}}));
    EXPECT_FALSE(radio::ParseReadResponse(1, {0x55, 0xAA, 0x03, 0x23, 0x01, 0x00}, radio));
}

TEST(FillParameterControls, replacesOutOfRangeValuesAndLeavesUnlistedOnesEmpty)
{
    struct Case
    {
        std::uint8_t channel, airRate;
        std::uint8_t storedChannel, storedAirRate;
        int channelIndex, airRateIndex;
    };
    const std::vector<Case> cases = {
        {5, 2, 5, 2, 4, 2},
        {200, 7, 1, 1, 0, 1}, // above 128 and above 5 become 1
        {40, 5, 40, 5, -1, -1}, // in range but not in the lists
        {0, 0, 0, 0, -1, 0},
        {128, 6, 128, 1, -1, 1},
    };
    for (const auto& c : cases) {
        fakes::ParameterRecorder view;
        radio::RadioParameters radio;
        radio.channel = c.channel;
        radio.airRate = c.airRate;
        radio.id = {0x12, 0x34, 0x56};
        serial::LinkSettings link;
        link.speedIndex = 2;
        link.parityIndex = 2;
        radio::FillParameterControls(radio, link, view);
        EXPECT_EQ(radio.channel, c.storedChannel) << int(c.channel);
        EXPECT_EQ(radio.airRate, c.storedAirRate) << int(c.airRate);
        EXPECT_EQ(view.channel, c.channelIndex) << int(c.channel);
        EXPECT_EQ(view.airRate, c.airRateIndex) << int(c.airRate);
        EXPECT_EQ(view.speed, 2);
        EXPECT_EQ(view.parity, 2);
        EXPECT_EQ(view.id, "123456");
    }
}

// The radio holds channel 5 at 9600-N; NO.32 at 4800 even is entered.
class WriteValuesTest : public testing::Test
{
protected:
    std::variant<radio::WriteValues, radio::WriteValue> taken() const
    {
        return radio::takeWriteValues(entered, held);
    }

    radio::EnteredValues entered {31, 2, 2};
    std::optional<radio::WriteValues> held = radio::WriteValues {2, {0x12, 0x34, 0x56}, 5, 1, 0};
};

TEST_F(WriteValuesTest, encodesTheFourWriteRequests)
{
    const auto values = std::get<radio::WriteValues>(taken());
    auto encoded = [&](int step, radio::CommandFrame prefix) {
        radio::EncodeWriteFrame(step, prefix, values);
        return prefix;
    };
    EXPECT_EQ(encoded(0, radio::writeAirRatePrefix()),
        (radio::CommandFrame {0x55, 0xAA, 0x04, 0x20, 0x05, 0x02, 0x00, 0x2B}));
    EXPECT_EQ(encoded(1, radio::writeIdPrefix()),
        (radio::CommandFrame {0x55, 0xAA, 0x05, 0x32, 0x12, 0x34, 0x56, 0x00, 0xD3}));
    // NO.32 is channel byte 0x20; the three bytes after the channel are zeros.
    EXPECT_EQ(encoded(2, radio::writeChannelPrefix()),
        (radio::CommandFrame {0x55, 0xAA, 0x06, 0x07, 0x20, 0x00, 0x00, 0x00, 0x00, 0x2D}));
    // 4800 with even parity.
    EXPECT_EQ(encoded(3, radio::writeSerialModePrefix()),
        (radio::CommandFrame {0x55, 0xAA, 0x03, 0x28, 0x32, 0x00, 0x5D}));
}

TEST_F(WriteValuesTest, theFirstMissingValueInWriteOrderIsNamed)
{
    using radio::WriteValue;
    struct Case
    {
        bool read;
        radio::EnteredValues entered;
        WriteValue missing;
    };
    const std::vector<Case> cases = {
        {false, {1, 1, 1}, WriteValue::AirRateAndId},
        {false, {-1, 1, 1}, WriteValue::AirRateAndId},
        {true, {-1, 1, -1}, WriteValue::Channel},
        {true, {1, -1, -1}, WriteValue::SerialSpeed},
        {true, {1, 1, -1}, WriteValue::SerialParity},
    };
    for (const auto& c : cases) {
        held = c.read ? std::optional(radio::WriteValues {}) : std::nullopt;
        entered = c.entered;
        const auto result = taken();
        ASSERT_TRUE(std::holds_alternative<WriteValue>(result)) << int(c.missing);
        EXPECT_EQ(std::get<WriteValue>(result), c.missing);
    }
}

} // namespace
