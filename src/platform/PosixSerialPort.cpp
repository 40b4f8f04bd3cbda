#include "PosixSerialPort.h"
#include "DeviceHolder.h"
#include "TermiosSpeed.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

std::int64_t steadyNowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

OpenError openErrorForErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return OpenError::NoDevice;
    case EACCES:
    case EPERM:
        return OpenError::PermissionDenied;
    case EBUSY:
    case EWOULDBLOCK:
        return OpenError::Busy;
    case ENOTTY:
        return OpenError::NotSerial;
    default:
        return OpenError::Other;
    }
}

std::unique_ptr<PosixSerialPort> PosixSerialPort::openDevice(
    const std::string& path, OpenResult* why)
{
    auto fail
        = [why, &path](OpenError error, int fd, int code) -> std::unique_ptr<PosixSerialPort> {
        if (fd >= 0)
            ::close(fd);
        if (why) {
            why->error = error;
            why->device = path;
            why->detail = std::strerror(code);
            if (error == OpenError::Busy) {
                const DeviceHolder holder = findDeviceHolder(path);
                why->holder = holder.name;
                why->holderPid = holder.pid;
                why->markedExclusive = code == EBUSY && fd < 0;
                why->holdersHidden = holder.othersHidden;
            }
            if (error == OpenError::PermissionDenied)
                why->group = groupOf(path);
        }
        return nullptr;
    };
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(openErrorForErrno(errno), fd, errno);
    termios tio {};
    if (!::isatty(fd) || ::tcgetattr(fd, &tio) != 0)
        return fail(OpenError::NotSerial, fd, ENOTTY);
    // The flock refuses a second opener that honours locks, root included. A program that
    // reads the device without locking it (socat, cat) would take the radio's answers, so a
    // device another process has open is refused too. Only root gets here past another
    // program's TIOCEXCL, and root sees every process: a TIOCEXCL with no holder left was
    // left by a program that died with the port open (a pty outlives it), and is taken over.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || findDeviceHolder(path).pid != 0
        || ::ioctl(fd, TIOCEXCL) != 0)
        return fail(OpenError::Busy, fd, EBUSY);

    // A serial handle carries bytes unchanged: no line editing, echo, translation or software
    // flow control. Speed, framing, parity and hardware flow control stay as the port had them.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF
        | IXANY | IUCLC | IMAXBEL);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0)
        return fail(openErrorForErrno(errno), fd, errno);
    return std::unique_ptr<PosixSerialPort>(new PosixSerialPort(fd, path));
}

PosixSerialPort::PosixSerialPort(int fd, std::string path) : m_fd(fd), m_path(std::move(path))
{
    requestLowLatency();
    LineSettings line;
    if (getSettings(line))
        m_byteUs = byteTimeUs(line);
    serial_icounter_struct counts {};
    if (::ioctl(m_fd, TIOCGICOUNT, &counts) == 0) {
        m_haveCounts = true;
        m_lastParity = counts.parity;
        m_lastFrame = counts.frame;
        m_lastOverrun = counts.overrun;
        m_lastBufOverrun = counts.buf_overrun;
        m_lastBreak = counts.brk;
    }
}

PosixSerialPort::~PosixSerialPort()
{
    // A tty's close waits for its output to drain (up to 30 s by default): what is still queued
    // is dropped first, so the close returns at once at every speed and on a stalled line.
    ::tcflush(m_fd, TCOFLUSH);
    if (m_lowLatencySet) {
        serial_struct serial {};
        if (::ioctl(m_fd, TIOCGSERIAL, &serial) == 0) {
            serial.flags &= ~ASYNC_LOW_LATENCY;
            ::ioctl(m_fd, TIOCSSERIAL, &serial);
        }
    }
    // The exclusive flag belongs to the device, not to this handle: clear it so that the next
    // opener is not refused by a port nobody holds.
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
}

std::string PosixSerialPort::deviceWithHiddenHolders()
{
    return findDeviceHolder(m_path).othersHidden ? m_path : std::string();
}

// A USB adapter holds received bytes for its latency timer (16 ms on FTDI chips) unless its
// driver is asked for low latency, which an answer's wait cannot afford. Drivers without the
// mode refuse (ptys do), and then the port works as it is.
void PosixSerialPort::requestLowLatency()
{
    serial_struct serial {};
    if (::ioctl(m_fd, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY))
        return;
    serial.flags |= ASYNC_LOW_LATENCY;
    m_lowLatencySet = ::ioctl(m_fd, TIOCSSERIAL, &serial) == 0;
}

// A device that was unplugged (or a pty whose other side closed) hangs up; from then on every
// call fails.
bool PosixSerialPort::alive()
{
    if (m_gone)
        return false;
    pollfd p {m_fd, 0, 0};
    if (::poll(&p, 1, 0) < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
        m_gone = true;
    return !m_gone;
}

bool PosixSerialPort::markGone()
{
    m_gone = true;
    return false;
}

bool PosixSerialPort::getSettings(LineSettings& settings)
{
    termios tio {};
    if (!alive() || ::tcgetattr(m_fd, &tio) != 0)
        return false;
    settings.baudRate = baudFromSpeed(::cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        settings.byteSize = 5;
        break;
    case CS6:
        settings.byteSize = 6;
        break;
    case CS7:
        settings.byteSize = 7;
        break;
    default:
        settings.byteSize = 8;
        break;
    }
    if (tio.c_cflag & PARENB)
        settings.parity = (tio.c_cflag & PARODD) ? Parity::Odd : Parity::Even;
    else
        settings.parity = Parity::None;
    settings.parityCheck = (tio.c_iflag & INPCK) != 0;
    settings.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    return true;
}

bool PosixSerialPort::setSettings(const LineSettings& settings)
{
    termios tio {};
    const speed_t speed = speedFromBaud(settings.baudRate);
    if (speed == B0 || settings.byteSize < 5 || settings.byteSize > 8
        || (settings.stopBits != 1 && settings.stopBits != 2))
        return false;
    if (!alive() || ::tcgetattr(m_fd, &tio) != 0)
        return false;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag = (tio.c_cflag & ~CSIZE) | kSizes[settings.byteSize - 5];
    tio.c_cflag &= ~(PARENB | PARODD | CSTOPB);
    if (settings.parity != Parity::None)
        tio.c_cflag |= PARENB;
    if (settings.parity == Parity::Odd)
        tio.c_cflag |= PARODD;
    if (settings.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    if (settings.parityCheck)
        tio.c_iflag |= INPCK;
    else
        tio.c_iflag &= ~INPCK;
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return false;
    m_byteUs = byteTimeUs(settings);
    return true;
}

bool PosixSerialPort::purge(unsigned purgeFlags)
{
    if (!alive())
        return false;
    bool ok = true;
    if (purgeFlags & (PurgeTxAbort | PurgeTxClear))
        ok = ::tcflush(m_fd, TCOFLUSH) == 0 && ok;
    if (purgeFlags & (PurgeRxAbort | PurgeRxClear))
        ok = ::tcflush(m_fd, TCIFLUSH) == 0 && ok;
    return ok;
}

bool PosixSerialPort::clearErrors(CommStatus& status)
{
    status = {};
    int waiting = 0;
    if (!alive() || ::ioctl(m_fd, FIONREAD, &waiting) != 0)
        return false;
    status.bytesWaiting = waiting > 0 ? static_cast<std::uint32_t>(waiting) : 0;
    serial_icounter_struct counts {};
    if (m_haveCounts && ::ioctl(m_fd, TIOCGICOUNT, &counts) == 0) {
        if (counts.parity != m_lastParity)
            status.errors |= CommRxParity;
        if (counts.frame != m_lastFrame)
            status.errors |= CommFrame;
        if (counts.overrun != m_lastOverrun)
            status.errors |= CommOverrun;
        if (counts.buf_overrun != m_lastBufOverrun)
            status.errors |= CommRxOverflow;
        if (counts.brk != m_lastBreak)
            status.errors |= CommBreak;
        m_lastParity = counts.parity;
        m_lastFrame = counts.frame;
        m_lastOverrun = counts.overrun;
        m_lastBufOverrun = counts.buf_overrun;
        m_lastBreak = counts.brk;
    }
    return true;
}

bool PosixSerialPort::read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got)
{
    got = 0;
    if (m_gone)
        return false;
    while (got < count) {
        const ssize_t n = ::read(m_fd, buffer + got, count - got);
        if (n > 0) {
            got += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return true;
        // End of file or EIO: the device has gone.
        m_gone = n < 0 || !alive();
        return !m_gone;
    }
    return true;
}

// A driver queues seconds of data at low speeds (about 4 KB on a UART or USB adapter, more on a
// pty) and TIOCOUTQ sees only its own part: not an adapter's FIFO, nothing at all on a pty. So
// the queue is also reckoned from the wire: the bytes written since the line was last idle that
// their wire time cannot have carried yet. A flush does not reset that reckoning, as a pty's far
// side keeps what it already has; on a UART it holds back at most the next 100 ms.
std::uint32_t PosixSerialPort::queuedBytes()
{
    int driver = 0;
    if (::ioctl(m_fd, TIOCOUTQ, &driver) != 0)
        driver = 0;
    const std::int64_t aheadUs = m_lineFreeUs - steadyNowUs();
    const std::int64_t onWire
        = aheadUs > 0 && m_byteUs > 0 ? (aheadUs + m_byteUs - 1) / m_byteUs : 0;
    return static_cast<std::uint32_t>(std::max<std::int64_t>(driver, onWire));
}

// User data waits in the program, not in the driver: the driver takes only what keeps about
// 100 ms of wire time queued (at least a byte), so TX stays that close to the wire and a stop
// or close has little to drop.
bool PosixSerialPort::writeSome(
    const std::uint8_t* data, std::uint32_t count, std::uint32_t& written)
{
    written = 0;
    if (!alive())
        return false;
    const auto bound = static_cast<std::uint32_t>(
        std::max<std::int64_t>(1, kQueuedWireUs / std::max<std::int64_t>(m_byteUs, 1)));
    const std::uint32_t queued = queuedBytes();
    if (queued >= bound)
        return true;
    return writeNow(data, std::min(count, bound - queued), written);
}

bool PosixSerialPort::writeNow(
    const std::uint8_t* data, std::uint32_t count, std::uint32_t& written)
{
    written = 0;
    while (written < count) {
        const ssize_t n = ::write(m_fd, data + written, count - written);
        if (n > 0) {
            written += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        markGone();
        break;
    }
    m_lineFreeUs = std::max(m_lineFreeUs, steadyNowUs()) + written * m_byteUs;
    return !m_gone;
}

// A command frame is small and goes to the driver whole, so that no pause of the program can
// split it on the line.
bool PosixSerialPort::writeFrame(
    const std::uint8_t* data, std::uint32_t count, std::uint32_t& written)
{
    written = 0;
    return alive() && writeNow(data, count, written);
}

bool PosixSerialPort::outputQueued(std::uint32_t& bytes)
{
    bytes = 0;
    if (!alive())
        return false;
    bytes = queuedBytes();
    return true;
}

} // namespace platform
