#pragma once

#include "radio/SettingsFile.h"

#include <mutex>
#include <optional>
#include <string>

namespace cli {

// The serial mode at which each device last answered, kept between runs so that the next probe
// of the same device starts there. One line a device, "19200-N KEY", the most recent first, KEY
// being the device's identity escaped as printable() does. A missing, unreadable or damaged
// file is an empty cache, and one that cannot be written is no failure: it only costs time.
class ProbeCache
{
public:
    // No path: a cache that keeps nothing.
    explicit ProbeCache(std::string path);

    // $XDG_CACHE_HOME/radiomodem/probe-modes, else ~/.cache/radiomodem/probe-modes; empty when
    // neither variable gives an absolute folder.
    static std::string defaultPath();

    std::optional<radio::SerialMode> find(const std::string& identity) const;
    // Replaces the file atomically; safe from several threads at once.
    void remember(const std::string& identity, const radio::SerialMode& mode);

private:
    std::string m_path;
    mutable std::mutex m_mutex;
};

// The mode a probe of the device tries first: from (--from), else the mode the command's file
// sets, else the one at which the device last answered; none: the window's first guess.
std::optional<radio::SerialMode> firstMode(const std::optional<radio::SerialMode>& from,
    const std::optional<radio::SerialMode>& fileMode, const ProbeCache& cache,
    const std::string& identity);

} // namespace cli
