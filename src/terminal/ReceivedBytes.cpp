#include "ReceivedBytes.h"

#include <algorithm>

namespace terminal {

ReceivedBytes::ReceivedBytes(std::size_t capacity) : m_capacity(capacity) { }

void ReceivedBytes::append(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() > m_capacity)
        bytes = bytes.last(m_capacity);
    const std::size_t room = std::min(bytes.size(), m_capacity - m_ring.size());
    m_ring.insert(m_ring.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(room));
    for (bytes = bytes.subspan(room); !bytes.empty();) {
        const std::size_t run = std::min(bytes.size(), m_capacity - m_oldest);
        std::copy_n(bytes.begin(), run, m_ring.begin() + static_cast<std::ptrdiff_t>(m_oldest));
        m_oldest = (m_oldest + run) % m_capacity;
        bytes = bytes.subspan(run);
    }
}

void ReceivedBytes::clear()
{
    m_ring.clear();
    m_ring.shrink_to_fit();
    m_oldest = 0;
}

std::vector<std::uint8_t> ReceivedBytes::bytes() const
{
    std::vector<std::uint8_t> ordered(
        m_ring.begin() + static_cast<std::ptrdiff_t>(m_oldest), m_ring.end());
    ordered.insert(
        ordered.end(), m_ring.begin(), m_ring.begin() + static_cast<std::ptrdiff_t>(m_oldest));
    return ordered;
}

} // namespace terminal
