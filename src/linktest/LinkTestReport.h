#pragma once

#include "LinkTestRun.h"
#include "core/Language.h"

#include <cstdint>
#include <string>

namespace linktest {

// Where a run's times come from: the steady clock of its packets and the wall clock at the
// same moment, so that a report gives each packet its local time.
struct RunClock
{
    std::int64_t steadyStartMs = 0;
    std::int64_t wallStartMs = 0;

    std::int64_t wallOf(std::int64_t steadyMs) const
    {
        return wallStartMs + (steadyMs - steadyStartMs);
    }
};

// Bytes of intact replies a second, over the run from its first send to one interval after
// its last.
double throughput(const LinkTest& test);

// "linktest-20240501-093000-COM1.csv": the run's start and the port, safe as a file name.
std::string reportFileName(const RunClock& clock, const std::string& port, const char* extension);

// Every packet (local time sent, sequence, size, outcome, round trip in ms), then after an
// empty line the summary as name,value rows.
std::string reportCsv(const LinkTest& test, const RunClock& clock, const std::string& port);

// One line for an interval of a running test and one for the whole run, in the language given:
// "09:30:01  sent 20  lost 1  corrupted 0  errors 5.0 %  round trip 31/40 ms".
std::string intervalLine(
    const Interval& interval, const RunClock& clock, const core::Language& language);
std::string summaryLine(const LinkTest& test, const core::Language& language);

} // namespace linktest
