#include "ParameterExchange.h"

#include "ExchangeTexts.h"
#include "SettingsFile.h"
#include "serial/PortTexts.h"

#include <array>
#include <variant>

namespace radio {

using core::Ctl;
using core::TimerId;

namespace {

// The connect bar runs to 19 but shows 16 - attempts left, so it starts empty and never fills.
constexpr int kProbeBarOffset = 16;

struct ValueTexts
{
    const char* english;
    const char* chinese;
};

// By WriteValue.
constexpr std::array<ValueTexts, 4> kMissingValueTexts = {{
    {"Nothing written: the radio's air rate and ID are not known. Read the radio first!",
        "参数未写入:电台的空中速率和ID码未知,请先读电台!"},
    {"Nothing written: no channel selected!", "参数未写入:未选择信道号!"},
    {"Nothing written: no serial speed selected!", "参数未写入:未选择串口速率!"},
    {"Nothing written: no serial parity selected!", "参数未写入:未选择串口校验!"},
}};

} // namespace

ParameterExchange::ParameterExchange(serial::SerialLink& link, platform::SerialPortProvider& ports,
    serial::PortController& portController, core::Ui& ui, core::StatusBar& status,
    platform::Dialogs& dialogs, const platform::System& clock, const core::Language& language)
    : m_link(link),
      m_ports(ports),
      m_portController(portController),
      m_ui(ui),
      m_status(status),
      m_dialogs(dialogs),
      m_language(language),
      m_session(link, clock, *this),
      m_closed(m_portController.subscribeClosed(
          [this](serial::PortController::CloseReason reason) { portClosed(reason); }))
{ }

void ParameterExchange::startRead()
{
    if (portLeasedElsewhere())
        return;
    if (isRunning() && (state().writeMode || state().verifying))
        return;
    startCommand(false);
}

void ParameterExchange::startWrite()
{
    // A running read is refilling the boxes that a write would take its values from, and a
    // running write already sends what was chosen when it started; either goes on undisturbed.
    if (isRunning() || portLeasedElsewhere())
        return;
    startCommand(true);
}

void ParameterExchange::stopCommand()
{
    if (!isRunning())
        return;
    if (operation() == Operation::Write) {
        m_ui.setText(Ctl::Progress_Label1,
            m_language.pick("Writing. A write cannot be stopped halfway; please wait...",
                "正在写参数,写入不能中途停止,请稍候......"));
        return;
    }
    const bool probing = state().connectMode;
    const bool writeMode = state().writeMode;
    finishOperation();
    // A write stopped in its probe has sent nothing; its values are dropped all the same.
    heldChanged(writeMode ? HeldChange::NotWritten : HeldChange::Read);
    if (probing)
        restoreProbeStart();
    if (m_link.handle.isValid())
        m_status.setText(core::StatusPanel::Connection, m_language.pick("Stopped", "已停止"));
}

// The terminal goes on at the speed and parity the user had, not at the probe's last guess.
void ParameterExchange::restoreProbeStart()
{
    auto& settings = m_link.settings;
    settings.speedIndex = m_beforeProbe.speedIndex;
    settings.parityIndex = m_beforeProbe.parityIndex;
    settings.timeoutBase = m_beforeProbe.timeoutBase;
    m_portController.showModeInDialog();
    m_portController.applyPortSettings();
}

// Takes every value of the write before anything goes out, so that none is made up and a box
// changed during the write cannot split it. A missing value ends the command and is named; a
// write that a settings file shaped goes out only once the user has confirmed its changes.
std::optional<WriteValues> ParameterExchange::takeWriteValues()
{
    const auto taken = radio::takeWriteValues(
        m_ui, m_lastRead ? std::optional<ReportedBytes>(m_lastRead->radio.reported) : std::nullopt);
    if (const auto* missing = std::get_if<WriteValue>(&taken)) {
        endMissingValue(*missing);
        return std::nullopt;
    }
    WriteValues values = std::get<WriteValues>(taken);
    if (m_shaper && !m_shaper(values))
        return std::nullopt;
    return values;
}

void ParameterExchange::startCommand(bool writeMode)
{
    m_session.stop();
    std::optional<WriteValues> values;
    if (writeMode && !(values = takeWriteValues()))
        return;
    // What a read finds may be another radio: nothing is known of the radio until it ends.
    if (!writeMode)
        forgetRadio();
    if (!findPort()) {
        showProbeSettings();
        if (values)
            heldChanged(HeldChange::NotWritten);
        return;
    }
    m_beforeProbe = m_link.settings;
    startCommandTimers();
    showProgress(m_language.pick("Connect", "连接电台"),
        m_language.pick("Connecting.Please wait...", "正在连接电台,请稍候..."),
        RadioSession::kProbeAttempts);
    if (values)
        m_session.startWrite(*values, m_ui.isChecked(Ctl::VerifyWrite));
    else
        m_session.startRead();
}

// With no port open, the first name with a device behind it that opens is taken, at 9600 bit/s
// without parity.
bool ParameterExchange::findPort()
{
    auto& settings = m_link.settings;
    if (settings.portNumber == 0 || settings.portNumber > 8) {
        m_ports.refresh();
        for (std::uint8_t number = 1; number <= platform::kPortCount; ++number) {
            if (!m_ports.entry(number).present)
                continue;
            if (auto opened = m_ports.open("COM" + std::to_string(number)); opened.port) {
                m_link.handle.assign(std::move(opened.port));
                settings.portNumber = number;
                settings.speedIndex = 1;
                settings.parityIndex = 0;
                break;
            }
        }
    }
    if (m_link.handle.isValid())
        return true;
    m_dialogs.messageBox(
        serial::noIdlePortText(m_ports, m_language), "CommError", platform::MessageButtons::Ok);
    return false;
}

void ParameterExchange::probeSettings()
{
    showProbeSettings();
}

void ParameterExchange::showProbeSettings()
{
    const auto& settings = m_link.settings;
    if (settings.speedIndex < serial::kSpeedCount)
        m_speedLabel = serial::speedTextForIndex(settings.speedIndex);
    m_parityLabel = std::string(1, serial::parityLetterForIndex(settings.parityIndex));
    m_portController.showPortInDialog();
    m_portController.showModeInDialog();
    m_portController.showPortInStatus();
    m_status.setText(core::StatusPanel::SerialMode, m_speedLabel + "-" + m_parityLabel + "-1");
    m_status.setText(core::StatusPanel::Connection, m_language.pick("Connect...", "连接中..."));
}

void ParameterExchange::probePolled()
{
    m_ui.setProgressValue(Ctl::ProgressBar1, kProbeBarOffset - state().attemptsLeft);
}

void ParameterExchange::connected()
{
    m_status.setText(core::StatusPanel::ModelVersion, modelVersionText(m_session.radio().version));
}

void ParameterExchange::stepsStarted(bool writeMode)
{
    startCommandTimers();
    if (writeMode) {
        showProgress(m_language.pick("Write", "写参数"),
            m_language.pick("Writing.Please wait...", "正在写参数,请稍候......"),
            RadioSession::kSteps + 1);
        return;
    }
    if (state().verifying) {
        showProgress(m_language.pick("Write", "写参数"),
            m_language.pick("Reading back.Please wait...", "正在回读校验,请稍候......"),
            RadioSession::kSteps);
        return;
    }
    m_ui.setText(Ctl::EditModelVer, "");
    m_ui.setText(Ctl::EditID, "");
    for (const Ctl box : {Ctl::ComboAirBaud, Ctl::ComboRadioParity, Ctl::ComboRadioSerBaud})
        m_ui.setCurrentIndex(box, -1);
    showProgress(m_language.pick("Read", "读参数"),
        m_language.pick("Reading.Please wait...", "正在读取参数,请稍候......"),
        RadioSession::kSteps);
}

void ParameterExchange::stepAnswered(int step)
{
    if (!state().writeMode && step == 0)
        ShowModel(m_session.radio(), m_ui, m_status);
    if (step < RadioSession::kSteps - 1)
        m_ui.setProgressValue(Ctl::ProgressBar1, step + 1);
}

// The radio takes a new serial mode once it has acknowledged it, so the PC port follows to the
// mode that was written. False when the port refused it (and was closed, which is said).
bool ParameterExchange::followSerialMode()
{
    auto& settings = m_link.settings;
    const WriteValues& written = m_session.writeValues();
    if (written.speedIndex == settings.speedIndex && written.parityIndex == settings.parityIndex)
        return true;
    settings.speedIndex = written.speedIndex;
    settings.parityIndex = written.parityIndex;
    m_portController.showModeInDialog();
    // The port's close ends nothing here: the write's own message says what happened. A refusal
    // shows a box, and no tick of the conversation may run under it.
    const bool running = isRunning();
    m_ui.setTimerActive(TimerId::SdCmd, false);
    m_ui.setTimerActive(TimerId::RecCmd, false);
    m_following = true;
    const bool followed = m_portController.applyPortSettings();
    m_following = false;
    if (followed && running) {
        m_ui.setTimerActive(TimerId::SdCmd, true);
        m_ui.setTimerActive(TimerId::RecCmd, true);
    }
    return followed;
}

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
            OnExchangeFailure();
        }
        return;
    }
}

// Keeps what the read found, as the boxes show it, with the serial mode it answered at.
void ParameterExchange::keepRead()
{
    m_radio = m_session.radio();
    FillParameterControls(m_radio, m_link.settings, m_ui);
    m_lastRead = LastRead {
        m_radio, m_link.settings.speedIndex, m_link.settings.parityIndex, localTimestamp()};
}

std::optional<WriteValues> ParameterExchange::heldValues() const
{
    if (!m_lastRead)
        return std::nullopt;
    serial::LinkSettings answeredAt;
    answeredAt.speedIndex = m_lastRead->speedIndex;
    answeredAt.parityIndex = m_lastRead->parityIndex;
    return radio::heldValues(m_lastRead->radio, m_lastRead->radio.reported, answeredAt);
}

void ParameterExchange::forgetRadio()
{
    m_lastRead.reset();
}

void ParameterExchange::heldChanged(HeldChange why)
{
    if (m_heldChanged)
        m_heldChanged(why);
}

// The radio acknowledged every value of the write: they are its own now, and the next write
// sends its air rate and ID as written (a settings file may have changed them).
void ParameterExchange::keepWritten()
{
    if (!m_lastRead)
        return;
    const WriteValues& written = m_session.writeValues();
    m_lastRead->radio.reported = {written.airRate, written.id};
    m_lastRead->radio.channel = written.channel;
    m_lastRead->speedIndex = written.speedIndex;
    m_lastRead->parityIndex = written.parityIndex;
}

void ParameterExchange::readDone()
{
    keepRead();
    finishOperation();
    heldChanged(HeldChange::Read);
    report("Read correct!", "参数读取成功", "读参数");
    m_ui.setEnabled(Ctl::Speed_W, true);
    m_ui.setEnabled(Ctl::FileWrite, true);
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

void ParameterExchange::OnExchangeFailure()
{
    m_ui.setTimerActive(TimerId::RecCmd, false);
    m_ui.setTimerActive(TimerId::SdCmd, false);
    m_ui.setVisible(Ctl::Form_Progress, false);
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
    const ValueTexts& text = kMissingValueTexts[static_cast<std::size_t>(missing)];
    report(text.english, text.chinese, "写参数");
}

// A register command holds the port.
bool ParameterExchange::portLeasedElsewhere() const
{
    return m_portController.leased() && !m_lease;
}

bool ParameterExchange::isRunning() const
{
    return m_ui.isTimerActive(TimerId::RecCmd);
}

// A read back belongs to its write.
Operation ParameterExchange::operation() const
{
    const State& s = state();
    if (s.verifying)
        return Operation::Write;
    if (s.connectMode)
        return Operation::Connect;
    return s.writeMode ? Operation::Write : Operation::Read;
}

void ParameterExchange::startCommandTimers()
{
    m_ui.setTimerActive(TimerId::SdCmd, true);
    m_ui.setTimerActive(TimerId::RecCmd, true);
    if (!m_lease)
        m_lease = m_portController.lease();
    m_portController.pauseTerminal();
}

void ParameterExchange::showProgress(
    const std::string& caption, const std::string& label, int maximum)
{
    m_ui.setText(Ctl::Form_Progress, caption);
    m_ui.setText(Ctl::Progress_Label1, label);
    m_ui.setProgressMaximum(Ctl::ProgressBar1, maximum);
    m_ui.setProgressValue(Ctl::ProgressBar1, 0);
    m_ui.setVisible(Ctl::Form_Progress, true);
}

// Back to idle: command timers off, the terminal's timers back, the progress dialog closed.
void ParameterExchange::finishOperation()
{
    m_session.stop();
    m_ui.setTimerActive(TimerId::SdCmd, false);
    m_ui.setTimerActive(TimerId::RecCmd, false);
    m_lease = {};
    m_portController.resumeTerminal();
    m_ui.setVisible(Ctl::Form_Progress, false);
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
