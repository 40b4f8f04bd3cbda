#pragma once

#include "RadioModel.h"

#include <deque>
#include <optional>
#include <random>

namespace radiosim {

// A radio gathers the user data from its serial input into a packet and sends it once the
// input has been quiet for kPacketGapBytes byte times, or kMaxPacketBytes have come, as a
// transparent radio modem does; the air loses, corrupts and delays whole packets.
constexpr std::int64_t kPacketGapBytes = 3;
constexpr std::size_t kMaxPacketBytes = 128;

// What the air does to each packet, in both directions.
struct AirImpairments
{
    double loss = 0.0; // chance that a packet is lost
    double corrupt = 0.0; // chance that a packet arrives with one bit flipped
    std::int64_t latencyUs = 0; // added to each packet's way
    std::int64_t jitterUs = 0; // plus a random share of this, uniform
    // With a period, the loss rises from `loss` to fadeDepth and falls back in each period, a
    // raised cosine counted from fadeStartUs.
    std::int64_t fadePeriodUs = 0;
    double fadeDepth = 1.0;
    std::int64_t fadeStartUs = 0;

    bool any() const
    {
        return loss > 0 || corrupt > 0 || latencyUs > 0 || jitterUs > 0 || fadePeriodUs > 0;
    }
    // The chance of losing a packet that leaves at atUs.
    double lossAt(std::int64_t atUs) const;
};

// The packets of one station on their way into the air. Packets keep their order: one whose
// latency comes out shorter than the one before it waits for that one.
class AirPackets
{
public:
    struct Packet
    {
        Bytes bytes; // as they arrive: a corrupted packet with its bit flipped
        // When it may go into the air (would have, if lost), unless one before it is later.
        std::int64_t sendUs = 0;
        bool lost = false;
        bool corrupted = false;
    };

    AirPackets(const AirImpairments& air, std::uint32_t seed);

    // A byte of user data that the radio has at atUs, from a serial input of byteUs a byte.
    void add(std::uint8_t byte, std::int64_t atUs, std::int64_t byteUs);
    // The packets whose time has come by nowUs, in order.
    std::vector<Packet> due(std::int64_t nowUs);
    std::optional<std::int64_t> nextEventUs() const;

private:
    void complete(std::int64_t readyUs);

    AirImpairments m_air;
    std::mt19937 m_rng;
    Bytes m_gathering; // the packet still coming in
    std::int64_t m_lastUs = 0; // when its latest byte came
    std::int64_t m_gapUs = 0; // the quiet that ends it
    std::deque<Packet> m_waiting; // complete, in order
};

} // namespace radiosim
