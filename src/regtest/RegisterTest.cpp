#include "RegisterTest.h"

#include "terminal/HexText.h"

#include <array>

namespace regtest {

using core::Ctl;
using platform::PurgeRxClear;
using platform::PurgeTxClear;

namespace {

// The speed index without a selection (255) runs the port at 9600 bit/s, so it waits as 9600.
std::uint8_t waitSpeedIndex(std::uint8_t speedIndex)
{
    return speedIndex < serial::kSpeedCount ? speedIndex : 1;
}

template<std::size_t N>
radio::CommandFrame frameOf(const std::array<std::uint8_t, N>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

// Stands for a register whose answer failed the frame check in a dump that still completed;
// it keeps the two characters and the space of a value but cannot be taken for one.
constexpr const char* kNoValue = "?? ";

} // namespace

RegisterTest::RegisterTest(serial::SerialLink& link, serial::PortController& portController,
    core::Ui& ui, platform::Dialogs& dialogs, platform::System& system,
    const core::Language& language)
    : m_link(link),
      m_portController(portController),
      m_ui(ui),
      m_dialogs(dialogs),
      m_system(system),
      m_language(language)
{ }

unsigned RegisterTest::singleWaitMs(std::uint8_t speedIndex)
{
    return waitSpeedIndex(speedIndex) * 90u + 20u;
}

unsigned RegisterTest::dumpWaitMs(std::uint8_t speedIndex)
{
    return (waitSpeedIndex(speedIndex) + 2u) * 50u;
}

// Only bytes that arrive after the request count: stale input is purged before it is written.
// The wait starts once the request has left the port, so at low speeds it is not spent on the
// request's own wire time. Without a port nothing arrives.
RegisterTest::Answer RegisterTest::exchange(
    radio::CommandFrame frame, unsigned waitMs, std::uint32_t maxBytes)
{
    Answer answer;
    if (!m_link.handle.isValid())
        return answer;
    platform::SerialPort& port = m_link.handle.port();
    port.purge(PurgeRxClear);
    radio::AppendChecksum(frame);
    port.purge(PurgeTxClear);
    if (!port.writeFrame(frame.data(), static_cast<std::uint32_t>(frame.size())) && port.isGone())
        return lostDevice();
    m_system.sleepMs(waitMs);

    platform::CommStatus status;
    if (!port.clearErrors(status))
        return port.isGone() ? lostDevice() : answer;
    if (status.bytesWaiting == 0)
        return answer;
    if (status.bytesWaiting > maxBytes) {
        port.purge(PurgeRxClear);
        answer.tooMany = true;
        return answer;
    }
    answer.bytes.resize(status.bytesWaiting);
    std::uint32_t got = 0;
    if (!port.read(answer.bytes.data(), status.bytesWaiting, got) && port.isGone())
        return lostDevice();
    answer.bytes.resize(got);
    return answer;
}

RegisterTest::Answer RegisterTest::lostDevice()
{
    m_portController.deviceGone();
    Answer answer;
    answer.deviceGone = true;
    return answer;
}

void RegisterTest::runSingle(radio::CommandFrame frame)
{
    m_ui.setText(Ctl::Test_EditDis, " ");
    const Answer answer
        = exchange(std::move(frame), singleWaitMs(m_link.settings.speedIndex), kMaxAnswer);
    if (answer.tooMany || answer.deviceGone)
        return;
    if (answer.bytes.empty()) {
        m_dialogs.showMessage(m_language.pick("No respond", "无响应"));
        return;
    }
    // Shown as it came, valid frame or not; the colour change marks a new answer.
    m_ui.setText(Ctl::Test_EditDis, terminal::BytesToHexText(answer.bytes));
    m_ui.setTextColor(Ctl::Test_EditDis,
        m_ui.textColor(Ctl::Test_EditDis) == core::TextColor::Red ? core::TextColor::HotLight
                                                                  : core::TextColor::Red);
}

void RegisterTest::button3Click()
{
    runSingle({radio::kHeader1, radio::kHeader2, 0x03, radio::cmd::ReadRegister,
        terminal::HexTextToByte(m_ui.text(Ctl::Test_Edit2))});
}

void RegisterTest::button4Click()
{
    runSingle({radio::kHeader1, radio::kHeader2, 0x04, radio::cmd::WriteRegister,
        terminal::HexTextToByte(m_ui.text(Ctl::Test_Edit3)),
        terminal::HexTextToByte(m_ui.text(Ctl::Test_Edit4))});
}

void RegisterTest::button1Click()
{
    runSingle(frameOf(radio::kStartTxTest));
}

void RegisterTest::button6Click()
{
    runSingle(frameOf(radio::kTxFrequencyTest));
}

void RegisterTest::button5Click()
{
    runSingle(frameOf(radio::kStopTxTest));
}

void RegisterTest::button2Click()
{
    m_ui.setText(Ctl::Test_Memo1, " ");
    std::vector<std::optional<std::uint8_t>> values;
    bool complete = false;
    for (unsigned reg = 0; reg <= kLastRegister; ++reg) {
        const Answer answer
            = exchange({radio::kHeader1, radio::kHeader2, 0x03, radio::cmd::ReadRegister,
                           static_cast<std::uint8_t>(reg)},
                dumpWaitMs(m_link.settings.speedIndex), kMaxRegisterAnswer);
        if (answer.deviceGone)
            return;
        if (answer.tooMany || answer.bytes.empty())
            break;
        const bool valid = radio::ValidateFrame(answer.bytes);
        // The value is the byte after the command code.
        values.push_back(valid ? std::optional<std::uint8_t>(answer.bytes[4]) : std::nullopt);
        complete = reg == kLastRegister && valid;
    }
    if (!complete) {
        m_dialogs.showMessage("Read Error");
        return;
    }
    m_dialogs.showMessage("Read End");
    std::string dump;
    for (const auto& value : values)
        dump += value ? terminal::BytesToHexText({&*value, 1}) : kNoValue;
    m_ui.setText(Ctl::Test_Memo1, dump);
}

} // namespace regtest
