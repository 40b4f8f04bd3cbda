#pragma once

#include "core/Language.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace platform {

struct FileWriteResult
{
    // The path is as it was: the system's reason, or what the path names instead of a file.
    std::optional<core::Bilingual> error;
    // The file holds the new content, but the rename may not have reached the disk yet: "its
    // folder could not be synced (reason), ...", to follow "Saved to PATH, but ".
    std::optional<core::Bilingual> warning;
};

// Makes the bytes the whole content of the file at path, or leaves the path as it was: they go
// to a new file beside it, which replaces the path only once every byte has reached the disk,
// and which is removed when anything fails; the folder is synced after the rename. Only a
// regular file is replaced: a device, FIFO, socket or folder at the path is refused before
// anything is written. A symlink is followed: its target gets the content. An existing file
// keeps its permissions and owner (one whose owner cannot be kept is not replaced); a new one
// gets 0666 less the umask.
FileWriteResult writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace platform
