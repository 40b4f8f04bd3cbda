#pragma once

// One technician's PC for end-to-end tests: the real program with its windows, the real serial
// layer and real sleeps, its message boxes recorded.
#include "FakeDialogs.h"
#include "platform/PosixSerialPorts.h"
#include "platform/System.h"
#include "platform/UdevPortEnumerator.h"
#include "shell/Program.h"
#include "windows/Controls.h"
#include "windows/LanguageWindow.h"
#include "windows/MainWindow.h"
#include "windows/PortDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace e2e {

// Runs the event loop (timers included) until the condition holds or the time is up.
inline bool waitFor(const std::function<bool()>& condition, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// One technician's PC: the program with its windows, a real serial layer and real sleeps.
struct Station
{
    explicit Station(int comNumber) : com(comNumber)
    {
        program.start();
        program.languageWindow->okButton->click();
    }

    void openPort()
    {
        program.mainWindow->openPortButton->click();
        program.portDialog->portCombo->setCurrentIndex(com - 1);
        program.portDialog->speedCombo->setCurrentIndex(1); // 9600
        program.portDialog->okButton->click();
        ASSERT_TRUE(program.link.handle.isValid());
    }

    std::string received() const { return program.mainWindow->receiveText->text().toStdString(); }
    std::string status(int panel) const
    {
        return program.mainWindow->statusPanels[static_cast<std::size_t>(panel)]
            ->text()
            .toStdString();
    }

    int com;
    platform::UdevPortEnumerator devices;
    platform::PosixSerialPorts ports {devices};
    fakes::FakeDialogs dialogs;
    platform::RealSystem system;
    Program program {ports, dialogs, system};
};

} // namespace e2e
