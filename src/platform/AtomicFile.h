#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace platform {

// Makes the bytes the whole content of the file at path, or leaves the path as it was: they go
// to a new file beside it, which replaces the path only once every byte has reached the disk,
// and which is removed when anything fails; the folder is synced after the rename. A symlink is
// followed: its target gets the content. An existing file keeps its permissions and owner (one
// whose owner cannot be kept is not replaced); a new one gets 0666 less the umask. Returns the
// system's reason for a failure.
std::optional<std::string> writeFileAtomically(
    const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace platform
