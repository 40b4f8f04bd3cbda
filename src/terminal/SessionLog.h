#pragma once

#include "TextEncoding.h"
#include "core/Language.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace terminal {

// The local time of day of a wall clock reading, "hh:mm:ss.zzz".
std::string localTimeText(std::int64_t wallMs);

// One line of a session log: local date and time with milliseconds, RX or TX, the byte count,
// the bytes in hex and as text in the terminal's encoding, every control character and every
// byte that is no character of the encoding shown as a dot. The hex is the exact record.
// "2024-05-01 09:30:00.125 RX 3 41 0D 0A |A..|"
std::string sessionLogLine(std::int64_t wallMs, bool sent, std::span<const std::uint8_t> bytes,
    TextEncoding encoding = TextEncoding::Utf8);

// A file that a session is logged into, line by line. Each line goes to the operating system
// before write returns, so a crash of the program loses nothing already written.
class SessionLog
{
public:
    SessionLog() = default;
    ~SessionLog();
    SessionLog(const SessionLog&) = delete;
    SessionLog& operator=(const SessionLog&) = delete;

    // Opens the file for appending, creating it if need be; the reason when it cannot. Only a
    // regular file is taken: a device, a FIFO or a folder is refused, without waiting.
    std::optional<core::Bilingual> open(const std::string& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }
    // Writes one whole line; the reason when the file did not take it all.
    std::optional<std::string> write(const std::string& line);

private:
    int m_fd = -1;
    std::string m_path;
};

} // namespace terminal
