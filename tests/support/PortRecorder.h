#pragma once

#include "serial/PortView.h"

#include <array>
#include <string>

namespace fakes {

// The port dialog as the port controller sees it: what is chosen (as the dialog opens, until a
// test chooses), whether it is up, and what it was last asked to show.
struct PortRecorder final : serial::PortView
{
    int port = 0;
    int speed = -1; // the list shows 9600 without an entry chosen
    int parity = 0;
    std::string typed; // the port's name when none is chosen
    bool open = false;
    std::string device;
    std::array<std::string, 8> tips;

    int chosenPort() const override { return port; }
    std::string portName() const override
    {
        return port >= 0 ? "COM" + std::to_string(port + 1) : typed;
    }
    int chosenSpeed() const override { return speed; }
    int chosenParity() const override { return parity; }
    void choosePort(int entry) override { port = within(entry, 8); }
    void chooseSpeedAndParity(int speedEntry, int parityEntry) override
    {
        speed = within(speedEntry, 6);
        parity = within(parityEntry, 3);
    }
    void showChosenDevice(const std::string& line) override { device = line; }
    void showPortTip(int entry, const std::string& tip) override { tips.at(entry) = tip; }
    void closeDialog() override { open = false; }

    static int within(int entry, int count) { return entry >= 0 && entry < count ? entry : -1; }
};

} // namespace fakes
