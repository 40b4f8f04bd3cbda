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
    // The totals are counted again several times a second over the whole run: a selection
    // finds the median in one pass where sorting an hour's round trips would not.
    if (!trips.empty()) {
        const auto [least, most] = std::minmax_element(trips.begin(), trips.end());
        const std::int64_t minMs = *least, maxMs = *most;
        const auto middle = trips.begin() + static_cast<std::ptrdiff_t>(trips.size() / 2);
        std::nth_element(trips.begin(), middle, trips.end());
        totals.roundTrip = RoundTrip {minMs, *middle, maxMs};
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

std::vector<Interval> LinkTestRun::intervals(
    std::int64_t lengthMs, std::optional<std::int64_t> originMs, std::size_t firstPacket) const
{
    std::vector<Interval> intervals;
    if (firstPacket >= m_packets.size() || lengthMs <= 0)
        return intervals;
    const std::int64_t origin = originMs.value_or(m_packets.front().sentAtMs);
    auto first = m_packets.begin() + static_cast<std::ptrdiff_t>(firstPacket);
    while (first != m_packets.end()) {
        const std::int64_t start = origin + (first->sentAtMs - origin) / lengthMs * lengthMs;
        const auto last = std::find_if(first, m_packets.end(),
            [&](const Packet& p) { return p.sentAtMs >= start + lengthMs; });
        intervals.push_back({start, count(first, last)});
        first = last;
    }
    return intervals;
}

const Packet* LinkTestRun::oldestWaiting() const
{
    const auto waiting
        = std::find_if(m_packets.begin() + static_cast<std::ptrdiff_t>(m_oldestPending),
            m_packets.end(), [](const Packet& p) { return p.outcome == Outcome::Pending; });
    return waiting == m_packets.end() ? nullptr : &*waiting;
}

std::int64_t Plan::timeout() const
{
    return timeoutMs > 0 ? timeoutMs : std::max<std::int64_t>(2000, 2 * intervalMs);
}

LinkTest::LinkTest(const Plan& plan, std::int64_t startMs)
    : m_plan(plan), m_startMs(startMs), m_run(plan.size, plan.timeout()), m_nextSendMs(startMs)
{ }

std::optional<std::string> LinkTest::due(std::int64_t nowMs)
{
    m_run.advance(nowMs);
    if (m_plan.durationMs > 0 && nowMs >= m_startMs + m_plan.durationMs && !m_stoppedAtMs)
        m_stoppedAtMs = m_startMs + m_plan.durationMs;
    if (m_stoppedAtMs || nowMs < m_nextSendMs)
        return std::nullopt;
    // A late tick sends once and keeps the schedule: no burst to catch up.
    while (m_nextSendMs <= nowMs)
        m_nextSendMs += std::max<std::int64_t>(1, m_plan.intervalMs);
    return m_run.send(nowMs);
}

std::int64_t LinkTest::nextEventMs() const
{
    std::int64_t next = m_stoppedAtMs ? *m_stoppedAtMs + m_plan.timeout() : m_nextSendMs;
    if (const Packet* waiting = m_run.oldestWaiting())
        next = std::min(next, waiting->sentAtMs + m_plan.timeout() + 1);
    return next;
}

void LinkTest::stop(std::int64_t nowMs)
{
    if (!m_stoppedAtMs)
        m_stoppedAtMs = nowMs;
}

bool LinkTest::finished(std::int64_t nowMs) const
{
    if (!m_stoppedAtMs && !(m_plan.durationMs > 0 && nowMs >= m_startMs + m_plan.durationMs))
        return false;
    return m_run.oldestWaiting() == nullptr;
}

std::vector<Interval> LinkTest::takeCompleted(std::int64_t nowMs)
{
    m_run.advance(nowMs);
    // Only the intervals not taken yet are counted, so a long run costs no more a tick.
    auto intervals = m_run.intervals(m_plan.reportMs, m_startMs, m_reportedPackets);
    // An interval is complete when no packet of it waits and nothing more will be sent in it.
    std::size_t complete = 0;
    while (complete < intervals.size()) {
        const Interval& interval = intervals[complete];
        const bool closed = interval.startMs + m_plan.reportMs <= nowMs
            || (m_stoppedAtMs && complete + 1 == intervals.size());
        const bool judged = interval.totals.judged() == interval.totals.sent;
        if (!closed || !judged)
            break;
        ++complete;
    }
    intervals.resize(complete);
    for (const Interval& interval : intervals)
        m_reportedPackets += static_cast<std::size_t>(interval.totals.sent);
    return intervals;
}

} // namespace linktest
