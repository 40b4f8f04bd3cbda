#include "RadioModel.h"

#include "radio/CommandFrame.h"

#include <gtest/gtest.h>

namespace radiosim {
namespace {

using radio::makeFrame;

const Bytes kAck(radio::kWriteAck.begin(), radio::kWriteAck.end());

template<std::size_t N>
Bytes bytesOf(const std::array<std::uint8_t, N>& frame)
{
    return Bytes(frame.begin(), frame.end());
}

TEST(RadioModel, queriesAnswerWithTheConfiguredParameters)
{
    RadioConfig config;
    config.model = 3;
    config.version = 0x25;
    config.airRate = 4;
    config.channel = 17;
    config.id = {0x65, 0x43, 0x21};
    Radio radio(config, 1);
    const struct
    {
        Bytes request;
        Bytes answer;
    } rows[] = {
        {bytesOf(radio::kQueryModelVersion), {0x55, 0xAA, 0x04, 0x27, 0x03, 0x25, 0x00, 0x53}},
        {bytesOf(radio::kQueryAirRate), {0x55, 0xAA, 0x03, 0x23, 0x04, 0x00, 0x2A}},
        {bytesOf(radio::kQueryChannel), {0x55, 0xAA, 0x03, 0x24, 0x11, 0x00, 0x38}},
        {bytesOf(radio::kQueryId), {0x55, 0xAA, 0x05, 0x26, 0x65, 0x43, 0x21, 0x00, 0xF4}},
        {makeFrame(radio::cmd::ReadRegister, {0x00}), {0x55, 0xAA, 0x03, 0x99, 0x5A, 0x00, 0xF6}},
    };
    for (const auto& row : rows) {
        const Reply reply = radio.answer(row.request);
        EXPECT_EQ(reply.verdict, Verdict::Answered);
        EXPECT_EQ(reply.bytes, row.answer) << "request command " << int(row.request[3]);
    }
}

TEST(RadioModel, defaultsAreTheDocumentedOnes)
{
    Radio radio(RadioConfig {}, 1);
    EXPECT_EQ(radio.answer(bytesOf(radio::kQueryModelVersion)).bytes,
        makeFrame(radio::cmd::QueryModelVersion, {0x01, 0x12}));
    EXPECT_EQ(radio.answer(bytesOf(radio::kQueryId)).bytes,
        makeFrame(radio::cmd::QueryId, {0x12, 0x34, 0x56}));
    EXPECT_EQ(radio.reg(0x20), 0x20 ^ 0x5A);
    EXPECT_EQ(radio.serial(), (SerialSettings {9600, platform::Parity::None}));
}

TEST(RadioModel, parameterAndRegisterWritesAreAppliedAndAnswered)
{
    Radio radio(RadioConfig {}, 1);
    EXPECT_EQ(radio.answer(makeFrame(radio::cmd::WriteSelector, {0x05, 0x03})).bytes, kAck);
    EXPECT_EQ(radio.answer(makeFrame(radio::cmd::WriteId, {0x65, 0x43, 0x21})).bytes, kAck);
    EXPECT_EQ(radio.answer(makeFrame(radio::cmd::WriteChannel, {0x20, 0, 0, 0})).bytes, kAck);
    EXPECT_EQ(radio.airRate(), 3);
    EXPECT_EQ(radio.id(), (std::array<std::uint8_t, 3> {0x65, 0x43, 0x21}));
    EXPECT_EQ(radio.channel(), 32);
    EXPECT_EQ(radio.answer(bytesOf(radio::kQueryChannel)).bytes[4], 32);

    // A register write is answered by an echo of itself.
    const Bytes write {0x55, 0xAA, 0x04, 0x88, 0x1F, 0x3C, 0x00, 0xE7};
    EXPECT_EQ(radio.answer(write).bytes, write);
    EXPECT_EQ(radio.answer(makeFrame(radio::cmd::ReadRegister, {0x1F})).bytes[4], 0x3C);
}

TEST(RadioModel, serialModeWriteIsHandedBackForAfterTheAck)
{
    Radio radio(RadioConfig {}, 1);
    const Reply reply = radio.answer(makeFrame(radio::cmd::WriteSerialMode, {0x23}));
    EXPECT_EQ(reply.bytes, kAck);
    ASSERT_TRUE(reply.serialAfterAnswer);
    EXPECT_EQ(*reply.serialAfterAnswer, (SerialSettings {2400, platform::Parity::Odd}));
    EXPECT_EQ(radio.serial().baud, 9600u) << "the radio itself has not switched yet";

    EXPECT_EQ(decodeSerialMode(0x35), (SerialSettings {300, platform::Parity::Even}));
    EXPECT_EQ(decodeSerialMode(0x00), (SerialSettings {19200, platform::Parity::None}));
}

TEST(RadioModel, transmitTestsAreAcknowledgedAndKept)
{
    Radio radio(RadioConfig {}, 1);
    EXPECT_EQ(radio.answer(bytesOf(radio::kStartTxTest)).bytes, kAck);
    EXPECT_EQ(radio.txTest(), TxTest::Carrier);
    EXPECT_EQ(radio.answer(bytesOf(radio::kTxFrequencyTest)).bytes, kAck);
    EXPECT_EQ(radio.txTest(), TxTest::Frequency);
    EXPECT_EQ(radio.answer(bytesOf(radio::kStopTxTest)).bytes, kAck);
    EXPECT_EQ(radio.txTest(), TxTest::Off);
}

TEST(RadioModel, requestsItCannotTakeAreInvalidAndChangeNothing)
{
    Radio radio(RadioConfig {}, 1);
    Bytes badSum = bytesOf(radio::kQueryModelVersion);
    badSum.back() ^= 0x01;
    const Bytes rows[] = {
        badSum, makeFrame(0x42, {0x00}), // unknown command
        makeFrame(radio::cmd::QueryModelVersion, {0x00, 0x00}), // wrong length
        makeFrame(radio::cmd::WriteSerialMode, {0x06}), // no such speed
        makeFrame(radio::cmd::WriteSerialMode, {0x41}), // no such parity
        makeFrame(radio::cmd::ReadRegister, {0x21}),
        makeFrame(radio::cmd::WriteRegister, {0x21, 0x00}),
        makeFrame(radio::cmd::WriteSelector, {0x07, 0x00}),
        makeFrame(radio::cmd::WriteSelector, {0x08, 0x01}),
        bytesOf(radio::kWriteAck), // a length below any request
    };
    for (const auto& request : rows) {
        const Reply reply = radio.answer(request);
        EXPECT_EQ(reply.verdict, Verdict::Invalid) << "request command " << int(request[3]);
        EXPECT_TRUE(reply.bytes.empty());
        EXPECT_FALSE(reply.serialAfterAnswer);
    }
    EXPECT_EQ(radio.txTest(), TxTest::Off);
}

TEST(RadioModel, refusedWritesAreNeitherAppliedNorAnswered)
{
    RadioConfig config;
    config.misbehaviour.refuseWrites = true;
    Radio radio(config, 1);
    const Bytes writes[] = {
        makeFrame(radio::cmd::WriteSelector, {0x05, 0x03}),
        makeFrame(radio::cmd::WriteChannel, {0x09, 0, 0, 0}),
        makeFrame(radio::cmd::WriteSerialMode, {0x23}),
        makeFrame(radio::cmd::WriteRegister, {0x01, 0x00}),
    };
    for (const auto& write : writes) {
        const Reply reply = radio.answer(write);
        EXPECT_EQ(reply.verdict, Verdict::Silent);
        EXPECT_FALSE(reply.serialAfterAnswer);
    }
    EXPECT_EQ(radio.airRate(), 1);
    EXPECT_EQ(radio.channel(), 1);
    EXPECT_EQ(radio.reg(0x01), 0x01 ^ 0x5A);
    EXPECT_EQ(radio.answer(bytesOf(radio::kQueryChannel)).verdict, Verdict::Answered);
}

TEST(RadioModel, anIgnoredWriteIsAcknowledgedButOnlyThatValueStays)
{
    const Bytes writes[] = {
        makeFrame(radio::cmd::WriteSelector, {0x05, 0x03}),
        makeFrame(radio::cmd::WriteId, {0x65, 0x43, 0x21}),
        makeFrame(radio::cmd::WriteChannel, {0x09, 0, 0, 0}),
        makeFrame(radio::cmd::WriteSerialMode, {0x23}),
    };
    for (const IgnoredWrite ignored :
        {IgnoredWrite::Channel, IgnoredWrite::AirRate, IgnoredWrite::Id, IgnoredWrite::Serial}) {
        RadioConfig config;
        config.misbehaviour.ignoreWrite = ignored;
        Radio radio(config, 1);
        bool serialFollows = false;
        for (const auto& write : writes) {
            const Reply reply = radio.answer(write);
            EXPECT_EQ(reply.bytes, kAck) << int(ignored);
            serialFollows = serialFollows || reply.serialAfterAnswer.has_value();
        }
        const bool keeps[] = {ignored == IgnoredWrite::AirRate, ignored == IgnoredWrite::Id,
            ignored == IgnoredWrite::Channel, ignored == IgnoredWrite::Serial};
        EXPECT_EQ(radio.airRate(), keeps[0] ? 1 : 3) << int(ignored);
        EXPECT_EQ(radio.id()[0], keeps[1] ? 0x12 : 0x65) << int(ignored);
        EXPECT_EQ(radio.channel(), keeps[2] ? 1 : 9) << int(ignored);
        EXPECT_EQ(serialFollows, !keeps[3]) << int(ignored);
    }
}

TEST(RadioModel, silentRegisterAndNoAnswer)
{
    RadioConfig config;
    config.misbehaviour.silentRegisters = {0x05};
    Radio radio(config, 1);
    EXPECT_EQ(radio.answer(makeFrame(radio::cmd::ReadRegister, {0x05})).verdict, Verdict::Silent);
    EXPECT_EQ(radio.answer(makeFrame(radio::cmd::ReadRegister, {0x06})).verdict, Verdict::Answered);

    config.misbehaviour.noAnswer = true;
    Radio mute(config, 1);
    EXPECT_EQ(mute.answer(bytesOf(radio::kQueryModelVersion)).verdict, Verdict::Silent);
    EXPECT_EQ(
        mute.answer(makeFrame(radio::cmd::WriteSelector, {0x05, 0x03})).verdict, Verdict::Silent);
    EXPECT_EQ(mute.airRate(), 1);
}

TEST(RadioModel, badChecksumAnswersFailTheFrameCheckOnlyByTheirSum)
{
    RadioConfig config;
    config.misbehaviour.badChecksum = true;
    Radio radio(config, 1);
    const Bytes good = makeFrame(radio::cmd::QueryModelVersion, {0x01, 0x12});
    const Bytes answer = radio.answer(bytesOf(radio::kQueryModelVersion)).bytes;
    ASSERT_EQ(answer.size(), good.size());
    EXPECT_FALSE(radio::ValidateFrame(answer));
    EXPECT_TRUE(std::equal(good.begin(), good.end() - 2, answer.begin()));
    EXPECT_FALSE(radio::IsWriteAck(radio.answer(makeFrame(radio::cmd::WriteId, {1, 2, 3})).bytes));
}

TEST(RadioModel, floodAnswersWithGarbageButStillActs)
{
    RadioConfig config;
    config.misbehaviour.floodBytes = 150;
    Radio radio(config, 1);
    const Reply reply = radio.answer(makeFrame(radio::cmd::WriteSelector, {0x05, 0x02}));
    EXPECT_EQ(reply.verdict, Verdict::Answered);
    EXPECT_EQ(reply.bytes.size(), 150u);
    EXPECT_NE(Bytes(reply.bytes.begin(), reply.bytes.begin() + 6), kAck);
    EXPECT_EQ(radio.airRate(), 2);
}

} // namespace
} // namespace radiosim
