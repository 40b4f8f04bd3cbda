// The real windows on a line that misbehaves: a device that vanishes (the pty's other side is
// closed, as a pulled USB adapter hangs up its tty) and a device that stops taking data.
#include "WindowsStation.h"
#include "terminal/RevealGesture.h"
#include "terminal/Terminal.h"
#include "windows/Controls.h"
#include "windows/RegisterWindow.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

using e2e::Station;
using e2e::waitFor;

namespace {

// A device on a pty: the program opens the slave as COM1, the test holds the master and never
// reads it unless asked. Closing the master is pulling the adapter.
class Device
{
public:
    Device()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(m_master, 0);
        ::grantpt(m_master);
        ::unlockpt(m_master);
        ::setenv("RADIOMODEM_COM1", ::ptsname(m_master), 1);
    }
    ~Device()
    {
        pull();
        ::unsetenv("RADIOMODEM_COM1");
    }
    void pull()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }
    // Everything the program has written so far: read until nothing more comes for a while,
    // as a pty hands bytes to its master side a little later.
    std::size_t drain()
    {
        std::size_t total = 0;
        char buffer[4096];
        for (int quiet = 0; quiet < 20;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0) {
                total += static_cast<std::size_t>(n);
                quiet = 0;
            } else {
                ++quiet;
                ::usleep(5000);
            }
        }
        return total;
    }

private:
    int m_master = -1;
};

// Lets the event loop run idle for a while.
void idle(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

std::chrono::microseconds cpuTime()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

struct PulledCase
{
    const char* use;
    // Puts the station to that use before the pull.
    std::function<void(Station&)> prepare;
    // What notices the pull; nothing for the uses that run on their own timers.
    std::function<void(Station&)> notice;
    // The one message, and its caption; {device} stands for the pulled device's path.
    const char* message = "COM1: 通讯端口设备已断开(已拔出?),端口已关闭。";
    const char* caption = "CommError";
};

void PrintTo(const PulledCase& c, std::ostream* os)
{
    *os << c.use;
}

class PulledDevice : public testing::TestWithParam<PulledCase>
{ };

} // namespace

TEST_P(PulledDevice, closesThePortStopsWhatRanSaysSoOnceAndGoesIdle)
{
    const PulledCase& c = GetParam();
    Station a(1);
    MainWindow& f = *a.program.mainWindow;
    std::string message = c.message;
    {
        Device device;
        if (const auto at = message.find("{device}"); at != std::string::npos)
            message.replace(at, 8, std::getenv("RADIOMODEM_COM1"));
        a.openPort();
        f.sendText->setPlainText("ECHO 0123456789");
        c.prepare(a);
        device.pull();
        if (c.notice)
            c.notice(a);
        ASSERT_TRUE(waitFor([&] { return !a.dialogs.shown.empty(); }, 3000));
    }
    ASSERT_EQ(a.dialogs.shown.size(), 1u);
    EXPECT_EQ(a.dialogs.shown[0].text, message);
    EXPECT_EQ(a.dialogs.shown[0].caption, c.caption);
    EXPECT_FALSE(a.program.link.handle.isValid());
    EXPECT_EQ(a.status(3), "已断开");
    EXPECT_FALSE(f.receivePollTimer->isActive());
    EXPECT_FALSE(f.autoSendTimer->isActive());
    EXPECT_FALSE(f.autoSendCheck->isChecked());
    EXPECT_FALSE(f.errorTestButton->isLowered());

    // Said once, not per tick, and nothing keeps running: the program idles.
    idle(200); // repaints after the message
    const auto before = cpuTime();
    idle(2000);
    const auto used = cpuTime() - before;
    EXPECT_EQ(a.dialogs.shown.size(), 1u);
    // Under AddressSanitizer every idle event costs more; a busy loop still takes the seconds.
#if defined(__SANITIZE_ADDRESS__)
    constexpr std::chrono::milliseconds idleBudget(200);
#else
    constexpr std::chrono::milliseconds idleBudget(40);
#endif
    EXPECT_LT(used, idleBudget) << "more than " << idleBudget.count() << " ms of two seconds";
    std::printf("CPU in the two idle seconds after the pull (%s): %lld us\n", c.use,
        static_cast<long long>(used.count()));

    // Plugged in again (a new device node, as after a replug), it opens from the port dialog.
    Device again;
    a.openPort();
    EXPECT_EQ(a.status(3), "连接中...");
    EXPECT_TRUE(f.receivePollTimer->isActive());
}

INSTANTIATE_TEST_SUITE_P(Uses, PulledDevice,
    testing::Values(PulledCase {"receivePoll", [](Station&) {}, {}},
        PulledCase {"manualSend",
            [](Station& s) { s.program.mainWindow->receivePollTimer->stop(); },
            [](Station& s) { s.program.mainWindow->sendButton->click(); }},
        PulledCase {"autoSend",
            [](Station& s) {
                s.program.mainWindow->receivePollTimer->stop();
                s.program.mainWindow->autoSendPeriodEdit->setText("0");
                s.program.mainWindow->autoSendCheck->click();
            },
            {}},
        PulledCase {"echoTest",
            [](Station& s) {
                s.program.gesture->revealHidden();
                s.program.mainWindow->recordCheck->setChecked(true);
                s.program.mainWindow->errorTestButton->clicked();
                ASSERT_TRUE(s.program.mainWindow->errorTestButton->isLowered());
            },
            {}},
        PulledCase {"registerDialog",
            [](Station& s) {
                s.program.mainWindow->receivePollTimer->stop();
                s.program.gesture->revealHidden();
                s.program.mainWindow->registerTestAction->trigger();
            },
            [](Station& s) { s.program.registerWindow->readOneButton->click(); }},
        // Reopening the pulled port from the dialog: the open of the vanished device fails.
        PulledCase {"portDialogReopen",
            [](Station& s) { s.program.mainWindow->receivePollTimer->stop(); },
            [](Station& s) { s.program.portDialog->okButton->click(); },
            "打开通讯端口错误!\nCOM1 的设备 {device} 不存在。"}),
    [](const auto& info) { return std::string(info.param.use); });

// Auto send of 1000 bytes at every tick into a device that takes nothing more: the window keeps
// answering, the user can switch auto send off, and TX counts what went out, no more.
TEST(StalledDevice, autoSendNeverHoldsTheWindowAndCountsOnlyWhatWentOut)
{
    Station a(1);
    MainWindow& f = *a.program.mainWindow;
    Device device;
    a.openPort();
    f.sendText->setPlainText(QString(1000, QChar('s')));
    f.autoSendPeriodEdit->setText("0");
    f.autoSendCheck->click();
    ASSERT_TRUE(f.autoSendTimer->isActive());

    // A probe timer notes how long the event loop went without a turn.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    probe.start(5);
    idle(3000);
    probe.stop();
    EXPECT_LT(longest, 100) << "the longest the window went without a turn, in ms";
    RecordProperty("longestStallMs", static_cast<int>(longest));
    std::printf("longest event-loop stall during the stalled auto send: %lld ms\n",
        static_cast<long long>(longest));

    f.autoSendCheck->click();
    EXPECT_FALSE(f.autoSendTimer->isActive());
    EXPECT_TRUE(a.dialogs.shown.empty());
    const std::size_t wentOut = device.drain();
    EXPECT_GT(wentOut, 0u);
    EXPECT_EQ(a.program.terminal->counts.sent, static_cast<std::int32_t>(wentOut));
}
