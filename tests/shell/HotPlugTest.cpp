// The real program over the real serial layer on ptys, with scripted device enumeration: the
// port dialog follows devices plugged and unplugged, and an adapter that comes back is opened
// again.
#include "FakeDialogs.h"
#include "FakePortEnumerator.h"
#include "Pty.h"
#include "TempDir.h"
#include "platform/DeviceHolder.h"
#include "platform/PosixSerialPort.h"
#include "platform/PosixSerialPorts.h"
#include "shell/Program.h"
#include "windows/Controls.h"
#include "windows/LanguageWindow.h"
#include "windows/MainWindow.h"
#include "windows/PortDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class HotPlugTest : public ::testing::Test
{
protected:
    explicit HotPlugTest(const std::string& deviceFolder = {}) : devices({}, deviceFolder)
    {
        program.start();
        program.languageWindow->englishRadio->setChecked(true);
        program.languageWindow->okButton->click();
    }

    std::string deviceLine() const
    {
        return program.portDialog->deviceLabel->fullText().toStdString();
    }
    std::string toolTip(int index) const
    {
        return program.portDialog->portCombo->itemData(index, Qt::ToolTipRole)
            .toString()
            .toStdString();
    }
    std::string status(int panel) const
    {
        return program.mainWindow->statusPanels[static_cast<std::size_t>(panel)]
            ->text()
            .toStdString();
    }

    // Opens COM1 on the adapter at 2400 bit/s, odd parity, then pulls it: the receive poll
    // finds the device gone and closes the port.
    void openThenPull(Pty& pty, const std::string& identity)
    {
        devices.plug(fakes::usbAdapter(pty.slave(), identity));
        program.mainWindow->openPortButton->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return deviceLine() != "no device"; }, 5000));
        program.portDialog->portCombo->setCurrentIndex(0);
        program.portDialog->speedCombo->setCurrentIndex(3);
        program.portDialog->parityCombo->setCurrentIndex(1);
        program.portDialog->okButton->click();
        ASSERT_TRUE(program.link.handle.isValid());
        pty.closeMaster();
        devices.unplug(identity);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !program.link.handle.isValid(); }, 5000));
    }

    fakes::FakePortEnumerator devices;
    platform::PosixSerialPorts ports {devices};
    fakes::FakeDialogs dialogs;
    fakes::FakeSystem system;
    Program program {ports, dialogs, system};
};

struct DeviceFolder
{
    fakes::TempDir folder;
};

// No udev notices: the device folder's watch tells of devices plugged and unplugged.
class FolderWatchHotPlugTest : private DeviceFolder, public HotPlugTest
{
protected:
    FolderWatchHotPlugTest() : HotPlugTest(folder.path("")) { }
};

// Another program that holds the device open (without a lock), until it is killed.
class OtherProgram
{
public:
    explicit OtherProgram(const std::string& path)
    {
        m_pid = ::fork();
        if (m_pid == 0) {
            if (::open(path.c_str(), O_RDWR | O_NOCTTY) < 0)
                ::_exit(126);
            ::execlp("sleep", "sleep", "30", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 2000 && platform::findDeviceHolder(path).pid != m_pid; ++i)
            ::usleep(1000);
    }
    ~OtherProgram() { release(); }
    void release()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        m_pid = -1;
    }
    int pid() const { return m_pid; }

private:
    pid_t m_pid;
};

} // namespace

TEST_F(HotPlugTest, theShownDialogFollowsDevicesPluggedAndUnplugged)
{
    program.mainWindow->openPortButton->click();
    EXPECT_EQ(deviceLine(), "no device");

    devices.plug(fakes::usbAdapter("/dev/ttyUSB0", "usb-0403:6001-A50285BI-if00"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return deviceLine() != "no device"; }, 5000));
    EXPECT_EQ(deviceLine(), "/dev/ttyUSB0 — FT232R USB UART (A50285BI)");
    EXPECT_EQ(toolTip(0), "/dev/ttyUSB0 — FT232R USB UART (A50285BI)\nUSB 0403:6001");
    EXPECT_EQ(toolTip(1), "no device");
    EXPECT_EQ(program.portDialog->portCombo->itemText(0), "COM1") << "the entries keep their names";

    program.portDialog->portCombo->setCurrentIndex(1);
    EXPECT_EQ(deviceLine(), "no device");
    program.portDialog->portCombo->setCurrentIndex(0);

    devices.unplug("usb-0403:6001-A50285BI-if00");
    ASSERT_TRUE(QTest::qWaitFor([&] { return deviceLine().rfind("no device (", 0) == 0; }, 5000));
    EXPECT_EQ(deviceLine(), "no device (/dev/ttyUSB0 — FT232R USB UART (A50285BI) unplugged)");
}

TEST_F(HotPlugTest, anAdapterThatComesBackIsOpenedAgainAtItsSpeedAndParity)
{
    const std::string identity = "usb-0403:6001-A50285BI-if00";
    auto first = std::make_unique<Pty>();
    devices.plug(fakes::usbAdapter(first->slave(), identity));
    program.mainWindow->openPortButton->click();
    program.portDialog->portCombo->setCurrentIndex(0);
    program.portDialog->speedCombo->setCurrentIndex(3); // 2400
    program.portDialog->parityCombo->setCurrentIndex(1); // odd
    program.portDialog->okButton->click();
    ASSERT_TRUE(program.link.handle.isValid());
    EXPECT_EQ(program.mainWindow->statusPanels[1]->toolTip().toStdString(),
        first->slave() + " — FT232R USB UART (A50285BI)");

    // Pulled: the receive poll finds the device gone, closes the port and says so.
    first->closeMaster();
    devices.unplug(identity);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !program.link.handle.isValid(); }, 5000));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(status(3), "Disconnect");

    // Plugged back in; the system gives it another node.
    Pty second;
    devices.plug(fakes::usbAdapter(second.slave(), identity));
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.link.handle.isValid(); }, 5000));
    const termios tio = second.settings();
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B2400));
    EXPECT_NE(tio.c_iflag & INPCK, 0u);
    EXPECT_NE(tio.c_cflag & PARODD, 0u);
    EXPECT_TRUE(program.mainWindow->receivePollTimer->isActive());
    EXPECT_EQ(status(1), "COM1");
    EXPECT_EQ(status(2), "2400-O-1");
    EXPECT_EQ(status(3), "Connect...");
    EXPECT_EQ(program.mainWindow->statusPanels[1]->toolTip().toStdString(),
        second.slave() + " — FT232R USB UART (A50285BI)");
    EXPECT_EQ(dialogs.shown.size(), 1u);

    // The receive poll reads the reopened port.
    ASSERT_EQ(::write(second.master(), "hello", 5), 5);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return program.mainWindow->receiveText->toPlainText().contains("hello"); }, 5000));
}

TEST_F(HotPlugTest, anAdapterBackButHeldIsReopenedSoonAfterTheOtherProgramLetsGo)
{
    const std::string identity = "usb-0403:6001-A50285BI-if00";
    auto first = std::make_unique<Pty>();
    openThenPull(*first, identity);

    Pty second;
    OtherProgram other(second.slave());
    devices.plug(fakes::usbAdapter(second.slave(), identity));
    const std::string why = "COM1 is back but does not open; trying again every second.\n"
        + second.slave() + " is in use by another program: sleep (process "
        + std::to_string(other.pid()) + ").";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return program.mainWindow->statusPanels[3]->toolTip().toStdString() == why; }, 5000))
        << program.mainWindow->statusPanels[3]->toolTip().toStdString();
    QTest::qWait(1500);
    EXPECT_FALSE(program.link.handle.isValid());
    EXPECT_EQ(status(3), "Disconnect");
    EXPECT_EQ(dialogs.shown.size(), 1u) << "only the message that the device went";

    other.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.link.handle.isValid(); }, 2000))
        << "reopened within 2 s of the release";
    EXPECT_EQ(status(2), "2400-O-1");
    EXPECT_EQ(program.mainWindow->statusPanels[3]->toolTip().toStdString(), "");
}

TEST_F(FolderWatchHotPlugTest, theDialogAndTheReopenFollowTheDeviceFolder)
{
    const std::string identity = "usb-0403:6001-A50285BI-if00";
    auto first = std::make_unique<Pty>();
    openThenPull(*first, identity);
    EXPECT_EQ(
        deviceLine(), "no device (" + first->slave() + " — FT232R USB UART (A50285BI) unplugged)");

    Pty second;
    devices.plug(fakes::usbAdapter(second.slave(), identity));
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.link.handle.isValid(); }, 5000));
    EXPECT_EQ(deviceLine(), second.slave() + " — FT232R USB UART (A50285BI)");
}
