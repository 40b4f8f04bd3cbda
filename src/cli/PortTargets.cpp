#include "PortTargets.h"

#include "platform/PosixSerialPort.h"

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

PortTarget comTarget(const platform::SerialPortProvider& ports, int number)
{
    const platform::PortEntry entry = ports.entry(number);
    return {"COM" + std::to_string(number), entry.device ? entry.device->path : std::string()};
}

} // namespace

std::vector<PortTarget> resolvePorts(
    const platform::SerialPortProvider& ports, const std::optional<std::string>& port)
{
    std::vector<PortTarget> targets;
    if (!port) {
        for (int number = 1; number <= platform::kPortCount; ++number) {
            if (ports.entry(number).present)
                targets.push_back(comTarget(ports, number));
        }
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
    return {{path, path}};
}

platform::OpenResult openTarget(platform::SerialPortProvider& ports, const PortTarget& target)
{
    if (platform::portNumberOfName(target.name) > 0)
        return ports.open(target.name);
    platform::OpenResult result;
    result.port = platform::PosixSerialPort::openDevice(target.name, &result);
    return result;
}

} // namespace cli
