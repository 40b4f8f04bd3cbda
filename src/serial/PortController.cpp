#include "PortController.h"

#include "PortTexts.h"
#include "platform/PortAssignment.h"

#include <utility>

namespace serial {

PortController::PortController(SerialLink& link, platform::SerialPortProvider& ports,
    PortView& view, core::Timer& reopenTimer, core::EventLoop& eventLoop, core::Timer& receivePoll,
    core::StatusBar& status, platform::Dialogs& dialogs, const core::Language& language)
    : m_link(link),
      m_ports(ports),
      m_view(view),
      m_reopenTimer(reopenTimer),
      m_eventLoop(eventLoop),
      m_receivePoll(receivePoll),
      m_status(status),
      m_dialogs(dialogs),
      m_language(language)
{
    m_link.handle.setGoneHandler([this] { portGone(); });
}

void PortController::openFromDialog()
{
    const std::string name = portNameForListIndex(m_view.chosenPort());
    // A device that went since the port was opened: what ran on it ends as with a pulled
    // adapter; whether the chosen port opens now is what the user learns next.
    if (m_link.handle.isValid() && m_link.handle.port().isGone()) {
        closeSteps();
        notifyClosed(CloseReason::DeviceGone);
    }
    forgetLostPort();
    if (m_link.settings.portNumber >= 1 && m_link.settings.portNumber <= 8
        && m_link.handle.isValid()) {
        m_link.handle.port().purge(platform::PurgeTxAbort | platform::PurgeRxAbort
            | platform::PurgeTxClear | platform::PurgeRxClear);
        m_link.handle.close();
        // Whatever ran on the old port ends here, before the new one takes over.
        notifyClosed(CloseReason::Closed);
    }
    platform::OpenResult opened = m_ports.open(name);
    m_link.handle.assign(std::move(opened.port));
    m_link.settings.portNumber = static_cast<std::uint8_t>(name[3] - '0');
    if (!m_link.handle.isValid()) {
        m_dialogs.messageBox(
            openFailureText(opened, name, m_language), "CommError", platform::MessageButtons::Ok);
        return;
    }
    m_receivePoll.start();
    m_status.setText(core::StatusPanel::Connection, m_language.pick("Connect...", "连接中..."));
    const int speed = m_view.chosenSpeed();
    m_link.settings.speedIndex = speed < 0 ? 255 : static_cast<std::uint8_t>(speed);
    m_link.settings.parityIndex = static_cast<std::uint8_t>(m_view.chosenParity());
    applyPortSettings();
    m_view.closeDialog();
}

bool PortController::applyPortSettings()
{
    if (!m_link.handle.isValid())
        return false;
    showPortInStatus();
    m_status.setText(core::StatusPanel::SerialMode,
        settingsText(m_link.settings.speedIndex, m_link.settings.parityIndex));
    if (applyLinkSettings(m_link))
        return true;
    if (m_language.isEnglish())
        m_dialogs.messageBox("Port open error!", "CommError", platform::MessageButtons::Ok);
    else
        m_dialogs.messageBox("通讯端口设置错误!", "Set_Error", platform::MessageButtons::Ok);
    m_link.handle.close();
    forgetLostPort();
    notifyClosed(CloseReason::Closed);
    return false;
}

bool PortController::changeSerialMode(std::uint8_t speedIndex, std::uint8_t parityIndex)
{
    m_link.settings.speedIndex = speedIndex;
    m_link.settings.parityIndex = parityIndex;
    showModeInDialog();
    return applyPortSettings();
}

bool PortController::findRadioPort()
{
    auto& settings = m_link.settings;
    if (settings.portNumber == 0 || settings.portNumber > 8) {
        m_ports.refresh();
        for (std::uint8_t number = 1; number <= platform::kPortCount; ++number) {
            if (!m_ports.entry(number).present)
                continue;
            if (auto opened = m_ports.open("COM" + std::to_string(number)); opened.port) {
                m_link.handle.assign(std::move(opened.port));
                settings.portNumber = number;
                settings.speedIndex = 1;
                settings.parityIndex = 0;
                break;
            }
        }
    }
    if (m_link.handle.isValid())
        return true;
    m_dialogs.messageBox(
        noIdlePortText(m_ports, m_language), "CommError", platform::MessageButtons::Ok);
    return false;
}

void PortController::showLinkSettings()
{
    showPortInDialog();
    showModeInDialog();
    showPortInStatus();
}

void PortController::closePort()
{
    forgetLostPort();
    if (!m_link.handle.isValid())
        return;
    closeSteps();
    notifyClosed(CloseReason::Closed);
}

void PortController::portGone()
{
    const std::uint64_t generation = m_link.handle.generation();
    m_eventLoop.post([this, generation] { closeGonePort(generation); });
}

void PortController::setGoneFirstLine(const std::string& english, const std::string& chinese)
{
    m_goneFirstLine[0] = english;
    m_goneFirstLine[1] = chinese;
}

void PortController::closeGonePort(std::uint64_t generation)
{
    // The port may have been closed or replaced meanwhile; then it is no concern here.
    if (!m_link.handle.isValid() || m_link.handle.generation() != generation)
        return;
    const std::string name = "COM" + std::to_string(m_link.settings.portNumber);
    const auto& settings = m_link.settings;
    if (const platform::PortEntry entry = m_ports.entry(settings.portNumber); entry.device) {
        m_lost = LostPort {
            settings.portNumber, *entry.device, settings.speedIndex, settings.parityIndex};
    }
    closeSteps();
    m_goneFirstLine[0].clear();
    m_goneFirstLine[1].clear();
    notifyClosed(CloseReason::DeviceGone);
    const std::string english
        = name + ": the port's device is gone (unplugged?); the port has been closed.";
    const std::string chinese = name + ": 通讯端口设备已断开(已拔出?),端口已关闭。";
    const std::string& first = m_goneFirstLine[m_language.isEnglish() ? 0 : 1];
    const std::string& text = m_language.isEnglish() ? english : chinese;
    m_dialogs.messageBox(
        first.empty() ? text : first + "\n" + text, "CommError", platform::MessageButtons::Ok);
    // The adapter may be back already, its notice taken while the message was up.
    m_ports.refresh();
    reopenLostPort();
}

void PortController::closeForExit()
{
    if (m_link.handle.isValid())
        closeSteps();
}

void PortController::closeSteps()
{
    m_link.handle.close();
    m_link.settings.portNumber = 0;
    m_status.setText(core::StatusPanel::Connection, m_language.pick("Disconnect", "已断开"));
    m_receivePoll.stop();
}

void PortController::portDialogShown()
{
    m_ports.refresh();
    showPortList();
}

void PortController::devicesChanged()
{
    if (m_ports.refresh())
        showPortList();
    reopenLostPort();
}

void PortController::retryReopen()
{
    reopenLostPort();
}

void PortController::reopenLostPort()
{
    if (!m_lost || m_link.handle.isValid())
        return;
    const platform::PortEntry entry = m_ports.entry(m_lost->portNumber);
    // Not back (yet): the hot-plug notice that it came brings it here again.
    if (!entry.present || !entry.device || !platform::sameDevice(m_lost->device, *entry.device)) {
        waitForLostPort({});
        return;
    }
    const std::string name = "COM" + std::to_string(m_lost->portNumber);
    platform::OpenResult opened = m_ports.open(name);
    if (!opened.port) {
        waitForLostPort(reopenWaitText(opened, name, m_language));
        return;
    }
    const LostPort lost = *m_lost;
    forgetLostPort();
    m_link.handle.assign(std::move(opened.port));
    m_link.settings.portNumber = lost.portNumber;
    m_link.settings.speedIndex = lost.speedIndex;
    m_link.settings.parityIndex = lost.parityIndex;
    showPortInDialog();
    m_receivePoll.start();
    m_status.setText(core::StatusPanel::Connection, m_language.pick("Connect...", "连接中..."));
    applyPortSettings();
}

// An empty reason: the device is not there, and only its return is waited for.
void PortController::waitForLostPort(const std::string& why)
{
    if (why.empty())
        m_reopenTimer.stop();
    else if (!m_reopenTimer.isActive())
        m_reopenTimer.start();
    if (why != m_waitingFor) {
        m_waitingFor = why;
        m_status.setTip(core::StatusPanel::Connection, why);
    }
}

void PortController::forgetLostPort()
{
    if (!m_lost)
        return;
    m_lost.reset();
    waitForLostPort({});
}

void PortController::showPortList()
{
    for (int number = 1; number <= platform::kPortCount; ++number) {
        m_view.showPortTip(number - 1, deviceToolTip(m_ports.entry(number), number, m_language));
    }
    showSelectedDevice();
}

void PortController::showSelectedDevice()
{
    const int number = m_view.chosenPort() + 1;
    m_view.showChosenDevice(deviceLine(m_ports.entry(number), number, m_language));
}

void PortController::showPortInStatus()
{
    const int number = m_link.settings.portNumber;
    m_status.setText(core::StatusPanel::Port, m_view.portName());
    m_status.setTip(core::StatusPanel::Port, deviceLine(m_ports.entry(number), number, m_language));
}

void PortController::showPortInDialog()
{
    m_view.choosePort(m_link.settings.portNumber - 1);
}

void PortController::showModeInDialog()
{
    m_view.chooseSpeedAndParity(m_link.settings.speedIndex, m_link.settings.parityIndex);
}

PortController::Subscription PortController::subscribeClosed(ClosedListener listener)
{
    m_listeners.emplace_back(++m_nextListenerKey, std::move(listener));
    return Subscription(this, m_nextListenerKey);
}

PortController::Subscription PortController::subscribePaused(PauseListener listener)
{
    m_pauseListeners.emplace_back(++m_nextListenerKey, std::move(listener));
    return Subscription(this, m_nextListenerKey);
}

PortController::Subscription& PortController::Subscription::operator=(Subscription&& other) noexcept
{
    if (this != &other) {
        this->~Subscription();
        m_controller = std::exchange(other.m_controller, nullptr);
        m_key = other.m_key;
    }
    return *this;
}

PortController::Subscription::~Subscription()
{
    if (m_controller) {
        const auto keyed = [key = m_key](const auto& entry) { return entry.first == key; };
        std::erase_if(m_controller->m_listeners, keyed);
        std::erase_if(m_controller->m_pauseListeners, keyed);
    }
    m_controller = nullptr;
}

void PortController::notifyClosed(CloseReason reason)
{
    // A copy: a listener may remove itself.
    const auto listeners = m_listeners;
    for (const auto& [key, listener] : listeners)
        listener(reason);
}

void PortController::notifyPaused(bool paused)
{
    const auto listeners = m_pauseListeners;
    for (const auto& [key, listener] : listeners)
        listener(paused);
}

PortController::Lease PortController::lease()
{
    if (m_leased)
        return {};
    m_leased = true;
    return Lease(this);
}

PortController::Lease& PortController::Lease::operator=(Lease&& other) noexcept
{
    if (this != &other) {
        release();
        m_controller = std::exchange(other.m_controller, nullptr);
    }
    return *this;
}

PortController::Lease::~Lease()
{
    release();
}

void PortController::Lease::release()
{
    if (m_controller)
        m_controller->m_leased = false;
}

void PortController::pauseTerminal()
{
    m_receivePoll.stop();
    notifyPaused(true);
}

void PortController::resumeTerminal()
{
    if (m_link.handle.isValid())
        m_receivePoll.start();
    else
        m_receivePoll.stop();
    notifyPaused(false);
}

} // namespace serial
