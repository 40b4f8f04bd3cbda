#pragma once

#include <string>

namespace serial {

// What the port controller takes from the port dialog and shows in it. Ports, speeds and
// parities are entries of the dialog's lists, counted from 0 (COM1, 19200, none); -1 is none
// chosen, as with a port name typed into the list.
class PortView
{
public:
    virtual ~PortView() = default;

    virtual int chosenPort() const = 0;
    // The port as it stands in the dialog, typed or chosen.
    virtual std::string portName() const = 0;
    virtual int chosenSpeed() const = 0;
    virtual int chosenParity() const = 0;
    // Entries outside a list choose none.
    virtual void choosePort(int port) = 0;
    virtual void chooseSpeedAndParity(int speed, int parity) = 0;

    // What stands behind the chosen port, on the line under the list.
    virtual void showChosenDevice(const std::string& line) = 0;
    // What stands behind one port, in its entry's tooltip.
    virtual void showPortTip(int port, const std::string& tip) = 0;
    // The dialog goes once its port is open.
    virtual void closeDialog() = 0;
};

} // namespace serial
