#include "SerialLink.h"

namespace serial {

namespace {

constexpr std::uint32_t kBauds[kSpeedCount] = {19200, 9600, 4800, 2400, 1200, 300};

// Passes every call to the port and tells the handler when a call found the device gone.
class GoneWatch final : public platform::SerialPort
{
public:
    GoneWatch(std::unique_ptr<platform::SerialPort> port, std::function<void()> onGone)
        : m_port(std::move(port)), m_onGone(std::move(onGone))
    { }

    bool getSettings(platform::LineSettings& settings) override
    {
        return checked(m_port->getSettings(settings));
    }
    bool setSettings(const platform::LineSettings& settings) override
    {
        return checked(m_port->setSettings(settings));
    }
    bool purge(unsigned purgeFlags) override { return checked(m_port->purge(purgeFlags)); }
    bool clearErrors(platform::CommStatus& status) override
    {
        return checked(m_port->clearErrors(status));
    }
    bool read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) override
    {
        return checked(m_port->read(buffer, count, got));
    }
    bool outputQueued(std::uint32_t& bytes) override
    {
        return checked(m_port->outputQueued(bytes));
    }
    bool writeSome(const std::uint8_t* data, std::uint32_t count, std::uint32_t& written) override
    {
        return checked(m_port->writeSome(data, count, written));
    }
    bool writeFrame(const std::uint8_t* data, std::uint32_t count, std::uint32_t& written) override
    {
        return checked(m_port->writeFrame(data, count, written));
    }
    bool isGone() override { return !checked(!m_port->isGone()); }
    std::string deviceWithHiddenHolders() override { return m_port->deviceWithHiddenHolders(); }

private:
    bool checked(bool ok)
    {
        if (!ok && !m_told && m_port->isGone()) {
            m_told = true;
            if (m_onGone)
                m_onGone();
        }
        return ok;
    }

    std::unique_ptr<platform::SerialPort> m_port;
    std::function<void()> m_onGone;
    bool m_told = false;
};

} // namespace

void PortHandle::assign(std::unique_ptr<platform::SerialPort> port)
{
    ++m_generation;
    m_port = port ? std::make_unique<GoneWatch>(std::move(port),
                 [this] {
                     if (m_onGone)
                         m_onGone();
                 })
                  : nullptr;
}

void PortHandle::close()
{
    ++m_generation;
    m_port.reset();
}

platform::LineSettings lineFor(
    platform::SerialPort& port, std::uint8_t speedIndex, std::uint8_t parityIndex)
{
    platform::LineSettings line;
    // A failed read is not reported: the record goes back whatever it holds, and the port
    // decides whether it takes it.
    port.getSettings(line);
    line.byteSize = 8;
    line.baudRate = baudForSpeedIndex(speedIndex);
    line.stopBits = 1;
    line.parity = parityForIndex(parityIndex);
    line.parityCheck = line.parity != platform::Parity::None;
    return line;
}

bool applyLinkSettings(SerialLink& link)
{
    auto& settings = link.settings;
    settings.timeoutBase = static_cast<std::uint8_t>(settings.speedIndex + 8);
    const platform::LineSettings line
        = lineFor(link.handle.port(), settings.speedIndex, settings.parityIndex);
    if (!link.handle.port().setSettings(line))
        return false;
    link.handle.port().purge(platform::PurgeTxClear | platform::PurgeRxClear);
    return true;
}

std::uint32_t baudForSpeedIndex(std::uint8_t speedIndex)
{
    return speedIndex < kSpeedCount ? kBauds[speedIndex] : 9600;
}

std::string speedTextForIndex(std::uint8_t speedIndex)
{
    return std::to_string(baudForSpeedIndex(speedIndex));
}

platform::Parity parityForIndex(std::uint8_t parityIndex)
{
    switch (parityIndex) {
    case 1:
        return platform::Parity::Odd;
    case 2:
        return platform::Parity::Even;
    default:
        return platform::Parity::None;
    }
}

char parityLetterForIndex(std::uint8_t parityIndex)
{
    switch (parityIndex) {
    case 1:
        return 'O';
    case 2:
        return 'E';
    default:
        return 'N';
    }
}

std::string settingsText(std::uint8_t speedIndex, std::uint8_t parityIndex)
{
    return speedTextForIndex(speedIndex) + "-" + parityLetterForIndex(parityIndex) + "-1";
}

std::string portNameForListIndex(int index)
{
    return "COM" + std::to_string(index < 0 ? 0 : index + 1);
}

} // namespace serial
