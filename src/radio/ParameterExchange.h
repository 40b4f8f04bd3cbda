#pragma once

#include "RadioParameters.h"
#include "RequestEngine.h"
#include "core/Language.h"
#include "core/Ui.h"
#include "platform/Dialogs.h"
#include "platform/SerialPort.h"
#include "platform/System.h"
#include "serial/PortController.h"
#include "serial/SerialLink.h"

#include <cstdint>
#include <optional>
#include <string>

namespace radio {

// The Read and Write commands: a connect probe that steps through the speeds and parities
// until the radio answers, then four request/answer steps. Two 10 ms timers of the main window
// drive it: the send timer hands the pending request to the request engine, the receive timer
// polls the engine and decides what comes next. A time-out is a number of receive ticks and
// never less than the answer needs on the line, behind an adapter, after the request has left.
class ParameterExchange
{
public:
    // The exchange record.
    struct State
    {
        bool sendPending = false; // a request is due; also the verdict of the latest answer
        bool writeMode = false;
        bool connectMode = false; // the probe is running
        int step = 0; // read or write step, 0 to 3
        std::int32_t tick = 0; // receive ticks since the last request went out
        std::uint8_t attemptsLeft = 0;
    };

    enum class Operation { Connect, Read, Write };

    static constexpr int kProbeAttempts = 19;
    static constexpr int kMaxBytesRead = 100;

    // Registers itself with the port controller, so that closing the port ends a running
    // operation.
    ParameterExchange(serial::SerialLink& link, platform::SerialPortProvider& ports,
        serial::PortController& portController, core::Ui& ui, platform::Dialogs& dialogs,
        const platform::System& clock, const core::Language& language);
    ParameterExchange(const ParameterExchange&) = delete;
    ParameterExchange& operator=(const ParameterExchange&) = delete;

    // Speed_R / FileRead and Speed_W / FileWrite. A Write clicked while a read or write runs is
    // ignored, and the running one goes on; so is a Read clicked while a write runs, which would
    // leave the radio partly written. A Read clicked during a read starts over.
    void speedRClick();
    void speedWClick();
    // Escape or the progress window's close box: a probe or a read stops at once, with no
    // further frame, and the port stays open. A write that has begun to change the radio goes
    // on to its end, and the progress window says so.
    void stopClick();
    // Timer_SdCmd and Timer_RecCmd.
    void sdCmdTimer();
    void recCmdTimer();
    // The port was closed under a running operation: end it (and say so, unless its device
    // went, which the port controller reports). Idle, nothing happens.
    void portClosed(serial::PortController::CloseReason reason);

    const State& state() const { return m_state; }
    const RadioParameters& radioParameters() const { return m_radio; }
    const std::optional<ReportedBytes>& lastRead() const { return m_lastRead; }

private:
    // A message in both languages.
    struct Texts
    {
        std::string english;
        std::string chinese;
    };

    void startCommand(bool writeMode);
    bool takeWriteValues();
    void StartConnect();
    void ApplyProbeSettings();
    void StartRead();
    void StartWrite();
    void OnConnectPoll(RequestEngine::Status status);
    bool advanceStep();
    bool OnReadResult();
    bool OnWriteResult();
    void OnExchangeFailure();

    bool isRunning() const;
    Operation operation() const;
    RequestEngine::Request request() const;
    void startCommandTimers();
    void showProgress(const std::string& caption, const std::string& label, int maximum);
    void finishOperation();
    void restoreTerminalTimers();
    void followSerialMode();
    void endClosedPort(Operation running, const Texts& partialWrite);
    void reportConnectError();
    void endMissingValue(WriteValue missing);
    Texts partialWriteTexts() const;
    void report(const std::string& english, const std::string& chinese, const std::string& caption);

    serial::SerialLink& m_link;
    platform::SerialPortProvider& m_ports;
    serial::PortController& m_portController;
    core::Ui& m_ui;
    platform::Dialogs& m_dialogs;
    const core::Language& m_language;
    State m_state;
    RadioParameters m_radio;
    // The radio's own air rate and ID from the last read that succeeded in this run.
    std::optional<ReportedBytes> m_lastRead;
    // What the running write sends, taken when it started.
    WriteValues m_writeValues;
    // The speed and parity labels the probe last put on the port; an out-of-table speed index
    // keeps the previous label.
    std::string m_speedLabel;
    std::string m_parityLabel;
    RequestEngine m_engine;
    serial::PortController::Subscription m_closed;
};

} // namespace radio
