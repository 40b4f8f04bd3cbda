// Received frames, the write acknowledgement, the parameter answers and the write frames.
// The whole input is taken as a received buffer; its bytes also choose the parameter boxes and
// the ID text of the write frames.
#include "FuzzCheck.h"
#include "ParameterRecorder.h"
#include "RadioModel.h"
#include "StatusRecorder.h"
#include "radio/CommandFrame.h"
#include "radio/RadioParameters.h"
#include "serial/SerialLink.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <optional>
#include <string>
#include <variant>

namespace {

using Bytes = std::vector<std::uint8_t>;

void checkValidation(const Bytes& buffer)
{
    const bool valid = radio::ValidateFrame(buffer);
    const bool ack = radio::IsWriteAck(buffer);
    FUZZ_CHECK(ack
        == (buffer.size() >= radio::kWriteAck.size()
            && std::equal(radio::kWriteAck.begin(), radio::kWriteAck.end(), buffer.begin())));
    FUZZ_CHECK(!(ack && valid)); // the acknowledgement's length 2 is below the valid range
    if (buffer.size() < 3 || buffer[0] != radio::kHeader1 || buffer[1] != radio::kHeader2) {
        FUZZ_CHECK(!valid);
        return;
    }
    const std::size_t length = buffer[2];
    if (length < radio::kMinValidLength || length > radio::kMaxValidLength) {
        FUZZ_CHECK(!valid);
        return;
    }
    if (buffer.size() < length + 2) {
        FUZZ_CHECK(!valid);
        return;
    }
    // Sealing the frame's first L + 2 bytes with their sum always gives a valid frame, and the
    // same one when the buffer already was valid.
    radio::CommandFrame sealed(buffer.begin(), buffer.begin() + static_cast<long>(length + 2));
    radio::AppendChecksum(sealed);
    FUZZ_CHECK(sealed.size() == length + 4);
    FUZZ_CHECK(radio::ValidateFrame(sealed));
    if (buffer.size() < length + 4) {
        FUZZ_CHECK(!valid);
        return;
    }
    FUZZ_CHECK(valid == std::equal(sealed.begin(), sealed.end(), buffer.begin()));
    if (!valid)
        return;
    Bytes longer = buffer;
    longer.push_back(0xFF);
    FUZZ_CHECK(radio::ValidateFrame(longer)); // bytes after the frame are ignored
    FUZZ_CHECK(!radio::ValidateFrame(buffer.data(), length + 3, 0x55, 0xAA));
    Bytes altered = buffer;
    altered[3] ^= 0x01; // the sum moves by one and cannot match any more
    FUZZ_CHECK(!radio::ValidateFrame(altered));
    Bytes shifted = {0x00};
    shifted.insert(shifted.end(), buffer.begin(), buffer.end());
    FUZZ_CHECK(!radio::ValidateFrame(shifted)); // only the start of a buffer is looked at
}

void checkAnswers(const Bytes& buffer, std::uint8_t speedIndex, std::uint8_t parityIndex)
{
    const bool valid = radio::ValidateFrame(buffer);
    fakes::ParameterRecorder view;
    fakes::StatusRecorder status;
    status.setText(core::StatusPanel::ModelVersion,
        radio::modelVersionText(buffer.size() > 5 ? buffer[5] : 0));
    radio::RadioParameters radio;
    const bool connected = radio::CheckConnectResponse(buffer, radio);
    if (connected)
        FUZZ_CHECK(valid && buffer[4] <= 16);
    if (valid)
        FUZZ_CHECK(radio.model == buffer[4] && radio.version == buffer[5]);

    bool allRead = true;
    for (int step = 0; step < 4; ++step) {
        const bool taken = radio::ParseReadResponse(step, buffer, radio);
        FUZZ_CHECK(!taken || valid);
        if (taken && step == 0)
            radio::ShowModel(radio, view, status);
        allRead = allRead && taken;
    }
    if (!allRead)
        return;
    for (std::size_t i = 0; i < 3; ++i)
        FUZZ_CHECK(radio.id[i] == (buffer[4 + i] > 0x99 ? 0 : buffer[4 + i]));
    FUZZ_CHECK(view.model == status.text(core::StatusPanel::ModelVersion));

    serial::LinkSettings link;
    link.speedIndex = speedIndex;
    link.parityIndex = parityIndex;
    radio::FillParameterControls(radio, link, view);
    FUZZ_CHECK(radio.channel <= 128 && radio.airRate <= 5);
    FUZZ_CHECK(
        view.channel == (radio.channel >= 1 && radio.channel <= 32 ? radio.channel - 1 : -1));
    FUZZ_CHECK(view.airRate == (radio.airRate < 5 ? radio.airRate : -1));
    FUZZ_CHECK(view.id == radio::idBytesToText(radio.id));
    const bool decimal = std::all_of(radio.id.begin(), radio.id.end(),
        [](std::uint8_t b) { return (b >> 4) <= 9 && (b & 0x0F) <= 9; });
    if (decimal)
        FUZZ_CHECK(radio::idTextToBytes(view.id) == radio.id);
}

// The write frames of the four steps for the chosen boxes and the last read's bytes, checked
// against the simulated radio's own reading of them.
void checkWriteFrames(FuzzedDataProvider& input)
{
    fakes::ParameterRecorder view;
    const int channel = input.ConsumeIntegralInRange(-1, 40);
    const int speed = input.ConsumeIntegralInRange(-1, 7);
    const int parity = input.ConsumeIntegralInRange(-1, 3);
    std::optional<radio::WriteValues> lastRead;
    if (input.ConsumeBool()) {
        lastRead.emplace();
        lastRead->airRate = input.ConsumeIntegral<std::uint8_t>();
        for (auto& b : lastRead->id)
            b = input.ConsumeIntegral<std::uint8_t>();
    }
    view.showChannel(channel);
    view.showSerialMode(speed, parity);

    const auto taken = radio::takeWriteValues(view.enteredValues(), lastRead);
    const int shownChannel = view.channel;
    const int shownSpeed = view.speed;
    const int shownParity = view.parity;
    if (const auto* missing = std::get_if<radio::WriteValue>(&taken)) {
        // Nothing is made up: a write without a read or with an empty box does not happen.
        FUZZ_CHECK(!lastRead || shownChannel < 0 || shownSpeed < 0 || shownParity < 0);
        if (!lastRead)
            FUZZ_CHECK(*missing == radio::WriteValue::AirRateAndId);
        return;
    }
    FUZZ_CHECK(lastRead && shownChannel >= 0 && shownSpeed >= 0 && shownParity >= 0);
    const auto& values = std::get<radio::WriteValues>(taken);
    const radio::CommandFrame prefixes[] = {radio::writeAirRatePrefix(), radio::writeIdPrefix(),
        radio::writeChannelPrefix(), radio::writeSerialModePrefix()};
    radiosim::Radio radio({}, 1);
    for (int step = 0; step < 4; ++step) {
        radio::CommandFrame frame = prefixes[step];
        radio::EncodeWriteFrame(step, frame, values);
        FUZZ_CHECK(radio::ValidateFrame(frame) && frame.size() == frame[2] + 4u);
        FUZZ_CHECK(std::equal(frame.begin(), frame.begin() + 4, prefixes[step].begin()));
        const radiosim::Reply reply = radio.answer(frame);
        if (step == 3 && shownSpeed <= 5) {
            // The radio moves to exactly the speed and parity that the boxes show.
            FUZZ_CHECK(reply.serialAfterAnswer.has_value());
            FUZZ_CHECK(reply.serialAfterAnswer->baud
                == serial::baudForSpeedIndex(static_cast<std::uint8_t>(shownSpeed)));
            FUZZ_CHECK(reply.serialAfterAnswer->parity
                == serial::parityForIndex(static_cast<std::uint8_t>(shownParity)));
        }
    }
    // The radio's own air rate and ID go back unchanged; the channel is the box's.
    FUZZ_CHECK(radio.airRate() == lastRead->airRate && radio.id() == lastRead->id);
    FUZZ_CHECK(radio.channel() == shownChannel + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Bytes buffer(data, data + size);
    checkValidation(buffer);
    FuzzedDataProvider input(data, size);
    const auto speedIndex = input.ConsumeIntegral<std::uint8_t>();
    const auto parityIndex = input.ConsumeIntegral<std::uint8_t>();
    checkAnswers(buffer, speedIndex, parityIndex);
    checkWriteFrames(input);
    return 0;
}
