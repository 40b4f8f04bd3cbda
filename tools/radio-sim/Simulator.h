#pragma once

#include "SimOptions.h"

namespace radiosim {

// Opens the ptys, announces them on stdout ("PTY1 <path>", "PTY2 <path>" with a link, then
// "READY") and acts as the radios on them until SIGTERM or SIGINT, or until the device vanishes
// on request. Returns the exit status; throws std::runtime_error when a pty cannot be set up.
int runSimulator(const SimOptions& options);

} // namespace radiosim
