#include "PortTargets.h"

#include "core/PrintableText.h"
#include "platform/PosixSerialPort.h"
#include "platform/PosixSerialPorts.h"
#include "serial/PortTexts.h"

#include <algorithm>
#include <filesystem>

namespace cli {

namespace {

// The path with its links followed as far as they exist.
std::string canonical(const std::string& path)
{
    std::error_code error;
    const auto resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

bool names(const platform::SerialDevice& device, const std::string& path)
{
    if (device.path == path || device.byId == path)
        return true;
    for (const std::string& link : device.links) {
        if (link == path)
            return true;
    }
    return canonical(device.path) == canonical(path);
}

const char* openErrorCode(platform::OpenError error)
{
    switch (error) {
    case platform::OpenError::NoDevice:
        return "no-device";
    case platform::OpenError::Busy:
        return "port-busy";
    case platform::OpenError::PermissionDenied:
        return "permission-denied";
    case platform::OpenError::NotSerial:
        return "not-serial";
    default:
        return "port-error";
    }
}

PortTarget deviceTarget(const std::string& name, const platform::SerialDevice& device)
{
    return {name, device.path, device.byId.empty() ? device.path : device.byId};
}

PortTarget comTarget(const platform::SerialPortProvider& ports, int number)
{
    const platform::PortEntry entry = ports.entry(number);
    if (!entry.device)
        return {"COM" + std::to_string(number), {}, {}};
    return deviceTarget("COM" + std::to_string(number), *entry.device);
}

} // namespace

std::vector<platform::SerialDevice> devicesBeyondComn(const platform::SerialPortProvider& ports)
{
    std::vector<std::string> numbered;
    bool allPinned = true;
    for (int number = 1; number <= platform::kPortCount; ++number) {
        const platform::PortEntry entry = ports.entry(number);
        allPinned = allPinned && entry.pinned;
        if (entry.device)
            numbered.push_back(entry.device->path);
    }
    std::vector<platform::SerialDevice> beyond;
    for (const platform::SerialDevice& device : ports.devices()) {
        if (!allPinned
            && std::find(numbered.begin(), numbered.end(), device.path) == numbered.end())
            beyond.push_back(device);
    }
    return beyond;
}

std::vector<PortTarget> resolvePorts(
    const platform::SerialPortProvider& ports, const std::optional<std::string>& port)
{
    std::vector<PortTarget> targets;
    if (!port) {
        for (int number = 1; number <= platform::kPortCount; ++number) {
            if (ports.entry(number).present)
                targets.push_back(comTarget(ports, number));
        }
        for (const platform::SerialDevice& device : devicesBeyondComn(ports))
            targets.push_back(deviceTarget(device.path, device));
        return targets;
    }
    if (const int number = platform::portNumberOfName(*port); number > 0)
        return {comTarget(ports, number)};
    const std::string path
        = port->find('/') == std::string::npos ? "/dev/serial/by-id/" + *port : *port;
    for (int number = 1; number <= platform::kPortCount; ++number) {
        const platform::PortEntry entry = ports.entry(number);
        if (entry.device && names(*entry.device, path))
            return {comTarget(ports, number)};
    }
    return {{path, path, path}};
}

std::vector<PortTarget> resolvePorts(
    const platform::SerialPortProvider& ports, const std::vector<std::string>& names)
{
    if (names.empty())
        return resolvePorts(ports, std::nullopt);
    std::vector<PortTarget> targets;
    for (const std::string& name : names) {
        PortTarget target = resolvePorts(ports, std::optional(name)).front();
        if (std::none_of(targets.begin(), targets.end(),
                [&](const PortTarget& other) { return other.name == target.name; }))
            targets.push_back(std::move(target));
    }
    return targets;
}

platform::OpenResult openTarget(platform::SerialPortProvider& ports, const PortTarget& target)
{
    if (platform::portNumberOfName(target.name) > 0)
        return ports.open(target.name);
    platform::OpenResult result;
    result.port = platform::PosixSerialPort::openDevice(target.name, &result);
    return result;
}

PortRun::PortRun(
    platform::SerialPortProvider& ports, const PortTarget& target, const core::Language& language)
    : m_target(target)
{
    m_result.port = target.name;
    m_result.device = target.device;
    m_result.identity = target.identity;
    platform::OpenResult opened = openTarget(ports, target);
    if (!opened.port) {
        m_result.outcome = Outcome::PortError;
        m_result.reasonCode = openErrorCode(opened.error);
        m_result.reason = serial::openFailureText(opened, core::printable(target.name), language);
        m_noDevice = opened.error == platform::OpenError::NoDevice;
        return;
    }
    m_link.handle.assign(std::move(opened.port));
    m_link.settings.portNumber = static_cast<std::uint8_t>(platform::portNumberOfName(target.name));
}

} // namespace cli
