#include "RadioConversation.h"

#include "platform/System.h"
#include "radio/ExchangeTexts.h"
#include "radio/RadioSession.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace cli {

namespace {

// The conversation on the command line: the radio conversation of the window, driven by a loop
// that ticks every 10 ms as the window's timers do.
class Conversation final : private radio::RadioSession::Observer
{
public:
    Conversation(serial::SerialLink& link, const Progress& progress)
        : m_link(link), m_progress(progress), m_session(link, m_clock, *this)
    {
        // The window's first probe of a port it found: 9600 bit/s without parity.
        m_link.settings.speedIndex = 1;
        m_link.settings.parityIndex = 0;
    }

    // Runs a read, or a write with its values, to its end; nullopt when the port's device went.
    std::optional<radio::RadioSession::Outcome> read()
    {
        m_session.startRead();
        return run();
    }
    std::optional<radio::RadioSession::Outcome> write(const radio::WriteValues& values, bool verify)
    {
        m_session.startWrite(values, verify);
        return run();
    }

    const radio::RadioSession& session() const { return m_session; }

private:
    std::optional<radio::RadioSession::Outcome> run()
    {
        m_outcome.reset();
        auto next = std::chrono::steady_clock::now();
        while (!m_outcome) {
            m_session.sendTick();
            m_session.receiveTick();
            if (m_link.handle.port().isGone())
                return std::nullopt;
            // Like a window timer, a late tick is not made up for by a burst of ticks: the
            // time-outs counted in ticks never shrink.
            next = std::max(next + std::chrono::milliseconds(10), std::chrono::steady_clock::now());
            std::this_thread::sleep_until(next);
        }
        return m_outcome;
    }

    void probeSettings() override
    {
        const auto& state = m_session.state();
        if (!state.connectMode)
            return;
        m_progress("probe "
            + serial::settingsText(m_link.settings.speedIndex, m_link.settings.parityIndex)
            + " (attempt "
            + std::to_string(radio::RadioSession::kProbeAttempts - state.attemptsLeft + 1) + " of "
            + std::to_string(radio::RadioSession::kProbeAttempts) + ")");
    }
    void stepsStarted(bool writeMode) override
    {
        m_progress(writeMode                  ? "writing"
                : m_session.state().verifying ? "reading back"
                                              : "reading");
    }
    bool followSerialMode() override
    {
        const radio::WriteValues& written = m_session.writeValues();
        m_link.settings.speedIndex = written.speedIndex;
        m_link.settings.parityIndex = written.parityIndex;
        return serial::applyLinkSettings(m_link);
    }
    void finished(radio::RadioSession::Outcome outcome) override { m_outcome = outcome; }

    serial::SerialLink& m_link;
    const Progress& m_progress;
    platform::RealSystem m_clock;
    radio::RadioSession m_session;
    std::optional<radio::RadioSession::Outcome> m_outcome;
};

std::string portName(const serial::SerialLink& link)
{
    return link.settings.portNumber ? "COM" + std::to_string(link.settings.portNumber) : "";
}

void fail(PortResult& result, Outcome outcome, const core::Bilingual& reason,
    const core::Language& language)
{
    result.outcome = outcome;
    result.reason = reason.in(language);
}

// What the read found, in the terms of a write.
RadioReading readingOf(const radio::RadioSession& session, const serial::SerialLink& link)
{
    const radio::RadioParameters& radio = session.radio();
    return {radio.model, radio.version,
        {radio.reported.airRate, radio.reported.id, radio.channel, link.settings.speedIndex,
            link.settings.parityIndex}};
}

// A conversation that did not end well: why, as the window says it.
void failed(std::optional<radio::RadioSession::Outcome> outcome, const Conversation& talk,
    serial::SerialLink& link, const core::Language& language, PortResult& result)
{
    using radio::RadioSession;
    const auto& state = talk.session().state();
    if (!outcome) {
        fail(result, Outcome::PortError,
            {"the port's device is gone (unplugged?)", "通讯端口设备已断开(已拔出?)"}, language);
        return;
    }
    switch (*outcome) {
    case RadioSession::Outcome::NoRadio:
        if (state.verifying)
            fail(result, Outcome::Mismatch, radio::readBackFailedText(), language);
        else
            fail(result, Outcome::NoRadio, radio::connectErrorText(portName(link)), language);
        return;
    case RadioSession::Outcome::StepFailed: {
        if (state.verifying) {
            fail(result, Outcome::Mismatch, radio::readBackFailedText(), language);
            return;
        }
        const radio::Operation operation
            = state.writeMode ? radio::Operation::Write : radio::Operation::Read;
        const radio::OperationTexts& text = radio::operationTexts(operation);
        const core::Bilingual partial = radio::partialWriteText(state);
        fail(result, state.writeMode ? Outcome::WriteFailed : Outcome::PortError,
            {text.failureEnglish + partial.english, text.failureChinese + partial.chinese},
            language);
        return;
    }
    case RadioSession::Outcome::FollowRefused:
        fail(result, Outcome::PortError,
            {"The radio took the write, but the port did not take its new serial mode.",
                "电台已接受写入,但通讯端口未能切换到新的串口设置。"},
            language);
        return;
    case RadioSession::Outcome::Mismatch:
        result.readBack = talk.session().readBack();
        fail(result, Outcome::Mismatch,
            radio::mismatchText(talk.session().writeValues(), *result.readBack), language);
        return;
    default:
        return;
    }
}

} // namespace

void readRadio(serial::SerialLink& link, const core::Language& language, const Progress& progress,
    PortResult& result)
{
    Conversation talk(link, progress);
    const auto outcome = talk.read();
    if (outcome != radio::RadioSession::Outcome::ReadDone) {
        failed(outcome, talk, link, language, result);
        return;
    }
    result.before = readingOf(talk.session(), link);
    result.readAt = radio::localTimestamp();
}

void writeRadio(serial::SerialLink& link, const radio::RadioSettings& change, bool verify,
    const core::Language& language, const Progress& progress, PortResult& result)
{
    Conversation talk(link, progress);
    auto outcome = talk.read();
    if (outcome != radio::RadioSession::Outcome::ReadDone) {
        failed(outcome, talk, link, language, result);
        return;
    }
    result.before = readingOf(talk.session(), link);
    result.readAt = radio::localTimestamp();
    result.written = radio::applySettings(result.before->held, change);
    outcome = talk.write(*result.written, verify);
    const auto done
        = verify ? radio::RadioSession::Outcome::Verified : radio::RadioSession::Outcome::WriteDone;
    if (outcome != done) {
        failed(outcome, talk, link, language, result);
        return;
    }
    if (verify)
        result.readBack = talk.session().readBack();
}

} // namespace cli
