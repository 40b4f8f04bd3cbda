#include "RadioConversation.h"

#include "Interrupt.h"
#include "core/LocalTime.h"
#include "core/PrintableText.h"
#include "platform/System.h"
#include "radio/RadioSession.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace cli {

namespace {

// How a run of the conversation ended: the session's outcome, else the port's device went or a
// signal stopped it.
struct RunEnd
{
    std::optional<radio::RadioSession::Outcome> outcome;
    int signal = 0;
    bool timedOut = false;
};

// The conversation on the command line: the radio conversation of the window, driven by a loop
// that ticks every 10 ms as the window's timers do.
class Conversation final : private radio::RadioSession::Observer
{
public:
    Conversation(serial::SerialLink& link, const Approach& approach, const Progress& progress)
        : m_link(link),
          m_deadline(approach.deadline),
          m_progress(progress),
          m_session(link, m_clock, *this)
    {
        // The window's first probe of a port it found: 9600 bit/s without parity.
        m_link.settings.speedIndex = 1;
        m_link.settings.parityIndex = 0;
        if (const auto& first = approach.firstMode) {
            m_link.settings.speedIndex = first->speedIndex;
            m_link.settings.parityIndex = first->parityIndex;
            m_link.settings.timeoutBase = static_cast<std::uint8_t>(first->speedIndex + 8);
        }
    }

    // Runs a read, or a write with its values, to its end.
    RunEnd read()
    {
        m_session.startRead();
        return run();
    }
    RunEnd write(const radio::WriteValues& values, bool verify)
    {
        m_session.startWrite(values, verify);
        return run();
    }

    const radio::RadioSession& session() const { return m_session; }
    bool radioFound() const { return m_radioFound; }
    const radio::WriteProgress& writeProgress() const { return m_writeProgress; }

private:
    RunEnd run()
    {
        m_outcome.reset();
        auto next = std::chrono::steady_clock::now();
        while (!m_outcome) {
            // A signal or the deadline waits while the write steps run: between them the radio
            // would be left with some of the new values. Anywhere else nothing more goes out.
            const auto& state = m_session.state();
            const int signal = interruptSignal();
            const bool timedOut = std::chrono::steady_clock::now() >= m_deadline;
            if ((signal != 0 || timedOut) && !(state.writeMode && !state.connectMode)) {
                noteWriteProgress();
                m_session.stop();
                return {std::nullopt, signal, signal == 0};
            }
            m_session.sendTick();
            m_session.receiveTick();
            if (m_link.handle.port().isGone()) {
                noteWriteProgress();
                return {};
            }
            // Like a window timer, a late tick is not made up for by a burst of ticks: the
            // time-outs counted in ticks never shrink.
            next = std::max(next + std::chrono::milliseconds(10), std::chrono::steady_clock::now());
            std::this_thread::sleep_until(next);
        }
        noteWriteProgress();
        return {m_outcome};
    }

    // Within the write steps the session's state tells how far they got; once they ended
    // well, the radio took all of them.
    void noteWriteProgress()
    {
        if (!m_writeDone)
            m_writeProgress = radio::writeProgress(m_session.state());
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
    void connected() override { m_radioFound = true; }
    void stepAnswered(int step) override
    {
        if (m_session.state().writeMode && step == radio::RadioSession::kSteps - 1) {
            m_writeDone = true;
            m_writeProgress = {radio::RadioSession::kSteps, radio::RadioSession::kSteps};
        }
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
    std::chrono::steady_clock::time_point m_deadline;
    const Progress& m_progress;
    platform::RealSystem m_clock;
    radio::RadioSession m_session;
    std::optional<radio::RadioSession::Outcome> m_outcome;
    bool m_radioFound = false;
    bool m_writeDone = false;
    radio::WriteProgress m_writeProgress;
};

std::string portName(const serial::SerialLink& link)
{
    return link.settings.portNumber ? "COM" + std::to_string(link.settings.portNumber) : "";
}

void fail(PortResult& result, Outcome outcome, const char* code, const core::Bilingual& reason,
    const core::Language& language)
{
    result.outcome = outcome;
    result.reasonCode = code;
    result.reason = reason.in(language);
}

// What the read found, in the terms of a write.
RadioReading readingOf(const radio::RadioSession& session, const serial::SerialLink& link)
{
    const radio::RadioParameters& radio = session.radio();
    return {radio.model, radio.version, radio::heldValues(radio, link.settings)};
}

core::Bilingual interruptedText(int signal, bool written, bool writeCommand)
{
    const std::string by = signalName(signal);
    if (written)
        return {"Interrupted by " + by + ": the values were written but not verified.",
            "已被 " + by + " 中断:参数已写入,但未校验。"};
    if (writeCommand)
        return {"Interrupted by " + by + ": nothing was written.",
            "已被 " + by + " 中断:未写入任何参数。"};
    return {"Interrupted by " + by + ".", "已被 " + by + " 中断。"};
}

core::Bilingual timedOutText(bool written, bool writeCommand)
{
    if (written)
        return {"The time limit (--timeout) ran out: the values were written but not verified.",
            "已到时限(--timeout):参数已写入,但未校验。"};
    if (writeCommand)
        return {"The time limit (--timeout) ran out: nothing was written.",
            "已到时限(--timeout):未写入任何参数。"};
    return {"The time limit (--timeout) ran out.", "已到时限(--timeout)。"};
}

// What the radio did in the conversation so far.
void noteProgress(const Conversation& talk, PortResult& result)
{
    result.radioFound = talk.radioFound();
    result.writeProgress = talk.writeProgress();
}

// A conversation that did not end well: why, as the window says it, naming what the radio
// took of a write that is not verified.
void failed(const RunEnd& end, const Conversation& talk, serial::SerialLink& link,
    bool writeCommand, const core::Language& language, PortResult& result)
{
    using radio::RadioSession;
    noteProgress(talk, result);
    const int taken = result.writeProgress.taken;
    const bool partly = taken > 0 && taken < RadioSession::kSteps;
    const auto failWith = [&](Outcome outcome, const char* code, const core::Bilingual& reason) {
        const core::Bilingual took = partly || end.signal || end.timedOut
            ? radio::partialWriteText(result.writeProgress)
            : core::Bilingual {};
        fail(result, outcome, code, {reason.english + took.english, reason.chinese + took.chinese},
            language);
    };
    const auto& state = talk.session().state();
    if (end.signal) {
        failWith(Outcome::Interrupted, "interrupted",
            interruptedText(end.signal, taken > 0, writeCommand));
        return;
    }
    if (end.timedOut) {
        failWith(Outcome::TimedOut, "timed-out", timedOutText(taken > 0, writeCommand));
        return;
    }
    if (!end.outcome) {
        failWith(Outcome::PortError, "device-gone",
            {"the port's device is gone (unplugged?)", "通讯端口设备已断开(已拔出?)"});
        return;
    }
    switch (*end.outcome) {
    case RadioSession::Outcome::NoRadio:
        if (state.verifying)
            failWith(Outcome::Mismatch, "read-back-failed", radio::readBackFailedText());
        else // the write's probe after a read that found the radio is a failed write
            failWith(result.radioFound ? Outcome::WriteFailed : Outcome::NoRadio,
                result.radioFound ? "write-no-answer" : "no-radio",
                radio::connectErrorText(portName(link),
                    link.handle.isValid() ? link.handle.port().deviceWithHiddenHolders()
                                          : std::string()));
        return;
    case RadioSession::Outcome::StepFailed: {
        if (state.verifying) {
            failWith(Outcome::Mismatch, "read-back-failed", radio::readBackFailedText());
            return;
        }
        failWith(state.writeMode ? Outcome::WriteFailed : Outcome::PortError,
            state.writeMode ? "write-refused" : "read-failed",
            radio::stepFailureText(state, core::printable(result.port)));
        return;
    }
    case RadioSession::Outcome::FollowRefused:
        failWith(Outcome::PortError, "port-mode-refused", radio::followRefusedText());
        return;
    case RadioSession::Outcome::Mismatch:
        result.readBack = talk.session().readBack();
        failWith(Outcome::Mismatch, "mismatch",
            radio::mismatchText(talk.session().writeValues(), *result.readBack));
        return;
    default:
        return;
    }
}

} // namespace

void readRadio(serial::SerialLink& link, const Approach& approach, const core::Language& language,
    const Progress& progress, PortResult& result)
{
    Conversation talk(link, approach, progress);
    const RunEnd end = talk.read();
    if (end.outcome != radio::RadioSession::Outcome::ReadDone) {
        failed(end, talk, link, false, language, result);
        return;
    }
    noteProgress(talk, result);
    result.before = readingOf(talk.session(), link);
    result.readAt = core::localTimestamp();
}

void writeRadio(serial::SerialLink& link, const Approach& approach,
    const radio::RadioSettings& change, bool verify, const core::Language& language,
    const Progress& progress, PortResult& result)
{
    Conversation talk(link, approach, progress);
    RunEnd end = talk.read();
    if (end.outcome != radio::RadioSession::Outcome::ReadDone) {
        failed(end, talk, link, true, language, result);
        return;
    }
    result.before = readingOf(talk.session(), link);
    result.readAt = core::localTimestamp();
    const radio::WriteValues values = radio::applySettings(result.before->held, change);
    if (values == result.before->held) {
        noteProgress(talk, result);
        result.unchanged = true;
        return;
    }
    result.written = values;
    end = talk.write(values, verify);
    const auto done
        = verify ? radio::RadioSession::Outcome::Verified : radio::RadioSession::Outcome::WriteDone;
    if (end.outcome != done) {
        failed(end, talk, link, true, language, result);
        return;
    }
    noteProgress(talk, result);
    if (verify)
        result.readBack = talk.session().readBack();
}

std::optional<radio::SerialMode> answeredMode(const PortResult& result)
{
    const auto modeOf = [](const radio::WriteValues& values) {
        return radio::SerialMode {values.speedIndex, values.parityIndex};
    };
    if (result.readBack)
        return modeOf(*result.readBack);
    // The serial mode is the last write step: a radio that took it answers there.
    if (result.written && result.writeProgress.taken == radio::RadioSession::kSteps)
        return modeOf(*result.written);
    if (result.before)
        return modeOf(result.before->held);
    return std::nullopt;
}

} // namespace cli
