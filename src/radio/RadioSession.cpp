#include "RadioSession.h"

#include <array>

namespace radio {

namespace {

// Bytes that must have arrived before an answer is looked at.
constexpr std::array<std::uint32_t, RadioSession::kSteps> kReadAnswerSizes = {8, 7, 7, 9};
constexpr std::uint32_t kProbeAnswerSize = 8;
constexpr std::uint32_t kWriteAnswerSize = 6;
// Time-outs in receive ticks on top of the link's time-out base.
constexpr int kProbeTimeout = 75;
constexpr int kStepTimeout = 70;

CommandFrame toFrame(const std::array<std::uint8_t, 7>& bytes)
{
    return CommandFrame(bytes.begin(), bytes.end());
}

CommandFrame readQuery(int step)
{
    static const std::array<CommandFrame, RadioSession::kSteps> queries
        = {toFrame(kQueryModelVersion), toFrame(kQueryAirRate), toFrame(kQueryChannel),
            toFrame(kQueryId)};
    return queries[static_cast<std::size_t>(step)];
}

CommandFrame writePrefix(int step)
{
    switch (step) {
    case 0:
        return writeAirRatePrefix();
    case 1:
        return writeIdPrefix();
    case 2:
        return writeChannelPrefix();
    default:
        return writeSerialModePrefix();
    }
}

} // namespace

RadioSession::RadioSession(
    serial::SerialLink& link, const platform::System& clock, Observer& observer)
    : m_link(link), m_observer(observer), m_engine(clock)
{ }

void RadioSession::startRead()
{
    m_verify = false;
    startProbe(false);
}

void RadioSession::startWrite(const WriteValues& values, bool verify)
{
    m_writeValues = values;
    m_verify = verify;
    startProbe(true);
}

void RadioSession::startProbe(bool writeMode)
{
    m_engine.cancel();
    m_state.attemptsLeft = kProbeAttempts;
    m_state.sendPending = true;
    m_state.connectMode = true;
    applyProbeSettings();
    m_state.writeMode = writeMode;
    m_state.tick = 0;
}

// The next combination of the probe: parity none, odd, even at each speed, then the next speed,
// round the table. The time-out base follows the speed only once the speed has changed.
void RadioSession::applyProbeSettings()
{
    auto& settings = m_link.settings;
    if (settings.parityIndex > 2) {
        const int next = settings.speedIndex + 1;
        settings.speedIndex = static_cast<std::uint8_t>(next >= serial::kSpeedCount ? 0 : next);
        settings.parityIndex = 0;
        settings.timeoutBase = static_cast<std::uint8_t>(settings.speedIndex + 8);
    }
    if (m_link.handle.isValid()) {
        platform::SerialPort& port = m_link.handle.port();
        // A port refusing the settings is not an error here: the probe simply moves on.
        port.setSettings(serial::lineFor(port, settings.speedIndex, settings.parityIndex));
        port.purge(platform::PurgeTxClear | platform::PurgeRxClear);
    }
    m_observer.probeSettings();
}

void RadioSession::startSteps(bool writeMode)
{
    m_state.step = 0;
    m_state.sendPending = true;
    m_state.writeMode = writeMode;
    m_state.connectMode = false;
    m_state.tick = 0;
    m_observer.stepsStarted(writeMode);
}

void RadioSession::restartSteps()
{
    m_engine.cancel();
    startSteps(m_state.writeMode);
}

void RadioSession::stop()
{
    m_engine.cancel();
    m_state.step = 0;
    m_state.sendPending = false;
    m_state.connectMode = false;
    m_state.verifying = false;
}

RequestEngine::Request RadioSession::request() const
{
    RequestEngine::Request request;
    const int base = m_link.settings.timeoutBase;
    request.maxBytes = kMaxBytesRead;
    if (m_state.connectMode) {
        request.frame = toFrame(kQueryModelVersion);
        request.answerSize = kProbeAnswerSize;
        request.minPolls = base + kProbeTimeout;
        return request;
    }
    // An answer that is late by a tick is not taken: the time-out is tested before the input.
    request.answerWinsAtDeadline = false;
    request.minPolls = base + kStepTimeout;
    if (m_state.writeMode) {
        request.frame = writePrefix(m_state.step);
        EncodeWriteFrame(m_state.step, request.frame, m_writeValues);
        request.answerSize = kWriteAnswerSize;
    } else {
        request.frame = readQuery(m_state.step);
        request.answerSize = kReadAnswerSizes[static_cast<std::size_t>(m_state.step)];
    }
    return request;
}

void RadioSession::sendTick()
{
    if (!m_state.sendPending)
        return;
    m_state.sendPending = false;
    m_state.tick = 0;
    // A request the line does not take runs into its time-out like an unanswered one.
    if (m_link.handle.isValid())
        m_engine.start(m_link.handle.port(), request());
}

void RadioSession::receiveTick()
{
    ++m_state.tick;
    if (!m_link.handle.isValid() || !m_engine.busy())
        return;
    // A vanished device ends the conversation through the owner of the port.
    const RequestEngine::Status status = m_engine.poll(m_link.handle.port());
    if (status == RequestEngine::Status::Gone)
        return;
    if (m_state.connectMode) {
        onProbePoll(status);
    } else if (status == RequestEngine::Status::TimedOut) {
        finish(Outcome::StepFailed);
    } else if (status == RequestEngine::Status::Answered) {
        onStepAnswer(m_engine.answer());
    }
}

void RadioSession::onProbePoll(RequestEngine::Status status)
{
    if (status == RequestEngine::Status::Answered) {
        // Bytes received with a parity error come from a line at other settings, however
        // well they look.
        if (m_engine.errors() != platform::CommRxParity
            && CheckConnectResponse(m_engine.answer(), m_radio)) {
            m_observer.connected();
            startSteps(m_state.writeMode);
            return;
        }
        // No new request: the time-out that follows costs the next attempt.
        if (--m_state.attemptsLeft == 0) {
            finish(Outcome::NoRadio);
            return;
        }
        m_engine.discardAnswer();
    } else if (status == RequestEngine::Status::TimedOut) {
        if (--m_state.attemptsLeft == 0) {
            finish(Outcome::NoRadio);
            return;
        }
        ++m_link.settings.parityIndex;
        applyProbeSettings();
        m_state.sendPending = true;
    }
    m_observer.probePolled();
}

void RadioSession::onStepAnswer(const std::vector<std::uint8_t>& answer)
{
    m_state.sendPending
        = m_state.writeMode ? IsWriteAck(answer) : ParseReadResponse(m_state.step, answer, m_radio);
    if (!m_state.sendPending) {
        finish(Outcome::StepFailed);
        return;
    }
    const int step = m_state.step;
    if (step < kSteps - 1) {
        ++m_state.step;
        m_observer.stepAnswered(step);
        return;
    }
    m_state.sendPending = false;
    m_observer.stepAnswered(step);
    if (m_state.writeMode) {
        writeDone();
    } else if (!m_state.verifying) {
        finish(Outcome::ReadDone);
    } else {
        m_state.verifying = false;
        finish(readBack() == m_writeValues ? Outcome::Verified : Outcome::Mismatch);
    }
}

// The radio takes a new serial mode once it has acknowledged it: with a read back, the port
// follows it first, and the probe starts there, so a radio that did not take the mode is found
// where it stayed.
void RadioSession::writeDone()
{
    if (!m_verify) {
        finish(Outcome::WriteDone);
        return;
    }
    const auto& link = m_link.settings;
    const bool modeChanged = m_writeValues.speedIndex != link.speedIndex
        || m_writeValues.parityIndex != link.parityIndex;
    if (modeChanged && !m_observer.followSerialMode()) {
        finish(Outcome::FollowRefused);
        return;
    }
    m_state.verifying = true;
    m_engine.cancel();
    m_state.attemptsLeft = kProbeAttempts;
    m_state.sendPending = true;
    m_state.connectMode = true;
    m_state.writeMode = false;
    m_state.tick = 0;
    applyProbeSettings();
}

WriteValues RadioSession::readBack() const
{
    return heldValues(m_radio, m_link.settings);
}

void RadioSession::finish(Outcome outcome)
{
    m_engine.cancel();
    m_observer.finished(outcome);
}

} // namespace radio
