#pragma once

#include "LinkTestRun.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace linktest {

// One point of the chart: an interval's errors in percent and its round trips, at its start
// in seconds from the start of the run.
struct ChartPoint
{
    double seconds = 0;
    double lostPercent = 0;
    double corruptedPercent = 0;
    std::optional<std::int64_t> medianMs; // none when no reply came back intact in time
    std::optional<std::int64_t> worstMs;
};

// What the link test takes from its window and shows in it.
class LinkTestView
{
public:
    virtual ~LinkTestView() = default;

    // The plan as entered: size, interval and duration.
    virtual Plan plan() const = 0;
    // Running: the start button stops, the plan cannot be changed, the exports wait.
    virtual void showRunning(bool running) = 0;
    virtual void clearChart() = 0;
    virtual void addPoint(const ChartPoint& point) = 0;
    // The running totals as rows of a name and a value, in the interface language.
    virtual void showTotals(const std::vector<std::pair<std::string, std::string>>& rows) = 0;
    // The chart as a PNG image fit for a report.
    virtual std::vector<std::uint8_t> chartPng() const = 0;
};

} // namespace linktest
