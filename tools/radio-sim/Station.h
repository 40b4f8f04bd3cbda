#pragma once

#include "AirPackets.h"
#include "RadioModel.h"

#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace radiosim {

// One line of the log is written for every frame and every piece of user data received:
//
//     <station> <speed>-<parity> <kind> <bytes>
//
// station is 1 or 2; speed and parity (N, O or E) are the line settings of the program's side
// when the bytes came; bytes are upper-case hex pairs separated by single spaces. kind is one of
//     answered  a request the radio answered (the answer may be misbehaving on purpose)
//     ignored   a frame that came at other line settings than the radio's own
//     silent    a request left unanswered because the radio was told to misbehave so
//     invalid   a frame with a bad sum, an unknown command or a value the radio cannot take
//     data      user data sent over the air to the other station
//     dropped   user data lost: sent at other settings, received at other settings, or sent
//               with no second station
//     lost      a packet of user data lost in the air (--loss, --fade-period)
//     corrupted a packet of user data that crossed the air with a bit flipped (--corrupt), as
//               it arrives
// Other tests parse these lines; keep the format stable.
enum class LogKind { Answered, Ignored, Silent, Invalid, Data, Dropped, Lost, Corrupted };
using LogSink = std::function<void(const std::string& line)>;
std::string logLine(int station, const SerialSettings& line, LogKind kind, const Bytes& bytes);

// How long a frame may take beyond its own wire time once its first byte has crossed; a frame
// not complete by then is taken as user data.
constexpr std::int64_t kFrameWaitUs = 50'000;

struct StationConfig
{
    int number = 1;
    RadioConfig radio;
    // Bytes take their wire time on both serial lines; without, the lines carry them at once.
    bool pace = true;
    std::int64_t turnaroundUs = kDefaultTurnaroundUs;
    std::optional<std::int64_t> airDelayUs; // unset: the byte time of the sending radio
    double errorRate = 0.0; // chance that a byte sent over the air has one bit flipped
    std::uint32_t seed = 1;
    // With any of these, user data crosses the air in packets (see AirPackets.h).
    AirImpairments air;
    // What comes over the air goes straight back into it, as from a radio in loopback test
    // mode: the serial side sees none of it.
    bool airLoopback = false;
};

// One radio on one pty, driven with the time passed in. The bytes the program writes go in
// through receive() and cross the serial line one after another at the program side's speed;
// the radio has a byte only once it has crossed. The bytes the radio sends come out of
// advance() when their time has come, paced at the radio's speed. Frames are answered locally
// a turnaround after their last byte; user data goes over the air to the linked station.
class Station
{
public:
    Station(StationConfig config, LogSink log);

    void linkTo(Station& peer) { m_peer = &peer; }

    // Bytes the program wrote at nowUs, with the line settings its side had then. They are
    // heard in advance() once they have crossed.
    void receive(const Bytes& bytes, const SerialSettings& line, std::int64_t nowUs);
    // Does what is due by now: bytes that have crossed are heard, a frame whose rest did not
    // come in time is taken as user data, and the bytes to write to the program are returned.
    // Bytes from the air that reach a program side set differently from the radio are dropped.
    Bytes advance(const SerialSettings& line, std::int64_t nowUs);
    // When advance() next has something to do, if ever.
    std::optional<std::int64_t> nextEventUs() const;

    // Bytes written by the program that have not crossed the line yet.
    std::size_t bytesOnTheLine() const { return m_line.size(); }
    bool outputIdle() const { return m_output.empty(); }
    std::size_t framesReceived() const { return m_framesReceived; }
    const Radio& radio() const { return m_radio; }

private:
    struct Output
    {
        enum class Kind { Answer, Air, SerialChange } kind;
        std::int64_t dueUs;
        std::uint8_t byte = 0;
        SerialSettings serial {};
    };
    struct LineByte
    {
        std::uint8_t byte;
        SerialSettings settings; // the program's side when it was written
        std::int64_t atUs; // when it has crossed the line
    };
    struct DataByte
    {
        std::uint8_t byte;
        std::int64_t atUs; // when the radio knew it was no part of a frame
    };

    std::int64_t pendingDeadlineUs() const;
    void take(const LineByte& in);
    std::size_t assemble(std::int64_t atUs);
    void flushData();
    void sendPackets(std::int64_t nowUs);
    void sendOnAir(std::uint8_t byte, std::int64_t atUs);
    void handleFrame(const Bytes& frame, std::int64_t atUs);
    void queueAnswer(const Reply& reply, std::int64_t frameEndUs);
    void queueFromAir(std::uint8_t byte, std::int64_t arrivalUs);
    std::int64_t outputFreeUs(std::int64_t fromUs) const;
    std::int64_t byteTime(const SerialSettings& settings) const;
    void log(const SerialSettings& line, LogKind kind, const Bytes& bytes) const;

    StationConfig m_config;
    LogSink m_log;
    Radio m_radio;
    Station* m_peer = nullptr;
    std::mt19937 m_rng;
    AirPackets m_packets;

    std::deque<LineByte> m_line; // written by the program, still crossing, in order
    std::int64_t m_lineFreeUs = 0; // when the last of them has crossed
    SerialSettings m_heard; // the program's side when the latest byte that crossed was written
    Bytes m_pending; // a frame still arriving
    std::int64_t m_pendingStartUs = 0; // when its first byte had crossed
    std::vector<DataByte> m_data; // user data not yet sent on, all heard at m_heard
    std::deque<Output> m_output; // in order of time: the radio's serial output is one stream
    std::int64_t m_airFreeUs = 0; // when the air is free for this station's next byte
    std::size_t m_framesReceived = 0;
};

} // namespace radiosim
