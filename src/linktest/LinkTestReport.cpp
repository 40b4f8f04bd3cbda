#include "LinkTestReport.h"

#include "core/LocalTime.h"

#include <cstdio>

namespace linktest {
namespace {

const char* outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Good:
        return "good";
    case Outcome::Lost:
        return "lost";
    case Outcome::Corrupted:
        return "corrupted";
    case Outcome::Late:
        return "late";
    case Outcome::Pending:
        break;
    }
    return "pending";
}

std::string fixed(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string percentOf(int part, int whole)
{
    return fixed(whole == 0 ? 0.0 : part * 100.0 / whole, 1) + " %";
}

} // namespace

double throughput(const LinkTest& test)
{
    const auto& packets = test.run().packets();
    if (packets.empty())
        return 0.0;
    const Totals totals = test.run().totals();
    const std::int64_t span
        = packets.back().sentAtMs - packets.front().sentAtMs + test.plan().intervalMs;
    return span <= 0 ? 0.0 : (totals.good + totals.late) * test.run().size() * 1000.0 / span;
}

std::string reportFileName(const RunClock& clock, const std::string& port, const char* extension)
{
    std::string name = "linktest-" + core::localTime("%Y%m%d-%H%M%S", clock.wallStartMs, false);
    std::string safe;
    for (const char c : port.substr(port.find_last_of('/') + 1))
        safe += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
    if (!safe.empty())
        name += "-" + safe;
    return name + "." + extension;
}

std::string reportCsv(const LinkTest& test, const RunClock& clock, const std::string& port)
{
    const LinkTestRun& run = test.run();
    std::string csv = "time,sequence,size,outcome,round_trip_ms\r\n";
    for (const Packet& p : run.packets()) {
        csv += core::localTime("%Y-%m-%d %H:%M:%S", clock.wallOf(p.sentAtMs)) + ","
            + std::to_string(p.sequence) + "," + std::to_string(run.size()) + ","
            + outcomeName(p.outcome) + ","
            + (p.roundTripMs ? std::to_string(*p.roundTripMs) : std::string()) + "\r\n";
    }
    const Totals t = run.totals();
    const auto row = [&](const char* name, const std::string& value) {
        csv += std::string(name) + "," + value + "\r\n";
    };
    csv += "\r\nsummary,value\r\n";
    row("port", "\"" + port + "\"");
    row("started", core::localTime("%Y-%m-%d %H:%M:%S", clock.wallStartMs));
    row("size", std::to_string(run.size()));
    row("interval_ms", std::to_string(test.plan().intervalMs));
    row("timeout_ms", std::to_string(test.plan().timeout()));
    for (const auto& [name, value] :
        {std::pair {"sent", t.sent}, {"good", t.good}, {"lost", t.lost}, {"corrupted", t.corrupted},
            {"late", t.late}, {"duplicates", t.duplicates}, {"strays", t.strays}})
        row(name, std::to_string(value));
    row("error_percent", fixed(t.errorPercent(), 2));
    row("round_trip_min_ms", t.roundTrip ? std::to_string(t.roundTrip->minMs) : "");
    row("round_trip_median_ms", t.roundTrip ? std::to_string(t.roundTrip->medianMs) : "");
    row("round_trip_max_ms", t.roundTrip ? std::to_string(t.roundTrip->maxMs) : "");
    row("throughput_bytes_per_s", fixed(throughput(test), 1));
    return csv;
}

std::string intervalLine(
    const Interval& interval, const RunClock& clock, const core::Language& language)
{
    const Totals& t = interval.totals;
    const bool en = language.isEnglish();
    std::string line = core::localTime("%H:%M:%S", clock.wallOf(interval.startMs), false);
    line += (en ? "  sent " : "  发送 ") + std::to_string(t.sent);
    line += (en ? "  lost " : "  丢失 ") + std::to_string(t.lost);
    line += (en ? "  corrupted " : "  错误 ") + std::to_string(t.corrupted);
    line += (en ? "  errors " : "  误包率 ") + percentOf(t.lost + t.corrupted, t.judged());
    if (t.roundTrip)
        line += (en ? "  round trip " : "  往返 ") + std::to_string(t.roundTrip->medianMs) + "/"
            + std::to_string(t.roundTrip->maxMs) + " ms";
    return line;
}

std::string summaryLine(const LinkTest& test, const core::Language& language)
{
    const Totals t = test.run().totals();
    const bool en = language.isEnglish();
    std::string line = (en ? "sent " : "发送 ") + std::to_string(t.sent);
    line += (en ? ", good " : "，正确 ") + std::to_string(t.good);
    line += (en ? ", lost " : "，丢失 ") + std::to_string(t.lost) + " ("
        + percentOf(t.lost, t.judged()) + ")";
    line += (en ? ", corrupted " : "，错误 ") + std::to_string(t.corrupted) + " ("
        + percentOf(t.corrupted, t.judged()) + ")";
    line += (en ? ", late " : "，迟到 ") + std::to_string(t.late);
    line += (en ? ", errors " : "，误包率 ") + fixed(t.errorPercent(), 2) + " %";
    if (t.roundTrip)
        line += (en ? ", round trip min/median/max " : "，往返 最小/中位/最大 ")
            + std::to_string(t.roundTrip->minMs) + "/" + std::to_string(t.roundTrip->medianMs) + "/"
            + std::to_string(t.roundTrip->maxMs) + " ms";
    line += (en ? ", " : "，") + fixed(throughput(test), 1) + " B/s";
    return line;
}

} // namespace linktest
