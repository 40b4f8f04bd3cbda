#pragma once

#include "CommandLine.h"
#include "ExitCode.h"
#include "PortTargets.h"
#include "ProbeCache.h"
#include "Record.h"
#include "core/Language.h"
#include "platform/SerialPort.h"

#include <ostream>
#include <vector>

namespace cli {

// bench FILE: on each port at once, one radio after another: waits until a radio answers, applies
// the file (with the next ID of --id-from), verifies, records the unit and prints one line for it
// (the terminal bell on err for a failure), then waits until the radio is gone (no answer for
// kGoneAfter, another radio, or the device removed) before the next. A signal or the time limit
// between radios ends it with a summary; during a write the write steps end first. The status is
// the first failed unit's, else success.
ExitCode runBench(const Request& request, const radio::RadioSettings& file,
    const std::vector<PortTarget>& targets, platform::SerialPortProvider& ports, ProbeCache& cache,
    Record* record, const core::Language& language, std::ostream& out, std::ostream& err,
    bool errIsTerminal);

} // namespace cli
