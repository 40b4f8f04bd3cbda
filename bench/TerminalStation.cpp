// The program as a technician leaves it running for a CPU comparison with other serial
// terminals: its windows in English, COM1 open at 19200 8N1 and the receive display set as the
// arguments say ("hex": hex display, "keep": auto clear off). Port and dialogs are the real ones;
// point COM1 at the feeder with RADIOMODEM_COM1.
#include "platform/PosixSerialPorts.h"
#include "platform/QtDialogs.h"
#include "platform/System.h"
#include "platform/UdevPortEnumerator.h"
#include "shell/Application.h"
#include "shell/Program.h"
#include "windows/LanguageWindow.h"
#include "windows/MainWindow.h"
#include "windows/PortDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    platform::QtDialogs dialogs("TRANSCEIVER DEMO SOFTWARE");
    platform::UdevPortEnumerator devices;
    platform::PosixSerialPorts ports(devices);
    platform::RealSystem system;
    RadioModemApplication app(argc, argv, dialogs);
    Program program(ports, dialogs, system);
    program.start();
    program.languageWindow->englishRadio->setChecked(true);
    program.languageWindow->okButton->click();
    program.showPortSettings();
    program.portDialog->portCombo->setCurrentIndex(0);
    program.portDialog->speedCombo->setCurrentIndex(0); // 19200
    program.portDialog->okButton->click();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "hex") == 0)
            program.mainWindow->hexDisplayCheck->setChecked(true);
        if (std::strcmp(argv[i], "keep") == 0)
            program.mainWindow->autoClearCheck->setChecked(false);
    }
    std::printf("%s\n", program.link.handle.isValid() ? "OPEN" : "NOT OPEN");
    std::fflush(stdout);
    return app.exec();
}
