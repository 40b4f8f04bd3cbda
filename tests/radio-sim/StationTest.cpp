#include "Station.h"

#include "radio/CommandFrame.h"

#include <bit>
#include <gtest/gtest.h>

namespace radiosim {
namespace {

using platform::Parity;

const SerialSettings k9600N {9600, Parity::None};
const SerialSettings k9600O {9600, Parity::Odd};
const SerialSettings k2400O {2400, Parity::Odd};
const Bytes kQuery(radio::kQueryModelVersion.begin(), radio::kQueryModelVersion.end());
const Bytes kModelAnswer = radio::makeFrame(radio::cmd::QueryModelVersion, {0x01, 0x12});

struct Rig
{
    explicit Rig(StationConfig config)
        : station(config, [this](const std::string& line) { lines.push_back(line); })
    { }
    std::vector<std::string> lines;
    Station station;
};

StationConfig unpaced(int number = 1)
{
    StationConfig config;
    config.number = number;
    config.pace = false;
    config.turnaroundUs = 0;
    return config;
}

struct LineRow
{
    SerialSettings serial;
    std::int64_t byteUs; // 10 or 11 bits, rounded up to whole microseconds
    std::int64_t turnaroundUs;
};

const LineRow kLineRows[] = {
    {{300, Parity::None}, 33'334, 5'000},
    {{300, Parity::Even}, 36'667, 0},
    {{19200, Parity::None}, 521, 5'000},
    {{19200, Parity::Odd}, 573, 0},
    {{19200, Parity::Even}, 573, 2'000},
};

TEST(Station, requestIsHeardWhenItsLastByteHasCrossedAndAnsweredAfterTheTurnaround)
{
    for (const LineRow& row : kLineRows) {
        SCOPED_TRACE(settingsLabel(row.serial));
        StationConfig config;
        config.radio.serial = row.serial;
        config.turnaroundUs = row.turnaroundUs;
        Rig rig {config};
        rig.station.receive(kQuery, row.serial, 0);
        EXPECT_EQ(rig.station.bytesOnTheLine(), 7u);
        const std::int64_t heardUs = 7 * row.byteUs;
        EXPECT_TRUE(rig.station.advance(row.serial, heardUs - 1).empty());
        EXPECT_EQ(rig.station.framesReceived(), 0u) << "not a microsecond early";
        EXPECT_TRUE(rig.lines.empty());
        EXPECT_EQ(rig.station.bytesOnTheLine(), 1u);

        EXPECT_TRUE(rig.station.advance(row.serial, heardUs).empty());
        EXPECT_EQ(rig.station.framesReceived(), 1u);
        EXPECT_EQ(rig.lines.size(), 1u) << "logged as soon as the radio has the frame";
        const std::int64_t firstUs = heardUs + row.turnaroundUs + row.byteUs;
        EXPECT_EQ(rig.station.nextEventUs(), firstUs);
        EXPECT_TRUE(rig.station.advance(row.serial, firstUs - 1).empty());
        Bytes got = rig.station.advance(row.serial, firstUs);
        EXPECT_EQ(got.size(), 1u);
        // Every further byte takes its own wire time.
        const std::int64_t lastUs = firstUs + 7 * row.byteUs;
        const Bytes middle = rig.station.advance(row.serial, lastUs - 1);
        EXPECT_EQ(middle.size(), 6u);
        EXPECT_EQ(rig.station.nextEventUs(), lastUs);
        got.insert(got.end(), middle.begin(), middle.end());
        const Bytes last = rig.station.advance(row.serial, lastUs);
        got.insert(got.end(), last.begin(), last.end());
        EXPECT_EQ(got, kModelAnswer);
        EXPECT_TRUE(rig.station.outputIdle());
        EXPECT_FALSE(rig.station.nextEventUs());
    }
}

TEST(Station, bytesWrittenLaterOrWhileTheLineIsBusyCrossOneAfterAnother)
{
    const LineRow& row = kLineRows[0];
    StationConfig config;
    config.radio.serial = row.serial;
    Rig rig {config};
    // Three bytes at 0, two more while the second is still crossing, the rest on an idle line.
    rig.station.receive(Bytes(kQuery.begin(), kQuery.begin() + 3), row.serial, 0);
    rig.station.receive(Bytes(kQuery.begin() + 3, kQuery.begin() + 5), row.serial, row.byteUs);
    EXPECT_EQ(rig.station.bytesOnTheLine(), 5u);
    rig.station.advance(row.serial, 5 * row.byteUs - 1);
    EXPECT_EQ(rig.station.bytesOnTheLine(), 1u);
    rig.station.advance(row.serial, 5 * row.byteUs);
    EXPECT_EQ(rig.station.bytesOnTheLine(), 0u);
    const std::int64_t restUs = 5 * row.byteUs + 10'000;
    rig.station.receive(Bytes(kQuery.begin() + 5, kQuery.end()), row.serial, restUs);
    rig.station.advance(row.serial, restUs + 2 * row.byteUs - 1);
    EXPECT_EQ(rig.station.framesReceived(), 0u);
    rig.station.advance(row.serial, restUs + 2 * row.byteUs);
    EXPECT_EQ(rig.lines, (std::vector<std::string> {"1 300-N answered 55 AA 03 27 00 00 2A"}));
}

TEST(Station, bytesAtOtherSettingsTakeTheirOwnWireTimeAndAreIgnored)
{
    StationConfig config;
    config.radio.serial = {300, Parity::None};
    Rig rig {config};
    rig.station.receive(kQuery, {19200, Parity::None}, 0);
    rig.station.advance({19200, Parity::None}, 7 * 521);
    // A program side at no speed the line knows is timed at the radio's speed.
    rig.station.receive(kQuery, {0, Parity::None}, 10'000);
    rig.station.advance({0, Parity::None}, 10'000 + 7 * 33'334 - 1);
    EXPECT_EQ(rig.lines, (std::vector<std::string> {"1 19200-N ignored 55 AA 03 27 00 00 2A"}));
    rig.station.advance({0, Parity::None}, 10'000 + 7 * 33'334);
    EXPECT_EQ(rig.lines.size(), 2u);
    EXPECT_TRUE(rig.station.outputIdle());
}

TEST(Station, answersOnlyAtTheRadiosOwnLineSettings)
{
    Rig rig {unpaced()};
    rig.station.receive(kQuery, k9600O, 0);
    rig.station.receive(kQuery, {4800, Parity::None}, 10);
    EXPECT_TRUE(rig.station.advance(k9600O, 1'000'000).empty());
    rig.station.receive(kQuery, k9600N, 1'000'020);
    EXPECT_EQ(rig.station.advance(k9600N, 1'000'020), kModelAnswer);
    EXPECT_EQ(rig.lines,
        (std::vector<std::string> {
            "1 9600-O ignored 55 AA 03 27 00 00 2A",
            "1 4800-N ignored 55 AA 03 27 00 00 2A",
            "1 9600-N answered 55 AA 03 27 00 00 2A",
        }));
    EXPECT_EQ(rig.station.framesReceived(), 3u);
}

TEST(Station, serialModeChangesOnceTheAckIsOut)
{
    StationConfig config;
    config.turnaroundUs = 0;
    Rig rig {config};
    // Seven request bytes and six ack bytes of 1042 us at the old speed.
    rig.station.receive(radio::makeFrame(radio::cmd::WriteSerialMode, {0x23}), k9600N, 0);
    EXPECT_EQ(rig.station.advance(k9600N, 13 * 1042 - 1).size(), 5u);
    EXPECT_EQ(rig.station.radio().serial(), k9600N);
    EXPECT_EQ(rig.station.advance(k9600N, 13 * 1042).size(), 1u);
    EXPECT_EQ(rig.station.radio().serial(), k2400O);

    rig.station.receive(kQuery, k9600N, 20'000);
    rig.station.advance(k9600N, 40'000);
    EXPECT_TRUE(rig.station.outputIdle());
    rig.station.receive(kQuery, k2400O, 40'000);
    rig.station.advance(k2400O, 40'000 + 7 * 4584);
    EXPECT_FALSE(rig.station.outputIdle());
}

TEST(Station, splitAnswerComesInTwoPiecesApart)
{
    StationConfig config = unpaced();
    config.radio.misbehaviour.splitAnswerMs = 30;
    Rig rig {config};
    rig.station.receive(kQuery, k9600N, 0);
    const Bytes first = rig.station.advance(k9600N, 0);
    EXPECT_EQ(first, Bytes(kModelAnswer.begin(), kModelAnswer.begin() + 4));
    EXPECT_TRUE(rig.station.advance(k9600N, 29'999).empty());
    EXPECT_EQ(
        rig.station.advance(k9600N, 30'000), Bytes(kModelAnswer.begin() + 4, kModelAnswer.end()));
}

TEST(Station, frameArrivingInPiecesIsGatheredWithinTheWait)
{
    Rig rig {unpaced()};
    rig.station.receive(Bytes(kQuery.begin(), kQuery.begin() + 3), k9600N, 0);
    rig.station.advance(k9600N, 0);
    EXPECT_EQ(rig.station.nextEventUs(), kFrameWaitUs);
    rig.station.receive(Bytes(kQuery.begin() + 3, kQuery.end()), k9600N, kFrameWaitUs - 1);
    EXPECT_EQ(rig.station.advance(k9600N, kFrameWaitUs), kModelAnswer);
}

TEST(Station, frameWaitAddsTheFramesOwnWireTime)
{
    // At 300 bit/s a frame alone takes longer than the wait. The first byte crosses at one
    // byte time; the frame may take six more and the wait.
    const std::int64_t byteUs = 33'334;
    StationConfig config;
    config.radio.serial = {300, Parity::None};
    Rig rig {config};
    rig.station.receive(Bytes(kQuery.begin(), kQuery.begin() + 3), config.radio.serial, 0);
    const std::int64_t deadlineUs = byteUs + 6 * byteUs + kFrameWaitUs;
    const std::int64_t restUs = deadlineUs - 1 - 4 * byteUs;
    rig.station.advance(config.radio.serial, restUs);
    EXPECT_EQ(rig.station.nextEventUs(), deadlineUs);
    rig.station.receive(Bytes(kQuery.begin() + 3, kQuery.end()), config.radio.serial, restUs);
    rig.station.advance(config.radio.serial, deadlineUs);
    EXPECT_EQ(rig.lines, (std::vector<std::string> {"1 300-N answered 55 AA 03 27 00 00 2A"}));
}

TEST(Station, incompleteFrameBecomesUserDataAfterTheWait)
{
    Rig rig {unpaced()};
    rig.station.receive({0x55, 0xAA, 0x05, 0x32}, k9600N, 0);
    rig.station.receive({0x12}, k9600N, 30'000);
    EXPECT_TRUE(rig.lines.empty());
    EXPECT_TRUE(rig.station.advance(k9600N, kFrameWaitUs).empty());
    EXPECT_EQ(rig.lines, (std::vector<std::string> {"1 9600-N dropped 55 AA 05 32 12"}));
    EXPECT_EQ(rig.station.framesReceived(), 0u);
}

TEST(Station, userDataAroundAFrameIsSeparatedInOrder)
{
    Rig rig {unpaced()};
    Bytes batch {0x41, 0x55, 0xAA, 0x40, 0x55};
    batch.insert(batch.end(), kQuery.begin(), kQuery.end());
    batch.insert(batch.end(), {0x43, 0x55});
    rig.station.receive(batch, k9600N, 0);
    rig.station.advance(k9600N, 0);
    // A length byte out of range means 55 AA started no frame; a trailing 55 still may.
    EXPECT_EQ(rig.lines,
        (std::vector<std::string> {
            "1 9600-N dropped 41 55 AA 40 55",
            "1 9600-N answered 55 AA 03 27 00 00 2A",
            "1 9600-N dropped 43",
        }));
    rig.station.receive({0x44}, k9600N, 20);
    rig.station.advance(k9600N, 20);
    EXPECT_EQ(rig.lines.back(), "1 9600-N dropped 55 44");
}

struct LinkedRig
{
    explicit LinkedRig(StationConfig one, StationConfig two)
        : first(one, [this](const std::string& line) { lines.push_back(line); }),
          second(two, [this](const std::string& line) { lines.push_back(line); })
    {
        first.linkTo(second);
        second.linkTo(first);
    }
    std::vector<std::string> lines;
    Station first;
    Station second;
};

StationConfig airDelayed(int number, std::int64_t delayUs)
{
    StationConfig config = unpaced(number);
    config.airDelayUs = delayUs;
    return config;
}

TEST(LinkedStations, userDataComesOutOfTheOtherStationAfterItsAirTime)
{
    LinkedRig rig {airDelayed(1, 100), airDelayed(2, 100)};
    const Bytes hello {'h', 'e', 'l', 'l', 'o'};
    rig.first.receive(hello, k9600N, 0);
    rig.first.advance(k9600N, 0);
    EXPECT_EQ(rig.second.advance(k9600N, 250), (Bytes {'h', 'e'}));
    EXPECT_EQ(rig.second.advance(k9600N, 500), (Bytes {'l', 'l', 'o'}));
    rig.second.receive({'!'}, k9600N, 600);
    rig.second.advance(k9600N, 600);
    EXPECT_EQ(rig.first.advance(k9600N, 700), (Bytes {'!'}));
    EXPECT_EQ(
        rig.lines, (std::vector<std::string> {"1 9600-N data 68 65 6C 6C 6F", "2 9600-N data 21"}));
}

TEST(LinkedStations, commandsAreAnsweredLocallyAndNotCarried)
{
    LinkedRig rig {unpaced(1), unpaced(2)};
    rig.first.receive(kQuery, k9600N, 0);
    EXPECT_EQ(rig.first.advance(k9600N, 0), kModelAnswer);
    EXPECT_TRUE(rig.second.outputIdle());
}

TEST(LinkedStations, dataIsDroppedOnEitherSidesSettingsMismatch)
{
    LinkedRig rig {unpaced(1), unpaced(2)};
    rig.first.receive({0x01, 0x02}, k9600O, 0);
    rig.first.advance(k9600O, 0);
    EXPECT_TRUE(rig.second.outputIdle());
    rig.first.receive({0x03}, k9600N, 10);
    rig.first.advance(k9600N, 10);
    EXPECT_TRUE(rig.second.advance(k2400O, 10).empty());
    EXPECT_EQ(rig.lines,
        (std::vector<std::string> {
            "1 9600-O dropped 01 02", "1 9600-N data 03", "2 2400-O dropped 03"}));
}

TEST(LinkedStations, fullErrorRateFlipsOneBitOfEveryByte)
{
    StationConfig noisy = unpaced(1);
    noisy.errorRate = 1.0;
    LinkedRig rig {noisy, unpaced(2)};
    Bytes sent;
    for (int i = 0; i < 200; ++i)
        sent.push_back(static_cast<std::uint8_t>(i * 7));
    rig.first.receive(sent, k9600N, 0);
    rig.first.advance(k9600N, 0);
    const Bytes got = rig.second.advance(k9600N, 0);
    ASSERT_EQ(got.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(std::popcount(static_cast<unsigned>(sent[i] ^ got[i])), 1) << "byte " << i;
}

TEST(LinkedStations, userDataCrossesBothSerialLinesAndTheAirPaced)
{
    // Station 1 at 19200 (521 us a byte), station 2 at 300 (33334 us a byte).
    const SerialSettings fast {19200, Parity::None};
    const SerialSettings slow {300, Parity::None};
    StationConfig one;
    one.radio.serial = fast;
    one.airDelayUs = 1000;
    StationConfig two;
    two.number = 2;
    two.radio.serial = slow;
    LinkedRig rig {one, two};

    rig.first.receive({0x10, 0x20}, fast, 0);
    rig.first.advance(fast, 521);
    EXPECT_EQ(rig.lines, (std::vector<std::string> {"1 19200-N data 10"}));
    rig.first.advance(fast, 1042);
    // In the air at 1521 and 2521, out of station 2 one slow byte time after the other.
    EXPECT_EQ(rig.second.nextEventUs(), 1521 + 33'334);
    EXPECT_TRUE(rig.second.advance(slow, 1521 + 33'334 - 1).empty());
    EXPECT_EQ(rig.second.advance(slow, 1521 + 33'334), (Bytes {0x10}));
    EXPECT_TRUE(rig.second.advance(slow, 1521 + 2 * 33'334 - 1).empty());
    EXPECT_EQ(rig.second.advance(slow, 1521 + 2 * 33'334), (Bytes {0x20}));

    // Back: the air time defaults to the byte time of the sending radio.
    rig.second.receive({0x30}, slow, 100'000);
    rig.second.advance(slow, 100'000 + 33'334);
    const std::int64_t outUs = 100'000 + 2 * 33'334 + 521;
    EXPECT_TRUE(rig.first.advance(fast, outUs - 1).empty());
    EXPECT_EQ(rig.first.advance(fast, outUs), (Bytes {0x30}));
    EXPECT_EQ(rig.lines.back(), "2 300-N data 30");
}

} // namespace
} // namespace radiosim
