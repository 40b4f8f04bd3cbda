#pragma once

#include "FakeDialogs.h"
#include "FakeSerialPort.h"
#include "shell/Program.h"
#include "windows/LanguageWindow.h"
#include "windows/MainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "windows/Controls.h"

#include <gtest/gtest.h>

// The real program with fake ports, dialogs and exit.
class ProgramTest : public ::testing::Test
{
protected:
    ProgramTest() { com1 = ports.add("COM1"); }

    void chooseLanguage(bool english)
    {
        program.start();
        (english ? program.languageWindow->englishRadio : program.languageWindow->chineseRadio)
            ->setChecked(true);
        program.languageWindow->okButton->click();
        QApplication::processEvents();
    }

    fakes::FakeSerialPorts ports;
    fakes::FakeDialogs dialogs;
    fakes::FakeSystem system;
    std::shared_ptr<fakes::PortState> com1;
    Program program {ports, dialogs, system};
};
