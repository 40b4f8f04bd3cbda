#pragma once

#include "SerialPort.h"

#include <memory>
#include <string>

namespace platform {

// The reason an open failed with the system's error number.
OpenError openErrorForErrno(int error);

// User data keeps at most this much wire time queued ahead of the line (writeSome).
constexpr std::int64_t kQueuedWireUs = 100'000;

// A port over a termios device, opened exclusively (TIOCEXCL and a non-blocking flock, so a
// second opener is refused even as root), put into raw binary mode and, where the driver offers
// it, into low-latency mode. A device another process has open is refused even when that process
// took no lock. Closing it discards the output still queued, so a close never waits for a slow or
// stalled line to drain.
class PosixSerialPort final : public SerialPort
{
public:
    // nullptr when the device does not exist, is no terminal or is held by someone else; the
    // reason goes to why.
    static std::unique_ptr<PosixSerialPort> openDevice(
        const std::string& path, OpenResult* why = nullptr);
    ~PosixSerialPort() override;

    bool getSettings(LineSettings& settings) override;
    bool setSettings(const LineSettings& settings) override;
    bool purge(unsigned purgeFlags) override;
    bool clearErrors(CommStatus& status) override;
    bool read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) override;
    bool outputQueued(std::uint32_t& bytes) override;
    bool writeFrame(const std::uint8_t* data, std::uint32_t count, std::uint32_t& written) override;
    bool writeSome(const std::uint8_t* data, std::uint32_t count, std::uint32_t& written) override;
    bool isGone() override { return !alive(); }
    std::string deviceWithHiddenHolders() override;

private:
    PosixSerialPort(int fd, std::string path);
    bool alive();
    // Bytes written that have not crossed the line yet, as far as the port can tell.
    std::uint32_t queuedBytes();
    bool markGone();
    void requestLowLatency();
    // Writes what the driver takes now, unpaced, and counts it on the line.
    bool writeNow(const std::uint8_t* data, std::uint32_t count, std::uint32_t& written);

    int m_fd;
    std::string m_path;
    bool m_gone = false;
    bool m_lowLatencySet = false; // this port turned low latency on and turns it off at close
    std::int64_t m_byteUs = 0; // wire time of a byte at the current settings
    // When every byte written so far has crossed, if the line carried them one after another
    // from when they were written.
    std::int64_t m_lineFreeUs = 0;
    bool m_haveCounts = false;
    int m_lastParity = 0;
    int m_lastFrame = 0;
    int m_lastOverrun = 0;
    int m_lastBufOverrun = 0;
    int m_lastBreak = 0;
};

} // namespace platform
