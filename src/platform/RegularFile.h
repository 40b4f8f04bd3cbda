#pragma once

#include "core/Language.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <variant>

namespace platform {

// The system's reason for an error number, the same text in both languages.
core::Bilingual systemReason(int error);

// Why path cannot be taken as a file: it names, through its symlinks, something that exists but
// is no regular file ("PATH is a device, not a file", the path made printable). Nothing for a
// regular file or for a path where nothing is.
std::optional<core::Bilingual> notARegularFile(const std::string& path);

// Opens path as a regular file with the flags of open(2) (O_RDONLY, O_WRONLY | O_CREAT | ...).
// Anything else is refused by name: before it is opened, since opening a device can act on it
// (a serial port raises its control lines), and again after, should the path have changed in
// between. The open itself never blocks, as it would on a FIFO until its other side opens. The
// file descriptor (blocking, close-on-exec), or the reason.
std::variant<int, core::Bilingual> openRegularFile(
    const std::string& path, int flags, mode_t mode = 0666);

} // namespace platform
