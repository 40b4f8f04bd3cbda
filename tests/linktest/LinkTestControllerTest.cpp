#include "linktest/LinkTestController.h"
#include "LinkTestRecorder.h"
#include "PortRig.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

// The window's logic on a port whose far end echoes each packet as it is written, but every
// fourth.
class LinkTestControllerTest : public ::testing::Test, public fakes::PortRig
{
public:
    LinkTestControllerTest()
    {
        language.value = 1;
        view.typed.size = 16;
        view.typed.intervalMs = 100;
        view.typed.durationMs = 1000;
        view.typed.timeoutMs = 300;
        view.typed.reportMs = 100;
        link.handle.assign(std::make_unique<fakes::FakeSerialPort>(port));
        link.settings.portNumber = 1;
        port->onWrite = [this](const fakes::Bytes& bytes) {
            if (++writes % 4 != 0)
                port->feed(bytes);
        };
    }

    // Ticks every 10 ms while the timer runs, at most for the given time.
    void runFor(std::int64_t ms)
    {
        for (const std::int64_t end = system.nowMs + ms; timer.isActive() && system.nowMs < end;) {
            system.nowMs += 10;
            controller.tick();
        }
    }
    std::string totalOf(const std::string& name) const
    {
        for (const auto& [label, value] : view.totals)
            if (label == name)
                return value;
        return "?";
    }

    int writes = 0;
    fakes::FakeSystem system;
    std::shared_ptr<fakes::PortState> port = std::make_shared<fakes::PortState>();
    fakes::LinkTestRecorder view;
    fakes::FakeTimer timer;
    linktest::LinkTestController controller {
        link, portController, view, timer, dialogs, system, language};
};

} // namespace

TEST_F(LinkTestControllerTest, aRunHoldsThePortChartsEachIntervalAndExportsEveryPacket)
{
    controller.toggleRun();
    EXPECT_TRUE(portController.leased());
    EXPECT_TRUE(view.running);
    runFor(5000);
    EXPECT_FALSE(timer.isActive());
    EXPECT_FALSE(portController.leased());
    EXPECT_FALSE(view.running);
    EXPECT_EQ(totalOf("Sent"), "10");
    EXPECT_EQ(totalOf("Lost"), "2");
    EXPECT_EQ(totalOf("Error rate"), "20.00 %");
    ASSERT_EQ(view.points.size(), 10u);
    EXPECT_EQ(view.points[3].lostPercent, 100.0);
    EXPECT_EQ(view.points[4].medianMs, 10);

    fakes::TempDir dir;
    dialogs.fileNames = {dir.path("run.csv"), dir.path("chart.png")};
    controller.exportCsv();
    controller.exportChart();
    EXPECT_EQ(dialogs.suggestedNames.at(0).rfind("linktest-", 0), 0u);
    EXPECT_NE(dialogs.suggestedNames.at(1).find("-COM1.png"), std::string::npos);
    const std::string csv = fakes::TempDir::read(dir.path("run.csv"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 10 + 1 + 1 + 17);
    EXPECT_EQ(fakes::TempDir::read(dir.path("chart.png")), "\x89PNG");
}

TEST_F(LinkTestControllerTest, stoppingWaitsForThePacketsOnTheirWayAndAClosedPortEndsTheRun)
{
    view.typed.durationMs = 0;
    controller.toggleRun();
    runFor(250);
    controller.toggleRun(); // stop sending
    EXPECT_TRUE(timer.isActive());
    runFor(1000);
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(totalOf("Sent"), "3");

    controller.toggleRun();
    runFor(100);
    portController.closePort();
    EXPECT_FALSE(timer.isActive());
    EXPECT_FALSE(portController.leased());
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().text, "The port was closed: the test ended.");

    const std::size_t before = dialogs.shown.size();
    controller.toggleRun(); // no port
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(dialogs.shown.size(), before + 1);
}
