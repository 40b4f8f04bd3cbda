// radiomodem-cli as a technician runs it, against simulated radios on ptys.
#include "SimProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

extern char** environ;

namespace {

struct CliRun
{
    int status = -1;
    std::string out;
    std::string err;

    QJsonObject json() const { return QJsonDocument::fromJson(out.c_str()).object(); }
    QJsonObject result(int index = 0) const
    {
        return json()["results"].toArray().at(index).toObject();
    }
};

std::string fileText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs the program with the arguments and extra environment (pins of COM1 to COM8 among them),
// its output kept.
CliRun runCli(const std::vector<std::string>& args, const std::vector<std::string>& env = {})
{
    fakes::TempDir dir;
    std::vector<std::string> argv {RADIOMODEM_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp;
    for (auto& arg : argv)
        argp.push_back(arg.data());
    argp.push_back(nullptr);
    std::vector<std::string> environment(env);
    for (char** variable = environ; *variable; ++variable) {
        if (std::string(*variable).rfind("RADIOMODEM_COM", 0) != 0)
            environment.emplace_back(*variable);
    }
    std::vector<char*> envp;
    for (auto& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(
        &actions, 1, dir.path("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(
        &actions, 2, dir.path("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    CliRun run;
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

} // namespace

TEST(CliEndToEnd, readPrintsTheRadiosValuesAsJson)
{
    simtest::SimProcess sim({"--speed", "4800", "--parity", "odd", "--channel", "7", "--id",
        "654321", "--usb-adapter"});
    const CliRun run = runCli({"read", "--json", "--port", sim.ptyPath(1)});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << "no progress on a file: " << run.err;
    const QJsonObject result = run.result();
    EXPECT_EQ(result["outcome"].toString(), "ok");
    const QJsonObject values = result["values"].toObject();
    EXPECT_EQ(values["channel"].toInt(), 7);
    EXPECT_EQ(values["serial"].toString(), "4800-O");
    EXPECT_EQ(values["id"].toString(), "654321");
    EXPECT_FALSE(result["readAt"].toString().isEmpty());
}

// A write reads first, changes only what is named, and reads the radio back; a radio that
// acknowledges a value without taking it gives the mismatch status.
TEST(CliEndToEnd, writeVerifiesAndALyingRadioGivesTheMismatchStatus)
{
    {
        simtest::SimProcess sim({"--channel", "3", "--air-rate", "2"});
        const CliRun run = runCli({"write", "--json", "--port", sim.ptyPath(1), "--channel", "21"});
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        const QJsonObject result = run.result();
        EXPECT_EQ(result["written"].toObject()["channel"].toInt(), 21);
        EXPECT_EQ(result["written"].toObject()["airRate"].toInt(), 2) << "the radio's own";
        EXPECT_EQ(result["readBack"].toObject()["channel"].toInt(), 21);
        const CliRun again = runCli({"read", "--json", "--port", sim.ptyPath(1)});
        EXPECT_EQ(again.result()["values"].toObject()["channel"].toInt(), 21);
    }
    simtest::SimProcess liar({"--channel", "3", "--ignore-write", "channel"});
    const CliRun run = runCli({"write", "--port", liar.ptyPath(1), "--channel", "21"});
    EXPECT_EQ(run.status, 6) << run.out << run.err;
    EXPECT_NE(run.err.find("Channel: written 21, read back 3"), std::string::npos) << run.err;
}

// Three radios at different serial settings, pinned to COM1 to COM3, configured from one file at
// once, each verified.
TEST(CliEndToEnd, applyAllConfiguresEveryRadioFromOneFile)
{
    simtest::SimProcess a({"--speed", "19200", "--usb-adapter"});
    simtest::SimProcess b({"--speed", "2400", "--parity", "even"});
    simtest::SimProcess c({"--speed", "9600", "--parity", "odd", "--id", "111111"});
    fakes::TempDir dir;
    std::ofstream(dir.path("site.conf")) << "format = 1\nchannel = 12\nserial = 9600-N\n";
    const CliRun run = runCli({"apply", dir.path("site.conf"), "--all", "--json"},
        {"RADIOMODEM_COM1=" + a.ptyPath(1), "RADIOMODEM_COM2=" + b.ptyPath(1),
            "RADIOMODEM_COM3=" + c.ptyPath(1)});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const QJsonArray results = run.json()["results"].toArray();
    ASSERT_GE(results.size(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const QJsonObject result = results.at(i).toObject();
        EXPECT_EQ(result["port"].toString(), "COM" + QString::number(i + 1));
        EXPECT_EQ(result["outcome"].toString(), "ok");
        EXPECT_EQ(result["readBack"].toObject()["channel"].toInt(), 12);
        EXPECT_EQ(result["readBack"].toObject()["serial"].toString(), "9600-N");
    }
    EXPECT_EQ(results.at(2).toObject()["readBack"].toObject()["id"].toString(), "111111");
}
