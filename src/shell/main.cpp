#include "Application.h"
#include "Program.h"
#include "platform/PosixSerialPorts.h"
#include "platform/QtDialogs.h"
#include "platform/System.h"
#include "platform/UdevPortEnumerator.h"

#include <exception>

int main(int argc, char** argv)
{
    // The caption of the plain messages.
    platform::QtDialogs dialogs("TRANSCEIVER DEMO SOFTWARE");
    platform::UdevPortEnumerator devices;
    platform::PosixSerialPorts ports(devices);
    platform::RealSystem system;
    RadioModemApplication app(argc, argv, dialogs);
    // The desktop entry, the icon and the window class all go by this name, so that a desktop
    // matches the windows to the launcher.
    RadioModemApplication::setApplicationName("radiomodem");
    RadioModemApplication::setDesktopFileName("radiomodem");
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
