#pragma once

#include "FakeDialogs.h"
#include "FakeSerialPort.h"
#include "shell/LanguageForm.h"
#include "shell/MainForm.h"
#include "shell/Program.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "platform/Widgets.h"

#include <gtest/gtest.h>

// The real program with fake ports, dialogs and exit.
class ProgramTest : public ::testing::Test
{
protected:
    ProgramTest() { com1 = ports.add("COM1"); }

    void chooseLanguage(bool english)
    {
        program.start();
        (english ? program.Form2->Radio_English : program.Form2->Radio_Chinese)->setChecked(true);
        program.Form2->BitBtn1->click();
        QApplication::processEvents();
    }

    fakes::FakeSerialPorts ports;
    fakes::FakeDialogs dialogs;
    fakes::FakeSystem system;
    std::shared_ptr<fakes::PortState> com1;
    Program program {ports, dialogs, system};
};
