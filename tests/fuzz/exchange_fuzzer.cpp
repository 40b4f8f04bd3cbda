// The connect, read and write exchange driven tick by tick through a fake port: a simulated
// radio that answers when the port is at its settings, fuzzed bytes, error flags, a device that
// vanishes, a port closed or reopened under it, clicks and message box answers. Whatever comes,
// the exchange ends once the line falls silent, and its timers, the progress dialog and the
// terminal's timers agree with each other all along.
#include "ExchangeRig.h"
#include "FuzzCheck.h"
#include "RadioModel.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace {

class Rig : public fakes::ExchangeRig
{
public:
    explicit Rig(FuzzedDataProvider& input) : m_input(input), m_radio(makeRadio(input))
    {
        language.value = input.ConsumeBool() ? 1 : 0;
        for (const char* name : {"COM1", "COM2"}) {
            auto state = ports.add(name);
            state->onWrite = [this, port = state.get()](const fakes::Bytes& frame) {
                m_lastRequest = frame;
                m_requestPort = port;
                if (m_autoAnswer)
                    answer();
            };
            m_ports.push_back(state);
        }
        dialogs.onShow = [this](const fakes::ShownMessage&) {
            // No box may wait while the exchange's own timers tick.
            FUZZ_CHECK(!sendTimer.isActive());
            FUZZ_CHECK(!receiveTimer.isActive());
        };
    }

    void step()
    {
        const bool wasRunning = running();
        switch (m_input.ConsumeIntegralInRange(0, 13)) {
        case 0:
            break;
        case 1:
            answer();
            break;
        case 2: {
            const auto bytes
                = m_input.ConsumeBytes<std::uint8_t>(m_input.ConsumeIntegralInRange(1, 120));
            anyPort().feed(bytes);
            break;
        }
        case 3:
            anyPort().pendingErrors = m_input.ConsumeIntegral<std::uint8_t>() & 0x1F;
            break;
        case 4:
            anyPort().vanished = true;
            break;
        case 5:
            portController.closePort();
            break;
        case 6:
            exchange.startRead();
            break;
        case 7:
            exchange.startWrite();
            break;
        case 9:
            dialogs.answers.push_back(m_input.ConsumeBool() ? platform::MessageResult::Retry
                                                            : platform::MessageResult::Cancel);
            break;
        case 10:
            anyPort().refuseSettings = !anyPort().refuseSettings;
            break;
        case 11:
            anyPort().stalled = !anyPort().stalled;
            break;
        case 12:
            portView.port = m_input.ConsumeIntegralInRange(0, 2);
            portView.speed = m_input.ConsumeIntegralInRange(-1, 5);
            portView.parity = m_input.ConsumeIntegralInRange(0, 2);
            portController.openFromDialog();
            break;
        default:
            m_autoAnswer = !m_autoAnswer;
            break;
        }
        checkConsistent(wasRunning);
        const int ticks = m_input.ConsumeIntegralInRange(0, 3) == 0
            ? m_input.ConsumeIntegralInRange(1, 100)
            : 1;
        for (int i = 0; i < ticks; ++i)
            tick();
    }

    // The line falls silent: whatever runs must end within its time-outs, including the
    // restarts that Retry answers still waiting in the script ask for.
    void runOut()
    {
        m_autoAnswer = false;
        const int bound = 19 * (13 + 77) + 10 + static_cast<int>(dialogs.answers.size()) * 100;
        int ticks = 0;
        while (running()) {
            FUZZ_CHECK(++ticks <= bound);
            tick();
        }
        checkConsistent(false);
    }

private:
    static radiosim::Radio makeRadio(FuzzedDataProvider& input)
    {
        static constexpr std::array<std::uint32_t, 6> bauds = {19200, 9600, 4800, 2400, 1200, 300};
        radiosim::RadioConfig config;
        config.serial.baud = bauds[input.ConsumeIntegralInRange<std::size_t>(0, 5)];
        config.serial.parity = static_cast<platform::Parity>(input.ConsumeIntegralInRange(0, 2));
        config.model = input.ConsumeIntegralInRange<std::uint8_t>(0, 17);
        config.airRate = input.ConsumeIntegral<std::uint8_t>();
        config.channel = input.ConsumeIntegral<std::uint8_t>();
        const auto flags = input.ConsumeIntegral<std::uint8_t>();
        config.misbehaviour.badChecksum = (flags & 0x03) == 0x03;
        config.misbehaviour.refuseWrites = (flags & 0x0C) == 0x0C;
        return radiosim::Radio(config, flags);
    }

    bool running() const { return receiveTimer.isActive(); }
    bool openPortVanished() const
    {
        return std::any_of(m_ports.begin(), m_ports.end(),
            [](const auto& port) { return port->open && port->vanished; });
    }

    fakes::PortState& anyPort()
    {
        return *m_ports[m_input.ConsumeIntegralInRange<std::size_t>(0, m_ports.size() - 1)];
    }

    // The radio answers the latest request when the port was at its settings.
    void answer()
    {
        if (!m_lastRequest || !m_requestPort)
            return;
        const platform::LineSettings& line = m_requestPort->settings;
        if (line.baudRate != m_radio.serial().baud || line.parity != m_radio.serial().parity)
            return;
        const radiosim::Reply reply = m_radio.answer(*m_lastRequest);
        m_requestPort->feed(reply.bytes);
        if (reply.serialAfterAnswer)
            m_radio.setSerial(*reply.serialAfterAnswer);
        m_lastRequest.reset();
    }

    // One tick of both 10 ms timers, as the window system delivers them.
    void tick()
    {
        const bool deviceGone = running() && openPortVanished();
        clock.nowMs += 10;
        if (sendTimer.isActive())
            exchange.sendTick();
        if (receiveTimer.isActive())
            exchange.receiveTick();
        eventLoop.runPending();
        // A device that has gone ends the operation within the tick (the event loop's turn
        // after the timers included), and is let go of.
        if (deviceGone)
            FUZZ_CHECK(!running() && !link.handle.isValid() && !openPortVanished());
        checkConsistent(true);
    }

    void checkConsistent(bool mayHaveEnded)
    {
        const auto& state = exchange.state();
        const bool isRunning = running();
        FUZZ_CHECK(sendTimer.isActive() == isRunning);
        FUZZ_CHECK(progress.visible == isRunning);
        FUZZ_CHECK(state.step >= 0 && state.step <= 3);
        FUZZ_CHECK(state.attemptsLeft <= radio::RadioSession::kProbeAttempts);
        FUZZ_CHECK(progress.step() <= progress.maximum);
        if (isRunning) {
            // The terminal keeps off the port while the exchange talks to the radio.
            FUZZ_CHECK(link.handle.isValid());
            FUZZ_CHECK(!receivePoll.isActive());
            FUZZ_CHECK(terminalPaused);
        } else {
            FUZZ_CHECK(!state.connectMode && !state.sendPending);
            if (mayHaveEnded && m_wasRunning) {
                FUZZ_CHECK(!terminalPaused);
                if (link.handle.isValid())
                    FUZZ_CHECK(receivePoll.isActive());
            }
        }
        m_wasRunning = isRunning;
    }

    FuzzedDataProvider& m_input;
    radiosim::Radio m_radio;
    std::vector<std::shared_ptr<fakes::PortState>> m_ports;
    std::optional<fakes::Bytes> m_lastRequest;
    fakes::PortState* m_requestPort = nullptr;
    bool m_autoAnswer = true;
    bool m_wasRunning = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    Rig rig(input);
    while (input.remaining_bytes() > 0)
        rig.step();
    rig.runOut();
    return 0;
}
