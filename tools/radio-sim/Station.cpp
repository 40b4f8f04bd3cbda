#include "Station.h"

#include "radio/CommandFrame.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace radiosim {

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

const char* kindName(LogKind kind)
{
    switch (kind) {
    case LogKind::Answered:
        return "answered";
    case LogKind::Ignored:
        return "ignored";
    case LogKind::Silent:
        return "silent";
    case LogKind::Invalid:
        return "invalid";
    case LogKind::Data:
        return "data";
    case LogKind::Dropped:
        return "dropped";
    case LogKind::Lost:
        return "lost";
    case LogKind::Corrupted:
        return "corrupted";
    }
    return "?";
}

LogKind kindOf(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Answered:
        return LogKind::Answered;
    case Verdict::Silent:
        return LogKind::Silent;
    case Verdict::Invalid:
        break;
    }
    return LogKind::Invalid;
}

// Where a frame may begin: 55 AA, or a 55 whose next byte has not come yet.
bool mayStartFrame(const Bytes& bytes, std::size_t at)
{
    return bytes[at] == radio::kHeader1
        && (at + 1 == bytes.size() || bytes[at + 1] == radio::kHeader2);
}

} // namespace

std::string logLine(int station, const SerialSettings& line, LogKind kind, const Bytes& bytes)
{
    std::string text = std::to_string(station) + " " + settingsLabel(line) + " " + kindName(kind);
    char hex[4];
    for (const std::uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, " %02X", b);
        text += hex;
    }
    return text;
}

Station::Station(StationConfig config, LogSink log)
    : m_config(std::move(config)),
      m_log(std::move(log)),
      m_radio(m_config.radio, m_config.seed),
      m_rng(m_config.seed + 1),
      m_packets(m_config.air, m_config.seed + 2)
{ }

void Station::receive(const Bytes& bytes, const SerialSettings& line, std::int64_t nowUs)
{
    // Each byte starts once it is written and the one before it is across.
    const std::int64_t time = byteTime(line);
    for (const std::uint8_t b : bytes) {
        m_lineFreeUs = std::max(nowUs, m_lineFreeUs) + time;
        m_line.push_back({b, line, m_lineFreeUs});
    }
}

// Takes the events due by now in the order of their time: bytes leaving for the program, a
// frame given up as user data, bytes the radio has heard. At equal times the output goes
// first, so a serial mode change is in effect for a byte that crosses as the ack ends.
Bytes Station::advance(const SerialSettings& line, std::int64_t nowUs)
{
    Bytes out;
    Bytes dropped;
    while (true) {
        const std::int64_t outputUs = m_output.empty() ? kNever : m_output.front().dueUs;
        const std::int64_t expiryUs = m_pending.empty() ? kNever : pendingDeadlineUs();
        const std::int64_t crossUs = m_line.empty() ? kNever : m_line.front().atUs;
        if (std::min({outputUs, expiryUs, crossUs}) > nowUs)
            break;
        if (outputUs <= expiryUs && outputUs <= crossUs) {
            const Output next = m_output.front();
            m_output.pop_front();
            switch (next.kind) {
            case Output::Kind::Answer:
                out.push_back(next.byte);
                break;
            case Output::Kind::Air:
                (line == m_radio.serial() ? out : dropped).push_back(next.byte);
                break;
            case Output::Kind::SerialChange:
                m_radio.setSerial(next.serial);
                break;
            }
        } else if (expiryUs <= crossUs) {
            for (const std::uint8_t b : m_pending)
                m_data.push_back({b, expiryUs});
            m_pending.clear();
        } else {
            const LineByte in = m_line.front();
            m_line.pop_front();
            take(in);
        }
    }
    flushData();
    sendPackets(nowUs);
    if (!dropped.empty())
        log(line, LogKind::Dropped, dropped);
    return out;
}

std::optional<std::int64_t> Station::nextEventUs() const
{
    std::optional<std::int64_t> next;
    const auto consider
        = [&next](std::int64_t atUs) { next = std::min(next.value_or(atUs), atUs); };
    if (!m_pending.empty())
        consider(pendingDeadlineUs());
    if (!m_output.empty())
        consider(m_output.front().dueUs);
    if (!m_line.empty())
        consider(m_line.front().atUs);
    if (const auto packetUs = m_packets.nextEventUs())
        consider(*packetUs);
    return next;
}

// A frame may take its own wire time plus the wait. Until its length byte has come, the frame
// is taken to be three bytes long.
std::int64_t Station::pendingDeadlineUs() const
{
    const std::size_t size = m_pending.size() >= 3 ? m_pending[2] + 4u : 3u;
    return m_pendingStartUs + kFrameWaitUs
        + static_cast<std::int64_t>(size - 1) * byteTime(m_heard);
}

// The radio has one more byte from the program.
void Station::take(const LineByte& in)
{
    if (in.settings != m_heard) {
        flushData();
        m_heard = in.settings;
    }
    const bool continuing = !m_pending.empty();
    m_pending.push_back(in.byte);
    const std::size_t consumed = assemble(in.atUs);
    // What is left waiting began with this byte unless it continues the frame before.
    if (!m_pending.empty() && (consumed > 0 || !continuing))
        m_pendingStartUs = in.atUs;
}

// Splits the waiting bytes into user data and complete frames, in order, and keeps a frame
// that is still arriving. Returns how many bytes were taken.
std::size_t Station::assemble(std::int64_t atUs)
{
    std::size_t at = 0;
    while (at < m_pending.size()) {
        if (!mayStartFrame(m_pending, at)) {
            m_data.push_back({m_pending[at++], atUs});
            continue;
        }
        const std::size_t available = m_pending.size() - at;
        if (available < 3)
            break;
        const std::size_t length = m_pending[at + 2];
        if (length < radio::kMinValidLength || length > radio::kMaxValidLength) {
            m_data.push_back({m_pending[at++], atUs});
            continue;
        }
        if (available < length + 4)
            break;
        flushData();
        const auto begin = m_pending.begin() + static_cast<std::ptrdiff_t>(at);
        handleFrame(Bytes(begin, begin + static_cast<std::ptrdiff_t>(length + 4)), atUs);
        at += length + 4;
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(at));
    return at;
}

void Station::handleFrame(const Bytes& frame, std::int64_t atUs)
{
    ++m_framesReceived;
    // The radio hears only bytes sent at its own serial settings.
    if (m_heard != m_radio.serial()) {
        log(m_heard, LogKind::Ignored, frame);
        return;
    }
    const Reply reply = m_radio.answer(frame);
    log(m_heard, kindOf(reply.verdict), frame);
    if (reply.verdict == Verdict::Answered)
        queueAnswer(reply, atUs);
}

// User data goes over the air byte by byte, each once the radio has it and the air is free;
// with impairments, in packets once each is complete.
void Station::flushData()
{
    if (m_data.empty())
        return;
    Bytes bytes;
    for (const DataByte& d : m_data)
        bytes.push_back(d.byte);
    if (!m_peer || m_heard != m_radio.serial()) {
        log(m_heard, LogKind::Dropped, bytes);
        m_data.clear();
        return;
    }
    log(m_heard, LogKind::Data, bytes);
    for (const DataByte& d : m_data) {
        if (m_config.air.any())
            m_packets.add(d.byte, d.atUs, byteTime(m_radio.serial()));
        else
            sendOnAir(d.byte, d.atUs);
    }
    m_data.clear();
}

void Station::sendPackets(std::int64_t nowUs)
{
    for (const AirPackets::Packet& packet : m_packets.due(nowUs)) {
        if (packet.lost || packet.corrupted)
            log(m_radio.serial(), packet.lost ? LogKind::Lost : LogKind::Corrupted, packet.bytes);
        if (packet.lost)
            continue;
        for (const std::uint8_t byte : packet.bytes)
            sendOnAir(byte, packet.sendUs);
    }
}

void Station::sendOnAir(std::uint8_t byte, std::int64_t atUs)
{
    if (std::bernoulli_distribution(m_config.errorRate)(m_rng))
        byte ^= static_cast<std::uint8_t>(1u << std::uniform_int_distribution<int>(0, 7)(m_rng));
    m_airFreeUs
        = std::max(atUs, m_airFreeUs) + m_config.airDelayUs.value_or(byteTime(m_radio.serial()));
    m_peer->queueFromAir(byte, m_airFreeUs);
}

void Station::queueAnswer(const Reply& reply, std::int64_t frameEndUs)
{
    const std::int64_t time = byteTime(m_radio.serial());
    const std::int64_t splitUs = m_radio.misbehaviour().splitAnswerMs * 1000LL;
    const std::size_t secondPiece = reply.bytes.size() / 2;
    std::int64_t dueUs = outputFreeUs(frameEndUs + m_config.turnaroundUs);
    for (std::size_t i = 0; i < reply.bytes.size(); ++i) {
        if (splitUs > 0 && i == secondPiece && i > 0)
            dueUs += splitUs;
        dueUs += time;
        m_output.push_back({Output::Kind::Answer, dueUs, reply.bytes[i]});
    }
    // The radio switches its serial port once the acknowledgement has gone out at the old
    // settings.
    if (reply.serialAfterAnswer)
        m_output.push_back({Output::Kind::SerialChange, dueUs, 0, *reply.serialAfterAnswer});
}

// A byte from the other station's air goes out on this radio's serial line after the bytes
// already on their way.
void Station::queueFromAir(std::uint8_t byte, std::int64_t arrivalUs)
{
    if (m_config.airLoopback) {
        if (m_config.air.any())
            m_packets.add(byte, arrivalUs, byteTime(m_radio.serial()));
        else
            sendOnAir(byte, arrivalUs);
        return;
    }
    m_output.push_back(
        {Output::Kind::Air, outputFreeUs(arrivalUs) + byteTime(m_radio.serial()), byte});
}

// When the radio's serial output can start a byte that is ready at fromUs.
std::int64_t Station::outputFreeUs(std::int64_t fromUs) const
{
    return m_output.empty() ? fromUs : std::max(fromUs, m_output.back().dueUs);
}

// A program side at no speed the line knows sends nothing the radio understands; its bytes
// are timed at the radio's own speed.
std::int64_t Station::byteTime(const SerialSettings& settings) const
{
    if (!m_config.pace)
        return 0;
    return byteTimeUs(settings.baud != 0 ? settings : m_radio.serial());
}

void Station::log(const SerialSettings& line, LogKind kind, const Bytes& bytes) const
{
    if (m_log)
        m_log(logLine(m_config.number, line, kind, bytes));
}

} // namespace radiosim
