#include "Application.h"
#include "Program.h"
#include "platform/PosixSerialPort.h"
#include "platform/QtDialogs.h"
#include "platform/System.h"
#include "platform/UdevPortEnumerator.h"

#include <exception>

int main(int argc, char** argv)
{
    platform::QtDialogs dialogs;
    platform::UdevPortEnumerator devices;
    platform::PosixSerialPorts ports(devices);
    platform::RealSystem system;
    RadioModemApplication app(argc, argv, dialogs);
    // The caption of the plain messages.
    RadioModemApplication::setApplicationName("TRANSCEIVER DEMO SOFTWARE");
    try {
        Program program(ports, dialogs, system);
        program.start();
        app.exec();
    } catch (const std::exception& error) {
        dialogs.showError(error.what());
    } catch (...) {
        dialogs.showError({});
    }
    return 0;
}
