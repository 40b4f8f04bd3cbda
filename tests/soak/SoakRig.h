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
    // How far one station's TX ran ahead of the other's RX at most, in bytes: what waited in
    // the driver, crossed the lines and the air, and waited for the far station's poll.
    std::int32_t maxAhead = 0;
};

// Two programs with their real windows in this process, linked through radiomodem-sim at the
// given speed, both auto-sending more than the line carries in text mode, switching between
// text and hex on both the send and the receive side, for the given time; then no new block
// starts, the line is left to drain, and auto send is stopped. Needs a QApplication.
SoakFigures runSoak(int seconds, std::uint32_t baud = 19200);

// Resident memory of this process, from /proc/self/statm.
long residentKb();

} // namespace soak
