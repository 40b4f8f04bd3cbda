#pragma once

#include "RadioParameters.h"
#include "RequestEngine.h"
#include "platform/System.h"
#include "serial/SerialLink.h"

#include <cstdint>

namespace radio {

// The Read and Write conversations with the radio on the link's port, without any window: a
// connect probe that steps through the speeds and parities until the radio answers, then four
// request/answer steps, and after a write, when asked, a read back. Two ticks drive it, as the
// window's 10 ms timers or a command-line loop deliver them: the send tick hands the pending
// request to the request engine, the receive tick polls the engine and decides what comes next.
// A time-out is a number of receive ticks, and never less than the answer needs on the line and
// behind a USB adapter after the request has left.
class RadioSession
{
public:
    // The conversation record.
    struct State
    {
        bool sendPending = false; // a request is due; also the verdict of the latest answer
        bool writeMode = false;
        bool connectMode = false; // the probe is running
        bool verifying = false; // the read back after a write
        int step = 0; // read or write step, 0 to 3
        std::int32_t tick = 0; // receive ticks since the last request went out
        std::uint8_t attemptsLeft = 0;
    };

    enum class Outcome {
        ReadDone, // radio() holds the four answers
        WriteDone, // the radio acknowledged all four write steps
        Verified, // written, the port followed, and the read back matches
        Mismatch, // written, but the read back differs: see readBack()
        NoRadio, // the probe ran out of attempts
        StepFailed, // a read or write step went unanswered or was refused
        FollowRefused, // written, but the port refused the new serial mode
    };

    // What the conversation tells its owner; every call comes from a tick.
    class Observer
    {
    public:
        virtual ~Observer() = default;
        // The probe put the link's speed and parity on the port (or would have, without one).
        virtual void probeSettings() { }
        // A receive tick of the probe that did not end it.
        virtual void probePolled() { }
        // The probe found the radio: radio() has its model and version.
        virtual void connected() { }
        // The four steps of a read (also a read back) or a write start.
        virtual void stepsStarted(bool writeMode) { (void)writeMode; }
        // Step 0 to 2 was answered well and the next one is due; a read's answer is in radio().
        virtual void stepAnswered(int step) { (void)step; }
        // After a write that changed the serial mode, before the read back: the port takes the
        // written mode; false when it refused.
        virtual bool followSerialMode() { return true; }
        virtual void finished(Outcome outcome) = 0;
    };

    static constexpr int kSteps = 4;
    static constexpr int kProbeAttempts = 19;
    static constexpr int kMaxBytesRead = 100;

    RadioSession(serial::SerialLink& link, const platform::System& clock, Observer& observer);

    // Starts the probe at the link's settings; a read or write follows when it finds the radio.
    // A write with verify reads the radio back once the port has followed it.
    void startRead();
    void startWrite(const WriteValues& values, bool verify);
    // The steps again from step 0 at the settings that found the radio, without a probe.
    void restartSteps();
    void sendTick();
    void receiveTick();
    // Forgets what runs; nothing more goes out.
    void stop();

    const State& state() const { return m_state; }
    const RadioParameters& radio() const { return m_radio; }
    const WriteValues& writeValues() const { return m_writeValues; }
    // What the read back found, in the terms of a write: the radio's own air rate and ID, its
    // channel, and the serial mode it answered at.
    WriteValues readBack() const;

private:
    void startProbe(bool writeMode);
    void applyProbeSettings();
    void startSteps(bool writeMode);
    RequestEngine::Request request() const;
    void onProbePoll(RequestEngine::Status status);
    void onStepAnswer(const std::vector<std::uint8_t>& answer);
    void writeDone();
    void finish(Outcome outcome);

    serial::SerialLink& m_link;
    Observer& m_observer;
    RequestEngine m_engine;
    State m_state;
    RadioParameters m_radio;
    WriteValues m_writeValues;
    bool m_verify = false;
};

} // namespace radio
