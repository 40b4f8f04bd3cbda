#include "PortRig.h"

#include <gtest/gtest.h>

#include <optional>

using core::StatusPanel;
using platform::Parity;

namespace {

class PortControllerTest : public ::testing::Test, public fakes::PortRig
{
protected:
    PortControllerTest()
    {
        com1 = ports.add("COM1");
        com2 = ports.add("COM2");
    }

    // The dialog's OK with the given port entry chosen.
    void open(int entry)
    {
        portView.port = entry;
        portView.open = true;
        portController.openFromDialog();
    }
    // A call on the open port finds its device gone; then the event loop comes round.
    void pull(fakes::PortState& state)
    {
        state.vanished = true;
        link.handle.port().isGone();
        eventLoop.runPending();
    }

    std::shared_ptr<fakes::PortState> com1;
    std::shared_ptr<fakes::PortState> com2;
};

} // namespace

// The untouched speed list (no entry, 9600 shown) runs at 9600 with the timeout base of 7.
TEST_F(PortControllerTest, chosenSpeedAndParityGoOnThePortWithOneStopBit)
{
    struct Case
    {
        int speed;
        int parity;
        std::uint32_t baud;
        Parity expected;
        const char* text;
        int base;
    };
    for (const Case c : {Case {-1, 0, 9600, Parity::None, "9600-N-1", 7},
             Case {5, 0, 300, Parity::None, "300-N-1", 13},
             Case {0, 1, 19200, Parity::Odd, "19200-O-1", 8},
             Case {2, 2, 4800, Parity::Even, "4800-E-1", 10}}) {
        SCOPED_TRACE(c.text);
        portView.speed = c.speed;
        portView.parity = c.parity;
        open(1);
        ASSERT_TRUE(link.handle.isValid());
        const auto& line = com2->settings;
        EXPECT_EQ(line.baudRate, c.baud);
        EXPECT_EQ(line.parity, c.expected);
        EXPECT_EQ(line.parityCheck, c.expected != Parity::None);
        EXPECT_EQ(line.byteSize, 8);
        EXPECT_EQ(line.stopBits, 1);
        EXPECT_EQ(com2->purges.back(), platform::PurgeTxClear | platform::PurgeRxClear);
        EXPECT_EQ(link.settings.portNumber, 2);
        EXPECT_EQ(link.settings.timeoutBase, c.base);
        EXPECT_EQ(status.text(StatusPanel::SerialMode), c.text);
        EXPECT_EQ(status.text(StatusPanel::Port), "COM2");
        EXPECT_EQ(status.tip(StatusPanel::Port), "/dev/ttyFAKE2 — 板载串口");
        EXPECT_EQ(status.text(StatusPanel::Connection), "连接中...");
        EXPECT_TRUE(receivePoll.isActive());
        EXPECT_FALSE(portView.open);
        EXPECT_TRUE(dialogs.shown.empty());
    }
}

// OK with a port open: the old port is purged and closed first, and what ran on it is told once,
// whether the chosen port opens or not.
TEST_F(PortControllerTest, theDialogClosesTheOpenPortFirst)
{
    open(0);
    int closedCalls = 0;
    const auto subscription = portController.subscribeClosed([&](auto) { ++closedCalls; });
    open(0);
    EXPECT_EQ(closedCalls, 1);
    EXPECT_TRUE(link.handle.isValid());
    EXPECT_TRUE(com1->open);
    EXPECT_EQ(ports.attempts.size(), 2u);
    EXPECT_EQ(com1->purges.at(1),
        platform::PurgeTxAbort | platform::PurgeRxAbort | platform::PurgeTxClear
            | platform::PurgeRxClear);

    com2->open = true; // held by another program
    open(1);
    EXPECT_EQ(closedCalls, 2);
    EXPECT_FALSE(link.handle.isValid());
    EXPECT_FALSE(com1->open);
    EXPECT_EQ(link.settings.portNumber, 2) << "the chosen number is recorded all the same";
    EXPECT_EQ(status.text(StatusPanel::Port), "COM1");
    EXPECT_EQ(status.text(StatusPanel::Connection), "连接中...");
    EXPECT_TRUE(portView.open);
}

// One box says why, under the first line in the chosen language; a typed name is COM0.
TEST_F(PortControllerTest, aFailedOpenSaysWhy)
{
    using platform::OpenError;
    struct Case
    {
        int entry;
        int languageValue;
        OpenError refusal;
        const char* text;
    };
    for (const Case c :
        {Case {-1, 1, OpenError::None, "Port open error!\nNo device stands behind COM0."},
            Case {1, 0, OpenError::Busy, "打开通讯端口错误!\n/dev/ttyFAKE2 正被其他程序占用。"},
            Case {1, 1, OpenError::PermissionDenied,
                "Port open error!\nYou may not open /dev/ttyFAKE2. Your user must be in the "
                "dialout group:\n    sudo usermod -aG dialout $USER\nthen log out and log in "
                "again."}}) {
        SCOPED_TRACE(c.text);
        dialogs.shown.clear();
        com2->refuseOpen = c.refusal;
        language.value = c.languageValue;
        open(c.entry);
        EXPECT_EQ(ports.attempts.back(), c.entry < 0 ? "COM0" : "COM2");
        EXPECT_EQ(link.settings.portNumber, c.entry + 1);
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].kind, fakes::ShownMessage::Box);
        EXPECT_EQ(dialogs.shown[0].text, c.text);
        EXPECT_EQ(dialogs.shown[0].caption, "CommError");
    }
}

TEST_F(PortControllerTest, refusedSettingsReportThenCloseThePortWhileTheDialogCloses)
{
    com1->refuseSettings = true;
    bool openWhileBoxShown = false;
    dialogs.onShow = [&](const fakes::ShownMessage&) { openWhileBoxShown = link.handle.isValid(); };
    open(0);
    EXPECT_TRUE(openWhileBoxShown) << "the box comes before the port is closed";
    EXPECT_FALSE(link.handle.isValid());
    EXPECT_FALSE(portView.open);
    EXPECT_TRUE(receivePoll.isActive());
    EXPECT_EQ(status.text(StatusPanel::Connection), "连接中...");
    EXPECT_EQ(status.text(StatusPanel::SerialMode), "9600-N-1");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "通讯端口设置错误!");
    EXPECT_EQ(dialogs.shown[0].caption, "Set_Error");

    language.value = 1;
    open(0);
    EXPECT_EQ(dialogs.shown.at(1).text, "Port open error!");
    EXPECT_EQ(dialogs.shown.at(1).caption, "CommError");
}

TEST_F(PortControllerTest, closingSetsOnlyPanelThreeAndASecondCloseDoesNothing)
{
    portView.speed = 3;
    open(0);
    int closedCalls = 0;
    const auto subscription = portController.subscribeClosed([&](auto) { ++closedCalls; });
    portController.closePort();
    EXPECT_FALSE(link.handle.isValid());
    EXPECT_FALSE(com1->open);
    EXPECT_EQ(link.settings.portNumber, 0);
    EXPECT_EQ(status.text(StatusPanel::Connection), "已断开");
    EXPECT_EQ(status.text(StatusPanel::Port), "COM1");
    EXPECT_EQ(status.text(StatusPanel::SerialMode), "2400-N-1");
    EXPECT_FALSE(receivePoll.isActive());
    status.setText(StatusPanel::Connection, "unchanged");
    portController.closePort();
    EXPECT_EQ(status.text(StatusPanel::Connection), "unchanged");
    EXPECT_EQ(closedCalls, 1);
}

TEST(SettingsTables, speedParityAndTextForEveryIndex)
{
    EXPECT_EQ(serial::settingsText(0, 0), "19200-N-1");
    EXPECT_EQ(serial::settingsText(4, 1), "1200-O-1");
    EXPECT_EQ(serial::settingsText(5, 2), "300-E-1");
    EXPECT_EQ(serial::settingsText(255, 7), "9600-N-1") << "unknown indexes act as 9600, none";
    EXPECT_EQ(serial::parityForIndex(3), Parity::None);
    EXPECT_EQ(serial::portNameForListIndex(7), "COM8");
    EXPECT_EQ(serial::portNameForListIndex(-1), "COM0");
}

TEST_F(PortControllerTest, theDialogShowsWhatStandsBehindEachName)
{
    com1->device.description = "FT232R USB UART";
    com1->device.serialNumber = "A50285BI";
    com1->device.byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    com1->device.vendorId = "0403";
    com1->device.productId = "6001";
    portController.portDialogShown();
    EXPECT_EQ(ports.refreshes, 1) << "the devices are looked at each time the dialog shows";
    EXPECT_EQ(portView.device, "/dev/ttyFAKE1 — FT232R USB UART (A50285BI)");
    EXPECT_EQ(portView.tips[0],
        "/dev/ttyFAKE1 — FT232R USB UART (A50285BI)\n"
        "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\nUSB 0403:6001");
    EXPECT_EQ(portView.tips[1], "/dev/ttyFAKE2 — 板载串口");
    EXPECT_EQ(portView.tips[7], "无设备");

    portView.port = 2;
    portController.showSelectedDevice();
    EXPECT_EQ(portView.device, "无设备");

    // Unplugged while the dialog is shown: the line says so at once.
    portView.port = 0;
    com1->vanished = true;
    portController.devicesChanged();
    EXPECT_EQ(portView.device, "无设备(/dev/ttyFAKE1 — FT232R USB UART (A50285BI) 已拔出)");
}

namespace {

// COM2 opened at 4800 bit/s, odd parity, then its device pulled and noticed.
class LostAdapterTest : public PortControllerTest
{
protected:
    void SetUp() override
    {
        portView.speed = 2;
        portView.parity = 1;
        open(1);
        ASSERT_TRUE(link.handle.isValid());
        pull(*com2);
        ASSERT_FALSE(link.handle.isValid());
        com2->applied.clear();
        portView.port = 0; // the user looked at another entry meanwhile
        portView.speed = 0;
    }
};

} // namespace

TEST_F(LostAdapterTest, theSameDeviceComingBackIsOpenedAgainAtTheOldSettings)
{
    com2->vanished = false;
    portController.devicesChanged();
    ASSERT_TRUE(link.handle.isValid());
    EXPECT_TRUE(com2->open);
    ASSERT_EQ(com2->applied.size(), 1u);
    EXPECT_EQ(com2->applied[0].baudRate, 4800u);
    EXPECT_EQ(com2->applied[0].parity, Parity::Odd);
    EXPECT_EQ(link.settings.portNumber, 2);
    EXPECT_TRUE(receivePoll.isActive());
    EXPECT_EQ(portView.port, 1);
    EXPECT_EQ(status.text(StatusPanel::Port), "COM2");
    EXPECT_EQ(status.text(StatusPanel::SerialMode), "4800-O-1");
    EXPECT_EQ(status.text(StatusPanel::Connection), "连接中...");
    EXPECT_EQ(dialogs.shown.size(), 1u) << "only the message that the device went";

    // Once back, later notices leave the open port alone.
    portController.devicesChanged();
    EXPECT_EQ(com2->applied.size(), 1u);
}

TEST_F(LostAdapterTest, anotherDeviceUnderTheSameNameIsNotOpened)
{
    com2->vanished = false;
    com2->device.identity = "usb-0403:6001-OTHER-if00";
    portController.devicesChanged();
    EXPECT_FALSE(link.handle.isValid());
    EXPECT_FALSE(com2->open);
}

TEST_F(LostAdapterTest, aDeviceBackButHeldIsTriedEverySecondSayingWhyInTheStatusBar)
{
    com2->vanished = false;
    com2->refuseOpen = platform::OpenError::Busy;
    com2->holder = "socat";
    com2->holderPid = 4242;
    portController.devicesChanged();
    EXPECT_FALSE(link.handle.isValid());
    EXPECT_TRUE(reopenTimer.isActive());
    EXPECT_EQ(status.text(StatusPanel::Connection), "已断开");
    EXPECT_EQ(status.tip(StatusPanel::Connection),
        "COM2 已插回但无法打开,每秒重试。\n/dev/ttyFAKE2 正被其他程序占用:socat(进程 4242)。");
    portController.retryReopen();
    portController.retryReopen();
    EXPECT_EQ(ports.attempts.size(), 4u) << "one open a tick";
    EXPECT_EQ(dialogs.shown.size(), 1u) << "no message for a reopen that did not happen";

    // Unplugged again: nothing to try until it is back.
    com2->vanished = true;
    portController.devicesChanged();
    EXPECT_FALSE(reopenTimer.isActive());
    EXPECT_EQ(status.tip(StatusPanel::Connection), "");

    com2->vanished = false;
    com2->refuseOpen = platform::OpenError::PermissionDenied;
    portController.devicesChanged();
    EXPECT_NE(status.tip(StatusPanel::Connection).find("dialout"), std::string::npos)
        << status.tip(StatusPanel::Connection);
    com2->refuseOpen = platform::OpenError::None;
    portController.retryReopen();
    EXPECT_TRUE(link.handle.isValid());
    EXPECT_FALSE(reopenTimer.isActive());
    EXPECT_EQ(status.tip(StatusPanel::Connection), "");
}

TEST_F(LostAdapterTest, closingOrOpeningAPortMeanwhileGivesTheLostOneUp)
{
    com2->vanished = false;
    com2->refuseOpen = platform::OpenError::Busy;
    portController.devicesChanged();
    ASSERT_TRUE(reopenTimer.isActive());
    portController.closePort();
    EXPECT_FALSE(reopenTimer.isActive());
    EXPECT_EQ(status.tip(StatusPanel::Connection), "");
    com2->refuseOpen = platform::OpenError::None;
    portController.retryReopen();
    portController.devicesChanged();
    EXPECT_FALSE(link.handle.isValid());

    open(0);
    pull(*com1);
    com1->vanished = false;
    com1->refuseOpen = platform::OpenError::Busy;
    portController.devicesChanged();
    ASSERT_TRUE(reopenTimer.isActive());
    com1->refuseOpen = platform::OpenError::None;
    open(1);
    EXPECT_FALSE(reopenTimer.isActive()) << "another port opened";
    EXPECT_EQ(link.settings.portNumber, 2);
}

TEST_F(PortControllerTest, anAdapterBackBeforeTheMessageIsDismissedIsOpenedAfterIt)
{
    open(1);
    dialogs.onShow = [this](const fakes::ShownMessage&) { com2->vanished = false; };
    pull(*com2);
    EXPECT_TRUE(link.handle.isValid());
    EXPECT_TRUE(com2->open);
}

// The first call that meets a vanished device only makes note of it: the port is closed and the
// one message shown from the event loop, once, however many calls fail meanwhile. A listener
// goes with its subscription.
TEST_F(PortControllerTest, aVanishedDeviceIsReportedOnceFromTheEventLoop)
{
    open(1);
    int closedCalls = 0;
    int goneCalls = 0;
    std::optional<serial::PortController::Subscription> subscription
        = portController.subscribeClosed([&](auto reason) {
              ++closedCalls;
              goneCalls += reason == serial::PortController::CloseReason::DeviceGone;
          });
    com2->vanished = true;
    platform::CommStatus comm;
    EXPECT_FALSE(link.handle.port().clearErrors(comm));
    EXPECT_FALSE(link.handle.port().purge(platform::PurgeRxClear));
    EXPECT_TRUE(link.handle.isValid()) << "nothing is closed inside the failing call";
    EXPECT_TRUE(dialogs.shown.empty());
    eventLoop.runPending();
    EXPECT_FALSE(link.handle.isValid());
    EXPECT_EQ(closedCalls, 1);
    EXPECT_EQ(dialogs.shown.size(), 1u);

    // A port replaced before the event loop came round is no concern of the old notice.
    com2->vanished = false;
    open(1);
    com2->vanished = true;
    link.handle.port().isGone();
    com2->vanished = false;
    open(1);
    subscription.reset();
    eventLoop.runPending();
    EXPECT_TRUE(link.handle.isValid());
    EXPECT_EQ(closedCalls, 2) << "the reopen ended the work on the old port; then unsubscribed";
    EXPECT_EQ(goneCalls, 1);
    EXPECT_EQ(dialogs.shown.size(), 1u);
}
