#pragma once

#include "radio/SettingsFile.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command { Ports, Read, Write, Save, Apply };

struct Request
{
    Command command = Command::Ports;
    bool json = false;
    bool quiet = false;
    std::optional<std::string> port; // --port, its bytes as given
    bool all = false; // apply --all
    std::string file; // save and apply, its bytes as given
    radio::RadioSettings change; // write: the values named
    bool verify = true;
};

struct ParsedCommandLine
{
    std::optional<Request> request; // unset on error, --help and --version
    std::string output; // --help or --version text for stdout
    std::string error; // a usage error, one line of UTF-8 (names escaped as printable() does)
};

// The arguments with the program's name first, as main() gets them: bytes in any encoding.
ParsedCommandLine parseCommandLine(
    const std::vector<std::string>& arguments, const core::Language& language);

} // namespace cli
