#include "UsbAdapter.h"

namespace radiosim {

Bytes UsbAdapter::pass(const Bytes& fromRadio, std::int64_t nowUs)
{
    Bytes out;
    // The timer of what was held expired before the new bytes came.
    if (!m_held.empty() && nowUs >= m_firstHeldUs + m_latencyUs)
        out.swap(m_held);
    for (const std::uint8_t byte : fromRadio) {
        if (m_held.empty())
            m_firstHeldUs = nowUs;
        m_held.push_back(byte);
        if (m_held.size() == kAdapterPacketBytes) {
            out.insert(out.end(), m_held.begin(), m_held.end());
            m_held.clear();
        }
    }
    return out;
}

std::optional<std::int64_t> UsbAdapter::nextReleaseUs() const
{
    if (m_held.empty())
        return std::nullopt;
    return m_firstHeldUs + m_latencyUs;
}

} // namespace radiosim
