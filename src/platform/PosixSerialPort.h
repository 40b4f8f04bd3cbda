#pragma once

#include "SerialPort.h"

#include <optional>
#include <string>

namespace platform {

// COMn (n = 1 to 8) to its device: COM1-COM4 are /dev/ttyS0-3, COM5-COM8 /dev/ttyUSB0-3,
// unless RADIOMODEM_COMn names another device. Any other name has no device.
std::optional<std::string> devicePathForPort(const std::string& name);

// A port over a termios device, opened exclusively (TIOCEXCL and a non-blocking flock, so a
// second opener is refused even as root) and put into raw binary mode.
class PosixSerialPort final : public SerialPort
{
public:
    // nullptr when the device does not exist, is no terminal or is held by someone else.
    static std::unique_ptr<PosixSerialPort> openDevice(const std::string& path);
    ~PosixSerialPort() override;

    bool getSettings(LineSettings& settings) override;
    bool setSettings(const LineSettings& settings) override;
    bool purge(unsigned purgeFlags) override;
    bool clearErrors(CommStatus& status) override;
    bool read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) override;
    bool writeFrame(const std::uint8_t* data, std::uint32_t count) override;
    bool writeSome(const std::uint8_t* data, std::uint32_t count, std::uint32_t& written) override;
    bool isGone() override { return !alive(); }

private:
    explicit PosixSerialPort(int fd);
    bool alive();
    bool markGone();

    int m_fd;
    bool m_gone = false;
    bool m_haveCounts = false;
    int m_lastParity = 0;
    int m_lastFrame = 0;
    int m_lastOverrun = 0;
    int m_lastBufOverrun = 0;
    int m_lastBreak = 0;
};

class PosixSerialPorts final : public SerialPortProvider
{
public:
    std::unique_ptr<SerialPort> open(const std::string& name) override;
};

// Bit/s of a termios speed constant and back; 0 / B0 for speeds the table does not know.
std::uint32_t baudFromSpeed(unsigned speed);
unsigned speedFromBaud(std::uint32_t baud);

} // namespace platform
