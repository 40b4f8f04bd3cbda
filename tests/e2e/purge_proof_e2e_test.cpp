// Not one answer lost: a thousand Reads and a thousand register commands against a radio that
// answers the instant a request's last byte has crossed the line, with both cores kept busy so
// that the program is as late as it gets on a loaded PC.
#include "RegisterCommand.h"
#include "exchange_rig.h"
#include "platform/System.h"
#include "regtest/RegisterTest.h"
#include "terminal/HexText.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

using core::Ctl;

namespace {

// Keeps every core busy while it lives, at idle priority: the program and the simulated radio,
// which stands for a device with its own processor, get a core when they ask for it, but from a
// busy machine, with its caches and wake-up delays.
class BusyCores
{
public:
    BusyCores()
    {
        const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < cores; ++i)
            m_threads.emplace_back([this] {
                const sched_param idle {};
                ::pthread_setschedparam(::pthread_self(), SCHED_IDLE, &idle);
                std::uint64_t spins = 0;
                while (!m_stop.load(std::memory_order_relaxed))
                    ++spins;
                m_spins += spins;
            });
    }
    ~BusyCores()
    {
        m_stop = true;
        for (auto& thread : m_threads)
            thread.join();
    }

private:
    std::atomic<bool> m_stop = false;
    std::atomic<std::uint64_t> m_spins = 0;
    std::vector<std::thread> m_threads;
};

constexpr int kRuns = 1000;

// The port opened at 19200 bit/s, no parity, where the radio lives, so every probe finds it at
// once.
void openAt19200(e2e::ExchangeRig& rig)
{
    // The simulated radio stands for a device with a processor of its own, which the PC's load
    // does not slow down: where the system allows it, it runs before anything else here.
    const sched_param first {1};
    ::sched_setscheduler(rig.sim.pid(), SCHED_FIFO, &first);
    rig.ui.setCurrentIndex(Ctl::Comb_ComNo, 0);
    rig.ui.setCurrentIndex(Ctl::ComboBaudRate, 0);
    rig.ui.setCurrentIndex(Ctl::ComboParity, 0);
    rig.controller.openFromDialog();
    ASSERT_TRUE(rig.link.handle.isValid());
}

} // namespace

TEST(PurgeProof, aThousandReadsLoseNoAnswer)
{
    e2e::ExchangeRig rig({"--speed", "19200", "--turnaround-ms", "0"});
    openAt19200(rig);
    BusyCores busy;
    int failed = 0;
    for (int run = 0; run < kRuns; ++run) {
        rig.dialogs.shown.clear();
        rig.exchange.speedRClick();
        e2e::runAll({&rig}, std::chrono::milliseconds(5));
        if (rig.dialogs.shown.size() != 1 || rig.dialogs.shown[0].text != "参数读取成功")
            ++failed;
    }
    EXPECT_EQ(failed, 0) << "of " << kRuns << " Reads failed";
}

TEST(PurgeProof, aThousandRegisterCommandsLoseNoAnswer)
{
    e2e::ExchangeRig rig({"--speed", "19200", "--turnaround-ms", "0"});
    openAt19200(rig);
    platform::RealSystem system;
    regtest::RegisterTest dialog {
        rig.link, rig.controller, rig.ui, rig.dialogs, system, rig.language};
    BusyCores busy;
    int cut = 0;
    for (int run = 0; run < kRuns; ++run) {
        const auto reg = static_cast<std::uint8_t>(run % 0x21);
        rig.ui.setText(Ctl::Test_Edit2, terminal::BytesToHexText({&reg, 1}).substr(0, 2));
        e2e::runRegisterCommand(dialog, rig.ui, [&] { dialog.button3Click(); });
        // The simulated radio's register holds its address XOR 0x5A.
        const auto answer
            = radio::makeFrame(radio::cmd::ReadRegister, {static_cast<std::uint8_t>(reg ^ 0x5A)});
        if (rig.ui.text(Ctl::Test_EditDis) != terminal::BytesToHexText(answer))
            ++cut;
    }
    EXPECT_EQ(cut, 0) << "of " << kRuns << " register reads showed no or a cut answer";
    EXPECT_TRUE(rig.dialogs.shown.empty()) << rig.dialogs.shown.size() << " went unanswered";
}
