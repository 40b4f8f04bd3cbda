#pragma once

#include "CommandLine.h"
#include "core/Language.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

// The command line's vocabulary: its options and commands, what goes with what, and the help
// made from them.
struct Option
{
    const char* name;
    char letter; // the short name, 0 for none
    const char* value; // the value's name in the help, null for an option without value
    core::Bilingual help;
};

const std::vector<Option>& options();

struct CommandInfo
{
    const char* name;
    Command command;
    const char* arguments; // what follows the name in the usage line
    core::Bilingual summary;
    std::vector<const char*> examples;
};

const std::vector<CommandInfo>& commands();

// By name (without the dashes) or short letter; null when there is none.
const CommandInfo* findCommand(const std::string& name);
const Option* findOption(const std::string& name);
const Option* findLetter(char letter);
// The options each command takes besides --json, --json-lines, --quiet and --help.
bool allowed(Command command, const std::string& option);

// "; did you mean --json?", or nothing.
std::string didYouMean(const std::optional<std::string>& name, const core::Language& language);

// "unknown option --jsno; did you mean --json?", or "... (see --help)" when nothing is close.
core::Bilingual unknownName(
    const core::Bilingual& kind, const std::string& name, const std::vector<std::string>& known);
std::vector<std::string> optionNames();
std::vector<std::string> commandNames();

// The help of one command, and of the whole program.
std::string commandHelp(const CommandInfo& info, const core::Language& language);
std::string generalHelp(const core::Language& language);

} // namespace cli
