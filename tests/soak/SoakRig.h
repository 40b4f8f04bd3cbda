#pragma once

#include <cstdint>
#include <string>

namespace soak {

// What one station counted and what the other one saw of it.
struct StationFigures
{
    std::int32_t tx = 0;
    std::int32_t rx = 0;
    std::string txPanel; // status panel 4 as shown
    std::string rxPanel; // status panel 5 as shown
};

struct SoakFigures
{
    double seconds = 0; // time both stations were auto-sending
    StationFigures a;
    StationFigures b;
    std::size_t droppedLogLines = 0; // user data the simulator could not deliver
    long rssWarmKb = 0; // resident memory once the run has warmed up
    long rssEndKb = 0; // and at its end
    long rssPeakKb = 0; // the highest sample in between
    int modeSwitches = 0; // text/hex switches of the send and receive sides
};

// Two programs with their real windows in this process, linked through radiomodem-sim at
// 19200 bit/s, both auto-sending, switching between text and hex on both the send and the
// receive side, for the given time; then auto send is stopped and the line left to drain.
// Needs a QApplication.
SoakFigures runSoak(int seconds);

// Resident memory of this process, from /proc/self/statm.
long residentKb();

} // namespace soak
