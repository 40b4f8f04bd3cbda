#pragma once

#include "core/Language.h"
#include "core/Ui.h"
#include "platform/Dialogs.h"
#include "platform/System.h"
#include "radio/CommandFrame.h"
#include "radio/RequestEngine.h"
#include "serial/PortController.h"
#include "serial/SerialLink.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace regtest {

// The register test dialog: single register reads and writes, a dump of registers 0x00 to 0x20
// and the radio's transmit tests. Every button writes one frame (the dump one per register) and
// the dialog's poll timer waits for the answer, at least a fixed time that grows with the port
// speed; the window stays live meanwhile. The dialog opens no port itself.
class RegisterTest
{
public:
    static constexpr std::uint32_t kMaxAnswer = 20; // single command
    static constexpr std::uint32_t kMaxRegisterAnswer = 100; // one register of the dump
    static constexpr std::uint8_t kLastRegister = 0x20;

    RegisterTest(serial::SerialLink& link, serial::PortController& portController, core::Ui& ui,
        platform::Dialogs& dialogs, const platform::System& clock, const core::Language& language);

    // Buttons clicked while a command runs, or while a Read or Write has the port, are ignored.
    void button3Click(); // ReadOne
    void button4Click(); // WriteOne
    void button2Click(); // ReadAll
    void button1Click(); // start the transmit test
    void button6Click(); // transmit frequency test
    void button5Click(); // stop the transmit test
    // The poll timer (TestPoll, 10 ms) while a command runs.
    void testPollTimer();
    bool busy() const { return m_job != Job::None; }

    // Minimum waits in milliseconds after a frame has left the port, by the link's speed index.
    static unsigned singleWaitMs(std::uint8_t speedIndex);
    static unsigned dumpWaitMs(std::uint8_t speedIndex);

private:
    enum class Job { None, Single, Dump };

    void runSingle(radio::CommandFrame frame);
    bool send(radio::CommandFrame frame, unsigned waitMs, std::uint32_t maxBytes);
    void readRegister();
    void singleDone(radio::RequestEngine::Status status);
    void registerDone(radio::RequestEngine::Status status);
    void finish();
    bool portTaken() const;

    serial::SerialLink& m_link;
    serial::PortController& m_portController;
    core::Ui& m_ui;
    platform::Dialogs& m_dialogs;
    const core::Language& m_language;
    radio::RequestEngine m_engine;
    Job m_job = Job::None;
    // The dump: the next register, and what each one gave (a value, or a mark).
    unsigned m_register = 0;
    std::string m_dump;
    bool m_dumpComplete = true;
    serial::PortController::Subscription m_closed;
};

} // namespace regtest
