#include "ParameterExchange.h"
#include "serial/PortTexts.h"

#include <array>
#include <variant>

namespace radio {

using core::Ctl;
using core::TimerId;

namespace {

constexpr int kSteps = 4;
// Bytes that must be waiting before an answer is looked at.
constexpr std::array<std::uint32_t, kSteps> kReadAnswerSizes = {8, 7, 7, 9};
constexpr std::uint32_t kProbeAnswerSize = 8;
constexpr std::uint32_t kWriteAnswerSize = 6;
// Time-outs in receive ticks on top of the link's time-out base.
constexpr int kProbeTimeout = 75;
constexpr int kStepTimeout = 70;
// The connect bar runs to 19 but shows 16 - attempts left, so it starts empty and never fills.
constexpr int kProbeBarOffset = 16;

CommandFrame toFrame(const std::array<std::uint8_t, 7>& bytes)
{
    return CommandFrame(bytes.begin(), bytes.end());
}

CommandFrame readQuery(int step)
{
    static const std::array<CommandFrame, kSteps> queries = {toFrame(kQueryModelVersion),
        toFrame(kQueryAirRate), toFrame(kQueryChannel), toFrame(kQueryId)};
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

struct OperationTexts
{
    const char* failureEnglish;
    const char* failureChinese;
    const char* caption; // of the Chinese message boxes
};

// By ParameterExchange::Operation: Connect, Read, Write.
constexpr std::array<OperationTexts, 3> kOperationTexts = {{
    {"Connect error!", "检测电台失败", "参数"},
    {"Read error!", "参数读取失败", "读参数"},
    {"Write error!", "参数设置失败", "写参数"},
}};

const OperationTexts& textsFor(ParameterExchange::Operation operation)
{
    return kOperationTexts[static_cast<std::size_t>(operation)];
}

struct ValueTexts
{
    const char* english;
    const char* chinese;
};

// By WriteValue.
constexpr std::array<ValueTexts, 4> kMissingValueTexts = {{
    {"Nothing written: the radio's air rate and ID have not been read!",
        "参数未写入:未读取电台的空中速率和ID码!"},
    {"Nothing written: no channel selected!", "参数未写入:未选择信道号!"},
    {"Nothing written: no serial speed selected!", "参数未写入:未选择串口速率!"},
    {"Nothing written: no serial parity selected!", "参数未写入:未选择串口校验!"},
}};

// What each write step puts into the radio, by step.
constexpr std::array<ValueTexts, kSteps> kWriteStepNames = {{
    {"air rate", "空中速率"},
    {"ID", "ID码"},
    {"channel", "信道号"},
    {"serial mode", "串口速率和校验"},
}};

} // namespace

ParameterExchange::ParameterExchange(serial::SerialLink& link, platform::SerialPortProvider& ports,
    serial::PortController& portController, core::Ui& ui, platform::Dialogs& dialogs,
    const platform::System& clock, const core::Language& language)
    : m_link(link),
      m_ports(ports),
      m_portController(portController),
      m_ui(ui),
      m_dialogs(dialogs),
      m_language(language),
      m_engine(clock),
      m_closed(m_portController.subscribeClosed(
          [this](serial::PortController::CloseReason reason) { portClosed(reason); }))
{ }

void ParameterExchange::speedRClick()
{
    if (isRunning() && m_state.writeMode)
        return;
    startCommand(false);
}

void ParameterExchange::stopClick()
{
    if (!isRunning())
        return;
    if (operation() == Operation::Write) {
        m_ui.setText(Ctl::Progress_Label1,
            m_language.pick("Writing. A write cannot be stopped halfway; please wait...",
                "正在写参数,写入不能中途停止,请稍候......"));
        return;
    }
    finishOperation();
    m_ui.setStatusText(3, m_language.pick("Stopped", "已停止"));
}

void ParameterExchange::speedWClick()
{
    // A running read is refilling the boxes that a write would take its values from, and a
    // running write already sends what was chosen when it started; either goes on undisturbed.
    if (isRunning())
        return;
    if (takeWriteValues())
        startCommand(true);
}

// Takes every value of the write before anything goes out, so that none is made up and a box
// changed during the write cannot split it. A missing value ends the command and is named.
bool ParameterExchange::takeWriteValues()
{
    const auto taken = radio::takeWriteValues(m_ui, m_lastRead);
    if (const auto* missing = std::get_if<WriteValue>(&taken)) {
        endMissingValue(*missing);
        return false;
    }
    m_writeValues = std::get<WriteValues>(taken);
    return true;
}

void ParameterExchange::startCommand(bool writeMode)
{
    m_engine.cancel();
    StartConnect();
    ApplyProbeSettings();
    m_state.writeMode = writeMode;
    m_state.tick = 0;
}

void ParameterExchange::StartConnect()
{
    auto& settings = m_link.settings;
    if (settings.portNumber == 0 || settings.portNumber > 8) {
        // Only the names that have a device behind them are tried, in order.
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
    if (!m_link.handle.isValid()) {
        m_dialogs.messageBox(
            serial::noIdlePortText(m_ports, m_language), "CommError", platform::MessageButtons::Ok);
        return;
    }
    m_state.attemptsLeft = kProbeAttempts;
    m_state.sendPending = true;
    m_state.connectMode = true;
    startCommandTimers();
    showProgress(m_language.pick("Connect", "连接电台"),
        m_language.pick("Connecting.Please wait...", "正在连接电台,请稍候..."), kProbeAttempts);
}

void ParameterExchange::ApplyProbeSettings()
{
    auto& settings = m_link.settings;
    const bool open = m_link.handle.isValid();
    platform::LineSettings line;
    if (open)
        m_link.handle.port().getSettings(line);
    line.byteSize = 8;
    if (settings.parityIndex > 2) {
        const int next = settings.speedIndex + 1;
        settings.speedIndex = static_cast<std::uint8_t>(next >= serial::kSpeedCount ? 0 : next);
        settings.parityIndex = 0;
        settings.timeoutBase = static_cast<std::uint8_t>(settings.speedIndex + 8);
    }
    if (settings.speedIndex < serial::kSpeedCount) {
        line.baudRate = serial::baudForSpeedIndex(settings.speedIndex);
        m_speedLabel = serial::speedTextForIndex(settings.speedIndex);
    }
    line.parity = serial::parityForIndex(settings.parityIndex);
    line.parityCheck = line.parity != platform::Parity::None;
    m_parityLabel = std::string(1, serial::parityLetterForIndex(settings.parityIndex));

    m_ui.setCurrentIndex(Ctl::Comb_ComNo, settings.portNumber - 1);
    m_ui.setCurrentIndex(Ctl::ComboBaudRate, settings.speedIndex);
    m_ui.setCurrentIndex(Ctl::ComboParity, settings.parityIndex);
    m_portController.showPortInStatus();
    m_ui.setStatusText(2, m_speedLabel + "-" + m_parityLabel + "-1");
    m_ui.setStatusText(3, m_language.pick("Connect...", "连接中..."));

    if (open) {
        // A port refusing the settings is not an error here: the probe simply moves on.
        m_link.handle.port().setSettings(line);
        m_link.handle.port().purge(platform::PurgeTxClear | platform::PurgeRxClear);
    }
}

void ParameterExchange::StartRead()
{
    m_state.sendPending = true;
    m_state.writeMode = false;
    m_state.step = 0;
    m_ui.setText(Ctl::EditModelVer, "");
    m_ui.setText(Ctl::EditID, "");
    for (const Ctl box : {Ctl::ComboAirBaud, Ctl::ComboRadioParity, Ctl::ComboRadioSerBaud})
        m_ui.setCurrentIndex(box, -1);
    startCommandTimers();
    showProgress(m_language.pick("Read", "读参数"),
        m_language.pick("Reading.Please wait...", "正在读取参数,请稍候......"), kSteps);
}

void ParameterExchange::StartWrite()
{
    startCommandTimers();
    showProgress(m_language.pick("Write", "写参数"),
        m_language.pick("Writing.Please wait...", "正在写参数,请稍候......"), kSteps + 1);
    m_state.step = 0;
    m_state.sendPending = true;
    m_state.writeMode = true;
}

RequestEngine::Request ParameterExchange::request() const
{
    RequestEngine::Request request;
    const int base = m_link.settings.timeoutBase;
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

void ParameterExchange::sdCmdTimer()
{
    if (!m_state.sendPending)
        return;
    m_state.sendPending = false;
    m_state.tick = 0;
    if (!m_link.handle.isValid())
        return;
    // A request the line does not take runs into its time-out like an unanswered one.
    m_engine.start(m_link.handle.port(), request());
}

void ParameterExchange::recCmdTimer()
{
    ++m_state.tick;
    if (!m_link.handle.isValid() || !m_engine.busy())
        return;
    // A vanished device ends the operation through the port controller's close.
    const RequestEngine::Status status = m_engine.poll(m_link.handle.port());
    if (status == RequestEngine::Status::Gone)
        return;
    if (m_state.connectMode) {
        OnConnectPoll(status);
        return;
    }
    bool failed = false;
    if (status == RequestEngine::Status::TimedOut) {
        failed = true;
    } else if (status == RequestEngine::Status::Answered) {
        const auto& answer = m_engine.answer();
        if (m_state.writeMode) {
            m_state.sendPending = IsWriteAck(answer);
            failed = OnWriteResult();
        } else {
            m_state.sendPending = ParseReadResponse(m_state.step, answer, m_radio, m_ui);
            failed = OnReadResult();
        }
    }
    if (failed)
        OnExchangeFailure();
}

void ParameterExchange::OnConnectPoll(RequestEngine::Status status)
{
    bool failed = false;
    if (status == RequestEngine::Status::Answered) {
        // Bytes received with a parity error come from a line at other settings, however
        // well they look.
        m_state.sendPending = m_engine.errors() != platform::CommRxParity
            && CheckConnectResponse(m_engine.answer(), m_radio, m_ui);
        if (m_state.sendPending) {
            if (m_state.writeMode)
                StartWrite();
            else
                StartRead();
            m_state.tick = 0;
            m_state.connectMode = false;
        } else {
            // No new request: the time-out that follows costs the next attempt.
            failed = --m_state.attemptsLeft == 0;
            if (!failed)
                m_engine.discardAnswer();
        }
    } else if (status == RequestEngine::Status::TimedOut) {
        failed = --m_state.attemptsLeft == 0;
        if (!failed) {
            ++m_link.settings.parityIndex;
            ApplyProbeSettings();
            m_state.sendPending = true;
        }
    }
    if (failed) {
        finishOperation();
        reportConnectError();
        return;
    }
    if (m_state.connectMode)
        m_ui.setProgressValue(Ctl::ProgressBar1, kProbeBarOffset - m_state.attemptsLeft);
}

// Moves on to the next request while steps are left; false once the last answer is in.
bool ParameterExchange::advanceStep()
{
    if (m_state.step >= kSteps - 1)
        return false;
    ++m_state.step;
    m_ui.setProgressValue(Ctl::ProgressBar1, m_state.step);
    return true;
}

bool ParameterExchange::OnReadResult()
{
    if (!m_state.sendPending)
        return true;
    if (advanceStep())
        return false;
    FillParameterControls(m_radio, m_link.settings, m_ui);
    m_lastRead = m_radio.reported;
    finishOperation();
    report("Read correct!", "参数读取成功", "读参数");
    m_ui.setEnabled(Ctl::Speed_W, true);
    m_ui.setEnabled(Ctl::FileWrite, true);
    return false;
}

bool ParameterExchange::OnWriteResult()
{
    if (!m_state.sendPending)
        return true;
    if (advanceStep())
        return false;
    finishOperation();
    report("Write correct!", "参数设置成功", "写参数");
    followSerialMode();
    return false;
}

// The radio takes a new serial mode once it has acknowledged it, so the PC port follows to the
// mode that was written.
void ParameterExchange::followSerialMode()
{
    auto& settings = m_link.settings;
    const std::uint8_t speed = m_writeValues.speedIndex;
    const std::uint8_t parity = m_writeValues.parityIndex;
    if (speed == settings.speedIndex && parity == settings.parityIndex)
        return;
    settings.speedIndex = speed;
    settings.parityIndex = parity;
    m_ui.setCurrentIndex(Ctl::ComboBaudRate, speed);
    m_ui.setCurrentIndex(Ctl::ComboParity, parity);
    m_portController.applyPortSettings();
}

void ParameterExchange::OnExchangeFailure()
{
    m_ui.setTimerActive(TimerId::RecCmd, false);
    m_ui.setTimerActive(TimerId::SdCmd, false);
    m_ui.setVisible(Ctl::Form_Progress, false);
    const OperationTexts& text = textsFor(operation());
    const Texts partial = partialWriteTexts();
    if (m_language.isEnglish()) {
        m_dialogs.showMessage(text.failureEnglish + partial.english);
        restoreTerminalTimers();
        return;
    }
    const auto answer = m_dialogs.messageBox(
        text.failureChinese + partial.chinese, text.caption, platform::MessageButtons::RetryCancel);
    if (answer != platform::MessageResult::Retry) {
        restoreTerminalTimers();
        return;
    }
    // Again from step 0 at the settings that found the radio; no new probe. A write takes its
    // values afresh, as a new click would.
    if (!m_state.writeMode)
        StartRead();
    else if (takeWriteValues())
        StartWrite();
    else
        return;
    m_state.tick = 0;
}

void ParameterExchange::portClosed(serial::PortController::CloseReason reason)
{
    if (!isRunning())
        return;
    const Operation running = operation();
    const Texts partial = partialWriteTexts();
    finishOperation();
    if (reason == serial::PortController::CloseReason::Closed) {
        endClosedPort(running, partial);
        return;
    }
    // A vanished device: the controller's one message names the port under this line.
    const OperationTexts& text = textsFor(running);
    m_portController.setGoneFirstLine(
        text.failureEnglish + partial.english, text.failureChinese + partial.chinese);
}

void ParameterExchange::endClosedPort(Operation running, const Texts& partialWrite)
{
    const OperationTexts& text = textsFor(running);
    report(std::string(text.failureEnglish) + " The port was closed." + partialWrite.english,
        std::string(text.failureChinese) + ",通讯端口已关闭" + partialWrite.chinese, text.caption);
}

// The probe found no radio: the message says where to look.
void ParameterExchange::reportConnectError()
{
    const OperationTexts& text = textsFor(Operation::Connect);
    const std::string port = "COM" + std::to_string(m_link.settings.portNumber);
    report(std::string(text.failureEnglish) + "\n" + port
            + ": check the radio's power, the cable, the radio's serial port, and that no other "
              "program uses the port.",
        std::string(text.failureChinese) + "\n" + port
            + ":请检查电台电源、连接电缆、电台串口,以及是否有其他程序占用该端口。",
        text.caption);
}

void ParameterExchange::endMissingValue(WriteValue missing)
{
    finishOperation();
    const ValueTexts& text = kMissingValueTexts[static_cast<std::size_t>(missing)];
    report(text.english, text.chinese, "写参数");
}

// A second line for the message that ends a write early, naming the values the radio took
// (acknowledged), the one whose request went out unacknowledged, and those never sent. Empty for
// a read, and for a write of which the radio took nothing.
ParameterExchange::Texts ParameterExchange::partialWriteTexts() const
{
    if (operation() != Operation::Write || m_state.step == 0)
        return {};
    // A request that is still pending has not gone out yet.
    const int sent = m_state.step + (m_state.sendPending ? 0 : 1);
    std::array<Texts, 3> lists; // took, not confirmed, not sent
    for (int step = 0; step < kSteps; ++step) {
        Texts& list = lists[step < m_state.step ? 0 : step < sent ? 1 : 2];
        const ValueTexts& name = kWriteStepNames[static_cast<std::size_t>(step)];
        list.english += (list.english.empty() ? "" : ", ") + std::string(name.english);
        list.chinese += (list.chinese.empty() ? "" : "、") + std::string(name.chinese);
    }
    Texts line {"\nThe radio took: " + lists[0].english + ".", "\n电台已接受:" + lists[0].chinese};
    if (!lists[1].english.empty()) {
        line.english += " Not confirmed: " + lists[1].english + ".";
        line.chinese += ";未确认:" + lists[1].chinese;
    }
    if (!lists[2].english.empty()) {
        line.english += " Not sent: " + lists[2].english + ".";
        line.chinese += ";未发送:" + lists[2].chinese;
    }
    return line;
}

bool ParameterExchange::isRunning() const
{
    return m_ui.isTimerActive(TimerId::RecCmd);
}

ParameterExchange::Operation ParameterExchange::operation() const
{
    if (m_state.connectMode)
        return Operation::Connect;
    return m_state.writeMode ? Operation::Write : Operation::Read;
}

void ParameterExchange::startCommandTimers()
{
    m_ui.setTimerActive(TimerId::SdCmd, true);
    m_ui.setTimerActive(TimerId::RecCmd, true);
    m_ui.setTimerActive(TimerId::RecData, false);
    m_ui.setTimerActive(TimerId::TrttData, false);
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
    m_engine.cancel();
    m_ui.setTimerActive(TimerId::SdCmd, false);
    m_ui.setTimerActive(TimerId::RecCmd, false);
    restoreTerminalTimers();
    m_state.step = 0;
    m_state.sendPending = false;
    m_state.connectMode = false;
    m_ui.setVisible(Ctl::Form_Progress, false);
}

// The receive poll runs whenever a port is open; auto send resumes if its box is checked.
void ParameterExchange::restoreTerminalTimers()
{
    m_ui.setTimerActive(TimerId::RecData, m_link.handle.isValid());
    m_ui.setTimerActive(TimerId::TrttData, m_ui.isChecked(Ctl::Check_AutoTrtt));
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
