#pragma once

#include "core/Language.h"
#include "core/Ui.h"
#include "platform/Dialogs.h"
#include "platform/System.h"
#include "radio/CommandFrame.h"
#include "serial/PortController.h"
#include "serial/SerialLink.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace regtest {

// The register test dialog: single register reads and writes, a dump of registers 0x00 to 0x20
// and the radio's transmit tests. Every button writes one frame, blocks for a fixed wait that
// grows with the port speed and then takes what has arrived; the dialog opens no port itself.
class RegisterTest
{
public:
    static constexpr std::uint32_t kMaxAnswer = 20; // single command
    static constexpr std::uint32_t kMaxRegisterAnswer = 100; // one register of the dump
    static constexpr std::uint8_t kLastRegister = 0x20;

    RegisterTest(serial::SerialLink& link, serial::PortController& portController, core::Ui& ui,
        platform::Dialogs& dialogs, platform::System& system, const core::Language& language);

    void button3Click(); // ReadOne
    void button4Click(); // WriteOne
    void button2Click(); // ReadAll
    void button1Click(); // start the transmit test
    void button6Click(); // transmit frequency test
    void button5Click(); // stop the transmit test

    // Waits in milliseconds after a frame has been written, by the link's speed index.
    static unsigned singleWaitMs(std::uint8_t speedIndex);
    static unsigned dumpWaitMs(std::uint8_t speedIndex);

private:
    // The answer to one frame: the bytes that arrived, none, or too many (discarded); or the
    // port's device went (already reported).
    struct Answer
    {
        bool tooMany = false;
        bool deviceGone = false;
        std::vector<std::uint8_t> bytes;
    };

    Answer exchange(radio::CommandFrame frame, unsigned waitMs, std::uint32_t maxBytes);
    void runSingle(radio::CommandFrame frame);

    Answer lostDevice();

    serial::SerialLink& m_link;
    serial::PortController& m_portController;
    core::Ui& m_ui;
    platform::Dialogs& m_dialogs;
    platform::System& m_system;
    const core::Language& m_language;
};

} // namespace regtest
