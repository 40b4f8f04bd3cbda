#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace linktest {

// A link-test packet, as printable text so that an echo station shows it and returns it
// unchanged: a start mark, the sequence number's low 15 bits in three characters, filler that
// varies with the sequence number, and a CRC-16 of everything after the mark in four characters.
// No character of a packet is the mark or one bit away from it, so one flipped bit neither
// starts a packet nor hides one.
inline constexpr char kMark = '~';
inline constexpr int kMinSize = 8;
inline constexpr int kMaxSize = 240;
inline constexpr std::uint32_t kSequenceMask = 0x7FFF;

std::string encodePacket(std::uint32_t sequence, int size);

// One packet as it came back: the sequence field as read (absent when it is not three valid
// characters) and whether the check matched.
struct Echo
{
    std::optional<std::uint32_t> sequence;
    bool intact = false;
};

// Cuts packets of one size out of the replies as they arrive. Bytes before a mark are skipped;
// a mark that comes before the packet is whole makes a short packet, taken as damaged.
class EchoParser
{
public:
    explicit EchoParser(int size) : m_size(size) { }

    // Takes the bytes and returns the packets they complete, in order.
    std::vector<Echo> feed(std::string_view bytes);

private:
    Echo read(std::string_view packet) const;

    int m_size;
    std::string m_pending;
};

} // namespace linktest
