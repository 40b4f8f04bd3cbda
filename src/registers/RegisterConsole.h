#pragma once

#include "RegisterView.h"
#include "core/Language.h"
#include "core/Timer.h"
#include "platform/Dialogs.h"
#include "platform/System.h"
#include "radio/CommandFrame.h"
#include "radio/RequestEngine.h"
#include "serial/PortController.h"
#include "serial/SerialLink.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace registers {

// The register console behind the hidden test dialog: single register reads and writes, a dump
// of registers 0x00 to 0x20 and the radio's transmit tests. Every command writes one frame (the
// dump one per register) under a lease of the port, and the poll timer waits for the answer, at
// least a fixed time that grows with the port speed; the window stays live meanwhile. The
// console opens no port itself.
class RegisterConsole
{
public:
    static constexpr std::uint32_t kMaxAnswer = 20; // single command
    static constexpr std::uint32_t kMaxRegisterAnswer = 100; // one register of the dump
    static constexpr std::uint8_t kLastRegister = 0x20;

    RegisterConsole(serial::SerialLink& link, serial::PortController& portController,
        RegisterView& view, core::Timer& pollTimer, platform::Dialogs& dialogs,
        const platform::System& clock, const core::Language& language);

    // A command asked for while one runs, or while another has the port, is ignored.
    void readRegister();
    void writeRegister();
    void dumpRegisters();
    void startTransmitTest();
    void transmitFrequencyTest();
    void stopTransmitTest();
    // The poll timer's tick (every 10 ms) while a command runs.
    void pollAnswer();
    bool busy() const { return m_job != Job::None; }

    // Minimum waits in milliseconds after a frame has left the port, by the link's speed index.
    static unsigned singleWaitMs(std::uint8_t speedIndex);
    static unsigned dumpWaitMs(std::uint8_t speedIndex);

private:
    enum class Job { None, Single, Dump };

    void runSingle(radio::CommandFrame frame);
    bool send(radio::CommandFrame frame, unsigned waitMs, std::uint32_t maxBytes);
    void readNextRegister();
    void singleDone(radio::RequestEngine::Status status);
    void registerDone(radio::RequestEngine::Status status);
    void finish();
    bool portTaken() const;

    serial::SerialLink& m_link;
    serial::PortController& m_portController;
    RegisterView& m_view;
    core::Timer& m_pollTimer;
    platform::Dialogs& m_dialogs;
    const core::Language& m_language;
    radio::RequestEngine m_engine;
    Job m_job = Job::None;
    serial::PortController::Lease m_lease; // held from a frame's send to its answer
    AnswerColor m_answerColor = AnswerColor::Normal;
    // The dump: the next register, and what each one gave (a value, or a mark).
    unsigned m_register = 0;
    std::string m_dump;
    bool m_dumpComplete = true;
    serial::PortController::Subscription m_closed;
};

} // namespace registers
