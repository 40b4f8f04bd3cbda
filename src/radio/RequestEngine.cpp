#include "RequestEngine.h"

#include <algorithm>

namespace radio {

namespace {

// The shortest frame of the protocol (L = 3): what an answer of unknown size is first taken to
// be, until its length byte has arrived.
constexpr std::uint32_t kShortestFrame = 7;

} // namespace

std::uint32_t RequestEngine::wireTimeMs(const platform::LineSettings& line, std::uint32_t count)
{
    const std::uint64_t us = std::uint64_t {platform::byteTimeUs(line)} * count;
    return static_cast<std::uint32_t>((us + 999) / 1000);
}

std::uint32_t RequestEngine::frameSize(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() < 3 || bytes[0] != kHeader1 || bytes[1] != kHeader2)
        return 0;
    return bytes[2] + 4u;
}

RequestEngine::Status RequestEngine::start(platform::SerialPort& port, Request request)
{
    m_request = std::move(request);
    m_answer.clear();
    m_errors = 0;
    m_flooded = false;
    m_polls = 0;
    m_sent = 0;
    m_leftAt = -1;
    m_status = Status::Waiting;
    platform::LineSettings line;
    port.getSettings(line);
    const auto size = static_cast<std::uint32_t>(m_request.frame.size());
    const std::uint32_t requestWireMs = wireTimeMs(line, size);
    const std::uint32_t expected = m_request.answerSize ? m_request.answerSize : kShortestFrame;
    m_answerWaitMs = wireTimeMs(line, expected) + kAdapterLatencyMs + kAnswerAllowanceMs;
    const std::int64_t now = m_clock.steadyMs();
    m_wireEndAt = now;
    // A request the line has not taken in twice its wire time and the allowance finds a
    // stalled line.
    m_sendDeadline = now + 2 * requestWireMs + kAnswerAllowanceMs;
    // A request the driver refuses runs into the send deadline, unless the device is gone.
    if ((!port.purge(platform::PurgeTxClear | platform::PurgeRxClear) || !sendRest(port))
        && port.isGone())
        m_status = Status::Gone;
    return m_status;
}

bool RequestEngine::sendRest(platform::SerialPort& port)
{
    const auto size = static_cast<std::uint32_t>(m_request.frame.size());
    if (m_sent == size)
        return true;
    std::uint32_t written = 0;
    if (!port.writeFrame(m_request.frame.data() + m_sent, size - m_sent, written))
        return false;
    m_sent += written;
    if (written > 0) {
        platform::LineSettings line;
        port.getSettings(line);
        m_wireEndAt = std::max(m_wireEndAt, m_clock.steadyMs()) + wireTimeMs(line, written);
    }
    return true;
}

// A request that ends without its answer asks whether the device is still there: a device that
// went as the deadline passed is reported gone, not as a radio that did not answer.
RequestEngine::Status RequestEngine::fail(platform::SerialPort& port)
{
    m_status = port.isGone() ? Status::Gone : Status::TimedOut;
    return m_status;
}

void RequestEngine::discardAnswer()
{
    if (m_status != Status::Answered)
        return;
    m_answer.clear();
    m_errors = 0;
    m_status = Status::Waiting;
}

RequestEngine::Status RequestEngine::poll(platform::SerialPort& port)
{
    if (m_status != Status::Waiting)
        return m_status;
    ++m_polls;
    const std::int64_t now = m_clock.steadyMs();
    if (m_leftAt < 0) {
        std::uint32_t queued = 0;
        if (!sendRest(port) || !port.outputQueued(queued))
            return fail(port);
        // The request has left once the driver holds none of it and the wire has carried its
        // last byte.
        if (m_sent == m_request.frame.size() && queued == 0 && now >= m_wireEndAt)
            m_leftAt = m_wireEndAt;
        else if (now > m_sendDeadline)
            return fail(port);
    }
    if (!m_request.answerWinsAtDeadline && deadlinePassed(now))
        return fail(port);
    platform::CommStatus comm;
    if (!port.clearErrors(comm))
        return fail(port);
    if (comm.bytesWaiting > 0 && takeInput(port, comm.bytesWaiting) == Status::Gone)
        return m_status;
    m_errors |= comm.errors;
    if (whole())
        return m_status = Status::Answered;
    if (deadlinePassed(now))
        return fail(port);
    return m_status;
}

RequestEngine::Status RequestEngine::takeInput(platform::SerialPort& port, std::uint32_t waiting)
{
    if (m_answer.size() + waiting > m_request.maxBytes) {
        // A flooding radio: everything goes, and the request runs into its deadline.
        m_answer.clear();
        m_flooded = true;
        if (!port.purge(platform::PurgeRxClear))
            return fail(port);
        return m_status;
    }
    const std::size_t had = m_answer.size();
    m_answer.resize(had + waiting);
    std::uint32_t got = 0;
    if (!port.read(m_answer.data() + had, waiting, got))
        return fail(port);
    m_answer.resize(had + got);
    // The size of the answer is known from its length byte on: the deadline allows its wire time.
    if (m_request.answerSize == 0) {
        if (const std::uint32_t size = frameSize(m_answer); size > kShortestFrame) {
            platform::LineSettings line;
            port.getSettings(line);
            m_answerWaitMs = wireTimeMs(line, size) + kAdapterLatencyMs + kAnswerAllowanceMs;
        }
    }
    return m_status;
}

bool RequestEngine::whole() const
{
    const std::uint32_t size = m_request.answerSize ? m_request.answerSize : frameSize(m_answer);
    return size > 0 && m_answer.size() >= size;
}

bool RequestEngine::deadlinePassed(std::int64_t now) const
{
    if (m_polls <= m_request.minPolls || m_leftAt < 0)
        return false;
    return now >= m_leftAt + std::max(m_request.minWaitMs, m_answerWaitMs);
}

} // namespace radio
