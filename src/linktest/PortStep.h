#pragma once

#include "LinkTestRun.h"
#include "platform/SerialPort.h"

#include <cstdint>
#include <string>

namespace linktest {

// One step of a link test on a port: what came back is read and matched, then the packet due
// is sent. A packet is due only once the driver took the last one whole (outgoing holds what
// it has not taken yet), so a line slower than the plan sends fewer packets rather than
// queueing them and counting the queue as round trip. False when the port's device is gone.
bool stepOnPort(
    LinkTest& test, std::string& outgoing, platform::SerialPort& port, std::int64_t nowMs);

} // namespace linktest
