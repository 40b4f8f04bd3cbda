#pragma once

#include "RadioSettings.h"
#include "core/Language.h"
#include "platform/AtomicFile.h"
#include "serial/SerialLink.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace radio {

// A settings file is UTF-8 text of "key = value" lines: one value a line, so a technician can
// read, edit and compare it in any editor, a refusal can name the line it is about, and the
// radio library stays free of a JSON parser. '#' starts a comment line; blank lines are allowed.
//
//     format = 1
//     channel = 21
//     air-rate = 1
//     serial = 9600-N
//     id = 123456
//     model = TALVEX1.2
//     port = COM1 /dev/ttyUSB0
//     read-at = 2024-05-17T10:42:07+02:00
//
// format is required. channel (1 to 32), air-rate (index 0 to 4), serial (speed and parity
// letter N, O or E) and id (six digits, or 0x and six hex digits for bytes that are no packed
// BCD) may each be left out: the radio then keeps its own value. model, port and read-at are
// for information only and never reach a radio.
constexpr std::size_t kMaxSettingsFileBytes = 64 * 1024;
// A line holds at most this much, so that whatever loads is saved again within the file's limit.
constexpr std::size_t kMaxSettingsLineBytes = 8 * 1024;

// Why a file was refused: the line (0 when the fault is the file as a whole) and the key it is
// about (empty when none), and the reason.
struct SettingsError
{
    int line = 0;
    std::string key;
    core::Bilingual reason;
};

// "Line 3, channel: ..." / "第 3 行 channel:...".
std::string settingsErrorText(const SettingsError& error, const core::Language& language);

// Sets one value by its file key, as a file line "key = value" would; the refusal (without a
// line) when the key is unknown or the value out of range.
std::optional<SettingsError> setSettingsValue(
    RadioSettings& settings, std::string_view key, std::string_view value);

std::string serializeSettings(const RadioSettings& settings);

// Strict: an unknown or repeated key, a line without '=', a missing or unknown format, a value
// out of range, text that is no UTF-8 or longer than kMaxSettingsFileBytes, a line longer than
// kMaxSettingsLineBytes is refused.
std::variant<RadioSettings, SettingsError> parseSettings(std::string_view text);

// The file at path read and parsed; a file that cannot be read is refused with the system's
// reason, and a path that names no regular file (a device, a FIFO) is refused before anything
// is read from it, without waiting.
std::variant<RadioSettings, SettingsError> loadSettingsFile(const std::string& path);
// The settings read from an open descriptor to its end (standard input, a pipe) and parsed.
std::variant<RadioSettings, SettingsError> readSettings(int fd);
// Written atomically over a regular file or where nothing is (see writeFileAtomically).
platform::FileWriteResult saveSettingsFile(const std::string& path, const RadioSettings& settings);
// "Could not save settings to PATH" and the reason.
std::string saveFailureText(
    const std::string& path, const core::Bilingual& reason, const core::Language& language);
// "Settings saved to PATH, but" and the warning of a save that succeeded.
std::string saveWarningText(
    const std::string& path, const core::Bilingual& warning, const core::Language& language);
// "Could not load settings from PATH" and the refusal.
std::string loadFailureText(
    const std::string& path, const SettingsError& error, const core::Language& language);

} // namespace radio
