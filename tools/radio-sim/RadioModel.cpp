#include "RadioModel.h"

#include "radio/CommandFrame.h"
#include "serial/SerialLink.h"

#include <algorithm>

namespace radiosim {

namespace {

constexpr std::uint8_t kSelectorAirRate = 0x05;
constexpr std::uint8_t kSelectorTxTestStart = 0x08;
constexpr std::uint8_t kSelectorTxTestStop = 0x09;
constexpr std::uint8_t kTxTestFrequencyVariant = 0x03;

// The length byte each request carries; a request of another length is not understood.
std::optional<std::uint8_t> requestLength(std::uint8_t command)
{
    switch (command) {
    case radio::cmd::QueryModelVersion:
    case radio::cmd::QueryAirRate:
    case radio::cmd::QueryChannel:
    case radio::cmd::QueryId:
    case radio::cmd::WriteSerialMode:
    case radio::cmd::ReadRegister:
        return 3;
    case radio::cmd::WriteSelector:
    case radio::cmd::WriteRegister:
        return 4;
    case radio::cmd::WriteId:
        return 5;
    case radio::cmd::WriteChannel:
        return 6;
    default:
        return std::nullopt;
    }
}

bool isWrite(const Bytes& frame)
{
    switch (frame[3]) {
    case radio::cmd::WriteSelector:
        return frame[4] == kSelectorAirRate;
    case radio::cmd::WriteId:
    case radio::cmd::WriteChannel:
    case radio::cmd::WriteSerialMode:
    case radio::cmd::WriteRegister:
        return true;
    default:
        return false;
    }
}

Reply answered(Bytes bytes)
{
    return {Verdict::Answered, std::move(bytes), std::nullopt};
}

Reply acknowledged()
{
    return answered(Bytes(radio::kWriteAck.begin(), radio::kWriteAck.end()));
}

Reply withVerdict(Verdict verdict)
{
    return {verdict, {}, std::nullopt};
}

} // namespace

std::string settingsLabel(const SerialSettings& settings)
{
    return std::to_string(settings.baud) + "-"
        + serial::parityLetterForIndex(static_cast<std::uint8_t>(settings.parity));
}

std::optional<SerialSettings> decodeSerialMode(std::uint8_t mode)
{
    const std::uint8_t speedIndex = mode & 0x0F;
    if (speedIndex >= serial::kSpeedCount)
        return std::nullopt;
    SerialSettings settings {serial::baudForSpeedIndex(speedIndex), platform::Parity::None};
    switch (mode & 0xF0) {
    case 0x00:
        break;
    case 0x20:
        settings.parity = platform::Parity::Odd;
        break;
    case 0x30:
        settings.parity = platform::Parity::Even;
        break;
    default:
        return std::nullopt;
    }
    return settings;
}

std::int64_t byteTimeUs(const SerialSettings& settings)
{
    const int bits = settings.parity == platform::Parity::None ? 10 : 11;
    // Rounded up: the simulated line is never faster than the real one.
    return (bits * 1'000'000LL + settings.baud - 1) / settings.baud;
}

std::array<std::uint8_t, kRegisterCount> RadioConfig::defaultRegisters()
{
    std::array<std::uint8_t, kRegisterCount> registers {};
    for (std::size_t address = 0; address < registers.size(); ++address)
        registers[address] = static_cast<std::uint8_t>(address ^ 0x5A);
    return registers;
}

Radio::Radio(RadioConfig config, std::uint32_t seed) : m_config(std::move(config)), m_rng(seed) { }

Reply Radio::answer(const Bytes& frame)
{
    if (!radio::ValidateFrame(frame) || requestLength(frame[3]) != frame[2])
        return withVerdict(Verdict::Invalid);
    // A misbehaving radio drops these before acting on them: nothing it was not told about
    // changes.
    const Misbehaviour& mis = m_config.misbehaviour;
    if (mis.noAnswer || (mis.refuseWrites && isWrite(frame))
        || (frame[3] == radio::cmd::ReadRegister && mis.silentRegisters.contains(frame[4])))
        return withVerdict(Verdict::Silent);
    return finish(decide(frame));
}

Reply Radio::decide(const Bytes& frame)
{
    const std::uint8_t command = frame[3];
    switch (command) {
    case radio::cmd::QueryModelVersion:
        return answered(radio::makeFrame(command, {m_config.model, m_config.version}));
    case radio::cmd::QueryAirRate:
        return answered(radio::makeFrame(command, {m_config.airRate}));
    case radio::cmd::QueryChannel:
        return answered(radio::makeFrame(command, {m_config.channel}));
    case radio::cmd::QueryId:
        return answered(
            radio::makeFrame(command, {m_config.id[0], m_config.id[1], m_config.id[2]}));
    case radio::cmd::WriteSelector:
        return selectorWrite(frame[4], frame[5]);
    case radio::cmd::ReadRegister:
        if (frame[4] >= kRegisterCount)
            return withVerdict(Verdict::Invalid);
        return answered(radio::makeFrame(command, {m_config.registers[frame[4]]}));
    case radio::cmd::WriteRegister:
        if (frame[4] >= kRegisterCount)
            return withVerdict(Verdict::Invalid);
        m_config.registers[frame[4]] = frame[5];
        return answered(radio::makeFrame(command, {frame[4], frame[5]}));
    default:
        return parameterWrite(frame);
    }
}

Reply Radio::selectorWrite(std::uint8_t selector, std::uint8_t value)
{
    if (selector == kSelectorAirRate) {
        if (m_config.misbehaviour.ignoreWrite != IgnoredWrite::AirRate)
            m_config.airRate = value;
    } else if (selector == kSelectorTxTestStart && value == 0x00) {
        m_txTest = TxTest::Carrier;
    } else if (selector == kSelectorTxTestStart && value == kTxTestFrequencyVariant) {
        m_txTest = TxTest::Frequency;
    } else if (selector == kSelectorTxTestStop && value == 0x00) {
        m_txTest = TxTest::Off;
    } else {
        return withVerdict(Verdict::Invalid);
    }
    return acknowledged();
}

Reply Radio::parameterWrite(const Bytes& frame)
{
    const IgnoredWrite ignored = m_config.misbehaviour.ignoreWrite;
    switch (frame[3]) {
    case radio::cmd::WriteId:
        if (ignored != IgnoredWrite::Id)
            std::copy(frame.begin() + 4, frame.begin() + 7, m_config.id.begin());
        return acknowledged();
    case radio::cmd::WriteChannel:
        // Only the first data byte is the channel; the radio ignores the three after it.
        if (ignored != IgnoredWrite::Channel)
            m_config.channel = frame[4];
        return acknowledged();
    case radio::cmd::WriteSerialMode: {
        const auto settings = decodeSerialMode(frame[4]);
        if (!settings)
            return withVerdict(Verdict::Invalid);
        Reply reply = acknowledged();
        if (ignored != IgnoredWrite::Serial)
            reply.serialAfterAnswer = settings;
        return reply;
    }
    default:
        return withVerdict(Verdict::Invalid);
    }
}

Reply Radio::finish(Reply reply)
{
    if (reply.verdict != Verdict::Answered)
        return reply;
    const Misbehaviour& mis = m_config.misbehaviour;
    if (mis.floodBytes > 0) {
        std::uniform_int_distribution<int> byte(0, 255);
        reply.bytes.resize(mis.floodBytes);
        for (auto& b : reply.bytes)
            b = static_cast<std::uint8_t>(byte(m_rng));
    } else if (mis.badChecksum) {
        reply.bytes.back() ^= 0x01;
    }
    return reply;
}

} // namespace radiosim
