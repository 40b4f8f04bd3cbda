#pragma once

#include "CommandFrame.h"
#include "ParameterView.h"
#include "core/StatusBar.h"
#include "serial/SerialLink.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace radio {

using IdBytes = std::array<std::uint8_t, 3>;

// The radio's own air rate and ID bytes, exactly as its answers carried them. Their controls are
// hidden from the user, so a write sends these back unchanged.
struct ReportedBytes
{
    std::uint8_t airRate = 0;
    IdBytes id {};

    bool operator==(const ReportedBytes&) const = default;
};

// The values last received from the radio. Its serial speed and parity are not among them:
// the radio answers only at its own serial settings, so the link settings that found it are
// its settings.
struct RadioParameters
{
    std::uint8_t model = 0;
    std::uint8_t version = 0; // high nibble major, low nibble minor
    std::uint8_t airRate = 0; // index into the air rate list
    std::uint8_t channel = 0; // counted from 1
    IdBytes id {}; // six digits as packed BCD, first pair first; a non-BCD byte is kept as 0
    ReportedBytes reported; // before the adjustments above
};

// Everything a write puts into the radio, taken at once when the write starts, so that a box
// changed or emptied while the write runs cannot change what goes out.
struct WriteValues
{
    std::uint8_t airRate = 0;
    IdBytes id {};
    std::uint8_t channel = 0; // counted from 1
    std::uint8_t speedIndex = 0;
    std::uint8_t parityIndex = 0;

    bool operator==(const WriteValues&) const = default;
};

// What a loaded settings file puts into the next write in place of the radio's own air rate and
// ID; a value the file left out stays unset and the radio's own is sent. The file's channel and
// serial mode go into their boxes instead.
struct WriteOverride
{
    std::optional<std::uint8_t> airRate;
    std::optional<IdBytes> id;

    bool empty() const { return !airRate && !id; }
    bool operator==(const WriteOverride&) const = default;
};

// The values with the override's air rate and ID put in where it has them.
WriteValues applyOverride(WriteValues values, const WriteOverride& override);

// A value that a write cannot do without. The air rate and the ID come together from a read.
enum class WriteValue { AirRateAndId, Channel, SerialSpeed, SerialParity };

// The air rate an index of the air rate list stands for, 19200 to 1200 bit/s for 0 to 4; none for a
// code beyond the list, which only a radio can report.
std::optional<std::uint32_t> airRateBitsPerSecond(std::uint8_t index);

// "TALVEX" + major + "." + minor, e.g. TALVEX1.2 for 0x12 and TALVEX10.5 for 0xA5.
std::string modelVersionText(std::uint8_t version);

// Data byte of the serial mode write: speed index, plus 0x20 for odd or 0x30 for even parity.
std::uint8_t SerialModeByte(std::uint8_t speedIndex, std::uint8_t parityIndex);

// Each character pair gives ((first - '0') * 16 + (second - '0')) mod 256; any character is
// taken as it is. A text shorter than six characters counts as padded with mask blanks.
IdBytes idTextToBytes(const std::string& text);
// The decimal value of each nibble in turn, so a nibble of 10 to 15 gives two characters.
std::string idBytesToText(const IdBytes& id);

// The probe's answer: valid when the frame passes and the model is at most 16; the model and
// version are stored even when the model is refused.
bool CheckConnectResponse(const std::vector<std::uint8_t>& answer, RadioParameters& radio);

// The answer to read step 0 (model/version: models 1, 2, 3, 10 and 16 are known), 1 (air
// rate), 2 (channel) or 3 (ID).
bool ParseReadResponse(int step, const std::vector<std::uint8_t>& answer, RadioParameters& radio);

// What the radio holds: the air rate and ID its answers carried, its channel, and the serial mode
// it answered at. The one source of the values a write starts from, in the window and the
// command line alike.
WriteValues heldValues(const RadioParameters& radio, const serial::LinkSettings& link);

// After read step 0: the model/version box shows what status panel 0 shows, and the air rate
// box is enabled for the models that have a settable air rate (all but model 10).
void ShowModel(const RadioParameters& radio, ParameterView& view, const core::StatusBar& status);

// Shows what the read brought in the parameter boxes; out-of-range channels and air rates
// are replaced by 1 first. The serial boxes show the link settings the radio answered at.
void FillParameterControls(
    RadioParameters& radio, const serial::LinkSettings& link, ParameterView& view);

// The values of a write: the air rate and ID the radio holds (nullopt when no read has
// succeeded), the channel, speed and parity as entered. When one is missing (no read yet, or a
// box without a selection), the first such value in write order instead, so that no made-up
// value reaches the radio.
std::variant<WriteValues, WriteValue> takeWriteValues(
    const EnteredValues& entered, const std::optional<WriteValues>& held);

// Puts the parameter bytes of write step 0 to 3 into the step's prefix (the three data bytes
// after the channel are zeros) and closes the frame with the sum.
void EncodeWriteFrame(int step, CommandFrame& frame, const WriteValues& values);

} // namespace radio
