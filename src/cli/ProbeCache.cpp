#include "ProbeCache.h"

#include "core/PrintableText.h"
#include "platform/AtomicFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

namespace cli {

namespace {

// Enough for every adapter a bench sees; older entries drop off the end.
constexpr std::size_t kMaxEntries = 256;
constexpr std::size_t kMaxFileBytes = 64 * 1024;

using Entry = std::pair<std::string, radio::SerialMode>; // key, mode

std::vector<Entry> readEntries(const std::string& path)
{
    std::vector<Entry> entries;
    std::ifstream file(path, std::ios::binary);
    std::string line;
    for (std::size_t bytes = 0; entries.size() < kMaxEntries && std::getline(file, line);) {
        bytes += line.size() + 1;
        if (bytes > kMaxFileBytes)
            break;
        const auto space = line.find(' ');
        radio::RadioSettings parsed;
        if (space == std::string::npos || space + 1 == line.size()
            || radio::setSettingsValue(parsed, "serial", line.substr(0, space)))
            continue; // a damaged line is left out
        entries.emplace_back(line.substr(space + 1), *parsed.serial);
    }
    return entries;
}

} // namespace

ProbeCache::ProbeCache(std::string path) : m_path(std::move(path)) { }

std::string ProbeCache::defaultPath()
{
    const auto absolute = [](const char* value) { return value && value[0] == '/'; };
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); absolute(cache))
        return std::string(cache) + "/radiomodem/probe-modes";
    if (const char* home = std::getenv("HOME"); absolute(home))
        return std::string(home) + "/.cache/radiomodem/probe-modes";
    return {};
}

std::optional<radio::SerialMode> ProbeCache::find(const std::string& identity) const
{
    if (m_path.empty() || identity.empty())
        return std::nullopt;
    const std::lock_guard lock(m_mutex);
    const std::string key = core::printable(identity);
    for (const auto& [entryKey, mode] : readEntries(m_path)) {
        if (entryKey == key)
            return mode;
    }
    return std::nullopt;
}

void ProbeCache::remember(const std::string& identity, const radio::SerialMode& mode)
{
    if (m_path.empty() || identity.empty())
        return;
    const std::lock_guard lock(m_mutex);
    const std::string key = core::printable(identity);
    std::vector<Entry> entries = readEntries(m_path);
    if (!entries.empty() && entries.front() == Entry {key, mode})
        return;
    std::string text = radio::serialModeText(mode) + " " + key + "\n";
    std::size_t kept = 1;
    for (const auto& [entryKey, entryMode] : entries) {
        if (entryKey == key || kept == kMaxEntries)
            continue;
        text += radio::serialModeText(entryMode) + " " + entryKey + "\n";
        ++kept;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), error);
    platform::writeFileAtomically(
        m_path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::optional<radio::SerialMode> firstMode(const std::optional<radio::SerialMode>& from,
    const std::optional<radio::SerialMode>& fileMode, const ProbeCache& cache,
    const std::string& identity)
{
    if (from)
        return from;
    if (fileMode)
        return fileMode;
    return cache.find(identity);
}

} // namespace cli
