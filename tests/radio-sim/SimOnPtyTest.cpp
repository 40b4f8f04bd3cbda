// The simulator as a process on a real pty, with the program's own termios port on the other
// side.
#include "SimProcess.h"

#include "platform/PosixSerialPort.h"
#include "radio/CommandFrame.h"

#include <bit>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sstream>
#include <termios.h>
#include <thread>
#include <tuple>
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
    std::uint32_t written = 0;
    EXPECT_TRUE(
        port.writeFrame(request.data(), static_cast<std::uint32_t>(request.size()), written));
    EXPECT_EQ(written, request.size());
    return receive(port, answerSize, limit);
}

TEST(SimOnPty, queryIsAnsweredAtTheRadiosSettingsOnly)
{
    simtest::SimProcess sim({});
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
        simtest::SimProcess sim({"--symlink", link});
        auto port = openAt(link, 9600, Parity::None);
        ASSERT_TRUE(port);
        EXPECT_FALSE(PosixSerialPort::openDevice(link)) << "a second opener is refused";
        port.reset();
        // The simulator keeps no descriptor of the program's side that would count as a holder.
        port = openAt(link, 9600, Parity::None);
        ASSERT_TRUE(port) << "the port opens again at once while the simulator runs";
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
    simtest::SimProcess sim({"--link", "--speed2", "19200"});
    auto one = openAt(sim.ptyPath(1), 9600, Parity::None);
    auto two = openAt(sim.ptyPath(2), 19200, Parity::None);
    ASSERT_TRUE(one && two);
    Bytes data;
    for (int i = 0; i < 300; ++i)
        data.push_back(static_cast<std::uint8_t>(i));
    two->purge(platform::PurgeRxClear);
    EXPECT_TRUE(exchange(*one, data, 0, 0ms).empty());
    // 300 bytes at 9600 bit/s take 0.31 s to reach the radio.
    EXPECT_EQ(receive(*two, data.size(), 5000ms), data);
    const Bytes reply {'p', 'o', 'n', 'g'};
    EXPECT_TRUE(exchange(*two, reply, 0, 0ms).empty());
    EXPECT_EQ(receive(*one, reply.size()), reply);
}

// The program's side of the pty without the program's port class: raw, non-blocking, at a
// speed and parity as the program sets them (a pty keeps INPCK and PARODD, not PARENB).
class RawSide
{
public:
    RawSide(const std::string& path, speed_t speed, Parity parity)
        : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        termios tio {};
        if (m_fd < 0 || ::tcgetattr(m_fd, &tio) != 0)
            return;
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, speed);
        if (parity != Parity::None)
            tio.c_cflag |= PARENB, tio.c_iflag |= INPCK;
        if (parity == Parity::Odd)
            tio.c_cflag |= PARODD;
        m_ready = ::tcsetattr(m_fd, TCSANOW, &tio) == 0;
    }
    ~RawSide()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RawSide(const RawSide&) = delete;
    RawSide& operator=(const RawSide&) = delete;

    bool ready() const { return m_ready; }
    int fd() const { return m_fd; }

    // Writes what the pty takes of `bytes` within `period`, retrying after EAGAIN; returns how
    // much it took and counts the writes refused or cut short.
    std::size_t writeFor(const Bytes& bytes, std::chrono::milliseconds period, int& refused)
    {
        const auto end = std::chrono::steady_clock::now() + period;
        std::size_t taken = 0;
        while (std::chrono::steady_clock::now() < end) {
            const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
            if (n > 0)
                taken += static_cast<std::size_t>(n);
            if (n < static_cast<ssize_t>(bytes.size())) {
                ++refused;
                std::this_thread::sleep_for(1ms);
            }
        }
        return taken;
    }

private:
    int m_fd = -1;
    bool m_ready = false;
};

// How many bytes the log says the radio heard as user data.
std::size_t bytesHeardAsData(const simtest::SimProcess& sim)
{
    std::size_t count = 0;
    for (const std::string& line : sim.logLines()) {
        if (line.find(" dropped") == std::string::npos)
            continue;
        count += (line.size() - line.find(" dropped") - 8) / 3;
    }
    return count;
}

TEST(SimOnPty, answerComesNoSoonerThanTheWireAllowsAtEitherEndOfTheSpeeds)
{
    struct Row
    {
        const char* speed;
        const char* parity;
        speed_t termiosSpeed;
        Parity lineParity;
        double bits;
        double baud;
        double adapterUs = 0; // --usb-adapter: the answer is held, then comes in one piece
    };
    const Row rows[] = {
        {"300", "none", B300, Parity::None, 10, 300},
        {"19200", "none", B19200, Parity::None, 10, 19200},
        {"19200", "even", B19200, Parity::Even, 11, 19200},
        {"19200", "none", B19200, Parity::None, 10, 19200, 16'000},
    };
    constexpr double kTurnaroundUs = 5000;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.speed) + " " + row.parity);
        std::vector<std::string> args
            = {"--speed", row.speed, "--parity", row.parity, "--turnaround-ms", "5"};
        if (row.adapterUs > 0)
            args.push_back("--usb-adapter");
        simtest::SimProcess sim(args);
        RawSide side(sim.ptyPath(), row.termiosSpeed, row.lineParity);
        ASSERT_TRUE(side.ready());
        const double byteUs = row.bits * 1e6 / row.baud;

        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        ASSERT_EQ(
            ::write(side.fd(), kQuery.data(), kQuery.size()), static_cast<ssize_t>(kQuery.size()));
        Bytes got;
        std::optional<double> firstUs;
        double allUs = 0;
        const auto deadline = start + 5s;
        while (got.size() < kModelAnswer.size() && Clock::now() < deadline) {
            pollfd p {side.fd(), POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            std::uint8_t buffer[64];
            const ssize_t n = ::read(side.fd(), buffer, sizeof buffer);
            const double atUs
                = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
            if (n <= 0)
                continue;
            got.insert(got.end(), buffer, buffer + n);
            if (!firstUs)
                firstUs = atUs;
            allUs = atUs;
        }
        ASSERT_EQ(got, kModelAnswer);
        EXPECT_GE(*firstUs, 7 * byteUs + kTurnaroundUs + byteUs + row.adapterUs);
        EXPECT_GE(allUs, 7 * byteUs + kTurnaroundUs + 8 * byteUs);
        if (row.adapterUs > 0) {
            EXPECT_EQ(*firstUs, allUs) << "fewer than 62 bytes go in one packet";
        }
        // Only a loose upper bound: the machine may be busy.
        EXPECT_LT(allUs, 15 * byteUs + kTurnaroundUs + row.adapterUs + 2e6);
    }
}

TEST(SimOnPty, programWritingFasterThanTheLineIsHeldBackByThePty)
{
    const Bytes block(4096, 0x11);
    int refused = 0;
    // What the pty alone holds: a radio that takes 100 bytes and then nothing more.
    std::size_t ptyHolds = 0;
    {
        simtest::SimProcess sim({"--stall-after-bytes", "100"});
        RawSide side(sim.ptyPath(), B9600, Parity::None);
        ASSERT_TRUE(side.ready());
        ptyHolds = side.writeFor(block, 500ms, refused) - 100;
        EXPECT_GT(refused, 0);
        std::this_thread::sleep_for(400ms);
        EXPECT_EQ(bytesHeardAsData(sim), 100u) << "nothing after the stall";
    }
    // At 300 bit/s a second takes 30 bytes across the line; the radio holds at most 64 more.
    simtest::SimProcess sim({"--speed", "300"});
    RawSide side(sim.ptyPath(), B300, Parity::None);
    ASSERT_TRUE(side.ready());
    refused = 0;
    const auto cpuTicks = [&sim] {
        std::ifstream file("/proc/" + std::to_string(sim.pid()) + "/stat");
        std::string text((std::istreambuf_iterator<char>(file)), {});
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string skip;
        for (int i = 0; i < 11; ++i)
            fields >> skip;
        long user = 0, system = 0;
        fields >> user >> system;
        return user + system;
    };
    const long before = cpuTicks();
    const std::size_t taken = side.writeFor(block, 1000ms, refused);
    const long used = cpuTicks() - before;
    EXPECT_GT(refused, 0);
    // The pty takes room back in steps of up to a few kilobytes.
    EXPECT_LT(taken, ptyHolds + 64 + 30 + 8192);
    // Leaving input unread, the simulator sleeps until the next byte has crossed.
    EXPECT_LT(used * 1000 / ::sysconf(_SC_CLK_TCK), 100) << "CPU ms while held back";
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

// The air's latency is real time on the ptys, and a lost packet never comes.
TEST(SimOnPty, airLatencyAndLossShowOnThePty)
{
    for (const auto& [args, soonestMs, arrives] :
        std::vector<std::tuple<std::vector<std::string>, int, bool>> {
            {{"--latency-ms", "300"}, 300, true}, {{"--loss", "100"}, 0, false}}) {
        std::vector<std::string> all = {"--link", "--no-pace", "--seed", "3"};
        all.insert(all.end(), args.begin(), args.end());
        simtest::SimProcess sim(all);
        auto one = openAt(sim.ptyPath(1), 9600, Parity::None);
        auto two = openAt(sim.ptyPath(2), 9600, Parity::None);
        ASSERT_TRUE(one && two);
        const Bytes data {'p', 'i', 'n', 'g'};
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(exchange(*one, data, 0, 0ms).empty());
        const Bytes got = receive(*two, data.size(), 1000ms);
        EXPECT_EQ(got, arrives ? data : Bytes {}) << args[0];
        if (arrives) {
            EXPECT_GE(std::chrono::steady_clock::now() - start, soonestMs * 1ms) << args[0];
        }
    }
}

TEST(SimOnPty, vanishedDeviceMakesEveryPortCallFail)
{
    simtest::SimProcess sim({"--vanish-after", "1"});
    auto port = openAt(sim.ptyPath(), 9600, Parity::None);
    ASSERT_TRUE(port);
    EXPECT_EQ(exchange(*port, kQuery, 8), kModelAnswer);
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    platform::CommStatus status;
    while (port->clearErrors(status) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(port->clearErrors(status));
    std::uint32_t written = 0;
    EXPECT_FALSE(
        port->writeFrame(kQuery.data(), static_cast<std::uint32_t>(kQuery.size()), written));
    platform::LineSettings settings;
    EXPECT_FALSE(port->getSettings(settings));
    EXPECT_FALSE(PosixSerialPort::openDevice(sim.ptyPath()));
}

} // namespace
