#pragma once

#include "FakeDialogs.h"
#include "FakeUi.h"
#include "SimProcess.h"
#include "radio/ParameterExchange.h"

#include <chrono>
#include <string>
#include <vector>

namespace e2e {

// COM1 is the simulator's pty; every other port is missing.
class PtyPorts final : public platform::SerialPortProvider
{
public:
    explicit PtyPorts(std::string path) : m_path(std::move(path)) { }
    std::unique_ptr<platform::SerialPort> open(const std::string& name) override;

private:
    std::string m_path;
};

// A simulated radio and the exchange on the real serial layer, with fakes in place of the
// windows and the message dialogs.
struct ExchangeRig
{
    explicit ExchangeRig(std::vector<std::string> simArgs);

    bool running() const { return ui.isTimerActive(core::TimerId::RecCmd); }
    // Delivers one tick of each running command timer, send timer first.
    void tick();
    // The frames the simulator received as "<settings> <kind> <hex>", station number dropped.
    std::vector<std::string> frames() const;

    simtest::SimProcess sim;
    fakes::FakeUi ui;
    fakes::FakeDialogs dialogs;
    core::Language language;
    serial::SerialLink link;
    PtyPorts ports;
    serial::PortController controller;
    radio::ParameterExchange exchange;
};

// Ticks every rig at the given period until none is running (or the limit is reached); returns
// the number of ticks.
int runAll(
    const std::vector<ExchangeRig*>& rigs, std::chrono::microseconds period, int limit = 4000);

} // namespace e2e
