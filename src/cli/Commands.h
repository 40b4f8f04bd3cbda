#pragma once

#include "CommandLine.h"
#include "ExitCode.h"
#include "core/Language.h"
#include "platform/SerialPort.h"

#include <ostream>

namespace cli {

// Runs a parsed command: results to out (a table, or JSON with --json), one line a failure to
// err, progress to err only when it is a terminal and --quiet is not given.
ExitCode runCommand(const Request& request, platform::SerialPortProvider& ports,
    const core::Language& language, std::ostream& out, std::ostream& err, bool errIsTerminal);

} // namespace cli
