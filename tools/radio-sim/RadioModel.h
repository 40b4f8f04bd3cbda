#pragma once

#include "platform/SerialPort.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace radiosim {

using Bytes = std::vector<std::uint8_t>;

// The speed and parity of one serial side: the radio's own, or what the program's side of the
// pty is set to. Data bits (8) and stop bits (1) are fixed on this line.
struct SerialSettings
{
    std::uint32_t baud = 9600;
    platform::Parity parity = platform::Parity::None;

    bool operator==(const SerialSettings&) const = default;
};

// "9600-N", as used in the log.
std::string settingsLabel(const SerialSettings& settings);
// The serial mode byte of a write: speed index 0..5, plus 0x20 for odd or 0x30 for even parity.
// Any other byte names no mode.
std::optional<SerialSettings> decodeSerialMode(std::uint8_t mode);
// Wire time of one byte in whole microseconds, rounded up: start bit, 8 data bits, the parity
// bit when there is one, stop bit.
std::int64_t byteTimeUs(const SerialSettings& settings);

// A realistic time between a request's last byte and the start of the radio's answer.
constexpr std::int64_t kDefaultTurnaroundUs = 5'000;

constexpr std::size_t kRegisterCount = 0x21; // registers 0x00 to 0x20

enum class TxTest { Off, Carrier, Frequency };

// The parameter whose write a lying radio acknowledges without applying.
enum class IgnoredWrite { None, Channel, AirRate, Id, Serial };

// Ways the radio can be told to misbehave, for testing the program's failure handling.
struct Misbehaviour
{
    bool noAnswer = false;
    bool badChecksum = false; // answers carry a wrong sum
    std::size_t floodBytes = 0; // when not 0, every answer is this many bytes of garbage
    bool refuseWrites = false; // parameter and register writes are neither applied nor answered
    std::set<std::uint8_t> silentRegisters; // reads of these registers get no answer
    int splitAnswerMs = 0; // when not 0, answers go out in two pieces this far apart
    IgnoredWrite ignoreWrite = IgnoredWrite::None; // acknowledged, but the value stays as it was
};

struct RadioConfig
{
    SerialSettings serial;
    std::uint8_t model = 1;
    std::uint8_t version = 0x12;
    std::uint8_t airRate = 1;
    std::uint8_t channel = 1;
    std::array<std::uint8_t, 3> id {0x12, 0x34, 0x56}; // packed BCD, first two digits first
    std::array<std::uint8_t, kRegisterCount> registers = defaultRegisters();
    Misbehaviour misbehaviour;

    // Recognisable contents: each register holds its address XOR 0x5A.
    static std::array<std::uint8_t, kRegisterCount> defaultRegisters();
};

enum class Verdict {
    Answered,
    Silent, // a request the radio was told not to answer
    Invalid, // a bad sum, an unknown command or selector, or a value the radio cannot take
};

struct Reply
{
    Verdict verdict = Verdict::Invalid;
    Bytes bytes; // the answer, empty unless answered
    // A serial mode write: the radio moves to these settings once the answer is on the wire.
    std::optional<SerialSettings> serialAfterAnswer;
};

// The radio's parameters, registers and firmware: one complete request frame in, one reply out.
// Whether the request arrived at the radio's own line settings is decided by its caller.
class Radio
{
public:
    Radio(RadioConfig config, std::uint32_t seed);

    Reply answer(const Bytes& frame);

    const SerialSettings& serial() const { return m_config.serial; }
    void setSerial(const SerialSettings& serial) { m_config.serial = serial; }
    const Misbehaviour& misbehaviour() const { return m_config.misbehaviour; }
    std::uint8_t airRate() const { return m_config.airRate; }
    std::uint8_t channel() const { return m_config.channel; }
    const std::array<std::uint8_t, 3>& id() const { return m_config.id; }
    std::uint8_t reg(std::uint8_t address) const { return m_config.registers.at(address); }
    TxTest txTest() const { return m_txTest; }

private:
    Reply decide(const Bytes& frame);
    Reply selectorWrite(std::uint8_t selector, std::uint8_t value);
    Reply parameterWrite(const Bytes& frame);
    Reply finish(Reply reply);

    RadioConfig m_config;
    TxTest m_txTest = TxTest::Off;
    std::mt19937 m_rng;
};

} // namespace radiosim
