#include "CliRun.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

extern char** environ;

namespace simtest {

namespace {

std::string fileText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> list;
    for (auto& text : strings)
        list.push_back(text.data());
    list.push_back(nullptr);
    return list;
}

} // namespace

std::vector<std::string> onlyPorts(const std::vector<std::string>& devices)
{
    std::vector<std::string> pins;
    for (std::size_t n = 0; n < 8; ++n) {
        pins.push_back("RADIOMODEM_COM" + std::to_string(n + 1) + "="
            + (n < devices.size() ? devices[n] : "/nonexistent"));
    }
    return pins;
}

CliProcess::CliProcess(const std::vector<std::string>& args, const std::vector<std::string>& env,
    const std::string& stdoutPath, const std::string& stdinPath)
    : m_outPath(stdoutPath.empty() ? m_dir.path("out") : stdoutPath)
{
    std::vector<std::string> argv {RADIOMODEM_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> environment(env);
    // A cache of probe modes of its own, unless the test gives one: what another run learnt
    // of a pty with the same name must not change where this one's probe starts.
    if (std::none_of(env.begin(), env.end(),
            [](const std::string& variable) { return variable.starts_with("XDG_CACHE_HOME="); }))
        environment.push_back("XDG_CACHE_HOME=" + m_dir.path("cache"));
    for (char** variable = environ; *variable; ++variable) {
        const std::string_view text(*variable);
        if (!text.starts_with("RADIOMODEM_COM") && !text.starts_with("XDG_CACHE_HOME="))
            environment.emplace_back(*variable);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdinPath.empty())
        posix_spawn_file_actions_addopen(&actions, 0, stdinPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(
        &actions, 1, m_outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(
        &actions, 2, m_dir.path("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    auto argp = pointers(argv);
    auto envp = pointers(environment);
    if (posix_spawn(&m_pid, argp[0], &actions, nullptr, argp.data(), envp.data()) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
}

CliProcess::~CliProcess()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

CliRun CliProcess::wait()
{
    CliRun run;
    if (m_pid > 0) {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (m_outPath == m_dir.path("out"))
        run.out = fileText(m_outPath);
    run.err = fileText(m_dir.path("err"));
    return run;
}

CliRun runCli(const std::vector<std::string>& args, const std::vector<std::string>& env)
{
    return CliProcess(args, env).wait();
}

} // namespace simtest
