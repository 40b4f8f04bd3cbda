#pragma once

#include "CommandLine.h"
#include "ExitCode.h"
#include "core/Language.h"
#include "platform/SerialPort.h"

#include <ostream>

namespace cli {

// linktest: numbered packets to an echo station over the radio on one port, a line (or JSON
// line) per interval as it completes and a summary; exit 0 while the run's error rate stays
// below --max-loss, 6 when it does not. A signal stops the sending; the packets on their way
// are still waited for, then the summary is printed and the exit status is 8.
ExitCode runLinkTest(const Request& request, platform::SerialPortProvider& ports,
    const core::Language& language, std::ostream& out, std::ostream& err);

} // namespace cli
