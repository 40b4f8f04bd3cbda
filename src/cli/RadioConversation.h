#pragma once

#include "core/Language.h"
#include "radio/ExchangeTexts.h"
#include "radio/RadioParameters.h"
#include "radio/SettingsFile.h"
#include "serial/SerialLink.h"

#include <functional>
#include <optional>
#include <string>

namespace cli {

// How a conversation with the radio on one port ended.
enum class Outcome { Ok, NoRadio, PortError, WriteFailed, Mismatch, Interrupted };

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
    Outcome outcome = Outcome::Ok;
    std::string reason; // why it failed, in the user's language, as the window says it
    std::optional<RadioReading> before; // the read (before any write)
    bool radioFound = false; // a radio answered the probe
    std::optional<radio::WriteValues> written; // the values of the write, once it started
    radio::WriteProgress writeProgress; // the write steps the radio took, and those sent
    std::optional<radio::WriteValues> readBack; // the verification read
    std::string readAt; // local time of the read, ISO 8601
};

// Progress for a person at a terminal ("probe attempt 3 of 19"); may be a no-op.
using Progress = std::function<void(const std::string&)>;

// The conversations with the radio over a port that is already open in link (its handle
// assigned, its port number set when it is a COMn). They fill result's outcome, reason and values.
// A signal (see Interrupt.h) stops a probe or a read at once, nothing more going out; during the
// write steps it waits until they end, and a write that ended well is then not read back.
void readRadio(serial::SerialLink& link, const core::Language& language, const Progress& progress,
    PortResult& result);
// Reads, then writes the read values with change's values in their place, then, when verify,
// reads back and compares.
void writeRadio(serial::SerialLink& link, const radio::RadioSettings& change, bool verify,
    const core::Language& language, const Progress& progress, PortResult& result);

} // namespace cli
