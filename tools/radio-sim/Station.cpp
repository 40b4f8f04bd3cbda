#include "Station.h"

#include "radio/CommandFrame.h"

#include <algorithm>
#include <cstdio>

namespace radiosim {

namespace {

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
      m_rng(m_config.seed + 1)
{ }

void Station::receive(const Bytes& bytes, const SerialSettings& line, std::int64_t nowUs)
{
    expire(nowUs);
    m_line = line;
    const bool continuing = !m_pending.empty();
    m_pending.insert(m_pending.end(), bytes.begin(), bytes.end());
    const std::size_t consumed = assemble(nowUs);
    // The wait runs from the first byte of the frame still arriving.
    if (!m_pending.empty() && (consumed > 0 || !continuing))
        m_pendingDeadlineUs = nowUs + kFrameWaitUs;
}

Bytes Station::advance(const SerialSettings& line, std::int64_t nowUs)
{
    expire(nowUs);
    Bytes out;
    Bytes dropped;
    while (!m_output.empty() && m_output.front().dueUs <= nowUs) {
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
    }
    if (!dropped.empty())
        log(line, LogKind::Dropped, dropped);
    return out;
}

std::optional<std::int64_t> Station::nextEventUs() const
{
    std::optional<std::int64_t> next;
    if (!m_pending.empty())
        next = m_pendingDeadlineUs;
    if (!m_output.empty())
        next = std::min(next.value_or(m_output.front().dueUs), m_output.front().dueUs);
    return next;
}

void Station::expire(std::int64_t nowUs)
{
    if (m_pending.empty() || nowUs < m_pendingDeadlineUs)
        return;
    const Bytes data = std::move(m_pending);
    m_pending.clear();
    handleData(data, nowUs);
}

// Splits the waiting bytes into user data and complete frames, in order, and keeps a frame
// that is still arriving. Returns how many bytes were taken.
std::size_t Station::assemble(std::int64_t nowUs)
{
    Bytes data;
    std::size_t at = 0;
    while (at < m_pending.size()) {
        if (!mayStartFrame(m_pending, at)) {
            data.push_back(m_pending[at++]);
            continue;
        }
        const std::size_t available = m_pending.size() - at;
        if (available < 3)
            break;
        const std::size_t length = m_pending[at + 2];
        if (length < radio::kMinValidLength || length > radio::kMaxValidLength) {
            data.push_back(m_pending[at++]);
            continue;
        }
        if (available < length + 4)
            break;
        if (!data.empty()) {
            handleData(data, nowUs);
            data.clear();
        }
        const auto begin = m_pending.begin() + static_cast<std::ptrdiff_t>(at);
        handleFrame(Bytes(begin, begin + static_cast<std::ptrdiff_t>(length + 4)), nowUs);
        at += length + 4;
    }
    if (!data.empty())
        handleData(data, nowUs);
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(at));
    return at;
}

void Station::handleFrame(const Bytes& frame, std::int64_t nowUs)
{
    ++m_framesReceived;
    // The radio hears only bytes sent at its own serial settings.
    if (m_line != m_radio.serial()) {
        log(m_line, LogKind::Ignored, frame);
        return;
    }
    const Reply reply = m_radio.answer(frame);
    log(m_line, kindOf(reply.verdict), frame);
    if (reply.verdict == Verdict::Answered)
        queueAnswer(reply, nowUs);
}

void Station::handleData(const Bytes& data, std::int64_t nowUs)
{
    if (!m_peer || m_line != m_radio.serial()) {
        log(m_line, LogKind::Dropped, data);
        return;
    }
    log(m_line, LogKind::Data, data);
    const std::int64_t delay
        = m_config.airDelayUs.value_or(m_config.pace ? byteTimeUs(m_radio.serial()) : 0);
    std::bernoulli_distribution corrupt(m_config.errorRate);
    std::uniform_int_distribution<int> bit(0, 7);
    for (std::uint8_t b : data) {
        if (corrupt(m_rng))
            b ^= static_cast<std::uint8_t>(1u << bit(m_rng));
        m_airFreeUs = std::max(nowUs, m_airFreeUs) + delay;
        m_peer->queue({Output::Kind::Air, m_airFreeUs, b});
    }
}

void Station::queueAnswer(const Reply& reply, std::int64_t nowUs)
{
    const std::int64_t byteTime = m_config.pace ? byteTimeUs(m_radio.serial()) : 0;
    const std::int64_t splitUs = m_radio.misbehaviour().splitAnswerMs * 1000LL;
    const std::size_t secondPiece = reply.bytes.size() / 2;
    std::int64_t dueUs = m_output.empty() ? nowUs : std::max(nowUs, m_output.back().dueUs);
    for (std::size_t i = 0; i < reply.bytes.size(); ++i) {
        if (splitUs > 0 && i == secondPiece && i > 0)
            dueUs += splitUs;
        dueUs += byteTime;
        queue({Output::Kind::Answer, dueUs, reply.bytes[i]});
    }
    // The radio switches its serial port once the acknowledgement has gone out at the old
    // settings.
    if (reply.serialAfterAnswer)
        queue({Output::Kind::SerialChange, dueUs, 0, *reply.serialAfterAnswer});
}

void Station::queue(Output output)
{
    if (!m_output.empty())
        output.dueUs = std::max(output.dueUs, m_output.back().dueUs);
    m_output.push_back(output);
}

void Station::log(const SerialSettings& line, LogKind kind, const Bytes& bytes) const
{
    if (m_log)
        m_log(logLine(m_config.number, line, kind, bytes));
}

} // namespace radiosim
