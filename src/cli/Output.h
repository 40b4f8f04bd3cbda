#pragma once

#include "core/PrintableText.h"

#include "ExitCode.h"
#include "RadioConversation.h"
#include "core/Language.h"
#include "platform/SerialPort.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// Declared only: Qt's headers define "signals", a name main() uses.
class QJsonObject;

namespace cli {

// The ports that failed, in port order: a port without a radio only when no port had one.
std::vector<const PortResult*> failuresOf(const std::vector<PortResult>& results);
// The exit status of a command over its ports: the first failure's.
ExitCode exitCodeOf(const std::vector<PortResult>& results);
ExitCode exitCodeOf(Outcome outcome);

// The outcome as JSON and records name it ("write-failed"), and as the table says it.
const char* outcomeKey(Outcome outcome);
std::string outcomeText(const PortResult& result, const core::Language& language);
// The values in the order of the write steps: air rate, ID, channel, serial mode.
std::array<std::string, radio::RadioSession::kSteps> valueTexts(const radio::WriteValues& values);
// What the radio holds as far as the command knows (read back; else read, with the values of a
// write that the radio took; "?" for one it did not confirm), in the order of the write steps.
std::array<std::string, radio::RadioSession::kSteps> heldTexts(const PortResult& result);

// A multi-line message of the window as one line for stderr.
std::string oneLine(const std::string& text);

// File and port names, whose bytes need not be UTF-8, are printed escaped.
using core::printable;

// COM1 to COM8 with their devices, as the port dialog names them.
std::string portsTable(const platform::SerialPortProvider& ports, const core::Language& language);
// With lines, one object a port ({"format": 1, "command": "ports", "port": ...}).
std::string portsJson(
    const platform::SerialPortProvider& ports, const core::Language& language, bool lines);

// One line a port: its values as the radio holds them as far as known (read back; else read,
// with the values of a write that the radio took; "?" for one it did not confirm) and how it
// went.
std::string resultsTable(const std::vector<PortResult>& results, const core::Language& language);
// The version of the JSON that the program prints: every document and line carries it as
// "format". Keys are those of the settings file where they name the same value.
constexpr int kJsonFormat = 1;

// A radio's values as the settings file names them, with the air rate in bit/s beside its index
// (null for a code beyond the list).
QJsonObject valuesJson(const radio::WriteValues& values);
// What the radio holds as far as known, as heldTexts(), a value not confirmed as null.
QJsonObject heldJson(const PortResult& result);
// One port's result: port, device, outcome, reason-code and reason, model, values (as held),
// for a write before, requested, took, unconfirmed and read-back, and saved-to for a save.
QJsonObject resultJson(const PortResult& result);
// {"format": 1, "command": ..., "exit-code": ..., "results": [...]}, with "file" when there is
// one; with lines, each result as one line with format, command and file.
std::string resultsJson(const std::string& command, const std::string& file,
    const std::vector<PortResult>& results, ExitCode code, bool lines);
// A command that ended before any port: {"format": 1, "command", "exit-code", "reason-code",
// "reason"}, on one line when line.
std::string errorJson(const std::string& command, const std::string& file, ExitCode code,
    const std::string& reasonCode, const std::string& reason, bool line);
// The object as one line of JSON, with its line break.
std::string jsonLine(const QJsonObject& object);

} // namespace cli
