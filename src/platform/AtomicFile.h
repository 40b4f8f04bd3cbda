#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace platform {

// Makes the bytes the whole content of the file at path, or leaves the path as it was: they go
// to a new file beside it, which replaces the path only once every byte has reached the disk,
// and which is removed when anything fails. Returns the system's reason for a failure.
std::optional<std::string> writeFileAtomically(
    const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace platform
