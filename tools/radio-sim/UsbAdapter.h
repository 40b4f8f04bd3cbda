#pragma once

#include "RadioModel.h"

#include <cstdint>
#include <optional>

namespace radiosim {

// FTDI chips pass received bytes to the host in packets of at most 62 data bytes.
constexpr std::size_t kAdapterPacketBytes = 62;
constexpr std::int64_t kDefaultAdapterLatencyUs = 16'000;

// A USB serial adapter between the radio and the program, holding the bytes the radio sends as
// an FTDI chip does with its latency timer: a packet goes to the host when 62 bytes wait, or when
// the timer expires. The chip's timer runs from its last transfer, so on real hardware a byte
// waits anything from nothing to the full latency; here the timer starts with the first byte
// held, so every byte that does not fill a packet waits the worst case.
class UsbAdapter
{
public:
    explicit UsbAdapter(std::int64_t latencyUs) : m_latencyUs(latencyUs) { }

    // Takes the bytes that came from the radio by nowUs (none, to let time pass) and returns
    // what the adapter passes on to the program now, in order.
    Bytes pass(const Bytes& fromRadio, std::int64_t nowUs);
    // When the held bytes go out unless a packet fills first.
    std::optional<std::int64_t> nextReleaseUs() const;
    bool empty() const { return m_held.empty(); }

private:
    std::int64_t m_latencyUs;
    Bytes m_held; // fewer than a packet, waiting for the timer
    std::int64_t m_firstHeldUs = 0;
};

} // namespace radiosim
