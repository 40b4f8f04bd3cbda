#include "RadioParameters.h"

namespace radio {

using core::Ctl;

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

bool isBlank(const std::string& text)
{
    return text.find_first_not_of(' ') == std::string::npos;
}

// The box whose selection step 0, 2 or 3 encodes; the ID of step 1 is a text.
std::vector<Ctl> writeSources(int step)
{
    switch (step) {
    case 0:
        return {Ctl::ComboAirBaud};
    case 1:
        return {Ctl::EditID};
    case 2:
        return {Ctl::ComboChnn};
    case 3:
        return {Ctl::ComboRadioSerBaud, Ctl::ComboRadioParity};
    default:
        return {};
    }
}

} // namespace

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

bool CheckConnectResponse(
    const std::vector<std::uint8_t>& answer, RadioParameters& radio, core::Ui& ui)
{
    if (!ValidateFrame(answer))
        return false;
    radio.model = answer[kModelOffset];
    radio.version = answer[kVersionOffset];
    if (radio.model > kHighestModel)
        return false;
    ui.setStatusText(0, modelVersionText(radio.version));
    return true;
}

bool ParseReadResponse(
    int step, const std::vector<std::uint8_t>& answer, RadioParameters& radio, core::Ui& ui)
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
        case 16:
            ui.setText(Ctl::EditModelVer, ui.statusText(0));
            ui.setEnabled(Ctl::ComboAirBaud, true);
            return true;
        case 10:
            // This model has no settable air rate: the box keeps its state.
            ui.setText(Ctl::EditModelVer, ui.statusText(0));
            return true;
        default:
            return false;
        }
    case 1:
        radio.airRate = answer[kValueOffset];
        return true;
    case 2:
        radio.channel = answer[kValueOffset];
        return true;
    case 3:
        for (std::size_t i = 0; i < radio.id.size(); ++i) {
            const std::uint8_t byte = answer[kValueOffset + i];
            radio.id[i] = byte > kHighestBcdByte ? 0 : byte;
        }
        return true;
    default:
        return false;
    }
}

void FillParameterControls(RadioParameters& radio, const serial::LinkSettings& link, core::Ui& ui)
{
    if (radio.channel > kHighestChannel)
        radio.channel = 1;
    ui.setCurrentIndex(Ctl::ComboChnn, radio.channel - 1);
    if (radio.airRate > kHighestAirRate)
        radio.airRate = 1;
    ui.setCurrentIndex(Ctl::ComboAirBaud, radio.airRate);
    ui.setCurrentIndex(Ctl::ComboRadioSerBaud, link.speedIndex);
    ui.setCurrentIndex(Ctl::ComboRadioParity, link.parityIndex);
    ui.setText(Ctl::EditID, idBytesToText(radio.id));
}

std::optional<Ctl> missingWriteValue(const core::Ui& ui, int step)
{
    for (const Ctl source : writeSources(step)) {
        const bool missing
            = source == Ctl::EditID ? isBlank(ui.text(source)) : ui.currentIndex(source) < 0;
        if (missing)
            return source;
    }
    return std::nullopt;
}

std::optional<Ctl> missingWriteValue(const core::Ui& ui)
{
    for (int step = 0; step < 4; ++step) {
        if (const auto missing = missingWriteValue(ui, step))
            return missing;
    }
    return std::nullopt;
}

bool EncodeWriteFrame(int step, CommandFrame& frame, const core::Ui& ui)
{
    if (step < 0 || step > 3 || missingWriteValue(ui, step))
        return false;
    // The whole frame, L + 4 bytes; data bytes the step does not set (the three after the
    // channel) stay zero.
    frame.resize(frame.at(2) + 4u, 0);
    switch (step) {
    case 0: {
        const int index = ui.currentIndex(Ctl::ComboAirBaud);
        frame.at(5) = static_cast<std::uint8_t>(index > kHighestAirRate ? 1 : index);
        break;
    }
    case 1: {
        const IdBytes id = idTextToBytes(ui.text(Ctl::EditID));
        for (std::size_t i = 0; i < id.size(); ++i)
            frame.at(4 + i) = id[i];
        break;
    }
    case 2: {
        const int index = ui.currentIndex(Ctl::ComboChnn);
        frame.at(4) = static_cast<std::uint8_t>(index > kHighestChannel ? 1 : index + 1);
        break;
    }
    default: {
        const int speed = ui.currentIndex(Ctl::ComboRadioSerBaud);
        frame.at(4)
            = SerialModeByte(static_cast<std::uint8_t>(speed > kHighestSpeedIndex ? 1 : speed),
                static_cast<std::uint8_t>(ui.currentIndex(Ctl::ComboRadioParity)));
        break;
    }
    }
    AppendChecksum(frame);
    return true;
}

} // namespace radio
