#include "serial/PortController.h"
#include "FakeDialogs.h"
#include "FakeSerialPort.h"
#include "FakeUi.h"
#include "StatusRecorder.h"

#include <gtest/gtest.h>

#include <optional>

using core::Ctl;
using core::TimerId;
using platform::Parity;

namespace {

class PortControllerTest : public ::testing::Test
{
protected:
    PortControllerTest()
    {
        com1 = ports.add("COM1");
        com2 = ports.add("COM2");
    }

    void open(int listIndex)
    {
        ui.setCurrentIndex(Ctl::Comb_ComNo, listIndex);
        ui.setVisible(Ctl::Serial_Form, true);
        controller.openFromDialog();
    }

    serial::SerialLink link;
    fakes::FakeSerialPorts ports;
    fakes::FakeUi ui;
    fakes::StatusRecorder status;
    fakes::FakeDialogs dialogs;
    core::Language language;
    serial::PortController controller {link, ports, ui, status, dialogs, language};
    std::shared_ptr<fakes::PortState> com1;
    std::shared_ptr<fakes::PortState> com2;
};

} // namespace

TEST_F(PortControllerTest, untouchedSpeedListRunsAt9600WithBase7)
{
    open(0);
    ASSERT_TRUE(link.handle.isValid());
    EXPECT_EQ(link.settings.portNumber, 1);
    EXPECT_EQ(link.settings.speedIndex, 255);
    EXPECT_EQ(link.settings.timeoutBase, 7);
    ASSERT_EQ(com1->applied.size(), 1u);
    EXPECT_EQ(com1->applied[0].baudRate, 9600u);
    EXPECT_EQ(com1->applied[0].parity, Parity::None);
    EXPECT_FALSE(com1->applied[0].parityCheck);
    EXPECT_EQ(status.text(core::StatusPanel::Port), "COM1");
    EXPECT_EQ(status.text(core::StatusPanel::SerialMode), "9600-N-1");
    EXPECT_EQ(status.text(core::StatusPanel::Connection), "连接中...");
    EXPECT_TRUE(ui.isTimerActive(TimerId::RecData));
    EXPECT_FALSE(ui.isVisible(Ctl::Serial_Form));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(com1->purges.back(), platform::PurgeTxClear | platform::PurgeRxClear);
}

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
    for (const Case c : {Case {5, 0, 300, Parity::None, "300-N-1", 13},
             Case {0, 1, 19200, Parity::Odd, "19200-O-1", 8},
             Case {2, 2, 4800, Parity::Even, "4800-E-1", 10}}) {
        ui.setCurrentIndex(Ctl::ComboBaudRate, c.speed);
        ui.setCurrentIndex(Ctl::ComboParity, c.parity);
        open(1);
        ASSERT_TRUE(link.handle.isValid());
        const auto& line = com2->settings;
        EXPECT_EQ(line.baudRate, c.baud);
        EXPECT_EQ(line.parity, c.expected);
        EXPECT_EQ(line.parityCheck, c.expected != Parity::None);
        EXPECT_EQ(line.byteSize, 8);
        EXPECT_EQ(line.stopBits, 1);
        EXPECT_EQ(status.text(core::StatusPanel::SerialMode), c.text);
        EXPECT_EQ(status.text(core::StatusPanel::Port), "COM2");
        EXPECT_EQ(link.settings.timeoutBase, c.base);
    }
}

TEST_F(PortControllerTest, reopeningTheOpenPortPurgesClosesAndOpensItAgain)
{
    open(0);
    int closedCalls = 0;
    const auto subscription = controller.subscribeClosed([&](auto) { ++closedCalls; });
    open(0);
    EXPECT_EQ(closedCalls, 1) << "work running on the old port is told it is gone";
    EXPECT_TRUE(link.handle.isValid());
    EXPECT_TRUE(com1->open);
    EXPECT_EQ(ports.attempts.size(), 2u);
    EXPECT_EQ(com1->purges.at(1),
        platform::PurgeTxAbort | platform::PurgeRxAbort | platform::PurgeTxClear
            | platform::PurgeRxClear);
}

TEST_F(PortControllerTest, failedOpenReportsClosesTheOldPortAndKeepsTheDialog)
{
    open(0);
    int closedCalls = 0;
    const auto subscription = controller.subscribeClosed([&](auto) { ++closedCalls; });
    com2->open = true; // held by another program
    open(1);
    EXPECT_FALSE(link.handle.isValid());
    EXPECT_FALSE(com1->open) << "the port open before is closed first";
    EXPECT_EQ(link.settings.portNumber, 2) << "the chosen number is recorded all the same";
    EXPECT_EQ(status.text(core::StatusPanel::Port), "COM1");
    EXPECT_EQ(status.text(core::StatusPanel::Connection), "连接中...");
    EXPECT_TRUE(ui.isVisible(Ctl::Serial_Form));
    EXPECT_EQ(closedCalls, 1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, fakes::ShownMessage::Box);
    EXPECT_EQ(dialogs.shown[0].text, "打开通讯端口错误!\n/dev/ttyFAKE2 正被其他程序占用。");
    EXPECT_EQ(dialogs.shown[0].caption, "CommError");
}

TEST_F(PortControllerTest, typedPortNameIsCom0AndFailsInEitherLanguage)
{
    language.value = 1;
    open(-1);
    EXPECT_EQ(ports.attempts.back(), "COM0");
    EXPECT_EQ(link.settings.portNumber, 0);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Port open error!\nNo device stands behind COM0.");
    EXPECT_EQ(dialogs.shown[0].caption, "CommError");
}

TEST_F(PortControllerTest, refusedSettingsReportThenCloseThePortWhileTheDialogCloses)
{
    com1->refuseSettings = true;
    bool openWhileBoxShown = false;
    dialogs.onShow = [&](const fakes::ShownMessage&) { openWhileBoxShown = link.handle.isValid(); };
    open(0);
    EXPECT_TRUE(openWhileBoxShown) << "the box comes before the port is closed";
    EXPECT_FALSE(link.handle.isValid());
    EXPECT_FALSE(ui.isVisible(Ctl::Serial_Form));
    EXPECT_TRUE(ui.isTimerActive(TimerId::RecData));
    EXPECT_EQ(status.text(core::StatusPanel::Connection), "连接中...");
    EXPECT_EQ(status.text(core::StatusPanel::SerialMode), "9600-N-1");
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
    ui.setCurrentIndex(Ctl::ComboBaudRate, 3);
    open(0);
    int closedCalls = 0;
    const auto subscription = controller.subscribeClosed([&](auto) { ++closedCalls; });
    controller.closePort();
    EXPECT_FALSE(link.handle.isValid());
    EXPECT_FALSE(com1->open);
    EXPECT_EQ(link.settings.portNumber, 0);
    EXPECT_EQ(status.text(core::StatusPanel::Connection), "已断开");
    EXPECT_EQ(status.text(core::StatusPanel::Port), "COM1");
    EXPECT_EQ(status.text(core::StatusPanel::SerialMode), "2400-N-1");
    EXPECT_FALSE(ui.isTimerActive(TimerId::RecData));
    status.setText(core::StatusPanel::Connection, "unchanged");
    controller.closePort();
    EXPECT_EQ(status.text(core::StatusPanel::Connection), "unchanged");
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

TEST_F(PortControllerTest, openFailureSaysWhyUnderTheFirstLine)
{
    com2->refuseOpen = platform::OpenError::PermissionDenied;
    language.value = 1;
    open(1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text,
        "Port open error!\nYou may not open /dev/ttyFAKE2. Your user must be in the dialout "
        "group:\n    sudo usermod -aG dialout $USER\nthen log out and log in again.");
    EXPECT_EQ(dialogs.shown[0].caption, "CommError");
    EXPECT_EQ(dialogs.shown[0].kind, fakes::ShownMessage::Box);
}

TEST_F(PortControllerTest, theDialogShowsWhatStandsBehindEachName)
{
    com1->device.description = "FT232R USB UART";
    com1->device.serialNumber = "A50285BI";
    com1->device.byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    com1->device.vendorId = "0403";
    com1->device.productId = "6001";
    controller.portDialogShown();
    EXPECT_EQ(ports.refreshes, 1) << "the devices are looked at each time the dialog shows";
    EXPECT_EQ(ui.text(Ctl::Label_Device), "/dev/ttyFAKE1 — FT232R USB UART (A50285BI)");
    EXPECT_EQ(ui.itemToolTip(Ctl::Comb_ComNo, 0),
        "/dev/ttyFAKE1 — FT232R USB UART (A50285BI)\n"
        "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\nUSB 0403:6001");
    EXPECT_EQ(ui.itemToolTip(Ctl::Comb_ComNo, 1), "/dev/ttyFAKE2 — 板载串口");
    EXPECT_EQ(ui.itemToolTip(Ctl::Comb_ComNo, 7), "无设备");

    ui.setCurrentIndex(Ctl::Comb_ComNo, 2);
    controller.showSelectedDevice();
    EXPECT_EQ(ui.text(Ctl::Label_Device), "无设备");

    // Unplugged while the dialog is shown: the line says so at once.
    ui.setCurrentIndex(Ctl::Comb_ComNo, 0);
    com1->vanished = true;
    controller.devicesChanged();
    EXPECT_EQ(
        ui.text(Ctl::Label_Device), "无设备(/dev/ttyFAKE1 — FT232R USB UART (A50285BI) 已拔出)");
}

TEST_F(PortControllerTest, statusPanelOneKeepsTheNameAndShowsTheDeviceInItsTooltip)
{
    language.value = 1;
    open(1);
    EXPECT_EQ(status.text(core::StatusPanel::Port), "COM2");
    EXPECT_EQ(status.tip(core::StatusPanel::Port), "/dev/ttyFAKE2 — on-board serial port");
}

namespace {

// COM2 opened at 4800 bit/s, odd parity, then its device pulled and noticed.
class LostAdapterTest : public PortControllerTest
{
protected:
    void SetUp() override
    {
        ui.setCurrentIndex(Ctl::ComboBaudRate, 2);
        ui.setCurrentIndex(Ctl::ComboParity, 1);
        open(1);
        ASSERT_TRUE(link.handle.isValid());
        com2->vanished = true;
        link.handle.port().isGone(); // a call on the port finds the device gone
        ui.runDeferred();
        ASSERT_FALSE(link.handle.isValid());
        com2->applied.clear();
        ui.setCurrentIndex(Ctl::Comb_ComNo, 0); // the user looked at another entry meanwhile
        ui.setCurrentIndex(Ctl::ComboBaudRate, 0);
    }
};

} // namespace

TEST_F(LostAdapterTest, theSameDeviceComingBackIsOpenedAgainAtTheOldSettings)
{
    com2->vanished = false;
    controller.devicesChanged();
    ASSERT_TRUE(link.handle.isValid());
    EXPECT_TRUE(com2->open);
    ASSERT_EQ(com2->applied.size(), 1u);
    EXPECT_EQ(com2->applied[0].baudRate, 4800u);
    EXPECT_EQ(com2->applied[0].parity, Parity::Odd);
    EXPECT_EQ(link.settings.portNumber, 2);
    EXPECT_TRUE(ui.isTimerActive(TimerId::RecData));
    EXPECT_EQ(status.text(core::StatusPanel::Port), "COM2");
    EXPECT_EQ(status.text(core::StatusPanel::SerialMode), "4800-O-1");
    EXPECT_EQ(status.text(core::StatusPanel::Connection), "连接中...");
    EXPECT_EQ(dialogs.shown.size(), 1u) << "only the message that the device went";

    // Once back, later notices leave the open port alone.
    controller.devicesChanged();
    EXPECT_EQ(com2->applied.size(), 1u);
}

TEST_F(LostAdapterTest, anotherDeviceUnderTheSameNameIsNotOpened)
{
    com2->vanished = false;
    com2->device.identity = "usb-0403:6001-OTHER-if00";
    controller.devicesChanged();
    EXPECT_FALSE(link.handle.isValid());
    EXPECT_FALSE(com2->open);
}

TEST_F(LostAdapterTest, aDeviceBackButHeldIsTriedEverySecondSayingWhyInTheStatusBar)
{
    com2->vanished = false;
    com2->refuseOpen = platform::OpenError::Busy;
    com2->holder = "socat";
    com2->holderPid = 4242;
    controller.devicesChanged();
    EXPECT_FALSE(link.handle.isValid());
    EXPECT_TRUE(ui.isTimerActive(TimerId::Reopen));
    EXPECT_EQ(status.text(core::StatusPanel::Connection), "已断开");
    EXPECT_EQ(status.tip(core::StatusPanel::Connection),
        "COM2 已插回但无法打开,每秒重试。\n/dev/ttyFAKE2 正被其他程序占用:socat(进程 4242)。");
    controller.retryReopen();
    controller.retryReopen();
    EXPECT_EQ(ports.attempts.size(), 4u) << "one open a tick";
    EXPECT_EQ(dialogs.shown.size(), 1u) << "no message for a reopen that did not happen";

    // Unplugged again: nothing to try until it is back.
    com2->vanished = true;
    controller.devicesChanged();
    EXPECT_FALSE(ui.isTimerActive(TimerId::Reopen));
    EXPECT_EQ(status.tip(core::StatusPanel::Connection), "");

    com2->vanished = false;
    com2->refuseOpen = platform::OpenError::PermissionDenied;
    controller.devicesChanged();
    EXPECT_NE(status.tip(core::StatusPanel::Connection).find("dialout"), std::string::npos)
        << status.tip(core::StatusPanel::Connection);
    com2->refuseOpen = platform::OpenError::None;
    controller.retryReopen();
    EXPECT_TRUE(link.handle.isValid());
    EXPECT_FALSE(ui.isTimerActive(TimerId::Reopen));
    EXPECT_EQ(status.tip(core::StatusPanel::Connection), "");
}

TEST_F(LostAdapterTest, closingOrOpeningAPortMeanwhileGivesTheLostOneUp)
{
    com2->vanished = false;
    com2->refuseOpen = platform::OpenError::Busy;
    controller.devicesChanged();
    ASSERT_TRUE(ui.isTimerActive(TimerId::Reopen));
    controller.closePort();
    EXPECT_FALSE(ui.isTimerActive(TimerId::Reopen));
    EXPECT_EQ(status.tip(core::StatusPanel::Connection), "");
    com2->refuseOpen = platform::OpenError::None;
    controller.retryReopen();
    controller.devicesChanged();
    EXPECT_FALSE(link.handle.isValid());

    open(0);
    com1->vanished = true;
    link.handle.port().isGone();
    ui.runDeferred();
    com1->vanished = false;
    com1->refuseOpen = platform::OpenError::Busy;
    controller.devicesChanged();
    ASSERT_TRUE(ui.isTimerActive(TimerId::Reopen));
    com1->refuseOpen = platform::OpenError::None;
    open(1);
    EXPECT_FALSE(ui.isTimerActive(TimerId::Reopen)) << "another port opened";
    EXPECT_EQ(link.settings.portNumber, 2);
}

TEST_F(PortControllerTest, anAdapterBackBeforeTheMessageIsDismissedIsOpenedAfterIt)
{
    open(1);
    com2->vanished = true;
    dialogs.onShow = [this](const fakes::ShownMessage&) { com2->vanished = false; };
    link.handle.port().isGone();
    ui.runDeferred();
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
        = controller.subscribeClosed([&](auto reason) {
              ++closedCalls;
              goneCalls += reason == serial::PortController::CloseReason::DeviceGone;
          });
    com2->vanished = true;
    platform::CommStatus status;
    EXPECT_FALSE(link.handle.port().clearErrors(status));
    EXPECT_FALSE(link.handle.port().purge(platform::PurgeRxClear));
    EXPECT_TRUE(link.handle.isValid()) << "nothing is closed inside the failing call";
    EXPECT_TRUE(dialogs.shown.empty());
    ui.runDeferred();
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
    ui.runDeferred();
    EXPECT_TRUE(link.handle.isValid());
    EXPECT_EQ(closedCalls, 2) << "the reopen ended the work on the old port; then unsubscribed";
    EXPECT_EQ(goneCalls, 1);
    EXPECT_EQ(dialogs.shown.size(), 1u);
}
