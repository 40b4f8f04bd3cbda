#include "RadioParameters.h"

#include <algorithm>

namespace radio {

namespace {

constexpr std::uint8_t kModelOffset = 4;
constexpr std::uint8_t kVersionOffset = 5;
constexpr std::uint8_t kValueOffset = 4;
constexpr std::uint8_t kHighestModel = 16;
constexpr std::uint8_t kHighestBcdByte = 0x99;
constexpr std::uint8_t kHighestChannel = 128;
constexpr std::uint8_t kHighestAirRate = 5;
constexpr int kHighestSpeedIndex = 5;
constexpr std::size_t kIdLength = 6;

} // namespace

std::optional<std::uint32_t> airRateBitsPerSecond(std::uint8_t index)
{
    static constexpr std::array<std::uint32_t, 5> kRates = {19200, 9600, 4800, 2400, 1200};
    if (index < kRates.size())
        return kRates[index];
    return std::nullopt;
}

std::string modelVersionText(std::uint8_t version)
{
    return "TALVEX" + std::to_string(version >> 4) + "." + std::to_string(version & 0x0F);
}

std::uint8_t SerialModeByte(std::uint8_t speedIndex, std::uint8_t parityIndex)
{
    switch (parityIndex) {
    case 1:
        return static_cast<std::uint8_t>(speedIndex + 0x20);
    case 2:
        return static_cast<std::uint8_t>(speedIndex + 0x30);
    default:
        return speedIndex;
    }
}

IdBytes idTextToBytes(const std::string& text)
{
    std::string padded = text;
    if (padded.size() < kIdLength)
        padded.resize(kIdLength, ' ');
    IdBytes id {};
    for (std::size_t i = 0; i < id.size(); ++i) {
        const int first = static_cast<unsigned char>(padded[2 * i]) - '0';
        const int second = static_cast<unsigned char>(padded[2 * i + 1]) - '0';
        id[i] = static_cast<std::uint8_t>(first * 16 + second);
    }
    return id;
}

std::string idBytesToText(const IdBytes& id)
{
    std::string text;
    for (const std::uint8_t byte : id)
        text += std::to_string(byte >> 4) + std::to_string(byte & 0x0F);
    return text;
}

bool CheckConnectResponse(const std::vector<std::uint8_t>& answer, RadioParameters& radio)
{
    if (!ValidateFrame(answer))
        return false;
    radio.model = answer[kModelOffset];
    radio.version = answer[kVersionOffset];
    return radio.model <= kHighestModel;
}

WriteValues heldValues(const RadioParameters& radio, const serial::LinkSettings& link)
{
    return {radio.reported.airRate, radio.reported.id, radio.channel, link.speedIndex,
        link.parityIndex};
}

void ShowModel(const RadioParameters& radio, ParameterView& view, const core::StatusBar& status)
{
    // Model 10 has no settable air rate: the box keeps its state.
    view.showModel(status.text(core::StatusPanel::ModelVersion), radio.model != 10);
}

bool ParseReadResponse(int step, const std::vector<std::uint8_t>& answer, RadioParameters& radio)
{
    if (!ValidateFrame(answer))
        return false;
    switch (step) {
    case 0:
        radio.model = answer[kModelOffset];
        radio.version = answer[kVersionOffset];
        switch (radio.model) {
        case 1:
        case 2:
        case 3:
        case 10:
        case 16:
            return true;
        default:
            return false;
        }
    case 1:
        radio.airRate = answer[kValueOffset];
        radio.reported.airRate = radio.airRate;
        return true;
    case 2:
        radio.channel = answer[kValueOffset];
        return true;
    case 3:
        for (std::size_t i = 0; i < radio.id.size(); ++i) {
            const std::uint8_t byte = answer[kValueOffset + i];
            radio.reported.id[i] = byte;
            radio.id[i] = byte > kHighestBcdByte ? 0 : byte;
        }
        return true;
    default:
        return false;
    }
}

void FillParameterControls(
    RadioParameters& radio, const serial::LinkSettings& link, ParameterView& view)
{
    if (radio.channel > kHighestChannel)
        radio.channel = 1;
    view.showChannel(radio.channel - 1);
    if (radio.airRate > kHighestAirRate)
        radio.airRate = 1;
    view.showAirRate(radio.airRate);
    view.showSerialMode(link.speedIndex, link.parityIndex);
    view.showId(idBytesToText(radio.id));
}

std::variant<WriteValues, WriteValue> takeWriteValues(
    const EnteredValues& entered, const std::optional<WriteValues>& held)
{
    if (!held)
        return WriteValue::AirRateAndId;
    if (entered.channelIndex < 0)
        return WriteValue::Channel;
    if (entered.speedIndex < 0)
        return WriteValue::SerialSpeed;
    if (entered.parityIndex < 0)
        return WriteValue::SerialParity;
    WriteValues values = *held;
    values.channel = static_cast<std::uint8_t>(
        entered.channelIndex > kHighestChannel ? 1 : entered.channelIndex + 1);
    values.speedIndex = static_cast<std::uint8_t>(
        entered.speedIndex > kHighestSpeedIndex ? 1 : entered.speedIndex);
    values.parityIndex = static_cast<std::uint8_t>(entered.parityIndex);
    return values;
}

WriteValues applyOverride(WriteValues values, const WriteOverride& override)
{
    values.airRate = override.airRate.value_or(values.airRate);
    values.id = override.id.value_or(values.id);
    return values;
}

void EncodeWriteFrame(int step, CommandFrame& frame, const WriteValues& values)
{
    // The whole frame, L + 4 bytes; data bytes the step does not set (the three after the
    // channel) stay zero.
    frame.resize(frame.at(2) + 4u, 0);
    switch (step) {
    case 0:
        frame.at(5) = values.airRate;
        break;
    case 1:
        std::copy(values.id.begin(), values.id.end(), frame.begin() + 4);
        break;
    case 2:
        frame.at(4) = values.channel;
        break;
    default:
        frame.at(4) = SerialModeByte(values.speedIndex, values.parityIndex);
        break;
    }
    AppendChecksum(frame);
}

} // namespace radio
