#include "platform/PosixSerialPort.h"
#include "FakePortEnumerator.h"
#include "OtherUser.h"
#include "Pty.h"
#include "TempDir.h"
#include "platform/DeviceHolder.h"
#include "platform/PosixSerialPorts.h"
#include "platform/UdevPortEnumerator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace platform;

namespace {

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
    EXPECT_FALSE(port->outputQueued(count));
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

TEST(PortNames, onlyCom1ToCom8HaveNumbers)
{
    EXPECT_EQ(portNumberOfName("COM1"), 1);
    EXPECT_EQ(portNumberOfName("COM8"), 8);
    for (const char* bad : {"COM0", "COM9", "COM10", "com1", "", "COM", "LPT1"})
        EXPECT_EQ(portNumberOfName(bad), 0) << bad;
}

namespace {

// A process that holds the device open: with a lock, as a terminal program does, or without
// one, as socat does.
class Holder
{
public:
    explicit Holder(const std::string& path, bool lock = true)
    {
        m_pid = ::fork();
        if (m_pid == 0) {
            // The descriptor is kept across exec; the sleeping child is the holder.
            const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
            if (fd < 0 || (lock && ::flock(fd, LOCK_EX | LOCK_NB) != 0))
                ::_exit(126);
            ::execlp("sleep", "sleep", "30", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 2000 && comm() != "sleep"; ++i)
            ::usleep(1000);
        EXPECT_EQ(comm(), "sleep");
    }
    ~Holder()
    {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    int pid() const { return m_pid; }

private:
    std::string comm() const
    {
        std::string name;
        std::ifstream("/proc/" + std::to_string(m_pid) + "/comm") >> name;
        return name;
    }
    pid_t m_pid;
};

// Opens the device as a user without rights to it: as root, in a child that gives root up
// (root itself cannot be refused); otherwise after taking the file's permissions away.
OpenError openWithoutPermission(const std::string& path)
{
    if (::geteuid() != 0) {
        struct stat before
        { };
        ::stat(path.c_str(), &before);
        ::chmod(path.c_str(), 0);
        OpenResult result;
        PosixSerialPort::openDevice(path, &result);
        ::chmod(path.c_str(), before.st_mode & 07777);
        return result.error;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const gid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(100);
        OpenResult result;
        PosixSerialPort::openDevice(path, &result);
        ::_exit(static_cast<int>(result.error));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return static_cast<OpenError>(WEXITSTATUS(status));
}

// COM1 to COM8 over scripted devices.
struct ScriptedPorts
{
    explicit ScriptedPorts(std::vector<SerialDevice> devices) : enumerator(std::move(devices)) { }
    fakes::FakePortEnumerator enumerator;
    PosixSerialPorts ports {enumerator};
};

bool readable(int fd)
{
    pollfd p {fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

} // namespace

TEST(PosixSerialPorts, opensTheDeviceAssignedToTheName)
{
    Pty pty;
    ScriptedPorts scripted({fakes::usbAdapter(pty.slave(), "usb-radio")});
    OpenResult result = scripted.ports.open("COM1");
    EXPECT_TRUE(result.port);
    EXPECT_EQ(result.error, OpenError::None);
}

TEST(PosixSerialPorts, eachOpenFailureSaysWhy)
{
    Pty held;
    Holder holder(held.slave());
    Pty forbidden;
    char file[] = "/tmp/radiomodem-notatty-XXXXXX";
    const int fd = ::mkstemp(file);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ScriptedPorts scripted({fakes::usbAdapter("/dev/radiomodem-test-missing", "usb-a"),
        fakes::usbAdapter(file, "usb-b"), fakes::usbAdapter(held.slave(), "usb-c")});

    OpenResult missing = scripted.ports.open("COM1");
    EXPECT_EQ(missing.error, OpenError::NoDevice);
    EXPECT_EQ(missing.device, "/dev/radiomodem-test-missing");

    OpenResult notSerial = scripted.ports.open("COM2");
    EXPECT_FALSE(notSerial.port);
    EXPECT_EQ(notSerial.error, OpenError::NotSerial);
    EXPECT_EQ(notSerial.device, file);
    ::unlink(file);

    OpenResult busy = scripted.ports.open("COM3");
    EXPECT_FALSE(busy.port);
    EXPECT_EQ(busy.error, OpenError::Busy);
    EXPECT_EQ(busy.holder, "sleep");
    EXPECT_EQ(busy.holderPid, holder.pid());

    OpenResult nothingBehind = scripted.ports.open("COM4");
    EXPECT_EQ(nothingBehind.error, OpenError::NoDevice);
    EXPECT_EQ(nothingBehind.device, "");
    EXPECT_EQ(scripted.ports.open("COM0").error, OpenError::NoDevice);

    EXPECT_EQ(openWithoutPermission(forbidden.slave()), OpenError::PermissionDenied);
}

TEST(PosixSerialPort, aDeviceAnotherProcessHasOpenWithoutALockIsRefusedNamingIt)
{
    Pty pty;
    Holder reader(pty.slave(), false);
    OpenResult why;
    EXPECT_FALSE(PosixSerialPort::openDevice(pty.slave(), &why));
    EXPECT_EQ(why.error, OpenError::Busy);
    EXPECT_EQ(why.holderPid, reader.pid());
    EXPECT_EQ(why.holder, "sleep");

    // With a second process that locks it, the lock's holder is named, not the first opener.
    Holder locker(pty.slave(), true);
    ASSERT_GT(locker.pid(), reader.pid());
    EXPECT_FALSE(PosixSerialPort::openDevice(pty.slave(), &why));
    EXPECT_EQ(why.holderPid, locker.pid());
}

TEST(PosixSerialPort, theProgramsOwnDescriptorsAndAStaleExclusiveFlagDoNotCountAsAHolder)
{
    Pty pty;
    const int own = ::open(pty.slave().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(own, 0);
    EXPECT_TRUE(PosixSerialPort::openDevice(pty.slave()));
    // A program that died with the port open leaves its TIOCEXCL on the pty.
    ASSERT_EQ(::ioctl(own, TIOCEXCL), 0);
    ::close(own);
    if (::geteuid() == 0) {
        EXPECT_TRUE(PosixSerialPort::openDevice(pty.slave())) << "root takes the port over";
    }
}

// A program of another user (here root, seen from nobody) hides its open files: one that has
// the port open without a lock cannot be refused, but the open port says its holders may be
// hidden; once it has marked the port exclusive and ended, the refusal says that nobody seen
// holds it. Root itself sees every process.
TEST(PosixSerialPort, holdersOfAnotherUserAreNotSeenAndThePortSaysSo)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to play another user";
    Pty pty;
    ASSERT_EQ(::chmod(pty.slave().c_str(), 0666), 0);
    const int rootHolder = ::open(pty.slave().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(rootHolder, 0);
    {
        auto own = PosixSerialPort::openDevice(pty.slave());
        ASSERT_TRUE(own) << "the program's own descriptors are no holder";
        EXPECT_EQ(own->deviceWithHiddenHolders(), "");
    }
    const std::string device = pty.slave();
    EXPECT_EQ(asUnprivilegedUser([&] {
        auto shared = PosixSerialPort::openDevice(device);
        return shared && shared->deviceWithHiddenHolders() == device ? 0 : 1;
    }),
        0);

    ASSERT_EQ(::ioctl(rootHolder, TIOCEXCL), 0);
    ::close(rootHolder);
    EXPECT_EQ(asUnprivilegedUser([&] {
        OpenResult why;
        const bool opened = PosixSerialPort::openDevice(device, &why) != nullptr;
        return opened || why.error != OpenError::Busy || why.holderPid != 0 || !why.markedExclusive
                || !why.holdersHidden
            ? 1
            : 0;
    }),
        0);
}

TEST(PosixSerialPort, aRefusedPermissionNamesTheDevicesGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "the group of a device can be changed by root only";
    Pty pty;
    ASSERT_EQ(::chown(pty.slave().c_str(), 0, 10), 0); // uucp on Debian
    const group* uucp = ::getgrgid(10);
    ASSERT_TRUE(uucp);
    EXPECT_EQ(groupOf(pty.slave()), uucp->gr_name);
    ASSERT_EQ(::chown(pty.slave().c_str(), 0, 54321), 0);
    EXPECT_EQ(groupOf(pty.slave()), "54321") << "a group without a name by its number";
}

TEST(PosixSerialPorts, theSystemsErrorNumbersMapToReasons)
{
    EXPECT_EQ(openErrorForErrno(ENOENT), OpenError::NoDevice);
    EXPECT_EQ(openErrorForErrno(ENXIO), OpenError::NoDevice);
    EXPECT_EQ(openErrorForErrno(ENODEV), OpenError::NoDevice);
    EXPECT_EQ(openErrorForErrno(EACCES), OpenError::PermissionDenied);
    EXPECT_EQ(openErrorForErrno(EPERM), OpenError::PermissionDenied);
    EXPECT_EQ(openErrorForErrno(EBUSY), OpenError::Busy);
    EXPECT_EQ(openErrorForErrno(EIO), OpenError::Other);
}

TEST(PosixSerialPorts, opensTheDeviceThatTheEnvironmentPins)
{
    Pty pty;
    ::setenv("RADIOMODEM_COM3", pty.slave().c_str(), 1);
    ScriptedPorts scripted({});
    auto port = scripted.ports.open("COM3");
    EXPECT_TRUE(port.port);
    EXPECT_TRUE(scripted.ports.entry(3).pinned);
    EXPECT_EQ(scripted.ports.open("COM3").error, OpenError::Busy) << "held by the first open";
    ::unsetenv("RADIOMODEM_COM3");
}

TEST(PosixSerialPorts, hotPlugNoticesAreTakenByRefresh)
{
    ScriptedPorts scripted({});
    const int notice = scripted.ports.hotplugFd();
    ASSERT_GE(notice, 0);
    EXPECT_FALSE(scripted.ports.entry(1).device);

    scripted.enumerator.plug(fakes::usbAdapter("/dev/ttyUSB0", "usb-a"));
    EXPECT_TRUE(readable(notice));
    EXPECT_TRUE(scripted.ports.refresh());
    EXPECT_FALSE(readable(notice)) << "the notice is taken";
    EXPECT_TRUE(scripted.ports.entry(1).present);

    scripted.enumerator.unplug("usb-a");
    EXPECT_TRUE(scripted.ports.refresh());
    EXPECT_FALSE(scripted.ports.entry(1).present);
    EXPECT_EQ(scripted.ports.entry(1).device->path, "/dev/ttyUSB0");
    EXPECT_FALSE(scripted.ports.refresh()) << "nothing changed since";
}

TEST(UdevPortEnumerator, withoutUdevNoticesTheDeviceFolderIsWatched)
{
    fakes::TempDir dev;
    UdevPortEnumerator enumerator(UdevPortEnumerator::Notices::DeviceFolder, dev.path(""));
    const int notice = enumerator.monitorFd();
    ASSERT_GE(notice, 0);
    EXPECT_FALSE(readable(notice));
    fakes::TempDir::write(dev.path("ttyUSB7"), "");
    EXPECT_TRUE(readable(notice)) << "a node made";
    enumerator.drainNotices();
    EXPECT_FALSE(readable(notice));
    ::unlink(dev.path("ttyUSB7").c_str());
    EXPECT_TRUE(readable(notice)) << "a node removed";
    EXPECT_EQ(udevRuns(), ::access("/run/udev/control", F_OK) == 0);
}

TEST(UdevPortEnumerator, listsRealDevicesAndMarksOnBoardNodesWithoutAUart)
{
    UdevPortEnumerator enumerator;
    for (const SerialDevice& device : enumerator.devices()) {
        struct stat node
        { };
        EXPECT_EQ(::stat(device.path.c_str(), &node), 0) << device.path;
        EXPECT_TRUE(S_ISCHR(node.st_mode)) << device.path;
        EXPECT_NE(device.kernelName.rfind("tty", 0), std::string::npos) << device.path;
        EXPECT_FALSE(device.kernelName == "tty" || device.kernelName == "console"
            || device.kernelName == "ptmx")
            << "virtual terminals are no serial ports";
        EXPECT_FALSE(device.identity.empty());
        if (device.kind == DeviceKind::OnBoard) {
            std::string type;
            std::ifstream("/sys/class/tty/" + device.kernelName + "/type") >> type;
            EXPECT_EQ(device.hasHardware, type != "0") << device.kernelName;
        }
    }
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

// A line that takes nothing more (a stalled device, here a pty whose buffer another writer
// filled): neither user data nor a frame is taken, and the caller does not wait.
TEST(PosixSerialPort, aStalledLineNeverHoldsTheCaller)
{
    Pty pty;
    termios raw = pty.settings();
    ::cfmakeraw(&raw); // so the far side keeps what it cannot pass on, and fills up
    ASSERT_EQ(::tcsetattr(pty.master(), TCSANOW, &raw), 0);
    const int filler = ::open(pty.slave().c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(filler, 0);
    const std::string block(4096, 'x');
    // Full once a pause has made no room: the pty moves its buffers on in the background.
    for (bool took = true; took; ::usleep(20'000)) {
        took = false;
        while (::write(filler, block.data(), block.size()) > 0)
            took = true;
    }
    auto port = PosixSerialPort::openDevice(pty.slave());
    ASSERT_TRUE(port);
    LineSettings line;
    line.baudRate = 19200;
    ASSERT_TRUE(port->setSettings(line));
    const auto* data = reinterpret_cast<const std::uint8_t*>(block.data());
    std::uint32_t written = 1;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(port->writeSome(data, static_cast<std::uint32_t>(block.size()), written));
    EXPECT_EQ(written, 0u);
    const std::uint8_t frame[] = {0x55, 0xAA, 0x03, 0x27, 0x00, 0x00, 0x2A};
    ASSERT_TRUE(port->writeFrame(frame, sizeof frame, written));
    EXPECT_EQ(written, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));

    EXPECT_FALSE(port->isGone());
    ::close(filler);
}

// User data keeps about 100 ms of wire time queued and no more, also on a pty, whose driver
// reports no queue of its own: what the port takes never runs further ahead of the wire.
TEST(PosixSerialPort, userDataIsTakenNoFasterThanTheWireCarriesIt)
{
    Pty pty;
    auto port = PosixSerialPort::openDevice(pty.slave());
    ASSERT_TRUE(port);
    const std::string block(1024, 'x');
    const auto* data = reinterpret_cast<const std::uint8_t*>(block.data());
    const struct
    {
        std::uint32_t baud;
        std::uint32_t bound; // 100 ms of wire time
    } rows[] = {{300, 3}, {1200, 12}, {19200, 192}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.baud);
        LineSettings line;
        line.baudRate = row.baud;
        ASSERT_TRUE(port->setSettings(line));
        ::usleep(150'000); // the previous row's bytes have crossed
        const std::int64_t byteUs = byteTimeUs(line);
        std::uint32_t written = 0;
        ASSERT_TRUE(port->writeSome(data, static_cast<std::uint32_t>(block.size()), written));
        EXPECT_EQ(written, row.bound);
        std::uint64_t total = written;
        const auto start = std::chrono::steady_clock::now();
        auto now = start;
        while (now - start < std::chrono::milliseconds(300)) {
            ::usleep(2000);
            ASSERT_TRUE(port->writeSome(data, static_cast<std::uint32_t>(block.size()), written));
            total += written;
            now = std::chrono::steady_clock::now();
            const auto elapsedUs
                = std::chrono::duration_cast<std::chrono::microseconds>(now - start).count();
            ASSERT_LE(total, row.bound + elapsedUs / byteUs + 1) << "after " << elapsedUs << " us";
        }
        EXPECT_EQ(pty.readMaster(total).size(), total);
    }
}
