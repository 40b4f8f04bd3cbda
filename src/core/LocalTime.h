#pragma once

#include <cstdint>
#include <string>

namespace core {

// A wall clock reading in local time, by a strftime format, with ".zzz" milliseconds after it
// when asked: "2024-05-01 09:30:00.125".
std::string localTime(const char* format, std::int64_t wallMs, bool withMillis = true);
// The local time now as ISO 8601 with its offset from UTC, e.g. 2026-12-08T12:30:16+0800.
std::string localTimestamp();

} // namespace core
