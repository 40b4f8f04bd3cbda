#pragma once

#include "RadioParameters.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace radio {

// The version of the settings' text form that this program reads and writes.
constexpr int kSettingsFormat = 1;
// The highest channel and air rate index the window's lists offer; settings stay within them.
constexpr int kHighestSettingsChannel = 32;
constexpr int kHighestSettingsAirRate = 4; // 19200 to 1200 bit/s

struct SerialMode
{
    std::uint8_t speedIndex = 0; // 0 19200 .. 5 300 bit/s
    std::uint8_t parityIndex = 0; // 0 none, 1 odd, 2 even

    bool operator==(const SerialMode&) const = default;
};

// The radio's values as a settings file carries them: each may be left out, and the radio then
// keeps its own; model, port and read-at are for information and never reach a radio.
struct RadioSettings
{
    int format = kSettingsFormat;
    std::optional<std::uint8_t> channel;
    std::optional<std::uint8_t> airRate;
    std::optional<SerialMode> serial;
    std::optional<IdBytes> id;
    std::string model;
    std::string port;
    std::string readAt;

    bool operator==(const RadioSettings&) const = default;
};

// Decimal digits only, no sign, at most high.
std::optional<int> parseDecimal(std::string_view text, int high);
// "9600-N": a speed of the port's list, a dash and the parity letter N, O or E.
std::optional<SerialMode> parseSerialMode(std::string_view text);
// Six decimal digits, or "0x" and six hex digits.
std::optional<IdBytes> parseId(std::string_view text);
// The ID as a file and the change preview show it: six digits when every nibble is a decimal
// digit, else "0x" and the three bytes in hex.
std::string idText(const IdBytes& id);
// "9600-N".
std::string serialModeText(const SerialMode& mode);

// Settings holding each of the radio's values that a file can carry; a channel or air rate
// outside the window's lists is left out, so the file loads again.
RadioSettings settingsOf(const WriteValues& held);
// settingsOf the held values, with the model/version text, the port ("COM1 /dev/ttyUSB0", the
// device left out when empty) and the time of the read for information.
RadioSettings settingsFromRead(std::uint8_t version, const WriteValues& held,
    std::uint8_t portNumber, const std::string& device, const std::string& readAt);
// The values a write sends when the file's values take the place of the radio's own.
WriteValues applySettings(WriteValues held, const RadioSettings& settings);

} // namespace radio
