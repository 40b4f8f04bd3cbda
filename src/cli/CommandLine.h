#pragma once

#include "radio/SettingsFile.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command { Ports, Read, Write, Save, Apply, Check, Bench, LinkTest };

// linktest: packets of size bytes every intervalMs for durationS seconds, on a port opened at
// the radio's serial mode; the run passes while its error rate stays below maxLossPercent.
struct LinkTestRequest
{
    int size = 32;
    int intervalMs = 1000;
    double durationS = 60;
    double maxLossPercent = 100;
    radio::SerialMode serial {1, 0}; // 9600-N, as radios leave the factory
};

struct Request
{
    Command command = Command::Ports;
    bool json = false; // --json, or --json-lines
    bool jsonLines = false; // one JSON object a line: a port, a radio or a bench unit
    bool quiet = false;
    std::vector<std::string> ports; // each --port, its bytes as given
    bool all = false; // read, save, apply and check: every port that has a radio
    // save, apply, check and bench, its bytes as given; "-" is standard input (apply, check,
    // bench) or output (save); save --all: a folder
    std::string file;
    radio::RadioSettings change; // write: the values named
    bool verify = true;
    std::optional<radio::SerialMode> from; // --from: the mode the probe tries first
    std::optional<double> timeout; // --timeout, in seconds: the whole run's limit
    bool noId = false; // save: the ID left out of the file
    bool sameId = false; // apply and bench: one file's ID for several radios, on purpose
    std::string record; // read and bench: the record file to append to, "-" for stdout
    std::optional<std::uint32_t> idFrom; // bench: the first unit's ID, as six decimal digits
    std::optional<LinkTestRequest> linkTest;
};

struct ParsedCommandLine
{
    std::optional<Request> request; // unset on error, --help and --version
    std::string output; // --help, help COMMAND or --version: the text for stdout
    std::string error; // a usage error, one line of UTF-8 (names escaped as printable() does)
};

// The arguments with the program's name first, as main() gets them: bytes in any encoding. Long
// options (--port, also as -port), short ones (-p COM1, -pCOM1, -jq) and "--" before names
// that start with a dash. Errors and help are in the language given.
ParsedCommandLine parseCommandLine(
    const std::vector<std::string>& arguments, const core::Language& language);

// Why a --port name is no port: neither COMn (n = 1 to 8), a path, nor a /dev/serial/by-id
// name; a name such as com2 or ttyUSB0 gets what was likely meant. Nothing when it names one.
std::optional<core::Bilingual> portNameError(const std::string& name);

// When a run that starts now must end: --timeout from now, else never.
std::chrono::steady_clock::time_point deadlineOf(const Request& request);

} // namespace cli
