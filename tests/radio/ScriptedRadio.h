#pragma once

#include "FakeSerialPort.h"
#include "radio/CommandFrame.h"

#include <functional>
#include <optional>

namespace radiotest {

// A radio on a fake port: it answers each request one tick after it went out (the exchange
// clears the receive side right after writing), and only while the port's line settings are its
// own. A serial mode write takes effect once its acknowledgement is out.
class ScriptedRadio
{
public:
    explicit ScriptedRadio(std::shared_ptr<fakes::PortState> port) : m_port(std::move(port))
    {
        m_port->onWrite = [this](const fakes::Bytes& request) { hear(request); };
    }

    // Called before each receive tick.
    void tick()
    {
        if (!m_pending || --m_pending->delay > 0)
            return;
        m_port->feed(m_pending->bytes);
        if (m_pending->newLine)
            line = *m_pending->newLine;
        m_pending.reset();
    }

    platform::LineSettings line; // the radio's own serial settings
    std::uint8_t model = 1;
    std::uint8_t version = 0x12;
    std::uint8_t airRate = 1;
    std::uint8_t channel = 5;
    std::array<std::uint8_t, 3> id {0x12, 0x34, 0x56};
    int answerDelay = 1; // receive ticks
    // Lets a test change or withhold (nullopt) the answer to a request, or set answerDelay
    // for it.
    std::function<std::optional<fakes::Bytes>(const fakes::Bytes& request, fakes::Bytes answer)>
        tamper;
    std::vector<std::uint8_t> heard; // command byte of every request received at its settings
    // A write request with this command is acknowledged but not applied, as by a lying radio.
    std::optional<std::uint8_t> ignoreWrite;

private:
    struct Pending
    {
        int delay;
        fakes::Bytes bytes;
        std::optional<platform::LineSettings> newLine;
    };

    void hear(const fakes::Bytes& request)
    {
        const auto& port = m_port->settings;
        if (port.baudRate != line.baudRate || port.parity != line.parity || request.size() < 5)
            return;
        heard.push_back(request[3]);
        std::optional<fakes::Bytes> answer = answerFor(request);
        if (tamper)
            answer = tamper(request, *answer);
        if (!answer)
            return;
        Pending pending {answerDelay, *answer, std::nullopt};
        if (request[3] != ignoreWrite)
            apply(request, pending);
        m_pending = pending;
    }

    // A serial mode write takes effect once its acknowledgement is out.
    void apply(const fakes::Bytes& request, Pending& pending)
    {
        switch (request[3]) {
        case radio::cmd::WriteSerialMode:
            pending.newLine = lineForMode(request[4]);
            break;
        case radio::cmd::WriteSelector:
            if (request[4] == 0x05)
                airRate = request[5];
            break;
        case radio::cmd::WriteId:
            std::copy(request.begin() + 4, request.begin() + 7, id.begin());
            break;
        case radio::cmd::WriteChannel:
            channel = request[4];
            break;
        default:
            break;
        }
    }

    fakes::Bytes answerFor(const fakes::Bytes& request) const
    {
        switch (request[3]) {
        case radio::cmd::QueryModelVersion:
            return radio::makeFrame(request[3], {model, version});
        case radio::cmd::QueryAirRate:
            return radio::makeFrame(request[3], {airRate});
        case radio::cmd::QueryChannel:
            return radio::makeFrame(request[3], {channel});
        case radio::cmd::QueryId:
            return radio::makeFrame(request[3], {id[0], id[1], id[2]});
        default:
            return fakes::Bytes(radio::kWriteAck.begin(), radio::kWriteAck.end());
        }
    }

    static platform::LineSettings lineForMode(std::uint8_t mode)
    {
        static constexpr std::uint32_t bauds[] = {19200, 9600, 4800, 2400, 1200, 300};
        platform::LineSettings settings;
        settings.baudRate = bauds[(mode & 0x0F) % 6];
        settings.parity = mode >= 0x30 ? platform::Parity::Even
            : mode >= 0x20             ? platform::Parity::Odd
                                       : platform::Parity::None;
        return settings;
    }

    std::shared_ptr<fakes::PortState> m_port;
    std::optional<Pending> m_pending;
};

} // namespace radiotest
