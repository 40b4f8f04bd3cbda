#pragma once

#include "core/Language.h"
#include "radio/ExchangeTexts.h"
#include "radio/RadioParameters.h"
#include "radio/RadioSettings.h"
#include "serial/SerialLink.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace cli {

// How a conversation with the radio on one port ended.
enum class Outcome {
    Ok,
    NoRadio,
    PortError,
    WriteFailed,
    Mismatch,
    Interrupted,
    TimedOut,
    Differs
};

// What the radio answered to a read.
struct RadioReading
{
    std::uint8_t model = 0;
    std::uint8_t version = 0;
    radio::WriteValues held; // air rate and ID as reported, channel, the serial mode it answered at
};

// The result of one command on one port.
struct PortResult
{
    std::string port; // COMn, or the device path for a device outside COM1 to COM8
    std::string device;
    std::string identity; // the device's by-id link, else its path (see PortTarget)
    Outcome outcome = Outcome::Ok;
    std::string reason; // why it failed, in the user's language, as the window says it
    // Why it failed as a stable ASCII word for scripts ("no-radio", "write-refused"); empty when
    // it did not fail.
    std::string reasonCode;
    std::optional<RadioReading> before; // the read (before any write)
    bool radioFound = false; // a radio answered the probe
    std::optional<radio::WriteValues> written; // the values of the write, once it started
    radio::WriteProgress writeProgress; // the write steps the radio took, and those sent
    std::optional<radio::WriteValues> readBack; // the verification read
    bool unchanged = false; // the radio held the values already: nothing was written
    std::string readAt; // local time of the read, ISO 8601
    std::string savedTo; // save: the settings file the values went to
};

// Where a conversation starts and how long it may take.
struct Approach
{
    // The serial mode the probe tries first; the search then goes on round the table from
    // there. None: 9600 bit/s without parity, as the window's first probe.
    std::optional<radio::SerialMode> firstMode;
    // At this time a probe or a read stops at once and the write steps end as for a signal.
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
};

// Progress for a person at a terminal ("probe attempt 3 of 19"); may be a no-op.
using Progress = std::function<void(const std::string&)>;

// The conversations with the radio over a port that is already open in link (its handle
// assigned, its port number set when it is a COMn). They fill result's outcome, reason and values.
// A signal (see Interrupt.h) or the deadline stops a probe or a read at once, nothing more going
// out; during the write steps it waits until they end, and a write that ended well is then not
// read back.
void readRadio(serial::SerialLink& link, const Approach& approach, const core::Language& language,
    const Progress& progress, PortResult& result);
// Reads, then writes the read values with change's values in their place, then, when verify,
// reads back and compares.
// A radio that already holds every value of change is left as it is: nothing is written, and
// result.unchanged says so.
void writeRadio(serial::SerialLink& link, const Approach& approach,
    const radio::RadioSettings& change, bool verify, const core::Language& language,
    const Progress& progress, PortResult& result);

// The serial mode the radio answered at last in result, if it answered.
std::optional<radio::SerialMode> answeredMode(const PortResult& result);

} // namespace cli
