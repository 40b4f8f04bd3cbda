// Not one answer lost: a thousand Reads and a thousand register commands against a radio that
// answers the instant a request's last byte has crossed the line, directly and behind a USB
// adapter's 16 ms latency timer, while both cores are as busy as a compile makes them.
// RADIOMODEM_PROOF_RUNS sets another count.
#include "RegisterCommand.h"
#include "exchange_rig.h"
#include "platform/System.h"
#include "registers/RegisterConsole.h"
#include "terminal/HexText.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <ostream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// A process per core that works through memory, at the normal priority of a user's compile:
// the program and the simulated radio get no precedence over it, and find their caches cold.
class CompileLoad
{
public:
    CompileLoad()
    {
        const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < cores; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0)
                work();
            if (pid > 0)
                m_workers.push_back(pid);
        }
    }
    ~CompileLoad()
    {
        for (const pid_t pid : m_workers)
            ::kill(pid, SIGKILL);
        for (const pid_t pid : m_workers)
            ::waitpid(pid, nullptr, 0);
    }
    CompileLoad(const CompileLoad&) = delete;
    CompileLoad& operator=(const CompileLoad&) = delete;

private:
    [[noreturn]] static void work()
    {
        std::vector<unsigned char> memory(32u << 20);
        for (std::size_t i = 0;; i = (i + 4099) % memory.size())
            ++memory[i];
    }

    std::vector<pid_t> m_workers;
};

int runs()
{
    const char* text = std::getenv("RADIOMODEM_PROOF_RUNS");
    return text ? std::atoi(text) : 1000;
}

struct Line
{
    const char* name;
    std::vector<std::string> simArgs;
};

// The radio at 19200 bit/s, no parity, answering with no turnaround.
const Line kLines[] = {
    {"Direct", {"--speed", "19200", "--turnaround-ms", "0"}},
    {"BehindUsbAdapter", {"--speed", "19200", "--turnaround-ms", "0", "--usb-adapter"}},
};

void PrintTo(const Line& line, std::ostream* out)
{
    *out << line.name;
}

class PurgeProof : public ::testing::TestWithParam<Line>
{
protected:
    // The port opened where the radio lives, so every probe finds it at once.
    void SetUp() override
    {
        rig.portView.speed = 0;
        rig.controller.openFromDialog();
        ASSERT_TRUE(rig.link.handle.isValid());
    }

    e2e::ExchangeRig rig {GetParam().simArgs};
};

} // namespace

TEST_P(PurgeProof, readsLoseNoAnswer)
{
    CompileLoad load;
    int failed = 0;
    for (int run = 0; run < runs(); ++run) {
        rig.dialogs.shown.clear();
        rig.exchange.startRead();
        e2e::runAll({&rig}, std::chrono::milliseconds(5));
        if (rig.dialogs.shown.size() != 1 || rig.dialogs.shown[0].text != "参数读取成功")
            ++failed;
    }
    EXPECT_EQ(failed, 0) << "of " << runs() << " Reads failed";
}

TEST_P(PurgeProof, registerCommandsLoseNoAnswer)
{
    platform::RealSystem system;
    fakes::RegisterRecorder view;
    fakes::FakeTimer pollTimer;
    registers::RegisterConsole console {
        rig.link, rig.controller, view, pollTimer, rig.dialogs, system, rig.language};
    CompileLoad load;
    int cut = 0;
    for (int run = 0; run < runs(); ++run) {
        const auto reg = static_cast<std::uint8_t>(run % 0x21);
        view.readAt = terminal::BytesToHexText({&reg, 1}).substr(0, 2);
        view.answer.clear();
        e2e::runRegisterCommand(console, rig.eventLoop, [&] { console.readRegister(); });
        // The simulated radio's register holds its address XOR 0x5A.
        const auto answer
            = radio::makeFrame(radio::cmd::ReadRegister, {static_cast<std::uint8_t>(reg ^ 0x5A)});
        if (view.answer != terminal::BytesToHexText(answer))
            ++cut;
    }
    EXPECT_EQ(cut, 0) << "of " << runs() << " register reads showed no or a cut answer";
    EXPECT_TRUE(rig.dialogs.shown.empty()) << rig.dialogs.shown.size() << " went unanswered";
}

INSTANTIATE_TEST_SUITE_P(At19200, PurgeProof, ::testing::ValuesIn(kLines),
    [](const ::testing::TestParamInfo<Line>& info) { return info.param.name; });
