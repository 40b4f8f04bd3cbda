#include "CliRun.h"

#include "TempDir.h"

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

CliRun runCli(const std::vector<std::string>& args, const std::vector<std::string>& env)
{
    fakes::TempDir dir;
    std::vector<std::string> argv {RADIOMODEM_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> environment(env);
    for (char** variable = environ; *variable; ++variable) {
        if (std::string(*variable).rfind("RADIOMODEM_COM", 0) != 0)
            environment.emplace_back(*variable);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(
        &actions, 1, dir.path("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(
        &actions, 2, dir.path("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    CliRun run;
    auto argp = pointers(argv);
    auto envp = pointers(environment);
    if (posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = fileText(dir.path("out"));
    run.err = fileText(dir.path("err"));
    return run;
}

} // namespace simtest
