#include "LinkTestRun.h"

#include <algorithm>

namespace linktest {
namespace {

template<typename It>
Totals count(It first, It last)
{
    Totals totals;
    std::vector<std::int64_t> trips;
    for (auto it = first; it != last; ++it) {
        ++totals.sent;
        switch (it->outcome) {
        case Outcome::Pending:
            break;
        case Outcome::Good:
            ++totals.good;
            trips.push_back(*it->roundTripMs);
            break;
        case Outcome::Lost:
            ++totals.lost;
            break;
        case Outcome::Corrupted:
            ++totals.corrupted;
            break;
        case Outcome::Late:
            ++totals.late;
            break;
        }
    }
    if (!trips.empty()) {
        std::sort(trips.begin(), trips.end());
        totals.roundTrip = RoundTrip {trips.front(), trips[trips.size() / 2], trips.back()};
    }
    return totals;
}

} // namespace

double Totals::errorPercent() const
{
    return judged() == 0 ? 0.0 : (lost + corrupted) * 100.0 / judged();
}

LinkTestRun::LinkTestRun(int size, std::int64_t timeoutMs)
    : m_size(std::clamp(size, kMinSize, kMaxSize)), m_timeoutMs(timeoutMs), m_parser(m_size)
{ }

std::string LinkTestRun::send(std::int64_t nowMs)
{
    const auto sequence = static_cast<std::uint32_t>(m_packets.size());
    m_packets.push_back({sequence, nowMs, Outcome::Pending, std::nullopt});
    return encodePacket(sequence, m_size);
}

void LinkTestRun::received(std::string_view bytes, std::int64_t nowMs)
{
    for (const Echo& echo : m_parser.feed(bytes)) {
        if (Packet* packet = owner(echo))
            judge(*packet, echo, nowMs);
        else
            ++m_strays;
    }
}

// An intact reply names its packet: the latest sent whose number ends in the 15 bits it carries.
// A damaged one is taken for the packet it names while that one still waits, else for the
// packet next expected in order: the first one waiting after the latest answered.
Packet* LinkTestRun::owner(const Echo& echo)
{
    if (m_packets.empty())
        return nullptr;
    if (echo.sequence) {
        const auto last = static_cast<std::uint32_t>(m_packets.size() - 1);
        const std::uint32_t named = last - ((last - *echo.sequence) & kSequenceMask);
        if (named <= last && (echo.intact || m_packets[named].outcome == Outcome::Pending))
            return &m_packets[named];
    }
    if (echo.intact)
        return nullptr;
    auto next = std::find_if(m_packets.rbegin(), m_packets.rend(), [](const Packet& p) {
        return p.outcome != Outcome::Pending && p.outcome != Outcome::Lost;
    }).base();
    next = std::find_if(
        next, m_packets.end(), [](const Packet& p) { return p.outcome == Outcome::Pending; });
    return next == m_packets.end() ? nullptr : &*next;
}

void LinkTestRun::judge(Packet& packet, const Echo& echo, std::int64_t nowMs)
{
    const std::int64_t trip = nowMs - packet.sentAtMs;
    const bool waiting = packet.outcome == Outcome::Pending;
    if (!echo.intact) {
        if (waiting)
            packet.outcome = Outcome::Corrupted;
        else
            ++m_strays;
    } else if (waiting || packet.outcome == Outcome::Lost) {
        packet.outcome = waiting && trip <= m_timeoutMs ? Outcome::Good : Outcome::Late;
        packet.roundTripMs = trip;
    } else {
        ++m_duplicates;
    }
}

void LinkTestRun::advance(std::int64_t nowMs)
{
    while (m_oldestPending < m_packets.size()) {
        Packet& packet = m_packets[m_oldestPending];
        if (packet.outcome == Outcome::Pending) {
            if (nowMs - packet.sentAtMs <= m_timeoutMs)
                return;
            packet.outcome = Outcome::Lost;
        }
        ++m_oldestPending;
    }
}

Totals LinkTestRun::totals() const
{
    Totals totals = count(m_packets.begin(), m_packets.end());
    totals.duplicates = m_duplicates;
    totals.strays = m_strays;
    return totals;
}

std::vector<Interval> LinkTestRun::intervals(std::int64_t lengthMs) const
{
    std::vector<Interval> intervals;
    if (m_packets.empty() || lengthMs <= 0)
        return intervals;
    const std::int64_t origin = m_packets.front().sentAtMs;
    auto first = m_packets.begin();
    while (first != m_packets.end()) {
        const std::int64_t start = origin + (first->sentAtMs - origin) / lengthMs * lengthMs;
        const auto last = std::find_if(first, m_packets.end(),
            [&](const Packet& p) { return p.sentAtMs >= start + lengthMs; });
        intervals.push_back({start, count(first, last)});
        first = last;
    }
    return intervals;
}

} // namespace linktest
