// The simulator as a process on a real pty, with the program's own termios port on the other
// side.
#include "SimProcess.h"

#include "platform/PosixSerialPort.h"
#include "radio/CommandFrame.h"

#include <bit>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
using platform::Parity;
using platform::PosixSerialPort;
using namespace std::chrono_literals;

const Bytes kQuery(radio::kQueryModelVersion.begin(), radio::kQueryModelVersion.end());
const Bytes kModelAnswer = radio::makeFrame(radio::cmd::QueryModelVersion, {0x01, 0x12});

void setLine(PosixSerialPort& port, std::uint32_t baud, Parity parity)
{
    platform::LineSettings settings;
    ASSERT_TRUE(port.getSettings(settings));
    settings.baudRate = baud;
    settings.parity = parity;
    settings.parityCheck = parity != Parity::None;
    ASSERT_TRUE(port.setSettings(settings));
}

std::unique_ptr<PosixSerialPort> openAt(const std::string& path, std::uint32_t baud, Parity parity)
{
    auto port = PosixSerialPort::openDevice(path);
    if (port)
        setLine(*port, baud, parity);
    return port;
}

// Waits until `count` bytes are waiting or the time is up, then reads what is there.
Bytes receive(PosixSerialPort& port, std::size_t count, std::chrono::milliseconds limit = 1000ms)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    platform::CommStatus status;
    while (port.clearErrors(status) && status.bytesWaiting < count
        && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(2ms);
    Bytes bytes(status.bytesWaiting);
    std::uint32_t got = 0;
    port.read(bytes.data(), static_cast<std::uint32_t>(bytes.size()), got);
    bytes.resize(got);
    return bytes;
}

Bytes exchange(PosixSerialPort& port, const Bytes& request, std::size_t answerSize,
    std::chrono::milliseconds limit = 1000ms)
{
    port.purge(platform::PurgeRxClear | platform::PurgeTxClear);
    EXPECT_TRUE(port.writeFrame(request.data(), static_cast<std::uint32_t>(request.size())));
    return receive(port, answerSize, limit);
}

TEST(SimOnPty, queryIsAnsweredAtTheRadiosSettingsOnly)
{
    simtest::SimProcess sim({"--no-pace"});
    auto port = openAt(sim.ptyPath(), 9600, Parity::None);
    ASSERT_TRUE(port);
    EXPECT_EQ(exchange(*port, kQuery, 8), kModelAnswer);
    setLine(*port, 9600, Parity::Odd);
    EXPECT_TRUE(exchange(*port, kQuery, 8, 150ms).empty());
    setLine(*port, 19200, Parity::None);
    EXPECT_TRUE(exchange(*port, kQuery, 8, 150ms).empty());
    EXPECT_EQ(sim.logLines(),
        (std::vector<std::string> {
            "1 9600-N answered 55 AA 03 27 00 00 2A",
            "1 9600-O ignored 55 AA 03 27 00 00 2A",
            "1 19200-N ignored 55 AA 03 27 00 00 2A",
        }));
}

TEST(SimOnPty, portReopensThroughTheSymlinkAndStaysExclusive)
{
    const std::string link = "/tmp/radiomodem-sim-test-" + std::to_string(::getpid());
    {
        simtest::SimProcess sim({"--no-pace", "--symlink", link});
        auto port = openAt(link, 9600, Parity::None);
        ASSERT_TRUE(port);
        EXPECT_FALSE(PosixSerialPort::openDevice(link)) << "a second opener is refused";
        port.reset();
        // The pty keeps the program's TIOCEXCL after the close; the simulator clears it when it
        // sees the close, which an immediate reopen can overtake.
        const auto deadline = std::chrono::steady_clock::now() + 1s;
        while (!(port = openAt(link, 9600, Parity::None))
            && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(5ms);
        ASSERT_TRUE(port) << "the port opens again while the simulator runs";
        EXPECT_EQ(exchange(*port, kQuery, 8), kModelAnswer);
    }
    EXPECT_NE(::access(link.c_str(), F_OK), 0) << "the symlink goes with the simulator";
}

TEST(SimOnPty, serialModeWriteMovesTheRadioAfterItsAck)
{
    simtest::SimProcess sim({});
    auto port = openAt(sim.ptyPath(), 9600, Parity::None);
    ASSERT_TRUE(port);
    const Bytes ack(radio::kWriteAck.begin(), radio::kWriteAck.end());
    EXPECT_EQ(exchange(*port, radio::makeFrame(radio::cmd::WriteSerialMode, {0x23}), 6), ack);
    EXPECT_TRUE(exchange(*port, kQuery, 8, 150ms).empty());
    setLine(*port, 2400, Parity::Odd);
    EXPECT_EQ(exchange(*port, kQuery, 8), kModelAnswer);
    const auto lines = sim.logLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "1 2400-O answered 55 AA 03 27 00 00 2A");
}

TEST(SimOnPty, linkedPairCarriesDataBothWays)
{
    simtest::SimProcess sim({"--link", "--no-pace"});
    auto one = openAt(sim.ptyPath(1), 9600, Parity::None);
    auto two = openAt(sim.ptyPath(2), 9600, Parity::None);
    ASSERT_TRUE(one && two);
    Bytes data;
    for (int i = 0; i < 300; ++i)
        data.push_back(static_cast<std::uint8_t>(i));
    two->purge(platform::PurgeRxClear);
    EXPECT_TRUE(exchange(*one, data, 0, 0ms).empty());
    EXPECT_EQ(receive(*two, data.size()), data);
    const Bytes reply {'p', 'o', 'n', 'g'};
    EXPECT_TRUE(exchange(*two, reply, 0, 0ms).empty());
    EXPECT_EQ(receive(*one, reply.size()), reply);
}

TEST(SimOnPty, fullErrorRateCorruptsEveryByte)
{
    simtest::SimProcess sim({"--link", "--no-pace", "--error-rate", "1", "--seed", "5"});
    auto one = openAt(sim.ptyPath(1), 9600, Parity::None);
    auto two = openAt(sim.ptyPath(2), 9600, Parity::None);
    ASSERT_TRUE(one && two);
    const Bytes data(64, 0x33);
    EXPECT_TRUE(exchange(*one, data, 0, 0ms).empty());
    const Bytes got = receive(*two, data.size());
    ASSERT_EQ(got.size(), data.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(std::popcount(static_cast<unsigned>(got[i] ^ data[i])), 1) << "byte " << i;
}

TEST(SimOnPty, vanishedDeviceMakesEveryPortCallFail)
{
    simtest::SimProcess sim({"--no-pace", "--vanish-after", "1"});
    auto port = openAt(sim.ptyPath(), 9600, Parity::None);
    ASSERT_TRUE(port);
    EXPECT_EQ(exchange(*port, kQuery, 8), kModelAnswer);
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    platform::CommStatus status;
    while (port->clearErrors(status) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(port->clearErrors(status));
    EXPECT_FALSE(port->writeFrame(kQuery.data(), static_cast<std::uint32_t>(kQuery.size())));
    platform::LineSettings settings;
    EXPECT_FALSE(port->getSettings(settings));
    EXPECT_FALSE(PosixSerialPort::openDevice(sim.ptyPath()));
}

} // namespace
