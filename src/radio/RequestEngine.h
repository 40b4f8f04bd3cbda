#pragma once

#include "CommandFrame.h"
#include "platform/SerialPort.h"
#include "platform/System.h"

#include <cstdint>
#include <vector>

namespace radio {

// A USB serial adapter holds received bytes for its latency timer before passing them on (16 ms
// by default on FTDI chips) when the driver cannot switch it to low latency.
constexpr std::uint32_t kAdapterLatencyMs = 16;
// What a radio may take to start its answer, with the scheduling of the program and the system
// on top; a deadline never comes earlier than this after the answer's own wire time.
constexpr std::uint32_t kAnswerAllowanceMs = 100;

// One request and its answer on a port, driven by the ticks of the caller's timer: nothing here
// blocks. The request goes to the driver at once; it has left the port when the driver's queue
// is empty and its wire time has passed. From then on the answer is polled until it is whole or
// the deadline has passed. The deadline is the later of the caller's minimum (a wait in
// milliseconds and a number of polls) and what the answer needs: its wire time, the radio's
// turnaround and an adapter's latency timer.
class RequestEngine
{
public:
    struct Request
    {
        CommandFrame frame; // complete, with its sum
        // Bytes of a whole answer; 0 when the answer's own length byte says (a frame of the
        // protocol: L + 4 bytes).
        std::uint32_t answerSize = 0;
        // More bytes waiting than this is a flood: they are dropped, and the request runs into
        // its deadline.
        std::uint32_t maxBytes = 100;
        std::uint32_t minWaitMs = 0; // counted from when the request has left the port
        int minPolls = 0; // counted from the request
        // Whether bytes already waiting when the deadline passes are looked at (a whole answer
        // is taken, a partial one shown); otherwise the deadline is tested first.
        bool answerWinsAtDeadline = true;
    };

    enum class Status {
        Idle,
        Waiting, // for the request to leave or for its answer
        Answered, // a whole answer, in answer()
        TimedOut, // the deadline passed; answer() holds what had arrived, if anything
        Gone, // the port's device has disappeared
    };

    explicit RequestEngine(const platform::System& clock) : m_clock(clock) { }

    // Discards stale input and output, then writes the request. Only bytes that arrive after the
    // purge count as the answer, so nothing is purged after the write: a quick answer keeps its
    // first bytes.
    Status start(platform::SerialPort& port, Request request);
    // One tick: writes what the driver did not take yet, then looks at the input.
    Status poll(platform::SerialPort& port);
    // An answer the caller refuses: the request waits on for its deadline, as if unanswered.
    void discardAnswer();
    // Forgets the running request; a late answer is dropped by the next request's purge.
    void cancel() { m_status = Status::Idle; }

    bool busy() const { return m_status == Status::Waiting; }
    const std::vector<std::uint8_t>& answer() const { return m_answer; }
    // The port's error flags seen while the answer arrived (a parity error, for instance).
    unsigned errors() const { return m_errors; }
    // Whether more than maxBytes arrived and were dropped.
    bool flooded() const { return m_flooded; }

    // Wire time of count bytes in milliseconds, rounded up.
    static std::uint32_t wireTimeMs(const platform::LineSettings& line, std::uint32_t count);
    // Bytes a whole answer has when it starts with these bytes; 0 while that is not known yet.
    static std::uint32_t frameSize(const std::vector<std::uint8_t>& bytes);

private:
    Status fail(platform::SerialPort& port);
    bool sendRest(platform::SerialPort& port);
    bool deadlinePassed(std::int64_t now) const;
    bool whole() const;
    Status takeInput(platform::SerialPort& port, std::uint32_t waiting);

    const platform::System& m_clock;
    Request m_request;
    Status m_status = Status::Idle;
    std::vector<std::uint8_t> m_answer;
    unsigned m_errors = 0;
    bool m_flooded = false;
    int m_polls = 0;
    std::uint32_t m_sent = 0; // bytes of the request the driver has taken
    std::int64_t m_wireEndAt = 0; // when the wire will have carried them
    std::int64_t m_leftAt = -1; // when the request had left the port; -1 until then
    std::int64_t m_sendDeadline = 0; // a request not gone by then finds a stalled line
    std::uint32_t m_answerWaitMs = 0; // from m_leftAt to the deadline
};

} // namespace radio
