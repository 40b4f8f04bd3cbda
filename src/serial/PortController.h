#pragma once

#include "PortView.h"
#include "SerialLink.h"
#include "core/EventLoop.h"
#include "core/Language.h"
#include "core/StatusBar.h"
#include "core/Timer.h"
#include "platform/Dialogs.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace serial {

// Opening, configuring and closing the one serial port, from the port settings dialog and the
// close button, with the status panels 1 to 3 that show the link. The reopen timer ticks
// retryReopen.
class PortController
{
public:
    PortController(SerialLink& link, platform::SerialPortProvider& ports, PortView& view,
        core::Timer& reopenTimer, core::EventLoop& eventLoop, core::Timer& receivePoll,
        core::StatusBar& status, platform::Dialogs& dialogs, const core::Language& language);

    // The dialog's OK: open the chosen port and put the chosen speed and parity on it.
    void openFromDialog();
    // Puts the speed and parity of the link settings on the open port; false when refused
    // (the port is then closed).
    bool applyPortSettings();
    // Puts a new speed and parity into the link settings, the port dialog and the open port;
    // false when the port refused them (it is then closed).
    bool changeSerialMode(std::uint8_t speedIndex, std::uint8_t parityIndex);
    // The port for a Read or Write. With none chosen yet, the first name with a device behind it
    // that opens is taken, at 9600 bit/s without parity. False, after saying so, when no port
    // is open.
    bool findRadioPort();
    // The port dialog and status panel 1 show the link's port, speed and parity.
    void showLinkSettings();
    // Closes the open port; with no open port nothing at all happens.
    void closePort();
    // A close listener told of a vanished device puts the failure of what it ran first in the
    // message that names the port.
    void setGoneFirstLine(const std::string& english, const std::string& chinese);
    // The exit steps: the port is released and panel 3 says so; nothing running is asked to end,
    // since the process ends next.
    void closeForExit();

    // The port dialog is about to show: looks at the devices again and shows what stands
    // behind each name.
    void portDialogShown();
    // A serial device came or went. A device whose port was lost when it vanished and that is
    // back (the same device, under its old name) is opened again at the old speed and parity;
    // what ran on it when it went is not resumed. While it is back but does not open (another
    // program holds it, no permission yet), the reopen timer tries again every second and the
    // tooltip of status panel 3 says why.
    void devicesChanged();
    // The reopen timer's tick.
    void retryReopen();
    // The line under the port list shows the device of the selected entry.
    void showSelectedDevice();
    // Status panel 1: the port's name, with its device in the tooltip.
    void showPortInStatus();
    // A request to the radio takes the port for a while: the terminal's receive poll and auto
    // send pause, so that neither takes the answer nor puts data between request and answer.
    void pauseTerminal();
    // The receive poll runs again whenever a port is open; auto send resumes if its box is
    // checked.
    void resumeTerminal();

    // The port for one component's conversation with the radio (a Read or Write, a register
    // command): while it is held nobody else starts one, and whoever wants to know whether the
    // port is free asks the controller, not the other components. Returned when it goes.
    class Lease
    {
    public:
        Lease() = default;
        Lease(Lease&& other) noexcept : m_controller(std::exchange(other.m_controller, nullptr)) { }
        Lease& operator=(Lease&& other) noexcept;
        ~Lease();
        explicit operator bool() const { return m_controller != nullptr; }

    private:
        friend class PortController;
        explicit Lease(PortController* controller) : m_controller(controller) { }
        void release();

        PortController* m_controller = nullptr;
    };
    // The port's lease, or an empty one while another is held.
    [[nodiscard]] Lease lease();
    bool leased() const { return m_leased; }

    enum class CloseReason { Closed, DeviceGone };
    // Called after the port was closed by anyone, so that running work can end.
    using ClosedListener = std::function<void(CloseReason)>;

    // Holds a listener; it is removed when the subscription goes.
    class Subscription
    {
    public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept { *this = std::move(other); }
        Subscription& operator=(Subscription&& other) noexcept;
        ~Subscription();

    private:
        friend class PortController;
        Subscription(PortController* controller, int key) : m_controller(controller), m_key(key) { }

        PortController* m_controller = nullptr;
        int m_key = 0;
    };
    [[nodiscard]] Subscription subscribeClosed(ClosedListener listener);
    // Called when the terminal pauses for a request to the radio (true) and resumes (false).
    using PauseListener = std::function<void(bool paused)>;
    [[nodiscard]] Subscription subscribePaused(PauseListener listener);

private:
    // The dialog shows the link's port, and its speed and parity, so that its OK opens the port
    // as the link runs.
    void showPortInDialog();
    void showModeInDialog();
    // The port's device went (a pulled adapter), as the first call that met it found: from the
    // event loop, the port is closed as by the close button, whatever ran on it ends, and the
    // user is told once, in one message that names the port.
    void portGone();
    void closeGonePort(std::uint64_t generation);
    void showPortList();
    void reopenLostPort();
    void waitForLostPort(const std::string& why);
    void forgetLostPort();
    void closeSteps();
    void notifyClosed(CloseReason reason);
    void notifyPaused(bool paused);

    SerialLink& m_link;
    platform::SerialPortProvider& m_ports;
    PortView& m_view;
    core::Timer& m_reopenTimer;
    core::EventLoop& m_eventLoop;
    core::Timer& m_receivePoll; // the terminal's receive poll, which runs while a port is open
    core::StatusBar& m_status;
    platform::Dialogs& m_dialogs;
    const core::Language& m_language;
    std::vector<std::pair<int, ClosedListener>> m_listeners;
    std::vector<std::pair<int, PauseListener>> m_pauseListeners;
    // The port whose device went, until it is back or the user opens or closes a port.
    struct LostPort
    {
        std::uint8_t portNumber;
        platform::SerialDevice device;
        std::uint8_t speedIndex;
        std::uint8_t parityIndex;
    };
    std::optional<LostPort> m_lost;
    std::string m_waitingFor; // the reason last shown for a lost port that does not open
    int m_nextListenerKey = 0;
    std::string m_goneFirstLine[2]; // English, Chinese
    bool m_leased = false;
};

} // namespace serial
