#pragma once

#include "AirPackets.h"
#include "RadioModel.h"

#include <optional>
#include <string>
#include <vector>

namespace radiosim {

struct SimOptions
{
    RadioConfig radio; // station 1, and station 2 unless its serial settings are overridden
    SerialSettings serial2;
    bool link = false;
    // The second radio loops the air back: what reaches it goes back over the air at once, as
    // from a far radio in loopback test mode; its serial side sees none of it.
    bool echo2 = false;
    std::string symlink1;
    std::string symlink2;
    std::string logPath;
    bool pace = true; // both serial lines take the wire time of each byte
    std::int64_t turnaroundUs = kDefaultTurnaroundUs;
    std::optional<std::int64_t> airDelayUs;
    double errorRate = 0.0;
    AirImpairments air; // its fade counts from the simulator's start
    std::optional<std::uint32_t> seed;
    std::optional<std::size_t> vanishAfter;
    std::optional<std::size_t> stallAfterBytes; // then the radio reads nothing more
    // A USB adapter's latency timer on what the radios send; unset: no adapter.
    std::optional<std::int64_t> adapterLatencyUs;
};

struct ParsedOptions
{
    std::optional<SimOptions> options; // unset on error or --help
    bool help = false;
    std::string error;
};

// The command line without the program name.
ParsedOptions parseOptions(const std::vector<std::string>& args);
std::string usageText();

} // namespace radiosim
