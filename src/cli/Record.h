#pragma once

#include "RadioConversation.h"
#include "core/Language.h"

#include <mutex>
#include <optional>
#include <string>

namespace cli {

// What a bench keeps of each radio it handled: one line a radio, CSV with a header line, or
// JSON Lines. Each line is appended and reaches the file before the next radio is handled, so
// that a crash loses nothing recorded before it.
class Record
{
public:
    // Opens path for appending, creating it; "-" is standard output. A file that is new or
    // empty gets the CSV header first.
    Record(const std::string& path, bool json);
    ~Record();
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    // Why the file did not open, else nothing.
    const std::optional<core::Bilingual>& error() const { return m_error; }
    // One radio: unit is its number in a bench run, 0 for none. Safe from several threads;
    // false when the line could not be written.
    bool append(int unit, const PortResult& result);

    static const char* const kCsvHeader;
    // The line append() writes, with its line break.
    static std::string line(int unit, const PortResult& result, bool json);

private:
    int m_fd = -1;
    bool m_json = false;
    bool m_ownFd = false;
    std::optional<core::Bilingual> m_error;
    std::mutex m_mutex;
};

} // namespace cli
