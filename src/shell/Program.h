#pragma once

#include "core/Language.h"
#include "radio/RadioSettings.h"
#include "serial/SerialLink.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

class AboutDialog;
class MainWindow;
class LanguageWindow;
class ProgressWindow;
class RegisterWindow;
class LinkTestWindow;
class ManualWindow;
class ParameterPanel;
class StatusBarPanel;
class PortDialog;
class QTranslator;
class QWidget;
class SendPanel;
class ReceivePanel;
class ErrorRatePanel;
class RevealPanel;

namespace platform {
class Dialogs;
class QtEventLoop;
class QtTimer;
class SerialPortProvider;
class System;
} // namespace platform
namespace radio {
class ParameterExchange;
class SettingsFileCommands;
struct WriteValues;
} // namespace radio
namespace registers {
class RegisterConsole;
}
namespace linktest {
class LinkTestController;
}
namespace serial {
class PortController;
}
namespace terminal {
class RevealGesture;
struct Terminal;
} // namespace terminal

// The whole program: its six windows, created in start-up order and living until the process
// ends, the process-wide records, and the logic wired to the controls.
class Program
{
public:
    Program(
        platform::SerialPortProvider& ports, platform::Dialogs& dialogs, platform::System& system);
    ~Program();

    // Shows the language dialog, the first window the user sees.
    void start();

    // Language dialog OK: hides it, shows the main window in the chosen language.
    void languageOk();
    // Exit button, File Exit and closing the main window: release the port and end.
    void exitSteps();
    void showAbout();
    void showTestWindow(QWidget& window);
    void openLinkTest();
    void showPortSettings();

    // Windows, in the order they are created.
    std::unique_ptr<LanguageWindow> languageWindow;
    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<PortDialog> portDialog;
    std::unique_ptr<ProgressWindow> progressWindow;
    std::unique_ptr<AboutDialog> aboutDialog;
    std::unique_ptr<RegisterWindow> registerWindow;
    std::unique_ptr<LinkTestWindow> linkTestWindow;
    std::unique_ptr<ManualWindow> manualWindow;
    std::vector<QString> creationOrder;

    core::Language language;
    serial::SerialLink link;

    std::unique_ptr<platform::QtTimer> receivePoll;
    std::unique_ptr<StatusBarPanel> statusBar;
    std::unique_ptr<ParameterPanel> parameterPanel;
    std::unique_ptr<platform::QtEventLoop> eventLoop;
    std::unique_ptr<platform::QtTimer> reopenTimer;
    std::unique_ptr<serial::PortController> portController;
    std::unique_ptr<radio::ParameterExchange> exchange;
    std::unique_ptr<radio::SettingsFileCommands> settingsFiles;
    std::unique_ptr<SendPanel> sendPanel;
    std::unique_ptr<ReceivePanel> receivePanel;
    std::unique_ptr<ErrorRatePanel> errorRatePanel;
    std::unique_ptr<RevealPanel> revealPanel;
    std::unique_ptr<terminal::Terminal> terminal;
    std::unique_ptr<terminal::RevealGesture> gesture;
    std::unique_ptr<registers::RegisterConsole> registerConsole;
    std::unique_ptr<linktest::LinkTestController> linkTest;

private:
    template<typename W>
    std::unique_ptr<W> create();
    void wire();
    std::optional<radio::RadioSettings> lastReadSettings() const;

    platform::SerialPortProvider& m_ports;
    platform::Dialogs& m_dialogs;
    platform::System& m_system;
    // Qt's Chinese texts for the standard buttons, installed when Chinese is chosen.
    std::unique_ptr<QTranslator> m_qtTranslator;
};
