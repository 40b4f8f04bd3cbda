#include "ParameterExchange.h"

#include <variant>

namespace radio {

namespace {

// The connect bar runs to 19 but shows 16 - attempts left, so it starts empty and never fills.
constexpr int kProbeBarOffset = 16;

} // namespace

ParameterExchange::ParameterExchange(serial::SerialLink& link,
    serial::PortController& portController, ParameterView& view, ProgressView& progress,
    Timers timers, core::StatusBar& status, platform::Dialogs& dialogs,
    const platform::System& clock, const core::Language& language)
    : m_link(link),
      m_portController(portController),
      m_view(view),
      m_progress(progress),
      m_timers(timers),
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
        m_progress.showLabel(
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
    m_link.settings.timeoutBase = m_beforeProbe.timeoutBase;
    m_portController.changeSerialMode(m_beforeProbe.speedIndex, m_beforeProbe.parityIndex);
}

// Takes every value of the write before anything goes out, so that none is made up and a box
// changed during the write cannot split it. A missing value ends the command and is named; a
// write that a settings file shaped goes out only once the user has confirmed its changes.
std::optional<WriteValues> ParameterExchange::takeWriteValues()
{
    const auto taken = radio::takeWriteValues(m_view.enteredValues(), heldValues());
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
    if (!m_portController.findRadioPort()) {
        showProbeSettings();
        if (values)
            heldChanged(HeldChange::NotWritten);
        return;
    }
    m_beforeProbe = m_link.settings;
    startCommandTimers();
    m_progress.showProgress(m_language.pick("Connect", "连接电台"),
        m_language.pick("Connecting.Please wait...", "正在连接电台,请稍候..."),
        RadioSession::kProbeAttempts);
    if (values)
        m_session.startWrite(*values, m_view.verifyAfterWrite());
    else
        m_session.startRead();
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
    m_portController.showLinkSettings();
    m_status.setText(core::StatusPanel::SerialMode, m_speedLabel + "-" + m_parityLabel + "-1");
    m_status.setText(core::StatusPanel::Connection, m_language.pick("Connect...", "连接中..."));
}

void ParameterExchange::probePolled()
{
    m_progress.showStep(kProbeBarOffset - state().attemptsLeft);
}

void ParameterExchange::connected()
{
    m_status.setText(core::StatusPanel::ModelVersion, modelVersionText(m_session.radio().version));
}

void ParameterExchange::stepsStarted(bool writeMode)
{
    startCommandTimers();
    if (writeMode) {
        m_progress.showProgress(m_language.pick("Write", "写参数"),
            m_language.pick("Writing.Please wait...", "正在写参数,请稍候......"),
            RadioSession::kSteps + 1);
        return;
    }
    if (state().verifying) {
        m_progress.showProgress(m_language.pick("Write", "写参数"),
            m_language.pick("Reading back.Please wait...", "正在回读校验,请稍候......"),
            RadioSession::kSteps);
        return;
    }
    m_view.clearReadValues();
    m_progress.showProgress(m_language.pick("Read", "读参数"),
        m_language.pick("Reading.Please wait...", "正在读取参数,请稍候......"),
        RadioSession::kSteps);
}

void ParameterExchange::stepAnswered(int step)
{
    if (!state().writeMode && step == 0)
        ShowModel(m_session.radio(), m_view, m_status);
    if (step < RadioSession::kSteps - 1)
        m_progress.showStep(step + 1);
}

// The radio takes a new serial mode once it has acknowledged it, so the PC port follows to the
// mode that was written. False when the port refused it (and was closed, which is said).
bool ParameterExchange::followSerialMode()
{
    const auto& settings = m_link.settings;
    const WriteValues& written = m_session.writeValues();
    if (written.speedIndex == settings.speedIndex && written.parityIndex == settings.parityIndex)
        return true;
    // The port's close ends nothing here: the write's own message says what happened. A refusal
    // shows a box, and no tick of the conversation may run under it.
    const bool running = isRunning();
    setCommandTimers(false);
    m_following = true;
    const bool followed
        = m_portController.changeSerialMode(written.speedIndex, written.parityIndex);
    m_following = false;
    if (followed && running)
        setCommandTimers(true);
    return followed;
}

std::optional<WriteValues> ParameterExchange::heldValues() const
{
    if (!m_lastRead)
        return std::nullopt;
    return m_lastRead->held;
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

// A register command holds the port.
bool ParameterExchange::portLeasedElsewhere() const
{
    return m_portController.leased() && !m_lease;
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
    setCommandTimers(true);
    if (!m_lease)
        m_lease = m_portController.lease();
    m_portController.pauseTerminal();
}

// Back to idle: command timers off, the terminal's timers back, the progress dialog closed.
void ParameterExchange::finishOperation()
{
    m_session.stop();
    setCommandTimers(false);
    m_lease = {};
    m_portController.resumeTerminal();
    m_progress.hideProgress();
}

void ParameterExchange::setCommandTimers(bool active)
{
    if (active) {
        m_timers.send.start();
        m_timers.receive.start();
    } else {
        m_timers.send.stop();
        m_timers.receive.stop();
    }
}

} // namespace radio
