#include "AirPackets.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace radiosim {

double AirImpairments::lossAt(std::int64_t atUs) const
{
    if (fadePeriodUs <= 0)
        return loss;
    const std::int64_t into = ((atUs - fadeStartUs) % fadePeriodUs + fadePeriodUs) % fadePeriodUs;
    const double phase = 2 * std::numbers::pi * static_cast<double>(into) / fadePeriodUs;
    return loss + (fadeDepth - loss) * (1 - std::cos(phase)) / 2;
}

AirPackets::AirPackets(const AirImpairments& air, std::uint32_t seed) : m_air(air), m_rng(seed) { }

void AirPackets::add(std::uint8_t byte, std::int64_t atUs, std::int64_t byteUs)
{
    if (!m_gathering.empty() && atUs > m_lastUs + m_gapUs)
        complete(m_lastUs + m_gapUs);
    m_gathering.push_back(byte);
    m_lastUs = atUs;
    m_gapUs = kPacketGapBytes * byteUs;
    if (m_gathering.size() == kMaxPacketBytes)
        complete(atUs);
}

std::vector<AirPackets::Packet> AirPackets::due(std::int64_t nowUs)
{
    if (!m_gathering.empty() && nowUs >= m_lastUs + m_gapUs)
        complete(m_lastUs + m_gapUs);
    // A packet whose time came before the one ahead of it waits for that one.
    std::vector<Packet> packets;
    while (!m_waiting.empty() && m_waiting.front().sendUs <= nowUs) {
        packets.push_back(std::move(m_waiting.front()));
        m_waiting.pop_front();
    }
    return packets;
}

std::optional<std::int64_t> AirPackets::nextEventUs() const
{
    std::optional<std::int64_t> next;
    if (!m_gathering.empty())
        next = m_lastUs + m_gapUs;
    if (!m_waiting.empty())
        next = std::min(next.value_or(m_waiting.front().sendUs), m_waiting.front().sendUs);
    return next;
}

// Every packet takes the same draws, whatever its fate, so that changing one chance leaves
// the others' choices as they were.
void AirPackets::complete(std::int64_t readyUs)
{
    Packet packet {std::move(m_gathering), 0};
    m_gathering.clear();
    const bool lost = std::bernoulli_distribution(m_air.lossAt(readyUs))(m_rng);
    const bool corrupt = std::bernoulli_distribution(m_air.corrupt)(m_rng);
    const std::size_t at
        = std::uniform_int_distribution<std::size_t>(0, packet.bytes.size() - 1)(m_rng);
    const int bit = std::uniform_int_distribution<int>(0, 7)(m_rng);
    const std::int64_t jitter
        = std::uniform_int_distribution<std::int64_t>(0, m_air.jitterUs)(m_rng);
    packet.lost = lost;
    packet.corrupted = !lost && corrupt;
    if (packet.corrupted)
        packet.bytes[at] ^= static_cast<std::uint8_t>(1u << bit);
    packet.sendUs = readyUs + m_air.latencyUs + jitter;
    m_waiting.push_back(std::move(packet));
}

} // namespace radiosim
