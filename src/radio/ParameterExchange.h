#pragma once

#include "ExchangeTexts.h"
#include "ParameterView.h"
#include "RadioParameters.h"
#include "RadioSession.h"
#include "core/Language.h"
#include "core/StatusBar.h"
#include "core/Timer.h"
#include "platform/Dialogs.h"
#include "platform/System.h"
#include "serial/PortController.h"
#include "serial/SerialLink.h"

#include <functional>
#include <optional>
#include <string>

namespace radio {

// The Read and Write commands of the main window: the radio conversation (RadioSession) shown
// in the parameter boxes, the status bar, the progress window and message boxes. Two 10 ms
// timers, the send and the receive timer, drive the conversation; the receive timer runs
// exactly while a command does.
class ParameterExchange : private RadioSession::Observer
{
public:
    using State = RadioSession::State;

    // What the last successful read found: the radio's version, the values it holds (with the
    // serial mode it answered at), and when.
    struct LastRead
    {
        std::uint8_t version = 0;
        WriteValues held;
        std::string readAt; // local time, ISO 8601
    };

    // Why the radio's values as last known stop being the base of the next write: they were
    // written, a write did not end well, the radio is read again, or the port was closed.
    enum class HeldChange { Written, NotWritten, Read, PortClosed };
    // Asked before each write with the values it sends, which a settings file may change; false
    // when the user cancelled. Told whenever the radio's known values change or are forgotten,
    // since values previewed against them belong to them alone.
    using WriteShaper = std::function<bool(WriteValues& values)>;
    using HeldChanged = std::function<void(HeldChange why)>;

    // Registers itself with the port controller, so that closing the port ends a running
    // operation.
    struct Timers
    {
        core::Timer& send;
        core::Timer& receive;
    };
    ParameterExchange(serial::SerialLink& link, serial::PortController& portController,
        ParameterView& view, ProgressView& progress, Timers timers, core::StatusBar& status,
        platform::Dialogs& dialogs, const platform::System& clock, const core::Language& language);
    ParameterExchange(const ParameterExchange&) = delete;
    ParameterExchange& operator=(const ParameterExchange&) = delete;

    void setWriteShaper(WriteShaper shaper, HeldChanged changed)
    {
        m_shaper = std::move(shaper);
        m_heldChanged = std::move(changed);
    }

    // The toolbar's and the File menu's Read and Write. A Write clicked while a read or write runs
    // is ignored, and the running one goes on; so is a Read clicked while a write runs, which would
    // leave the radio partly written. A Read clicked during a read starts over. With the
    // verify-after-write item checked, a write reads the radio back and compares.
    void startRead();
    void startWrite();
    // Escape or the progress window's close box: a probe or a read stops at once, with no
    // further frame, and the port stays open; a stopped probe puts the port back at the speed
    // and parity it had before. A write that has begun to change the radio goes on to its end,
    // and the progress window says so.
    void stopCommand();
    // The ticks of the send and the receive timer.
    void sendTick() { m_session.sendTick(); }
    void receiveTick() { m_session.receiveTick(); }
    // The port was closed under a running operation: end it (and say so, unless its device
    // went, which the port controller reports). Idle, nothing happens.
    void portClosed(serial::PortController::CloseReason reason);

    const State& state() const { return m_session.state(); }
    // What the radio holds as far as the program knows: the last read, updated by each write
    // the radio acknowledged. Forgotten when a read starts, when the port closes and after a
    // write that did not end well, since the radio's state is then unknown.
    const std::optional<LastRead>& lastRead() const { return m_lastRead; }
    // The last read in the terms of a write; nullopt when nothing is known.
    std::optional<WriteValues> heldValues() const;

private:
    // RadioSession::Observer
    void probeSettings() override;
    void probePolled() override;
    void connected() override;
    void stepsStarted(bool writeMode) override;
    void stepAnswered(int step) override;
    bool followSerialMode() override;
    void finished(RadioSession::Outcome outcome) override;

    void startCommand(bool writeMode);
    std::optional<WriteValues> takeWriteValues();
    void showProbeSettings();
    void keepRead();
    void keepWritten();
    void forgetRadio();
    void heldChanged(HeldChange why);
    void restoreProbeStart();
    void readDone();
    void writeDone(RadioSession::Outcome outcome);
    void onExchangeFailure();
    void endFailedSteps();

    bool isRunning() const { return m_timers.receive.isActive(); }
    bool portLeasedElsewhere() const;
    Operation operation() const;
    void startCommandTimers();
    void setCommandTimers(bool active);
    void finishOperation();
    void endClosedPort(Operation running, const core::Bilingual& partialWrite);
    void reportConnectError();
    void endMissingValue(WriteValue missing);
    void report(const std::string& english, const std::string& chinese, const std::string& caption);

    serial::SerialLink& m_link;
    serial::PortController& m_portController;
    ParameterView& m_view;
    ProgressView& m_progress;
    Timers m_timers;
    core::StatusBar& m_status;
    platform::Dialogs& m_dialogs;
    const core::Language& m_language;
    RadioSession m_session;
    std::optional<LastRead> m_lastRead;
    WriteShaper m_shaper;
    HeldChanged m_heldChanged;
    // The port's speed, parity and time-out base before the probe, for a probe that is stopped.
    serial::LinkSettings m_beforeProbe;
    // The speed and parity labels the probe last put on the port; an out-of-table speed index
    // keeps the previous label.
    std::string m_speedLabel;
    std::string m_parityLabel;
    bool m_following = false; // the port is taking a written serial mode
    serial::PortController::Lease m_lease; // held from a command's start to its end
    serial::PortController::Subscription m_closed;
};

} // namespace radio
