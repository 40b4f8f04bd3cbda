#pragma once

#include "SerialLink.h"
#include "core/Language.h"
#include "core/Ui.h"
#include "platform/Dialogs.h"

#include <functional>

namespace serial {

// Opening, configuring and closing the one serial port, from the port settings dialog and the
// close button, with the status panels 1 to 3 that show the link.
class PortController
{
public:
    PortController(SerialLink& link, platform::SerialPortProvider& ports, core::Ui& ui,
        platform::Dialogs& dialogs, const core::Language& language);

    // The dialog's OK: open the chosen port and put the chosen speed and parity on it.
    void openFromDialog();
    // Puts the speed and parity of the link settings on the open port; false when refused
    // (the port is then closed).
    bool applyPortSettings();
    // Closes the open port; with no open port nothing at all happens.
    void closePort();

    // The port dialog is about to show: looks at the devices again and shows what stands
    // behind each name.
    void portDialogShown();
    // A serial device came or went.
    void devicesChanged();
    // The line under the port list shows the device of the selected entry.
    void showSelectedDevice();
    // Status panel 1: the port's name, with its device in the tooltip.
    void showPortInStatus();

    // Called after the port was closed by anyone, so that running work can end.
    void setOnClosed(std::function<void()> onClosed) { m_onClosed = std::move(onClosed); }
    void notifyClosed();

private:
    void showPortList();

    SerialLink& m_link;
    platform::SerialPortProvider& m_ports;
    core::Ui& m_ui;
    platform::Dialogs& m_dialogs;
    const core::Language& m_language;
    std::function<void()> m_onClosed;
};

} // namespace serial
