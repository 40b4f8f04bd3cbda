#include "Simulator.h"

#include "Station.h"
#include "UsbAdapter.h"
#include "platform/SerialPort.h"
#include "platform/TermiosSpeed.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <optional>
#include <poll.h>
#include <random>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace radiosim {

namespace {

// How long to leave a master alone after it reported a hang-up or EIO.
constexpr std::int64_t kRetryUs = 20'000;
constexpr int kMaxPollMs = 1000;
// A vanishing device waits for the program to read the last answer: at least long enough for
// the pty to have moved the bytes to the program's side, at most a second.
constexpr std::int64_t kVanishMinUs = 50'000;
constexpr std::int64_t kVanishMaxUs = 1'000'000;
constexpr std::int64_t kVanishCheckUs = 5'000;
// Like a UART's FIFO: the radio takes bytes from the program only while fewer than this many
// are still crossing the line; the rest wait in the pty, whose buffers fill in turn.
constexpr std::size_t kLineQueueBytes = 64;

volatile std::sig_atomic_t g_stopRequested = 0;

void requestStop(int)
{
    g_stopRequested = 1;
}

std::int64_t nowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

std::runtime_error systemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

// One pseudo-terminal: the master the radio talks on. The slave is the program's device; the
// simulator opens it only for a moment (to make it raw before anyone uses it, to count what the
// program has not read), so that no process of its own looks like another program holding the
// port. While no one has the slave open, the master reads EIO and polls as hung up; the loop
// waits that out.
class Pty
{
public:
    Pty()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_master < 0)
            throw systemError("posix_openpt");
        char name[128];
        if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0
            || ::ptsname_r(m_master, name, sizeof name) != 0)
            throw systemError("pty set-up");
        m_path = name;
        const int slave = openSlave();
        if (slave < 0)
            throw systemError("open " + m_path);
        // Raw from the start, so nothing is echoed or translated before the program sets the
        // port up. The speed stays the pty's own, which matches no radio. The settings stay
        // with the pty while the master is open.
        termios tio {};
        if (::tcgetattr(slave, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(slave, TCSANOW, &tio);
        }
        ::close(slave);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    ~Pty() { vanish(); }

    int master() const { return m_master; }
    const std::string& path() const { return m_path; }

    // Whether the program has read every byte the radio sent; false when that cannot be seen
    // (the program's exclusive open keeps a simulator that is not root out).
    bool readByProgram() const
    {
        const int slave = openSlave();
        int waiting = 1;
        if (slave >= 0) {
            if (::ioctl(slave, FIONREAD, &waiting) != 0)
                waiting = 1;
            ::close(slave);
        }
        return waiting == 0;
    }

    // The program side's settings. Linux reports the slave's termios on the master, but ptys
    // drop PARENB, so parity is read from INPCK and PARODD.
    SerialSettings programSide() const
    {
        termios tio {};
        if (::tcgetattr(m_master, &tio) != 0)
            return {0, platform::Parity::None};
        SerialSettings settings {
            platform::baudFromSpeed(::cfgetospeed(&tio)), platform::Parity::None};
        if (tio.c_iflag & INPCK)
            settings.parity
                = (tio.c_cflag & PARODD) ? platform::Parity::Odd : platform::Parity::Even;
        return settings;
    }

    // The device disappears: the program's descriptor hangs up.
    void vanish()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int openSlave() const
    {
        return ::ioctl(m_master, TIOCGPTPEER, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }

    int m_master = -1;
    std::string m_path;
};

class Symlink
{
public:
    Symlink(const std::string& link, const std::string& target) : m_link(link)
    {
        // A link left behind by an earlier run is replaced; anything else is not touched.
        struct stat st
        { };
        if (::lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(link.c_str());
        if (::symlink(target.c_str(), link.c_str()) != 0)
            throw systemError("symlink " + link);
    }
    Symlink(const Symlink&) = delete;
    Symlink& operator=(const Symlink&) = delete;
    ~Symlink() { ::unlink(m_link.c_str()); }

private:
    std::string m_link;
};

struct Endpoint
{
    Pty pty;
    std::unique_ptr<Symlink> symlink;
    std::unique_ptr<Station> station;
    std::optional<UsbAdapter> adapter; // between the radio's output and the program
    Bytes unwritten; // due bytes the master did not take yet
    std::int64_t retryAtUs = 0;
    std::size_t taken = 0; // bytes read from the program so far
};

class Simulator
{
public:
    explicit Simulator(const SimOptions& options) : m_options(options)
    {
        if (!options.logPath.empty()) {
            m_log.open(options.logPath, std::ios::app);
            if (!m_log)
                throw std::runtime_error("cannot open log " + options.logPath);
        }
        const std::uint32_t seed = options.seed.value_or(std::random_device {}());
        addEndpoint(1, options.radio, options.symlink1, seed);
        if (options.link) {
            RadioConfig second = options.radio;
            second.serial = options.serial2;
            addEndpoint(2, second, options.symlink2, seed + 7919);
            m_endpoints[0]->station->linkTo(*m_endpoints[1]->station);
            m_endpoints[1]->station->linkTo(*m_endpoints[0]->station);
        }
    }

    void announce() const
    {
        for (std::size_t i = 0; i < m_endpoints.size(); ++i)
            std::printf("PTY%zu %s\n", i + 1, m_endpoints[i]->pty.path().c_str());
        std::printf("READY\n");
        std::fflush(stdout);
    }

    int run(const sigset_t& waitMask)
    {
        while (!g_stopRequested) {
            const std::int64_t now = nowUs();
            for (auto& endpoint : m_endpoints)
                serviceOutput(*endpoint, now);
            if (vanishDue(now)) {
                for (auto& endpoint : m_endpoints)
                    endpoint->pty.vanish();
                return 0;
            }
            waitForInput(now, waitMask);
        }
        return 0;
    }

private:
    void addEndpoint(
        int number, const RadioConfig& radio, const std::string& link, std::uint32_t seed)
    {
        auto endpoint = std::make_unique<Endpoint>();
        if (!link.empty())
            endpoint->symlink = std::make_unique<Symlink>(link, endpoint->pty.path());
        StationConfig config {number, radio, m_options.pace, m_options.turnaroundUs,
            m_options.airDelayUs, m_options.errorRate, seed, m_options.air,
            number == 2 && m_options.echo2};
        config.air.fadeStartUs = m_startUs;
        endpoint->station = std::make_unique<Station>(config, [this](const std::string& line) {
            if (m_log.is_open())
                m_log << line << std::endl;
        });
        if (m_options.adapterLatencyUs)
            endpoint->adapter.emplace(*m_options.adapterLatencyUs);
        m_endpoints.push_back(std::move(endpoint));
    }

    void serviceOutput(Endpoint& endpoint, std::int64_t now)
    {
        Bytes due = endpoint.station->advance(endpoint.pty.programSide(), now);
        if (endpoint.adapter)
            due = endpoint.adapter->pass(due, now);
        endpoint.unwritten.insert(endpoint.unwritten.end(), due.begin(), due.end());
        while (!endpoint.unwritten.empty()) {
            const ssize_t n = ::write(
                endpoint.pty.master(), endpoint.unwritten.data(), endpoint.unwritten.size());
            if (n > 0) {
                endpoint.unwritten.erase(
                    endpoint.unwritten.begin(), endpoint.unwritten.begin() + n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                endpoint.retryAtUs = now + kRetryUs;
            return;
        }
    }

    // The device vanishes once the frame that ends its life has been answered and the program
    // has read the answer (or has had a second to do so).
    bool vanishDue(std::int64_t now)
    {
        if (!m_options.vanishAfter)
            return false;
        const bool reached
            = std::any_of(m_endpoints.begin(), m_endpoints.end(), [this](const auto& e) {
                  return e->station->framesReceived() >= *m_options.vanishAfter;
              });
        const bool drained = std::all_of(m_endpoints.begin(), m_endpoints.end(), [](const auto& e) {
            return e->station->outputIdle() && (!e->adapter || e->adapter->empty())
                && e->unwritten.empty();
        });
        if (!reached || !drained)
            return false;
        if (!m_vanishStartUs)
            m_vanishStartUs = now;
        const bool read = std::all_of(m_endpoints.begin(), m_endpoints.end(),
            [](const auto& e) { return e->pty.readByProgram(); });
        return (read && now >= *m_vanishStartUs + kVanishMinUs)
            || now >= *m_vanishStartUs + kVanishMaxUs;
    }

    void waitForInput(std::int64_t now, const sigset_t& waitMask)
    {
        std::int64_t wakeUs = now + kMaxPollMs * 1000LL;
        if (m_vanishStartUs)
            wakeUs = std::min(wakeUs, now + kVanishCheckUs);
        std::vector<pollfd> fds;
        std::vector<Endpoint*> polled;
        for (auto& endpoint : m_endpoints) {
            if (const auto next = endpoint->station->nextEventUs())
                wakeUs = std::min(wakeUs, *next);
            if (const auto release
                = endpoint->adapter ? endpoint->adapter->nextReleaseUs() : std::nullopt)
                wakeUs = std::min(wakeUs, *release);
            if (endpoint->retryAtUs > now) {
                wakeUs = std::min(wakeUs, endpoint->retryAtUs);
                continue;
            }
            // Input left unread is waited for by time: the next crossing makes room.
            short events = roomFor(*endpoint) > 0 ? POLLIN : 0;
            if (!endpoint->unwritten.empty())
                events |= POLLOUT;
            fds.push_back({endpoint->pty.master(), events, 0});
            polled.push_back(endpoint.get());
        }
        const std::int64_t waitUs = std::max<std::int64_t>(0, wakeUs - now);
        const timespec timeout {
            static_cast<time_t>(waitUs / 1'000'000), static_cast<long>(waitUs % 1'000'000) * 1000};
        if (::ppoll(fds.data(), fds.size(), &timeout, &waitMask) <= 0)
            return;
        const std::int64_t after = nowUs();
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents & POLLIN)
                readInput(*polled[i], after);
            else if (fds[i].revents & (POLLHUP | POLLERR))
                polled[i]->retryAtUs = after + kRetryUs;
        }
    }

    // How many bytes the radio takes from the program now.
    std::size_t roomFor(const Endpoint& endpoint) const
    {
        const std::size_t onTheLine = endpoint.station->bytesOnTheLine();
        std::size_t room = onTheLine < kLineQueueBytes ? kLineQueueBytes - onTheLine : 0;
        if (m_options.stallAfterBytes)
            room = std::min(room, *m_options.stallAfterBytes - endpoint.taken);
        return room;
    }

    void readInput(Endpoint& endpoint, std::int64_t now)
    {
        std::uint8_t buffer[kLineQueueBytes];
        const std::size_t room = roomFor(endpoint);
        if (room == 0)
            return;
        const ssize_t n = ::read(endpoint.pty.master(), buffer, room);
        if (n > 0) {
            endpoint.taken += static_cast<std::size_t>(n);
            endpoint.station->receive(Bytes(buffer, buffer + n), endpoint.pty.programSide(), now);
            return;
        }
        // EIO: no slave is open just now (the program is between close and reopen).
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            endpoint.retryAtUs = now + kRetryUs;
    }

    const SimOptions& m_options;
    const std::int64_t m_startUs = nowUs();
    std::ofstream m_log;
    std::vector<std::unique_ptr<Endpoint>> m_endpoints;
    std::optional<std::int64_t> m_vanishStartUs; // when the last answer was out
};

} // namespace

int runSimulator(const SimOptions& options)
{
    // Stop signals are held back except while waiting, so none is lost between checks.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigset_t waitMask;
    ::sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    struct sigaction action
    { };
    action.sa_handler = requestStop;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Simulator simulator(options);
    simulator.announce();
    return simulator.run(waitMask);
}

} // namespace radiosim
