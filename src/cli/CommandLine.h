#pragma once

#include "radio/SettingsFile.h"

#include <QStringList>

#include <optional>
#include <string>

namespace cli {

enum class Command { Ports, Read, Write, Save, Apply };

struct Request
{
    Command command = Command::Ports;
    bool json = false;
    bool quiet = false;
    std::optional<std::string> port; // --port
    bool all = false; // apply --all
    std::string file; // save and apply
    radio::RadioSettings change; // write: the values named
    bool verify = true;
};

struct ParsedCommandLine
{
    std::optional<Request> request; // unset on error, --help and --version
    std::string output; // --help or --version text for stdout
    std::string error; // a usage error, one line
};

// The arguments with the program's name first, as QCoreApplication::arguments() gives them.
ParsedCommandLine parseCommandLine(const QStringList& arguments, const core::Language& language);

} // namespace cli
