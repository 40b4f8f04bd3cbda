#pragma once

#include "PacketCodec.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace linktest {

// What became of one packet. Late: intact, but after its time-out had counted it lost.
enum class Outcome { Pending, Good, Lost, Corrupted, Late };

struct Packet
{
    std::uint32_t sequence = 0;
    std::int64_t sentAtMs = 0;
    Outcome outcome = Outcome::Pending;
    std::optional<std::int64_t> roundTripMs; // for Good and Late
};

// Round trips of intact replies within the time-out.
struct RoundTrip
{
    std::int64_t minMs = 0;
    std::int64_t medianMs = 0;
    std::int64_t maxMs = 0;
};

struct Totals
{
    int sent = 0;
    int good = 0;
    int lost = 0;
    int corrupted = 0;
    int late = 0;
    int duplicates = 0; // replies to packets already answered
    int strays = 0; // damaged replies that belong to no packet still waiting
    std::optional<RoundTrip> roundTrip;

    int judged() const { return good + lost + corrupted + late; }
    // Lost and corrupted packets among those judged, in percent; late ones count as arrived.
    double errorPercent() const;
};

// One interval of the run, by the time its packets were sent.
struct Interval
{
    std::int64_t startMs = 0;
    Totals totals;
};

// The measuring side of an echo test over the air: numbers the packets it is asked to send,
// matches what comes back to them, even when replies are lost, late, repeated or damaged, and
// counts. Times are milliseconds on one steady clock, given by the caller.
class LinkTestRun
{
public:
    LinkTestRun(int size, std::int64_t timeoutMs);

    int size() const { return m_size; }
    // The next packet to send, sent now.
    std::string send(std::int64_t nowMs);
    void received(std::string_view bytes, std::int64_t nowMs);
    // Counts packets lost whose time-out has passed.
    void advance(std::int64_t nowMs);

    const std::vector<Packet>& packets() const { return m_packets; }
    Totals totals() const;
    // The run from packet firstPacket on, cut into intervals of the given length from originMs
    // (the first send when absent), by the time each packet was sent; intervals without a
    // packet are left out, the last may be unfinished.
    std::vector<Interval> intervals(std::int64_t lengthMs,
        std::optional<std::int64_t> originMs = std::nullopt, std::size_t firstPacket = 0) const;
    // The oldest packet still waiting for its reply, if any. Cheap: only the packets within a
    // time-out of the last advance are looked at.
    const Packet* oldestWaiting() const;

private:
    Packet* owner(const Echo& echo);
    void judge(Packet& packet, const Echo& echo, std::int64_t nowMs);

    int m_size;
    std::int64_t m_timeoutMs;
    EchoParser m_parser;
    std::vector<Packet> m_packets;
    std::size_t m_oldestPending = 0;
    int m_duplicates = 0;
    int m_strays = 0;
};

// What a link test does: packets of one size at one interval, for a duration (0: until
// stopped). A packet not answered within the time-out counts lost; the echo station of the data
// terminal answers only after 350 ms of quiet, so the default leaves room for that.
struct Plan
{
    int size = 32;
    std::int64_t intervalMs = 1000;
    std::int64_t durationMs = 0;
    std::int64_t timeoutMs = 0; // 0: twice the interval, at least two seconds
    std::int64_t reportMs = 1000; // the length of an interval of the chart and the report

    std::int64_t timeout() const;
};

// A run on a schedule: says when to send, which intervals are complete, when it is over.
class LinkTest
{
public:
    LinkTest(const Plan& plan, std::int64_t startMs);

    const Plan& plan() const { return m_plan; }
    const LinkTestRun& run() const { return m_run; }
    void received(std::string_view bytes, std::int64_t nowMs) { m_run.received(bytes, nowMs); }

    // The packet to send now, if one is due.
    std::optional<std::string> due(std::int64_t nowMs);
    // When something is next due: a send, a time-out or the end.
    std::int64_t nextEventMs() const;
    // Stops sending; the packets on their way are still waited for.
    void stop(std::int64_t nowMs);
    bool sending() const { return !m_stoppedAtMs; }
    bool finished(std::int64_t nowMs) const;
    // Intervals whose packets are all judged and that were not taken before.
    std::vector<Interval> takeCompleted(std::int64_t nowMs);

private:
    Plan m_plan;
    std::int64_t m_startMs;
    LinkTestRun m_run;
    std::int64_t m_nextSendMs;
    std::optional<std::int64_t> m_stoppedAtMs;
    std::size_t m_reportedPackets = 0; // the packets of the intervals taken so far
};

} // namespace linktest
