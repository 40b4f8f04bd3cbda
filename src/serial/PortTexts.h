#pragma once

#include "core/Language.h"
#include "platform/SerialPort.h"

#include <string>

namespace serial {

// What stands behind COMn, in one line: "/dev/ttyUSB0 — FT232R USB UART (A50285BI)", or that
// there is no device (naming the one that was unplugged, if any).
std::string deviceLine(
    const platform::PortEntry& entry, int number, const core::Language& language);

// The line, then the stable by-id link and the USB vendor and product where there are some.
std::string deviceToolTip(
    const platform::PortEntry& entry, int number, const core::Language& language);

// The open error message: its first line, then why the open failed.
std::string openFailureText(
    const platform::OpenResult& result, const std::string& name, const core::Language& language);

// The reason a lost port that is back does not open again, for the status bar: tried again
// every second.
std::string reopenWaitText(
    const platform::OpenFailure& failure, const std::string& name, const core::Language& language);

// "No idle Port!", then a line for each COMn that has a device: the device and why it was
// refused when a search for a free port last tried it (no device, busy with the holder,
// permission with the command that grants it).
std::string noIdlePortText(
    const platform::SerialPortProvider& ports, const core::Language& language);

} // namespace serial
