#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace terminal {

// The received bytes kept for saving: the last `capacity` of those appended since the last
// clear, oldest first. Memory stays bounded however long the terminal runs.
class ReceivedBytes
{
public:
    static constexpr std::size_t kCapacity = 16 * 1024 * 1024;

    explicit ReceivedBytes(std::size_t capacity = kCapacity);

    void append(std::span<const std::uint8_t> bytes);
    void clear();
    std::vector<std::uint8_t> bytes() const;

private:
    std::size_t m_capacity;
    std::vector<std::uint8_t> m_ring; // grows to m_capacity, then is overwritten in a circle
    std::size_t m_oldest = 0; // where the oldest byte stands once the ring is full
};

} // namespace terminal
