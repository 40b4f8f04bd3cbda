#include "RegisterConsole.h"

#include "terminal/HexText.h"

#include <array>

namespace registers {

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

// Marks a register of the dump that did not answer at all.
constexpr const char* kSilent = "-- ";

} // namespace

RegisterConsole::RegisterConsole(serial::SerialLink& link, serial::PortController& portController,
    RegisterView& view, core::Timer& pollTimer, platform::Dialogs& dialogs,
    const platform::System& clock, const core::Language& language)
    : m_link(link),
      m_portController(portController),
      m_view(view),
      m_pollTimer(pollTimer),
      m_dialogs(dialogs),
      m_language(language),
      m_engine(clock),
      m_closed(portController.subscribeClosed([this](serial::PortController::CloseReason) {
          // Whatever ran ends quietly: the close, or the vanished device, is reported by whoever
          // closed the port.
          if (busy())
              finish();
      }))
{ }

unsigned RegisterConsole::singleWaitMs(std::uint8_t speedIndex)
{
    return waitSpeedIndex(speedIndex) * 90u + 20u;
}

unsigned RegisterConsole::dumpWaitMs(std::uint8_t speedIndex)
{
    return (waitSpeedIndex(speedIndex) + 2u) * 50u;
}

// Puts the frame, closed with its sum, on the line; the poll timer takes the answer. Without a
// port nothing goes out.
bool RegisterConsole::send(radio::CommandFrame frame, unsigned waitMs, std::uint32_t maxBytes)
{
    if (!m_link.handle.isValid())
        return false;
    radio::AppendChecksum(frame);
    radio::RequestEngine::Request request;
    request.frame = std::move(frame);
    request.maxBytes = maxBytes;
    request.minWaitMs = waitMs;
    if (m_engine.start(m_link.handle.port(), std::move(request))
        == radio::RequestEngine::Status::Gone)
        return false;
    // Every command asks whether the port is free first; the lease keeps it until the answer.
    if (!m_lease)
        m_lease = m_portController.lease();
    m_pollTimer.start();
    m_portController.pauseTerminal();
    return true;
}

void RegisterConsole::pollAnswer()
{
    if (!busy() || !m_link.handle.isValid()) {
        finish();
        return;
    }
    const auto status = m_engine.poll(m_link.handle.port());
    switch (status) {
    case radio::RequestEngine::Status::Answered:
    case radio::RequestEngine::Status::TimedOut:
        if (m_job == Job::Single)
            singleDone(status);
        else
            registerDone(status);
        return;
    case radio::RequestEngine::Status::Gone:
    case radio::RequestEngine::Status::Idle:
        // The port controller reports a vanished device and ends the job through its close.
        return;
    case radio::RequestEngine::Status::Waiting:
        return;
    }
}

void RegisterConsole::finish()
{
    m_job = Job::None;
    m_engine.cancel();
    if (m_pollTimer.isActive()) {
        m_pollTimer.stop();
        m_portController.resumeTerminal();
    }
    m_lease = {};
}

// A command of its own runs, or a Read or Write holds the port.
bool RegisterConsole::portTaken() const
{
    return busy() || m_portController.leased();
}

void RegisterConsole::runSingle(radio::CommandFrame frame)
{
    if (portTaken())
        return;
    m_view.showAnswer(" ", m_answerColor);
    if (!send(std::move(frame), singleWaitMs(m_link.settings.speedIndex), kMaxAnswer)) {
        if (!m_link.handle.isValid())
            m_dialogs.showMessage(m_language.pick("No respond", "无响应"));
        return;
    }
    m_job = Job::Single;
}

void RegisterConsole::singleDone(radio::RequestEngine::Status)
{
    finish();
    if (m_engine.flooded())
        return;
    const auto& answer = m_engine.answer();
    if (answer.empty()) {
        m_dialogs.showMessage(m_language.pick("No respond", "无响应"));
        return;
    }
    // Shown as it came, valid frame or not; the colour change marks a new answer.
    m_answerColor = m_answerColor == AnswerColor::Red ? AnswerColor::Link : AnswerColor::Red;
    m_view.showAnswer(terminal::BytesToHexText(answer), m_answerColor);
}

void RegisterConsole::readRegister()
{
    runSingle({radio::kHeader1, radio::kHeader2, 0x03, radio::cmd::ReadRegister,
        terminal::HexTextToByte(m_view.readAddress())});
}

void RegisterConsole::writeRegister()
{
    runSingle({radio::kHeader1, radio::kHeader2, 0x04, radio::cmd::WriteRegister,
        terminal::HexTextToByte(m_view.writeAddress()),
        terminal::HexTextToByte(m_view.writeValue())});
}

void RegisterConsole::startTransmitTest()
{
    runSingle(frameOf(radio::kStartTxTest));
}

void RegisterConsole::transmitFrequencyTest()
{
    runSingle(frameOf(radio::kTxFrequencyTest));
}

void RegisterConsole::stopTransmitTest()
{
    runSingle(frameOf(radio::kStopTxTest));
}

void RegisterConsole::dumpRegisters()
{
    if (portTaken())
        return;
    m_view.showDump(" ");
    m_register = 0;
    m_dump.clear();
    m_dumpComplete = true;
    m_job = Job::Dump;
    readNextRegister();
}

void RegisterConsole::readNextRegister()
{
    if (!send({radio::kHeader1, radio::kHeader2, 0x03, radio::cmd::ReadRegister,
                  static_cast<std::uint8_t>(m_register)},
            dumpWaitMs(m_link.settings.speedIndex), kMaxRegisterAnswer)) {
        finish();
        if (!m_link.handle.isValid())
            m_dialogs.showMessage("Read Error");
    }
}

// Every register gets its place in the dump: its value, "??" for an answer that fails the frame
// check, "--" for none. The dump ends complete when every register answered and the last one
// answered well.
void RegisterConsole::registerDone(radio::RequestEngine::Status status)
{
    const auto& answer = m_engine.answer();
    const bool valid = status == radio::RequestEngine::Status::Answered
        && radio::ValidateFrame(answer) && answer.size() > 4;
    if (answer.empty() && !m_engine.flooded()) {
        m_dump += kSilent;
        m_dumpComplete = false;
    } else {
        // The value is the byte after the command code.
        m_dump += valid ? terminal::BytesToHexText({&answer[4], 1}) : kNoValue;
        m_dumpComplete = m_dumpComplete && !m_engine.flooded();
    }
    if (m_register < kLastRegister) {
        ++m_register;
        readNextRegister();
        return;
    }
    finish();
    m_view.showDump(m_dump);
    m_dialogs.showMessage(m_dumpComplete && valid ? "Read End" : "Read Error");
}

} // namespace registers
