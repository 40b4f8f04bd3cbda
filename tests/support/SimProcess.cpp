#include "SimProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace simtest {

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(5);
constexpr auto kStopTimeout = std::chrono::seconds(3);

std::string makeTempLog()
{
    std::string path = "/tmp/radiomodem-sim-XXXXXX.log";
    const int fd = ::mkstemps(path.data(), 4);
    if (fd < 0)
        throw std::runtime_error("cannot create a temporary log file");
    ::close(fd);
    return path;
}

} // namespace

SimProcess::SimProcess(std::vector<std::string> args) : m_logPath(makeTempLog())
{
    args.insert(args.begin(), RADIOMODEM_SIM_PATH);
    args.push_back("--log");
    args.push_back(m_logPath);
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        ::unlink(m_logPath.c_str());
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    const int spawned = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    m_stdout = pipeFds[0];
    if (spawned != 0) {
        m_pid = -1;
        stop();
        throw std::runtime_error("cannot start " + args[0]);
    }
    try {
        readAnnouncement();
    } catch (...) {
        stop();
        throw;
    }
}

SimProcess::~SimProcess()
{
    stop();
}

// "PTY1 <path>", maybe "PTY2 <path>", then "READY".
void SimProcess::readAnnouncement()
{
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    std::string pending;
    while (true) {
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (line == "READY")
                return;
            if (line.rfind("PTY", 0) == 0 && line.size() > 5)
                m_ptys.push_back(line.substr(5));
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p {m_stdout, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            throw std::runtime_error("radiomodem-sim did not get ready");
        char buffer[512];
        const ssize_t n = ::read(m_stdout, buffer, sizeof buffer);
        if (n <= 0)
            throw std::runtime_error("radiomodem-sim ended before it was ready");
        pending.append(buffer, static_cast<std::size_t>(n));
    }
}

const std::string& SimProcess::ptyPath(int station) const
{
    return m_ptys.at(static_cast<std::size_t>(station - 1));
}

std::string SimProcess::log() const
{
    std::ifstream file(m_logPath);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> SimProcess::logLines() const
{
    std::vector<std::string> lines;
    std::istringstream text(log());
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

void SimProcess::stop()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
        int status = 0;
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        m_pid = -1;
    }
    if (m_stdout >= 0) {
        ::close(m_stdout);
        m_stdout = -1;
    }
    if (!m_logPath.empty()) {
        ::unlink(m_logPath.c_str());
        m_logPath.clear();
    }
}

} // namespace simtest
