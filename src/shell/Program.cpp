#include "Program.h"

#include "QtTranslation.h"
#include "linktest/LinkTestController.h"
#include "platform/QtEventLoop.h"
#include "platform/QtTimer.h"
#include "platform/System.h"
#include "platform/WindowFrame.h"
#include "radio/ParameterExchange.h"
#include "radio/SettingsFileCommands.h"
#include "registers/RegisterConsole.h"
#include "serial/PortController.h"
#include "terminal/RevealGesture.h"
#include "terminal/Terminal.h"
#include "windows/AboutDialog.h"
#include "windows/Artwork.h"
#include "windows/Controls.h"
#include "windows/LanguageWindow.h"
#include "windows/LinkTestWindow.h"
#include "windows/MainWindow.h"
#include "windows/ManualWindow.h"
#include "windows/ParameterPanel.h"
#include "windows/PortDialog.h"
#include "windows/ProgressWindow.h"
#include "windows/RegisterWindow.h"
#include "windows/StatusBarPanel.h"
#include "windows/TerminalPanels.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QToolButton>

template<typename W>
std::unique_ptr<W> Program::create()
{
    auto window = std::make_unique<W>();
    creationOrder.push_back(window->objectName());
    return window;
}

Program::Program(
    platform::SerialPortProvider& ports, platform::Dialogs& dialogs, platform::System& system)
    : m_ports(ports), m_dialogs(dialogs), m_system(system)
{
    // Dialogs without an icon of their own show the application's.
    QApplication::setWindowIcon(windows::applicationIcon());
    languageWindow = create<LanguageWindow>();
    mainWindow = create<MainWindow>();
    portDialog = create<PortDialog>();
    progressWindow = create<ProgressWindow>();
    aboutDialog = create<AboutDialog>();
    registerWindow = create<RegisterWindow>();
    manualWindow = std::make_unique<ManualWindow>();
    portDialog->setWindowIcon(windows::settingsIcon());

    receivePoll = std::make_unique<platform::QtTimer>(*mainWindow->receivePollTimer);
    statusBar = std::make_unique<StatusBarPanel>(*mainWindow);
    parameterPanel = std::make_unique<ParameterPanel>(*mainWindow);
    progressWindow->owner = mainWindow.get();
    eventLoop = std::make_unique<platform::QtEventLoop>();
    reopenTimer = std::make_unique<platform::QtTimer>(*mainWindow->reopenTimer);
    portController = std::make_unique<serial::PortController>(link, ports, *portDialog,
        *reopenTimer, *eventLoop, *receivePoll, *statusBar, dialogs, language);
    exchange = std::make_unique<radio::ParameterExchange>(link, *portController, *parameterPanel,
        *progressWindow,
        radio::ParameterExchange::Timers {parameterPanel->sendTimer, parameterPanel->receiveTimer},
        *statusBar, dialogs, system, language);
    settingsFiles = std::make_unique<radio::SettingsFileCommands>(
        *parameterPanel, *statusBar, dialogs, language, [this] { return lastReadSettings(); },
        [this] { return exchange->heldValues(); });
    exchange->setWriteShaper(
        [this](radio::WriteValues& values) { return settingsFiles->shapeWrite(values); },
        [this](radio::ParameterExchange::HeldChange why) { settingsFiles->heldChanged(why); });
    sendPanel = std::make_unique<SendPanel>(*mainWindow);
    receivePanel = std::make_unique<ReceivePanel>(*mainWindow);
    errorRatePanel = std::make_unique<ErrorRatePanel>(*mainWindow);
    revealPanel = std::make_unique<RevealPanel>(*mainWindow);
    terminal = std::make_unique<terminal::Terminal>(link, *portController, *sendPanel,
        sendPanel->autoSendTimer, *receivePanel, *errorRatePanel, *statusBar, dialogs, system,
        language);
    gesture = std::make_unique<terminal::RevealGesture>(*revealPanel, revealPanel->clock);
    registerConsole = std::make_unique<registers::RegisterConsole>(
        link, *portController, *registerWindow, registerWindow->poll, dialogs, system, language);
    wire();
}

Program::~Program() = default;

void Program::wire()
{
    MainWindow& f = *mainWindow;
    auto onClick = [](auto* sender, auto handler) {
        using Sender = std::remove_pointer_t<decltype(sender)>;
        if constexpr (std::is_base_of_v<QAction, Sender>)
            QObject::connect(sender, &QAction::triggered, handler);
        else if constexpr (std::is_base_of_v<QAbstractButton, Sender>)
            QObject::connect(sender, &QAbstractButton::clicked, handler);
        else
            QObject::connect(sender, &Sender::clicked, handler);
    };
    onClick(languageWindow->okButton, [this] { languageOk(); });

    onClick(f.readButton, [this] { exchange->startRead(); });
    onClick(f.readAction, [this] { exchange->startRead(); });
    onClick(f.writeButton, [this] { exchange->startWrite(); });
    onClick(f.writeAction, [this] { exchange->startWrite(); });
    onClick(f.saveSettingsAction, [this] { settingsFiles->saveToFile(); });
    onClick(f.loadSettingsAction, [this] { settingsFiles->loadFromFile(); });
    onClick(f.openPortButton, [this] { showPortSettings(); });
    onClick(f.openPortAction, [this] { showPortSettings(); });
    onClick(f.closePortButton, [this] { portController->closePort(); });
    onClick(f.closePortAction, [this] { portController->closePort(); });
    onClick(f.aboutButton, [this] { showAbout(); });
    onClick(f.aboutAction, [this] { showAbout(); });
    onClick(f.manualAction, [this] { manualWindow->showManual(language.isEnglish()); });
    onClick(f.exitButton, [this] { exitSteps(); });
    onClick(f.exitAction, [this] { exitSteps(); });
    f.onClose = [this] { exitSteps(); };
    onClick(f.registerTestAction, [this] { showTestWindow(*registerWindow); });
    onClick(f.linkTestAction, [this] { openLinkTest(); });
    onClick(f.revealButton, [this] { gesture->revealHidden(); });

    QObject::connect(f.requestTimer, &QTimer::timeout, [this] { exchange->sendTick(); });
    QObject::connect(f.answerTimer, &QTimer::timeout, [this] { exchange->receiveTick(); });
    QObject::connect(
        f.autoSendTimer, &QTimer::timeout, [this] { terminal->sender.autoSendTick(); });
    QObject::connect(f.receivePollTimer, &QTimer::timeout, [this] { terminal->receivePoll(); });
    QObject::connect(f.gestureTimer, &QTimer::timeout, [this] { gesture->gestureTick(); });
    QObject::connect(f.reopenTimer, &QTimer::timeout, [this] { portController->retryReopen(); });
    progressWindow->onStop = [this] { exchange->stopCommand(); };

    onClick(f.sendButton, [this] { terminal->sender.sendOnce(); });
    QObject::connect(
        f.autoSendCheck, &QCheckBox::toggled, [this] { terminal->sender.toggleAutoSend(); });
    onClick(f.clearSendButton, [this] { terminal->sender.clearSendArea(); });
    onClick(f.stopDisplayButton, [this] { terminal->receiver.toggleDisplayStop(); });
    onClick(f.clearReceiveButton, [this] { terminal->receiver.clearReceiveArea(); });
    onClick(f.resetCountersButton, [this] { terminal->receiver.resetCounters(); });
    onClick(f.saveReceivedAction, [this] { terminal->receiver.saveReceived(); });
    onClick(f.logToFileAction, [this] { terminal->receiver.toggleSessionLog(); });
    onClick(f.errorTestButton, [this] { terminal->errorRate.toggle(); });
    onClick(f.gestureCompletePanel, [this] { gesture->completeGesture(); });
    onClick(f.gestureArmPanel, [this] { gesture->armGesture(); });

    onClick(portDialog->okButton, [this] { portController->openFromDialog(); });
    QObject::connect(portDialog->portCombo, &QComboBox::currentIndexChanged,
        [this] { portController->showSelectedDevice(); });
    // The system's notice that a serial device came or went.
    if (const int notice = m_ports.hotplugFd(); notice >= 0) {
        auto* notifier = new QSocketNotifier(notice, QSocketNotifier::Read, mainWindow.get());
        QObject::connect(
            notifier, &QSocketNotifier::activated, [this] { portController->devicesChanged(); });
    }

    RegisterWindow& r = *registerWindow;
    QObject::connect(&r.pollTimer, &QTimer::timeout, [this] { registerConsole->pollAnswer(); });
    onClick(r.readOneButton, [this] { registerConsole->readRegister(); });
    onClick(r.writeOneButton, [this] { registerConsole->writeRegister(); });
    onClick(r.readAllButton, [this] { registerConsole->dumpRegisters(); });
    onClick(r.startTransmitButton, [this] { registerConsole->startTransmitTest(); });
    onClick(r.transmitFrequencyButton, [this] { registerConsole->transmitFrequencyTest(); });
    onClick(r.stopTransmitButton, [this] { registerConsole->stopTransmitTest(); });
}

// The radio's values as last known, with the serial mode it answered at, on the link's port.
std::optional<radio::RadioSettings> Program::lastReadSettings() const
{
    const auto& lastRead = exchange->lastRead();
    if (!lastRead)
        return std::nullopt;
    const platform::PortEntry entry = m_ports.entry(link.settings.portNumber);
    return radio::settingsFromRead(lastRead->version, lastRead->held, link.settings.portNumber,
        entry.device ? entry.device->path : std::string(), lastRead->readAt);
}

void Program::start()
{
    languageWindow->show();
}

void Program::languageOk()
{
    languageWindow->hide();
    mainWindow->show();
    language.value = languageWindow->chineseRadio->isChecked() ? 0 : 1;
    if (language.isEnglish()) {
        mainWindow->applyEnglish();
        portDialog->applyEnglish();
    } else {
        m_qtTranslator = shell::installQtChinese();
        mainWindow->setWindowTitle("数传电台演示软件");
    }
    aboutDialog->setWindowTitle("About");
    aboutDialog->titleLabel->setText(" ");
    aboutDialog->bottomLine->setText(" ");
}

// Whatever runs (a Read, an auto send) is not asked to end first: the process ends at once and
// shows nothing.
void Program::exitSteps()
{
    portController->closeForExit();
    m_system.exitProcess(1);
}

void Program::showAbout()
{
    if (!aboutDialog->isVisible())
        platform::centreOn(*aboutDialog, mainWindow.get());
    aboutDialog->show();
}

// The link test window is built when it is first asked for: its chart costs start-up time that
// only a technician who runs a link test should pay.
void Program::openLinkTest()
{
    if (!linkTestWindow) {
        linkTestWindow = std::make_unique<LinkTestWindow>();
        if (language.isEnglish())
            linkTestWindow->applyEnglish();
        LinkTestWindow& l = *linkTestWindow;
        linkTest = std::make_unique<linktest::LinkTestController>(
            link, *portController, l, l.tick, m_dialogs, m_system, language);
        QObject::connect(&l.tickTimer, &QTimer::timeout, [this] { linkTest->tick(); });
        QObject::connect(l.startButton, &QPushButton::clicked, [this] { linkTest->toggleRun(); });
        QObject::connect(l.exportButton, &QPushButton::clicked, [this] { linkTest->exportCsv(); });
        QObject::connect(l.chartButton, &QPushButton::clicked, [this] { linkTest->exportChart(); });
        // Closing the window ends its test, so no hidden test holds the port.
        QObject::connect(&l, &QDialog::finished, [this] { linkTest->end(); });
    }
    showTestWindow(*linkTestWindow);
}

// A test window over the main window: centred on it when it opens, brought to the front and
// given the focus when it is open already.
void Program::showTestWindow(QWidget& window)
{
    if (!window.isVisible())
        platform::centreOn(window, mainWindow.get());
    window.show();
    window.raise();
    window.activateWindow();
}

void Program::showPortSettings()
{
    portController->portDialogShown();
    if (!portDialog->isVisible())
        platform::centreOn(*portDialog, mainWindow.get());
    portDialog->show();
    portDialog->raise();
}
