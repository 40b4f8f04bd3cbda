#pragma once

#include "LinkTestReport.h"
#include "LinkTestView.h"
#include "core/Language.h"
#include "core/Timer.h"
#include "platform/Dialogs.h"
#include "platform/System.h"
#include "serial/PortController.h"
#include "serial/SerialLink.h"

#include <optional>
#include <span>
#include <string>

namespace linktest {

// The link test window's logic: runs a test on the open port against an echo station, holding
// the port's lease so the terminal neither takes the replies nor sends between the packets, and
// shows the chart and totals as intervals complete. Its timer ticks every few milliseconds while
// a test runs.
class LinkTestController
{
public:
    LinkTestController(serial::SerialLink& link, serial::PortController& portController,
        LinkTestView& view, core::Timer& timer, platform::Dialogs& dialogs,
        const platform::System& system, const core::Language& language);
    LinkTestController(const LinkTestController&) = delete;
    LinkTestController& operator=(const LinkTestController&) = delete;

    void toggleRun();
    // Ends a running test at once, as closing its window does.
    void end();
    void tick();
    void exportCsv();
    void exportChart();
    bool running() const { return m_lease ? true : false; }

private:
    void start();
    void finish(const std::string& why);
    void showTotals();
    void save(
        const std::string& caption, const char* extension, std::span<const std::uint8_t> bytes);

    serial::SerialLink& m_link;
    serial::PortController& m_portController;
    LinkTestView& m_view;
    core::Timer& m_timer;
    platform::Dialogs& m_dialogs;
    const platform::System& m_system;
    const core::Language& m_language;

    std::optional<LinkTest> m_test;
    RunClock m_clock;
    std::string m_port;
    std::string m_outgoing; // what the driver has not yet taken of the packet sent last
    std::int64_t m_shownAtMs = 0;
    serial::PortController::Lease m_lease;
    serial::PortController::Subscription m_closed;
};

} // namespace linktest
