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

} // namespace serial
