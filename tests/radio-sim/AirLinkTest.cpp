// Two linked stations over an impaired air: packets lost, corrupted, delayed and faded as asked,
// in fixed time steps without pacing, so that only the air's own effects show.
#include "Station.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>

namespace radiosim {
namespace {

const SerialSettings k9600N {9600, platform::Parity::None};
constexpr std::int64_t kStepUs = 100;

struct Sent
{
    Bytes bytes;
    std::int64_t atUs;
};

struct Received
{
    Bytes bytes;
    std::vector<std::int64_t> atUs; // of each byte
};

// Sends the packets from station `from` (1 or 2) of a linked pair, one a given time, and
// collects what comes out of the other station until nothing more is on its way.
Received carry(
    const AirImpairments& air, int from, const std::vector<Sent>& packets, bool pace = false)
{
    std::array<StationConfig, 2> configs;
    for (int n = 0; n < 2; ++n) {
        configs[n].number = n + 1;
        configs[n].pace = pace;
        configs[n].seed = 11 + static_cast<std::uint32_t>(n);
        configs[n].air = air;
    }
    Station one(configs[0], {});
    Station two(configs[1], {});
    one.linkTo(two);
    two.linkTo(one);
    Station& sender = from == 1 ? one : two;
    Station& receiver = from == 1 ? two : one;
    Received got;
    std::size_t next = 0;
    for (std::int64_t now = 0;
         next < packets.size() || sender.nextEventUs() || receiver.nextEventUs(); now += kStepUs) {
        for (; next < packets.size() && packets[next].atUs <= now; ++next)
            sender.receive(packets[next].bytes, k9600N, now);
        sender.advance(k9600N, now);
        for (const std::uint8_t byte : receiver.advance(k9600N, now)) {
            got.bytes.push_back(byte);
            got.atUs.push_back(now);
        }
    }
    return got;
}

// Eight text bytes a packet (never the start of a frame), 10 ms apart.
std::vector<Sent> packets(int count, std::int64_t everyUs = 10'000)
{
    std::vector<Sent> sent;
    for (int i = 0; i < count; ++i) {
        char text[9];
        std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(i * 2654435761u));
        sent.push_back({Bytes(text, text + 8), i * everyUs});
    }
    return sent;
}

TEST(AirLink, lossAndCorruptionOverManyPacketsMatchTheirChances)
{
    struct Row
    {
        double loss, corrupt;
        int from;
    };
    for (const Row& row : {Row {0.05, 0.01, 1}, Row {0.05, 0.01, 2}, Row {0.30, 0.0, 1},
             Row {0.0, 0.20, 2}, Row {0.0, 0.0, 1}}) {
        SCOPED_TRACE(testing::Message() << row.loss << " " << row.corrupt << " " << row.from);
        const std::vector<Sent> sent = packets(2000);
        const Received got = carry({.loss = row.loss, .corrupt = row.corrupt}, row.from, sent);
        // Packets keep their length; one lost is missing whole, one corrupted has one bit off.
        int lost = 0;
        int corrupted = 0;
        std::size_t at = 0;
        for (const Sent& packet : sent) {
            const Bytes arrived(got.bytes.begin() + static_cast<std::ptrdiff_t>(at),
                got.bytes.begin()
                    + static_cast<std::ptrdiff_t>(std::min(at + 8, got.bytes.size())));
            if (arrived.size() < 8 || got.atUs[at] < packet.atUs
                || got.atUs[at] >= packet.atUs + 10'000) {
                ++lost;
                continue;
            }
            at += 8;
            int bits = 0;
            for (std::size_t i = 0; i < 8; ++i)
                bits += std::popcount(static_cast<unsigned>(arrived[i] ^ packet.bytes[i]));
            ASSERT_LE(bits, 1);
            corrupted += bits;
        }
        EXPECT_EQ(at, got.bytes.size());
        // One percentage point for the small chances; three standard deviations above.
        const auto within
            = [](double p) { return p > 0.05 ? 3 * std::sqrt(p * (1 - p) / 2000) : 0.01; };
        EXPECT_NEAR(lost / 2000.0, row.loss, within(row.loss));
        EXPECT_NEAR(corrupted / 2000.0, row.corrupt, within(row.corrupt));
    }
}

// Every packet corrupted, so the bits flipped count the packets.
TEST(AirLink, packetsEndAtAQuietOfThreeByteTimesOrAtTheirLimit)
{
    // At 9600 bit/s a byte crosses the serial line in 1042 us; ten bytes have crossed at 10420.
    const Bytes ten(10, 'x');
    const std::vector<std::pair<std::vector<Sent>, int>> rows = {
        {{{ten, 0}, {ten, 10'420 + 2 * 1'042 - 1'042}}, 1},
        {{{ten, 0}, {ten, 10'420 + 4 * 1'042 - 1'042}}, 2},
        {{{Bytes(300, 'x'), 0}}, 3},
    };
    for (const auto& [sent, count] : rows) {
        const Received got = carry({.corrupt = 1.0}, 1, sent, true);
        int bits = 0;
        for (const std::uint8_t byte : got.bytes)
            bits += std::popcount(static_cast<unsigned>(byte ^ 'x'));
        EXPECT_EQ(bits, count) << sent.size() << " writes";
    }
}

TEST(AirLink, latencyAndJitterDelayEachPacketWithinBoundsAndInOrder)
{
    // Latency, jitter; packets every 5 ms, so that a jitter larger than that would reorder them.
    for (const auto& [latencyUs, jitterUs] : std::vector<std::pair<std::int64_t, std::int64_t>> {
             {20'000, 0}, {20'000, 10'000}, {0, 30'000}}) {
        SCOPED_TRACE(testing::Message() << latencyUs << " " << jitterUs);
        const std::vector<Sent> sent = packets(300, 5'000);
        const Received got = carry({.latencyUs = latencyUs, .jitterUs = jitterUs}, 1, sent);
        Bytes all;
        for (const Sent& packet : sent)
            all.insert(all.end(), packet.bytes.begin(), packet.bytes.end());
        ASSERT_EQ(got.bytes, all) << "every byte, in order";
        std::int64_t shortest = INT64_MAX;
        std::int64_t longest = 0;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            const std::int64_t delay = got.atUs[i * 8] - sent[i].atUs;
            shortest = std::min(shortest, delay);
            longest = std::max(longest, delay);
            EXPECT_EQ(got.atUs[i * 8 + 7], got.atUs[i * 8]) << "a packet comes whole";
        }
        EXPECT_GE(shortest, latencyUs);
        EXPECT_LE(longest, latencyUs + jitterUs + kStepUs);
        EXPECT_GE(longest - shortest, jitterUs * 3 / 4) << "the jitter spreads the delays";
    }
}

TEST(AirLink, fadeMakesTheLossRiseAndFallOverAPeriod)
{
    // A 10 s period, packets every 5 ms: the lost share of each second of it.
    for (const auto& [loss, depth] :
        std::vector<std::pair<double, double>> {{0.0, 0.8}, {0.1, 1.0}}) {
        SCOPED_TRACE(testing::Message() << loss << " " << depth);
        const std::vector<Sent> sent = packets(2000, 5'000);
        const AirImpairments air {.loss = loss, .fadePeriodUs = 10'000'000, .fadeDepth = depth};
        const Received got = carry(air, 1, sent);
        std::array<double, 10> lostShare {};
        std::size_t at = 0;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            const bool arrived = at < got.bytes.size() && got.atUs[at] < sent[i].atUs + 5'000;
            at += arrived ? 8 : 0;
            lostShare[i / 200] += arrived ? 0 : 1 / 200.0;
        }
        EXPECT_NEAR(lostShare.front(), loss, 0.06);
        EXPECT_NEAR(lostShare.back(), loss, 0.06);
        EXPECT_GT(std::min(lostShare[4], lostShare[5]), depth - 0.15);
        for (std::size_t s = 1; s < 5; ++s) {
            EXPECT_GT(lostShare[s], lostShare[s - 1]) << "rising in second " << s;
            EXPECT_LT(lostShare[s + 5], lostShare[s + 4]) << "falling in second " << s + 5;
        }
    }
}

} // namespace
} // namespace radiosim
