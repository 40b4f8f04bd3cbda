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
    return config;
}

TEST(Station, pacedAnswerTakesTheWireTimeOfEachByte)
{
    Rig rig {StationConfig {}};
    rig.station.receive(kQuery, k9600N, 0);
    // 10 bits a byte at 9600 bit/s: 1041 us each, the first one after a full byte time.
    EXPECT_TRUE(rig.station.advance(k9600N, 1040).empty());
    Bytes got = rig.station.advance(k9600N, 8327);
    EXPECT_EQ(got.size(), 7u);
    EXPECT_EQ(rig.station.nextEventUs(), 8328);
    const Bytes last = rig.station.advance(k9600N, 8328);
    got.insert(got.end(), last.begin(), last.end());
    EXPECT_EQ(got, kModelAnswer);
    EXPECT_TRUE(rig.station.outputIdle());
    EXPECT_EQ(byteTimeUs(k2400O), 4583) << "a parity bit makes 11 bits";
}

TEST(Station, answersOnlyAtTheRadiosOwnLineSettings)
{
    Rig rig {unpaced()};
    rig.station.receive(kQuery, k9600O, 0);
    rig.station.receive(kQuery, {4800, Parity::None}, 10);
    EXPECT_TRUE(rig.station.advance(k9600O, 1'000'000).empty());
    rig.station.receive(kQuery, k9600N, 20);
    EXPECT_EQ(rig.station.advance(k9600N, 20), kModelAnswer);
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
    Rig rig {StationConfig {}};
    rig.station.receive(radio::makeFrame(radio::cmd::WriteSerialMode, {0x23}), k9600N, 0);
    // Six ack bytes of 1041 us at the old speed; the last one is due at 6246 us.
    EXPECT_EQ(rig.station.advance(k9600N, 6245).size(), 5u);
    EXPECT_EQ(rig.station.radio().serial(), k9600N);
    EXPECT_EQ(rig.station.advance(k9600N, 6246).size(), 1u);
    EXPECT_EQ(rig.station.radio().serial(), k2400O);

    rig.station.receive(kQuery, k9600N, 10'000);
    EXPECT_TRUE(rig.station.outputIdle());
    rig.station.receive(kQuery, k2400O, 20'000);
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
    EXPECT_EQ(rig.station.nextEventUs(), kFrameWaitUs);
    rig.station.receive(Bytes(kQuery.begin() + 3, kQuery.end()), k9600N, kFrameWaitUs - 1);
    EXPECT_EQ(rig.station.advance(k9600N, kFrameWaitUs), kModelAnswer);
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
    // A length byte out of range means 55 AA started no frame; a trailing 55 still may.
    EXPECT_EQ(rig.lines,
        (std::vector<std::string> {
            "1 9600-N dropped 41 55 AA 40 55",
            "1 9600-N answered 55 AA 03 27 00 00 2A",
            "1 9600-N dropped 43",
        }));
    rig.station.receive({0x44}, k9600N, 20);
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
    EXPECT_EQ(rig.second.advance(k9600N, 250), (Bytes {'h', 'e'}));
    EXPECT_EQ(rig.second.advance(k9600N, 500), (Bytes {'l', 'l', 'o'}));
    rig.second.receive({'!'}, k9600N, 600);
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
    EXPECT_TRUE(rig.second.outputIdle());
    rig.first.receive({0x03}, k9600N, 10);
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
    const Bytes got = rig.second.advance(k9600N, 0);
    ASSERT_EQ(got.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(std::popcount(static_cast<unsigned>(sent[i] ^ got[i])), 1) << "byte " << i;
}

TEST(LinkedStations, airDelayDefaultsToTheSendingRadiosByteTime)
{
    StationConfig paced;
    LinkedRig rig {paced, paced};
    rig.first.receive({0x10, 0x20}, k9600N, 0);
    EXPECT_TRUE(rig.second.advance(k9600N, 1040).empty());
    EXPECT_EQ(rig.second.advance(k9600N, 2082), (Bytes {0x10, 0x20}));
}

} // namespace
} // namespace radiosim
