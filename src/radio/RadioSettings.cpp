#include "RadioSettings.h"

#include "serial/SerialLink.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace radio {

std::optional<int> parseDecimal(std::string_view text, int high)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || text[0] == '-' || ec != std::errc() || ptr != end || value > high)
        return std::nullopt;
    return value;
}

std::optional<SerialMode> parseSerialMode(std::string_view text)
{
    const auto dash = text.find('-');
    if (dash == std::string_view::npos || dash + 2 != text.size())
        return std::nullopt;
    const auto baud = parseDecimal(text.substr(0, dash), 19200);
    const auto letter = static_cast<char>(text[dash + 1]);
    SerialMode mode;
    for (mode.parityIndex = 0; mode.parityIndex < 3; ++mode.parityIndex) {
        if (serial::parityLetterForIndex(mode.parityIndex) == letter)
            break;
    }
    for (mode.speedIndex = 0; baud && mode.parityIndex < 3 && mode.speedIndex < serial::kSpeedCount;
         ++mode.speedIndex) {
        if (serial::baudForSpeedIndex(mode.speedIndex) == static_cast<std::uint32_t>(*baud))
            return mode;
    }
    return std::nullopt;
}

std::optional<IdBytes> parseId(std::string_view text)
{
    const bool raw = text.size() == 8 && text.substr(0, 2) == "0x";
    const std::string_view digits = raw ? text.substr(2) : text;
    const char* allowed = raw ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.size() != 6 || digits.find_first_not_of(allowed) != std::string_view::npos)
        return std::nullopt;
    IdBytes id {};
    for (std::size_t i = 0; i < id.size(); ++i)
        std::from_chars(digits.data() + 2 * i, digits.data() + 2 * i + 2, id[i], 16);
    return id;
}

std::string idText(const IdBytes& id)
{
    const bool bcd = std::all_of(id.begin(), id.end(),
        [](std::uint8_t byte) { return (byte >> 4) <= 9 && (byte & 0x0F) <= 9; });
    if (bcd)
        return idBytesToText(id);
    char hex[9];
    std::snprintf(hex, sizeof hex, "0x%02X%02X%02X", id[0], id[1], id[2]);
    return hex;
}

std::string serialModeText(const SerialMode& mode)
{
    return serial::speedTextForIndex(mode.speedIndex) + "-"
        + serial::parityLetterForIndex(mode.parityIndex);
}

RadioSettings settingsFromRead(std::uint8_t version, const WriteValues& held,
    std::uint8_t portNumber, const std::string& device, const std::string& readAt)
{
    RadioSettings settings = settingsOf(held);
    settings.model = modelVersionText(version);
    settings.port
        = serial::portNameForListIndex(portNumber - 1) + (device.empty() ? "" : " " + device);
    settings.readAt = readAt;
    return settings;
}

RadioSettings settingsOf(const WriteValues& held)
{
    RadioSettings settings;
    if (held.channel >= 1 && held.channel <= kHighestSettingsChannel)
        settings.channel = held.channel;
    if (held.airRate <= kHighestSettingsAirRate)
        settings.airRate = held.airRate;
    settings.serial = SerialMode {held.speedIndex, held.parityIndex};
    settings.id = held.id;
    return settings;
}

WriteValues applySettings(WriteValues held, const RadioSettings& settings)
{
    held = applyOverride(held, {settings.airRate, settings.id});
    held.channel = settings.channel.value_or(held.channel);
    if (settings.serial) {
        held.speedIndex = settings.serial->speedIndex;
        held.parityIndex = settings.serial->parityIndex;
    }
    return held;
}

} // namespace radio
