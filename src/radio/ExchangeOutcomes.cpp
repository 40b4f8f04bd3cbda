#include "ParameterExchange.h"

#include "core/LocalTime.h"

// How the Read and Write commands end: what is kept of the radio, and what the user is told.

namespace radio {

void ParameterExchange::finished(RadioSession::Outcome outcome)
{
    using Outcome = RadioSession::Outcome;
    const bool readBack = state().verifying;
    switch (outcome) {
    case Outcome::ReadDone:
        readDone();
        return;
    case Outcome::WriteDone:
    case Outcome::Verified:
    case Outcome::Mismatch:
    case Outcome::FollowRefused:
        writeDone(outcome);
        return;
    case Outcome::NoRadio:
    case Outcome::StepFailed:
        if (readBack) {
            writeDone(outcome);
        } else if (outcome == Outcome::NoRadio) {
            // No radio answered: a write sent nothing, and what was known stays so.
            const bool writeMode = state().writeMode;
            finishOperation();
            heldChanged(writeMode ? HeldChange::NotWritten : HeldChange::Read);
            reportConnectError();
        } else {
            onExchangeFailure();
        }
        return;
    }
}

// Keeps what the read found, as the boxes show it, with the serial mode it answered at.
void ParameterExchange::keepRead()
{
    RadioParameters shown = m_session.radio();
    FillParameterControls(shown, m_link.settings, m_view);
    m_lastRead = LastRead {
        shown.version, radio::heldValues(shown, m_link.settings), core::localTimestamp()};
}

// The radio acknowledged every value of the write: they are its own now, and the next write
// sends its air rate and ID as written (a settings file may have changed them).
void ParameterExchange::keepWritten()
{
    if (!m_lastRead)
        return;
    m_lastRead->held = m_session.writeValues();
}

void ParameterExchange::readDone()
{
    keepRead();
    finishOperation();
    heldChanged(HeldChange::Read);
    report("Read correct!", "参数读取成功", "读参数");
    m_view.enableWrite();
}

void ParameterExchange::writeDone(RadioSession::Outcome outcome)
{
    using Outcome = RadioSession::Outcome;
    const std::string english = "Write correct!";
    const std::string chinese = "参数设置成功";
    const char* caption = "写参数";
    switch (outcome) {
    case Outcome::WriteDone:
        keepWritten();
        finishOperation();
        heldChanged(HeldChange::Written);
        report(english, chinese, caption);
        followSerialMode();
        return;
    case Outcome::Verified:
        keepRead();
        finishOperation();
        heldChanged(HeldChange::Written);
        report(english + "\nThe values were read back and match.",
            chinese + "\n已回读电台参数,与写入的一致。", caption);
        return;
    case Outcome::Mismatch: {
        // What the radio holds is what it read back, not what was written.
        keepRead();
        finishOperation();
        heldChanged(HeldChange::NotWritten);
        const core::Bilingual text = mismatchText(m_session.writeValues(), m_session.readBack());
        report(text.english, text.chinese, caption);
        return;
    }
    case Outcome::FollowRefused: {
        // The refusal closed the port, which forgot the radio: what is on the port when it
        // opens again is read first.
        finishOperation();
        const core::Bilingual text = followRefusedText();
        report(english + "\n" + text.english, chinese + "\n" + text.chinese, caption);
        return;
    }
    default: {
        // Every value was acknowledged, so as far as is known the radio holds them.
        keepWritten();
        finishOperation();
        heldChanged(HeldChange::NotWritten);
        const core::Bilingual text = readBackFailedText();
        report(text.english, text.chinese, caption);
        return;
    }
    }
}

void ParameterExchange::onExchangeFailure()
{
    setCommandTimers(false);
    m_progress.hideProgress();
    const OperationTexts& text = operationTexts(operation());
    const core::Bilingual failure
        = stepFailureText(state(), "COM" + std::to_string(m_link.settings.portNumber));
    const core::Bilingual partial = partialWriteText(state());
    if (m_language.isEnglish()) {
        m_dialogs.showMessage(failure.english + partial.english);
        endFailedSteps();
        return;
    }
    const auto answer = m_dialogs.messageBox(
        failure.chinese + partial.chinese, text.caption, platform::MessageButtons::RetryCancel);
    if (answer != platform::MessageResult::Retry) {
        endFailedSteps();
        return;
    }
    // Again from step 0 at the settings that found the radio; no new probe. A write sends the
    // same values again, the ones that were confirmed for this radio.
    m_session.restartSteps();
}

// A read or write whose steps failed for good. After a write the radio may hold any mix of
// old and new values, so nothing is known of it until it is read again.
void ParameterExchange::endFailedSteps()
{
    const bool writeMode = state().writeMode;
    finishOperation();
    if (writeMode)
        forgetRadio();
    heldChanged(writeMode ? HeldChange::NotWritten : HeldChange::Read);
}

void ParameterExchange::portClosed(serial::PortController::CloseReason reason)
{
    // What is on the port when it opens again, or on another port, is another radio until read.
    forgetRadio();
    heldChanged(HeldChange::PortClosed);
    if (!isRunning() || m_following)
        return;
    const Operation running = operation();
    const core::Bilingual partial = partialWriteText(state());
    finishOperation();
    if (reason == serial::PortController::CloseReason::Closed) {
        endClosedPort(running, partial);
        return;
    }
    // A vanished device: the controller's one message names the port under this line.
    const OperationTexts& text = operationTexts(running);
    m_portController.setGoneFirstLine(
        text.failureEnglish + partial.english, text.failureChinese + partial.chinese);
}

void ParameterExchange::endClosedPort(Operation running, const core::Bilingual& partialWrite)
{
    const OperationTexts& text = operationTexts(running);
    report(std::string(text.failureEnglish) + " The port was closed." + partialWrite.english,
        std::string(text.failureChinese) + ",通讯端口已关闭" + partialWrite.chinese, text.caption);
}

// The probe found no radio: the message says where to look.
void ParameterExchange::reportConnectError()
{
    const core::Bilingual text = connectErrorText(
        "COM" + std::to_string(m_link.settings.portNumber),
        m_link.handle.isValid() ? m_link.handle.port().deviceWithHiddenHolders() : std::string());
    report(text.english, text.chinese, operationTexts(Operation::Connect).caption);
}

void ParameterExchange::endMissingValue(WriteValue missing)
{
    finishOperation();
    const core::Bilingual text = missingValueText(missing);
    report(text.english, text.chinese, "写参数");
}

void ParameterExchange::report(
    const std::string& english, const std::string& chinese, const std::string& caption)
{
    if (m_language.isEnglish())
        m_dialogs.showMessage(english);
    else
        m_dialogs.messageBox(chinese, caption, platform::MessageButtons::Ok);
}

} // namespace radio
