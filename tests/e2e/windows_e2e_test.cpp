// The real windows of two programs against simulated radios on ptys, over the real serial layer:
// clicks on the controls, the program's own timers, scripted message boxes.
#include "SimProcess.h"
#include "TempDir.h"
#include "WindowsStation.h"
#include "registers/RegisterConsole.h"
#include "terminal/RevealGesture.h"
#include "windows/Controls.h"
#include "windows/PortDialog.h"
#include "windows/ProgressWindow.h"
#include "windows/RegisterWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

using e2e::Station;
using e2e::waitFor;

namespace {

class WindowsEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::setenv("RADIOMODEM_COM1", sim.ptyPath(1).c_str(), 1);
        ::setenv("RADIOMODEM_COM2", sim.ptyPath(2).c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("RADIOMODEM_COM1");
        ::unsetenv("RADIOMODEM_COM2");
    }

    simtest::SimProcess sim {{"--link", "--speed", "9600", "--speed2", "9600", "--channel", "7"}};
};

} // namespace

TEST_F(WindowsEndToEnd, readButtonFindsTheRadioAndFillsTheParameterBoxes)
{
    Station a(1);
    a.program.mainWindow->readButton->click();
    ASSERT_TRUE(waitFor([&] { return !a.dialogs.shown.empty(); }, 20000));
    EXPECT_EQ(a.dialogs.shown[0].text, "参数读取成功");
    EXPECT_EQ(a.dialogs.shown[0].caption, "读参数");
    EXPECT_EQ(a.program.mainWindow->modelVersionEdit->text(), "TALVEX1.2");
    EXPECT_EQ(a.program.mainWindow->channelCombo->currentText(), "NO.7");
    EXPECT_EQ(a.program.mainWindow->radioSpeedCombo->currentText(), "9600");
    EXPECT_EQ(a.program.mainWindow->radioParityCombo->currentIndex(), 0);
    EXPECT_TRUE(a.program.mainWindow->writeButton->isEnabled());
    EXPECT_TRUE(a.program.mainWindow->writeAction->isEnabled());
    EXPECT_EQ(a.status(2), "9600-N-1");
    EXPECT_FALSE(a.program.progressWindow->isVisible());
    EXPECT_TRUE(a.program.mainWindow->receivePollTimer->isActive()) << "the terminal polls again";
}

TEST_F(WindowsEndToEnd, textTypedAtOneStationArrivesAtTheOtherWithMatchingCounters)
{
    Station a(1);
    Station b(2);
    a.openPort();
    b.openPort();
    a.program.mainWindow->sendText->setPlainText("Hello radio\n数传 link");
    a.program.mainWindow->sendButton->click();
    // Eleven letters, CR LF, two Chinese characters of three bytes each, five more.
    const std::string expected = "Hello radio\n数传 link";
    ASSERT_TRUE(waitFor([&] { return b.received() == expected; }, 5000)) << b.received();
    EXPECT_EQ(a.status(4), "TX : 24");
    EXPECT_EQ(b.status(5), "RX : 24");

    b.program.mainWindow->hexDisplayCheck->setChecked(true);
    a.program.mainWindow->hexSendCheck->setChecked(true);
    a.program.mainWindow->sendText->setPlainText("55 aa 0d");
    a.program.mainWindow->sendButton->click();
    ASSERT_TRUE(waitFor([&] { return b.received() == expected + "55 AA 0D "; }, 5000))
        << b.received();
    EXPECT_EQ(b.status(5), "RX : 27");
}

TEST_F(WindowsEndToEnd, gb18030StationsExchangeChineseAsGb18030BytesOnTheWire)
{
    Station a(1);
    Station b(2);
    for (Station* s : {&a, &b}) {
        s->openPort();
        s->program.mainWindow->gb18030Action->trigger(); // the context menus' choice
    }
    a.program.mainWindow->sendText->setPlainText("数传电台");
    a.program.mainWindow->sendButton->click();
    ASSERT_TRUE(waitFor([&] { return b.received() == "数传电台"; }, 5000)) << b.received();
    EXPECT_EQ(a.status(4), "TX : 8");
    EXPECT_EQ(b.status(5), "RX : 8");

    // What the first radio took from its PC, in the simulator's log: "1 9600-N data CA FD ...".
    std::string wire;
    for (const std::string& line : sim.logLines()) {
        const auto at = line.find(" data ");
        if (line.rfind("1 ", 0) == 0 && at != std::string::npos)
            wire += line.substr(at + 6) + " ";
    }
    EXPECT_EQ(wire, "CA FD B4 AB B5 E7 CC A8 ");
}

TEST_F(WindowsEndToEnd, savedReceivedDataEqualsWhatTheOtherStationSentAcrossAnAutoClear)
{
    Station a(1);
    Station b(2);
    a.openPort();
    b.openPort();
    QString text;
    for (int i = 0; i < 120; ++i)
        text += QString("line %1 数传\n").arg(i);
    a.program.mainWindow->sendText->setPlainText(text);
    a.program.mainWindow->sendButton->click();
    const std::string sent = text.replace("\n", "\r\n").toStdString();
    const std::string rx = "RX : " + std::to_string(sent.size());
    ASSERT_TRUE(waitFor([&] { return b.status(5) == rx; }, 20000)) << b.status(5);
    EXPECT_LT(b.program.mainWindow->receiveText->shownLineCount(), 100) << "auto clear emptied it";

    fakes::TempDir dir;
    b.dialogs.fileNames.push_back(dir.path("received.bin"));
    b.program.mainWindow->saveReceivedAction->trigger();
    EXPECT_EQ(fakes::TempDir::read(dir.path("received.bin")), sent);
    EXPECT_EQ(b.dialogs.shown.size(), 1u) << "the file dialog, and no error";
}

TEST_F(WindowsEndToEnd, echoTestBetweenTwoWindowsReachesAFullSuccessRate)
{
    Station measuring(1);
    Station echo(2);
    for (Station* s : {&measuring, &echo}) {
        // The reveal gesture, right away after start.
        s->program.mainWindow->gestureArmPanel->clicked();
        s->program.mainWindow->gestureCompletePanel->clicked();
        ASSERT_TRUE(s->program.mainWindow->errorRateStrip->isVisible());
        s->openPort();
        s->program.mainWindow->sendText->setPlainText("ECHO TEST 0123456789");
    }
    measuring.program.mainWindow->recordCheck->setChecked(true);
    echo.program.mainWindow->errorTestButton->clicked();
    measuring.program.mainWindow->errorTestButton->clicked();
    EXPECT_EQ(measuring.program.mainWindow->autoSendPeriodEdit->text(), "2000");
    EXPECT_TRUE(measuring.program.mainWindow->autoSendCheck->isChecked());
    EXPECT_FALSE(measuring.program.mainWindow->autoSendCheck->isEnabled());
    ASSERT_TRUE(waitFor(
        [&] { return measuring.program.mainWindow->receivedCountEdit->text() == "2"; }, 15000))
        << measuring.program.mainWindow->sentCountEdit->text().toStdString();
    EXPECT_EQ(measuring.program.mainWindow->errorCountEdit->text(), "0");
    EXPECT_EQ(measuring.program.mainWindow->successEdit->text(), "100.0000");
    measuring.program.mainWindow->errorTestButton->clicked();
    EXPECT_FALSE(measuring.program.mainWindow->autoSendCheck->isChecked());
    EXPECT_TRUE(measuring.program.mainWindow->autoSendCheck->isEnabled());
}

TEST_F(WindowsEndToEnd, registerDialogReadsAndWritesTheRadioThroughThePortOfTheMainWindow)
{
    Station a(1);
    a.openPort();
    a.program.gesture->revealHidden();
    a.program.mainWindow->registerTestAction->trigger();
    RegisterWindow& dialog = *a.program.registerWindow;
    ASSERT_TRUE(dialog.isVisible());
    dialog.writeAddressEdit->setText("1f");
    dialog.writeValueEdit->setText("3C");
    const std::function<bool()> done = [&] { return !a.program.registerConsole->busy(); };
    dialog.writeOneButton->click();
    ASSERT_TRUE(waitFor(done, 5000));
    EXPECT_EQ(dialog.answerEdit->text(), "55 AA 04 88 1F 3C 00 E7 ");
    dialog.readAddressEdit->setText("1F");
    dialog.readOneButton->click();
    ASSERT_TRUE(waitFor(done, 5000));
    EXPECT_EQ(dialog.answerEdit->text(), "55 AA 03 99 3C 00 D8 ");
    EXPECT_TRUE(a.dialogs.shown.empty());
}

TEST_F(WindowsEndToEnd, writeButtonChangesTheRadioAndThePcPortFollowsItsSerialMode)
{
    Station a(1);
    MainWindow& f = *a.program.mainWindow;
    f.readButton->click();
    ASSERT_TRUE(waitFor([&] { return a.dialogs.shown.size() == 1; }, 20000));
    f.channelCombo->setCurrentIndex(20);
    f.radioSpeedCombo->setCurrentIndex(3); // 2400
    f.radioParityCombo->setCurrentIndex(1); // odd
    f.writeButton->click();
    ASSERT_TRUE(waitFor([&] { return a.dialogs.shown.size() == 2; }, 20000));
    // Verification is on by default: the port followed, then the radio was read back there.
    EXPECT_TRUE(a.program.mainWindow->verifyAfterWriteAction->isChecked());
    EXPECT_EQ(a.dialogs.shown[1].text, "参数设置成功\n已回读电台参数,与写入的一致。");
    EXPECT_EQ(a.dialogs.shown[1].caption, "写参数");
    EXPECT_EQ(a.status(2), "2400-O-1");
    EXPECT_EQ(a.program.link.settings.timeoutBase, 11);

    // The radio now lives at 2400 odd on channel 21: the next Read finds it at once.
    f.readButton->click();
    ASSERT_TRUE(waitFor([&] { return a.dialogs.shown.size() == 3; }, 20000));
    EXPECT_EQ(a.dialogs.shown[2].text, "参数读取成功");
    EXPECT_EQ(f.channelCombo->currentText(), "NO.21");
    EXPECT_EQ(f.radioSpeedCombo->currentText(), "2400");
    EXPECT_EQ(f.radioParityCombo->currentText(), "奇检验");
    const auto log = sim.logLines();
    const auto probes = std::count_if(log.begin(), log.end(), [](const std::string& line) {
        return line.find("2400-O answered 55 AA 03 27") != std::string::npos;
    });
    EXPECT_EQ(probes, 4) << "the read back's and the Read's probe and read step 0, with no probe "
                            "at other settings";
}

TEST(WindowsEndToEndFaults, cablePulledDuringAReadEndsItWithAMessageAndAClosedPort)
{
    // At 1200 bit/s the three answers after read step 0 take longer than the simulator waits
    // before its device disappears.
    simtest::SimProcess sim({"--vanish-after", "2", "--speed", "1200"});
    ::setenv("RADIOMODEM_COM1", sim.ptyPath(1).c_str(), 1);
    Station a(1);
    a.program.portDialog->speedCombo->setCurrentIndex(4);
    a.program.portDialog->okButton->click();
    a.program.mainWindow->readButton->click();
    ASSERT_TRUE(waitFor([&] { return !a.dialogs.shown.empty(); }, 20000));
    ::unsetenv("RADIOMODEM_COM1");
    EXPECT_EQ(
        a.dialogs.shown[0].text, "参数读取失败\nCOM1: 通讯端口设备已断开(已拔出?),端口已关闭。");
    EXPECT_EQ(a.dialogs.shown[0].caption, "CommError");
    EXPECT_FALSE(a.program.progressWindow->isVisible());
    EXPECT_FALSE(a.program.link.handle.isValid());
    EXPECT_EQ(a.status(3), "已断开");
    EXPECT_FALSE(a.program.mainWindow->requestTimer->isActive());
    EXPECT_FALSE(a.program.mainWindow->answerTimer->isActive());
    EXPECT_FALSE(a.program.mainWindow->writeButton->isEnabled());
}

// A register dump at 300 bit/s takes about twenty seconds; the window stays live all along: no
// request, wait or answer holds its event loop. Also Escape on the progress window stops a probe
// at once, the port staying open.
TEST(WindowsEndToEndLive, aDumpAt300NeverHoldsTheWindowAndEscapeStopsAProbe)
{
    simtest::SimProcess sim({"--speed", "300"});
    ::setenv("RADIOMODEM_COM1", sim.ptyPath(1).c_str(), 1);
    Station a(1);
    a.program.mainWindow->openPortButton->click();
    a.program.portDialog->portCombo->setCurrentIndex(0);
    a.program.portDialog->speedCombo->setCurrentIndex(5);
    a.program.portDialog->okButton->click();
    ASSERT_TRUE(a.program.link.handle.isValid())
        << (a.dialogs.shown.empty() ? "" : a.dialogs.shown[0].text);
    a.program.gesture->revealHidden();
    a.program.mainWindow->registerTestAction->trigger();
    a.program.registerWindow->readAllButton->click();
    QElapsedTimer clock;
    clock.start();
    qint64 longest = 0;
    while (a.program.registerConsole->busy() && clock.elapsed() < 60000) {
        const qint64 start = clock.elapsed();
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        longest = std::max(longest, clock.elapsed() - start);
    }
    std::printf("33 registers at 300 bit/s: %lld ms, longest event-loop turn %lld ms\n",
        static_cast<long long>(clock.elapsed()), static_cast<long long>(longest));
    ASSERT_EQ(a.dialogs.shown.size(), 1u);
    EXPECT_EQ(a.dialogs.shown[0].text, "Read End");
    EXPECT_LT(longest, 50);

    // A probe at the wrong speed: Escape ends it within a tick, and nothing more goes out.
    a.program.mainWindow->openPortButton->click();
    a.program.portDialog->speedCombo->setCurrentIndex(0);
    a.program.portDialog->okButton->click();
    a.program.mainWindow->readButton->click();
    waitFor([] { return false; }, 300);
    const auto sent = sim.logLines().size();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(a.program.progressWindow.get(), &escape);
    EXPECT_FALSE(a.program.progressWindow->isVisible());
    EXPECT_FALSE(a.program.mainWindow->answerTimer->isActive());
    EXPECT_EQ(a.status(3), "已停止");
    waitFor([] { return false; }, 1500);
    EXPECT_EQ(sim.logLines().size(), sent);
    EXPECT_TRUE(a.program.link.handle.isValid());
    EXPECT_EQ(a.dialogs.shown.size(), 1u);
    ::unsetenv("RADIOMODEM_COM1");
}
