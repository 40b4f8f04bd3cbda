#include "ProgramFixture.h"

#include <QScreen>

#include "ShellTestMain.h"
#include "terminal/RevealGesture.h"
#include "windows/AboutDialog.h"
#include "windows/ManualWindow.h"
#include "windows/PortDialog.h"
#include "windows/ProgressWindow.h"
#include "windows/RegisterWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

namespace {

// Centred across the screen and wholly on it (a title bar may stand above the window).
void expectCentredOnScreen(const QWidget& window)
{
    const QRect available = window.screen()->availableGeometry();
    EXPECT_NEAR(window.geometry().center().x(), available.center().x(), 2);
    EXPECT_TRUE(available.contains(window.geometry())) << window.objectName().toStdString();
}

} // namespace

TEST_F(ProgramTest, startShowsOnlyTheLanguageDialogWithAllWindowsCreatedInOrder)
{
    program.start();
    QApplication::processEvents();
    EXPECT_EQ(program.creationOrder,
        (std::vector<QString> {
            "Form2", "Form1", "Serial_Form", "Form_Progress", "AboutBox", "FormTest"}));
    EXPECT_TRUE(program.languageWindow->isVisible());
    for (QWidget* hidden :
        std::initializer_list<QWidget*> {program.mainWindow.get(), program.portDialog.get(),
            program.progressWindow.get(), program.aboutDialog.get(), program.registerWindow.get()})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_EQ(program.languageWindow->windowTitle(), "WELCOM");
    expectCentredOnScreen(*program.languageWindow);
    // The choices keep their 155-pixel column, centred in a window as wide as the caption needs.
    const int column = (program.languageWindow->width() - 155) / 2;
    EXPECT_GE(column, 0);
    EXPECT_EQ(program.languageWindow->height(), 185);
    EXPECT_TRUE(program.languageWindow->chineseRadio->isChecked());
    EXPECT_EQ(program.languageWindow->chineseRadio->text(), "中 文");
    EXPECT_EQ(program.languageWindow->chineseRadio->font().pixelSize(), 19);
    EXPECT_EQ(program.languageWindow->englishRadio->font().pixelSize(), 16);
    EXPECT_EQ(program.languageWindow->chineseRadio->geometry(), QRect(column + 40, 24, 81, 49));
    EXPECT_EQ(program.languageWindow->okButton->geometry(), QRect(column + 52, 136, 57, 33));
    EXPECT_TRUE(program.mainWindow->gestureTimer->isActive())
        << "the gesture clock runs from creation";
    EXPECT_EQ(program.language.value, 0);
}

TEST_F(ProgramTest, closingTheLanguageDialogEndsTheLoopWithStatusZero)
{
    program.start();
    QTimer::singleShot(0, [this] { program.languageWindow->close(); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(program.mainWindow->isVisible());
    EXPECT_FALSE(system.exitStatus);
}

TEST_F(ProgramTest, mainWindowStartsAtItsPlaceWithItsStartStates)
{
    chooseLanguage(false);
    MainWindow& f = *program.mainWindow;
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(program.languageWindow->isVisible());
    expectCentredOnScreen(f);
    EXPECT_FALSE(f.writeButton->isEnabled());
    EXPECT_FALSE(f.writeAction->isEnabled());
    EXPECT_FALSE(f.registerTestAction->isVisible());
    EXPECT_FALSE(f.errorRateStrip->isVisible());
    EXPECT_FALSE(f.airRateCombo->isVisible());
    EXPECT_FALSE(f.airRateCombo->isEnabled());
    EXPECT_FALSE(f.idEdit->isVisible());
    EXPECT_FALSE(f.modelVersionEdit->isEnabled());
    EXPECT_FALSE(f.blankButton->isVisible());
    EXPECT_FALSE(f.revealButton->isVisible());
    EXPECT_TRUE(f.autoClearCheck->isChecked());
    EXPECT_EQ(f.autoSendPeriodEdit->text(), "1000");
    for (QComboBox* box : {f.channelCombo, f.airRateCombo, f.radioSpeedCombo, f.radioParityCombo}) {
        EXPECT_EQ(box->currentIndex(), -1);
        EXPECT_TRUE(box->currentText().isEmpty());
    }
    EXPECT_EQ(f.channelCombo->count(), 32);
    EXPECT_EQ(f.airRateCombo->count(), 5);

    EXPECT_EQ(f.centralWidget()->size(), QSize(705, 485)) << "sized to the visible contents";
}

TEST_F(ProgramTest, revealingTheTestStripGrowsTheWindowByIt)
{
    chooseLanguage(false);
    const int before = program.mainWindow->height();
    program.gesture->revealHidden();
    EXPECT_TRUE(program.mainWindow->errorRateStrip->isVisible());
    EXPECT_TRUE(program.mainWindow->registerTestAction->isVisible());
    EXPECT_EQ(program.mainWindow->height() - before, 528 - 485);
    program.mainWindow->registerTestAction->trigger();
    EXPECT_TRUE(program.registerWindow->isVisible());
    EXPECT_EQ(program.registerWindow->windowTitle(), "测试");
}

TEST_F(ProgramTest, exitStepsReleaseThePortAndEndWithStatusOne)
{
    chooseLanguage(true);
    program.portDialog->okButton->click();
    ASSERT_TRUE(com1->open);
    program.mainWindow->exitButton->click();
    EXPECT_FALSE(com1->open);
    EXPECT_EQ(system.exitStatus, 1);
    EXPECT_EQ(program.mainWindow->statusPanels[3]->text(), "Disconnect");
    EXPECT_FALSE(program.mainWindow->receivePollTimer->isActive());
}

TEST_F(ProgramTest, exitDuringAReadEndsAtOnceAndShowsNothing)
{
    chooseLanguage(false);
    program.mainWindow->readButton->click();
    ASSERT_TRUE(program.mainWindow->answerTimer->isActive());
    ASSERT_TRUE(com1->open);
    program.mainWindow->exitButton->click();
    EXPECT_EQ(system.exitStatus, 1);
    EXPECT_FALSE(com1->open);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ProgramTest, everyExitTriggerWithoutAPortEndsWithStatusOneAndChangesNothing)
{
    chooseLanguage(false);
    for (int trigger = 0; trigger < 3; ++trigger) {
        system.exitStatus.reset();
        if (trigger == 0)
            program.mainWindow->exitButton->click();
        else if (trigger == 1)
            program.mainWindow->exitAction->trigger();
        else
            program.mainWindow->close();
        EXPECT_EQ(system.exitStatus, 1) << trigger;
        EXPECT_EQ(program.mainWindow->statusPanels[3]->text(), "断开的");
    }
}

TEST_F(ProgramTest, aboutBoxIsOneInstanceHiddenByOk)
{
    chooseLanguage(true);
    program.mainWindow->aboutAction->trigger();
    program.mainWindow->aboutButton->click();
    EXPECT_TRUE(program.aboutDialog->isVisible());
    EXPECT_EQ(program.aboutDialog->windowTitle(), "About");
    EXPECT_EQ(program.aboutDialog->titleLabel->text(), " ");
    EXPECT_EQ(program.aboutDialog->bottomLine->text(), " ");
    EXPECT_EQ(program.aboutDialog->productName->text(), "TRANSCEIVER  DEMO  SOFTWARE");
    EXPECT_EQ(program.aboutDialog->versionLabel->text(), "Version 1.02");
    EXPECT_EQ(program.aboutDialog->size(), QSize(326, 303));
    program.aboutDialog->okButton->click();
    EXPECT_FALSE(program.aboutDialog->isVisible());
    program.mainWindow->aboutAction->trigger();
    EXPECT_TRUE(program.aboutDialog->isVisible());
    program.aboutDialog->close();
    EXPECT_FALSE(program.aboutDialog->isVisible());
}

TEST_F(ProgramTest, manualItemAndTypingIntoTheModelFieldDoNothing)
{
    chooseLanguage(false);
    program.mainWindow->modelVersionEdit->setText("TALVEX1.2");
    program.mainWindow->manualAction->trigger();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(program.mainWindow->modelVersionEdit, &key);
    EXPECT_EQ(program.mainWindow->modelVersionEdit->text(), "TALVEX1.2");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ProgramTest, portDialogOpensAppliesAndCloses)
{
    chooseLanguage(false);
    program.mainWindow->openPortButton->click();
    EXPECT_TRUE(program.portDialog->isVisible());
    EXPECT_TRUE(program.mainWindow->isEnabled()) << "the dialog is not modal";
    EXPECT_EQ(program.portDialog->speedCombo->currentIndex(), -1);
    EXPECT_EQ(program.portDialog->speedCombo->currentText(), "9600");
    program.portDialog->speedCombo->setCurrentIndex(5);
    program.portDialog->parityCombo->setCurrentIndex(1);
    program.portDialog->stopBitsCombo->setCurrentIndex(1);
    program.portDialog->okButton->click();
    EXPECT_FALSE(program.portDialog->isVisible());
    EXPECT_TRUE(com1->open);
    EXPECT_EQ(com1->settings.baudRate, 300u);
    EXPECT_EQ(com1->settings.stopBits, 1) << "two stop bits in the list change nothing";
    EXPECT_EQ(program.mainWindow->statusPanels[1]->text(), "COM1");
    EXPECT_EQ(program.mainWindow->statusPanels[2]->text(), "300-O-1");
    EXPECT_EQ(program.mainWindow->statusPanels[3]->text(), "连接中...");
    EXPECT_TRUE(program.mainWindow->receivePollTimer->isActive());

    program.mainWindow->closePortAction->trigger();
    EXPECT_FALSE(com1->open);
    EXPECT_EQ(program.mainWindow->statusPanels[3]->text(), "已断开");
    EXPECT_FALSE(program.mainWindow->receivePollTimer->isActive());

    program.mainWindow->openPortAction->trigger();
    program.portDialog->cancelButton->click();
    EXPECT_FALSE(program.portDialog->isVisible());
    EXPECT_FALSE(com1->open);
}

TEST_F(ProgramTest, typingAPortNameLeavesNoEntrySelected)
{
    chooseLanguage(false);
    QComboBox* box = program.portDialog->portCombo;
    box->lineEdit()->setText("");
    QApplication::processEvents();
    box->lineEdit()->selectAll();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(box->lineEdit(), &key);
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_EQ(box->currentText(), "x");
    program.portDialog->okButton->click();
    EXPECT_EQ(ports.attempts.back(), "COM0");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "打开通讯端口错误!\nCOM0 没有对应的设备。");
}

namespace {

class Throwing : public QObject
{
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("period overflow");
        return QObject::event(event);
    }
};

} // namespace

TEST(RadioModemApplication, anExceptionFromAHandlerIsReportedAndTheLoopGoesOn)
{
    applicationDialogs().shown.clear();
    Throwing receiver;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&receiver);
    ASSERT_EQ(applicationDialogs().shown.size(), 1u);
    EXPECT_EQ(applicationDialogs().shown[0].kind, fakes::ShownMessage::Error);
    EXPECT_EQ(applicationDialogs().shown[0].text, "period overflow");
    bool ranAfter = false;
    QTimer::singleShot(0, [&] { ranAfter = true; });
    QCoreApplication::processEvents();
    EXPECT_TRUE(ranAfter);
}

TEST_F(ProgramTest, helpManualShowsTheManualInTheChosenLanguageFirst)
{
    for (const bool english : {true, false}) {
        chooseLanguage(english);
        program.mainWindow->manualAction->trigger();
        ASSERT_TRUE(program.manualWindow->isVisible());
        const QString text = program.manualWindow->browser->toPlainText();
        const qsizetype en = text.indexOf("Radio modem tool — user manual");
        const qsizetype zh = text.indexOf("数传电台演示软件 — 使用说明");
        ASSERT_GE(en, 0);
        ASSERT_GE(zh, 0);
        EXPECT_EQ(en < zh, english);
        EXPECT_EQ(program.manualWindow->windowTitle(), english ? "Manual" : "使用说明");
        for (const char* topic : {"Finding the radio", "The data terminal", "Encodings", "Saving",
                 "Ports and permissions", "连接电台", "文字编码", "端口与权限"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(topic))) << topic;
        program.manualWindow->hide();
    }
    EXPECT_TRUE(manualText(true, {"/nonexistent"}).isEmpty());
}

// The port dialog opens at the same place however often it is shown, centred on the main window.
TEST_F(ProgramTest, thePortDialogOpensCentredOnTheMainWindowEachTime)
{
    chooseLanguage(true);
    std::vector<QPoint> places;
    for (int i = 0; i < 3; ++i) {
        program.mainWindow->openPortButton->click();
        places.push_back(program.portDialog->pos());
        program.portDialog->hide();
    }
    EXPECT_EQ(places[0], places[1]);
    EXPECT_EQ(places[1], places[2]);
    EXPECT_NEAR(program.portDialog->geometry().center().x(),
        program.mainWindow->frameGeometry().center().x(), 2);
}
