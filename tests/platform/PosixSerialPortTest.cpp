#include "platform/PosixSerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>

using namespace platform;

namespace {

// A pseudo-terminal: the program opens the slave like a serial device, the test plays the
// radio on the master.
class Pty
{
public:
    Pty()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(m_master, 0);
        ::grantpt(m_master);
        ::unlockpt(m_master);
        m_slave = ::ptsname(m_master);
    }
    ~Pty() { closeMaster(); }

    const std::string& slave() const { return m_slave; }
    int master() const { return m_master; }
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }
    termios settings() const
    {
        termios tio {};
        EXPECT_EQ(::tcgetattr(m_master, &tio), 0);
        return tio;
    }
    std::string readMaster(std::size_t expected)
    {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        char buffer[256];
        ::fcntl(m_master, F_SETFL, O_NONBLOCK);
        while (got.size() < expected && std::chrono::steady_clock::now() < deadline) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, static_cast<std::size_t>(n));
            else
                ::usleep(1000);
        }
        return got;
    }

private:
    int m_master = -1;
    std::string m_slave;
};

std::uint32_t waitForBytes(SerialPort& port, std::uint32_t expected)
{
    CommStatus status;
    for (int i = 0; i < 2000; ++i) {
        EXPECT_TRUE(port.clearErrors(status));
        if (status.bytesWaiting >= expected)
            break;
        ::usleep(1000);
    }
    return status.bytesWaiting;
}

struct LineCase
{
    std::uint32_t baud;
    speed_t speed;
    Parity parity;
};

class LineSettingsSeenFromMaster : public ::testing::TestWithParam<LineCase>
{ };

} // namespace

TEST_P(LineSettingsSeenFromMaster, speedAndParityCheckingReachTheDevice)
{
    const LineCase c = GetParam();
    Pty pty;
    auto port = PosixSerialPort::openDevice(pty.slave());
    ASSERT_TRUE(port);
    LineSettings line;
    ASSERT_TRUE(port->getSettings(line));
    line.baudRate = c.baud;
    line.byteSize = 8;
    line.stopBits = 1;
    line.parity = c.parity;
    line.parityCheck = c.parity != Parity::None;
    ASSERT_TRUE(port->setSettings(line));

    const termios tio = pty.settings();
    EXPECT_EQ(::cfgetospeed(&tio), c.speed);
    EXPECT_EQ((tio.c_iflag & INPCK) != 0, c.parity != Parity::None);
    EXPECT_EQ((tio.c_cflag & PARODD) != 0, c.parity == Parity::Odd);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u) << "the port must carry bytes unchanged";

    LineSettings back;
    ASSERT_TRUE(port->getSettings(back));
    EXPECT_EQ(back.baudRate, c.baud);
    EXPECT_EQ(back.parityCheck, c.parity != Parity::None);
}

INSTANTIATE_TEST_SUITE_P(EverySpeedAndParity, LineSettingsSeenFromMaster,
    ::testing::Values(LineCase {19200, B19200, Parity::None}, LineCase {19200, B19200, Parity::Odd},
        LineCase {19200, B19200, Parity::Even}, LineCase {9600, B9600, Parity::None},
        LineCase {9600, B9600, Parity::Odd}, LineCase {9600, B9600, Parity::Even},
        LineCase {4800, B4800, Parity::None}, LineCase {4800, B4800, Parity::Odd},
        LineCase {4800, B4800, Parity::Even}, LineCase {2400, B2400, Parity::None},
        LineCase {2400, B2400, Parity::Odd}, LineCase {2400, B2400, Parity::Even},
        LineCase {1200, B1200, Parity::None}, LineCase {1200, B1200, Parity::Odd},
        LineCase {1200, B1200, Parity::Even}, LineCase {300, B300, Parity::None},
        LineCase {300, B300, Parity::Odd}, LineCase {300, B300, Parity::Even}));

TEST(PosixSerialPort, settingsChangeKeepsTheOtherFieldsThePortReported)
{
    Pty pty;
    auto port = PosixSerialPort::openDevice(pty.slave());
    ASSERT_TRUE(port);
    termios tio = pty.settings();
    tio.c_cflag |= CRTSCTS;
    ASSERT_EQ(::tcsetattr(pty.master(), TCSANOW, &tio), 0);

    LineSettings line;
    ASSERT_TRUE(port->getSettings(line));
    line.baudRate = 2400;
    ASSERT_TRUE(port->setSettings(line));
    EXPECT_NE(pty.settings().c_cflag & CRTSCTS, 0u);
}

TEST(PosixSerialPort, refusesSpeedsAndFramesItCannotSet)
{
    Pty pty;
    auto port = PosixSerialPort::openDevice(pty.slave());
    ASSERT_TRUE(port);
    LineSettings line;
    line.baudRate = 12345;
    EXPECT_FALSE(port->setSettings(line));
    line.baudRate = 9600;
    line.byteSize = 9;
    EXPECT_FALSE(port->setSettings(line));
}

TEST(PosixSerialPort, secondOpenOfAHeldPortIsRefusedUntilItIsClosed)
{
    Pty pty;
    auto first = PosixSerialPort::openDevice(pty.slave());
    ASSERT_TRUE(first);
    EXPECT_FALSE(PosixSerialPort::openDevice(pty.slave()));
    first.reset();
    EXPECT_TRUE(PosixSerialPort::openDevice(pty.slave()));
}

TEST(PosixSerialPort, onlyExistingTerminalsOpen)
{
    EXPECT_FALSE(PosixSerialPort::openDevice("/dev/does-not-exist-radiomodem"));
    char file[] = "/tmp/radiomodem-notatty-XXXXXX";
    const int fd = ::mkstemp(file);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_FALSE(PosixSerialPort::openDevice(file));
    ::unlink(file);
}

TEST(PosixSerialPort, bytesTravelBothWaysAndPurgeDiscardsWaitingInput)
{
    Pty pty;
    auto port = PosixSerialPort::openDevice(pty.slave());
    ASSERT_TRUE(port);

    const std::uint8_t out[] = {0x55, 0xAA, 0x03, 0x27, 0x00, 0x00, 0x2A, 0x0D, 0x0A, 0xFF};
    std::uint32_t written = 0;
    ASSERT_TRUE(port->writeSome(out, sizeof out, written));
    EXPECT_EQ(written, sizeof out);
    EXPECT_EQ(
        pty.readMaster(sizeof out), std::string(reinterpret_cast<const char*>(out), sizeof out));

    const std::string in("\x55\xAA\x04\x27\x01\x12\x00\x3E\x0D\x00", 10);
    ASSERT_EQ(::write(pty.master(), in.data(), in.size()), static_cast<ssize_t>(in.size()));
    EXPECT_EQ(waitForBytes(*port, 10), 10u);
    std::uint8_t buffer[16] = {};
    std::uint32_t got = 0;
    ASSERT_TRUE(port->read(buffer, 4, got));
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), in.substr(0, 4));
    ASSERT_TRUE(port->read(buffer, 16, got));
    EXPECT_EQ(got, 6u) << "a read takes only what is waiting";
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 6), in.substr(4));

    ASSERT_EQ(::write(pty.master(), "abc", 3), 3);
    EXPECT_EQ(waitForBytes(*port, 3), 3u);
    ASSERT_TRUE(port->purge(PurgeRxClear));
    CommStatus status;
    ASSERT_TRUE(port->clearErrors(status));
    EXPECT_EQ(status.bytesWaiting, 0u);
    ASSERT_TRUE(port->read(buffer, 16, got));
    EXPECT_EQ(got, 0u);
}

TEST(PosixSerialPort, vanishedDeviceFailsEveryCallWithoutHanging)
{
    Pty pty;
    auto port = PosixSerialPort::openDevice(pty.slave());
    ASSERT_TRUE(port);
    pty.closeMaster();

    const auto start = std::chrono::steady_clock::now();
    LineSettings line;
    CommStatus status;
    std::uint8_t buffer[8] = {1, 2, 3};
    std::uint32_t count = 0;
    EXPECT_FALSE(port->writeSome(buffer, 3, count));
    EXPECT_FALSE(port->writeFrame(buffer, 3));
    EXPECT_TRUE(port->isGone());
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(port->clearErrors(status));
    EXPECT_EQ(status.bytesWaiting, 0u);
    EXPECT_FALSE(port->read(buffer, 8, count));
    EXPECT_FALSE(port->getSettings(line));
    EXPECT_FALSE(port->setSettings(line));
    EXPECT_FALSE(port->purge(PurgeRxClear | PurgeTxClear));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    port.reset(); // closing a vanished port is fine
}

TEST(DevicePathForPort, mapsComNamesToDevicesWithOverrides)
{
    ::unsetenv("RADIOMODEM_COM1");
    ::unsetenv("RADIOMODEM_COM8");
    EXPECT_EQ(devicePathForPort("COM1"), "/dev/ttyS0");
    EXPECT_EQ(devicePathForPort("COM4"), "/dev/ttyS3");
    EXPECT_EQ(devicePathForPort("COM5"), "/dev/ttyUSB0");
    EXPECT_EQ(devicePathForPort("COM8"), "/dev/ttyUSB3");
    ::setenv("RADIOMODEM_COM8", "/dev/pts/77", 1);
    EXPECT_EQ(devicePathForPort("COM8"), "/dev/pts/77");
    ::unsetenv("RADIOMODEM_COM8");
    for (const char* bad : {"COM0", "COM9", "COM10", "com1", "", "COM", "LPT1"})
        EXPECT_FALSE(devicePathForPort(bad)) << bad;
}

TEST(PosixSerialPorts, opensTheDeviceThatTheEnvironmentNames)
{
    Pty pty;
    ::setenv("RADIOMODEM_COM3", pty.slave().c_str(), 1);
    PosixSerialPorts ports;
    auto port = ports.open("COM3");
    EXPECT_TRUE(port);
    EXPECT_FALSE(ports.open("COM3")) << "held by the first open";
    EXPECT_FALSE(ports.open("COM0"));
    ::unsetenv("RADIOMODEM_COM3");
}

TEST(ByteTime, countsStartDataParityAndStopBits)
{
    const struct
    {
        std::uint32_t baud;
        Parity parity;
        std::uint8_t stopBits;
        std::uint32_t us;
    } rows[] = {
        {300, Parity::None, 1, 33333},
        {300, Parity::Even, 1, 36666},
        {19200, Parity::None, 1, 520},
        {19200, Parity::Odd, 1, 572},
        {9600, Parity::None, 2, 1145},
        {0, Parity::None, 1, 0},
    };
    for (const auto& row : rows) {
        LineSettings line;
        line.baudRate = row.baud;
        line.parity = row.parity;
        line.stopBits = row.stopBits;
        EXPECT_EQ(byteTimeUs(line), row.us) << row.baud;
    }
}

// A command frame has left the port only once its wire time has passed, even on a line (here
// a pty) that takes the bytes at once.
TEST(PosixSerialPort, aFrameWriteReturnsNotBeforeTheFramesWireTime)
{
    Pty pty;
    auto port = PosixSerialPort::openDevice(pty.slave());
    ASSERT_TRUE(port);
    const std::uint8_t frame[] = {0x55, 0xAA, 0x03, 0x27, 0x00, 0x00, 0x2A};
    for (const std::uint32_t baud : {300u, 19200u}) {
        SCOPED_TRACE(baud);
        LineSettings line;
        line.baudRate = baud;
        ASSERT_TRUE(port->setSettings(line));
        const auto wire = std::chrono::microseconds(7 * 10 * 1'000'000 / baud - 7);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(port->writeFrame(frame, sizeof frame));
        EXPECT_GE(std::chrono::steady_clock::now() - start, wire);
        EXPECT_EQ(pty.readMaster(sizeof frame).size(), sizeof frame);
    }
}

// A line that takes nothing more (a stalled device): user data is taken in part or not at
// all without waiting, and a frame write gives up after its wire time and a margin.
TEST(PosixSerialPort, aStalledLineNeverHoldsTheCaller)
{
    Pty pty;
    auto port = PosixSerialPort::openDevice(pty.slave());
    ASSERT_TRUE(port);
    LineSettings line;
    line.baudRate = 19200;
    ASSERT_TRUE(port->setSettings(line));
    const std::string block(4096, 'x');
    const auto* data = reinterpret_cast<const std::uint8_t*>(block.data());
    std::uint32_t written = 0;
    std::uint64_t total = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(port->writeSome(data, static_cast<std::uint32_t>(block.size()), written));
        total += written;
        if (written < block.size())
            break;
    }
    EXPECT_LT(written, block.size()) << "the pty's buffer filled up";
    EXPECT_GT(total, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    ASSERT_TRUE(port->writeSome(data, 1, written));
    EXPECT_EQ(written, 0u);

    // Whether a pty still finds room for a few bytes varies; either way the write is bounded
    // by the frame's wire time and the margin.
    const std::uint8_t frame[] = {0x55, 0xAA, 0x03, 0x27, 0x00, 0x00, 0x2A};
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i)
        port->writeFrame(frame, sizeof frame);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20 * 150));
    EXPECT_FALSE(port->isGone());
}
