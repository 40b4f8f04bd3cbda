#include "PortAssignment.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace {

bool namesDevice(const std::string& pin, const SerialDevice& device)
{
    return pin == device.path
        || std::find(device.links.begin(), device.links.end(), pin) != device.links.end();
}

// On-board ports come first, in kernel order; adapters follow by identity.
bool assignsBefore(const SerialDevice& a, const SerialDevice& b)
{
    const bool aOnBoard = a.kind == DeviceKind::OnBoard;
    const bool bOnBoard = b.kind == DeviceKind::OnBoard;
    if (aOnBoard != bOnBoard)
        return aOnBoard;
    if (aOnBoard)
        return kernelOrderLess(a.kernelName, b.kernelName);
    return a.identity < b.identity;
}

} // namespace

bool sameDevice(const SerialDevice& known, const SerialDevice& device)
{
    if (known.identity == device.identity)
        return true;
    return known.kind != DeviceKind::OnBoard && known.kind == device.kind
        && known.serialNumber.empty() && device.serialNumber.empty() && !known.vendorId.empty()
        && known.vendorId == device.vendorId && known.productId == device.productId
        && known.usbInterface == device.usbInterface;
}

bool kernelOrderLess(const std::string& a, const std::string& b)
{
    auto split = [](const std::string& name) {
        std::size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])))
            --digits;
        const std::string number = name.substr(digits);
        return std::make_pair(name.substr(0, digits), number.empty() ? -1 : std::stoi(number));
    };
    return split(a) < split(b);
}

bool isSerialPort(const SerialDevice& device)
{
    return device.kind != DeviceKind::OnBoard || device.hasHardware;
}

void PortAssignment::update(const std::vector<SerialDevice>& devices, const Pins& pins)
{
    std::vector<SerialDevice> unclaimed;
    for (const auto& device : devices) {
        if (isSerialPort(device))
            unclaimed.push_back(device);
    }
    auto take = [&unclaimed](auto matches) -> std::optional<SerialDevice> {
        const auto it = std::find_if(unclaimed.begin(), unclaimed.end(), matches);
        if (it == unclaimed.end())
            return std::nullopt;
        SerialDevice device = *it;
        unclaimed.erase(it);
        return device;
    };

    for (std::size_t i = 0; i < kPortCount; ++i) {
        if (pins[i].empty())
            continue;
        PortEntry& entry = m_entries[i];
        entry.pinned = true;
        // A pinned device that is not enumerated (a pty, say) may still be there: the open
        // decides.
        entry.present = true;
        entry.device
            = take([&pin = pins[i]](const SerialDevice& d) { return namesDevice(pin, d); });
        if (!entry.device) {
            entry.device.emplace();
            entry.device->path = pins[i];
            entry.device->identity = pins[i];
        }
    }
    for (auto& assigned : m_assigned) {
        if (!assigned.device)
            continue;
        const auto found = take([&identity = assigned.device->identity](
                                    const SerialDevice& d) { return d.identity == identity; });
        assigned.present = found.has_value();
        if (found)
            assigned.device = *found;
    }
    std::sort(unclaimed.begin(), unclaimed.end(), assignsBefore);
    // An adapter without a serial number that comes back in another socket takes the lowest
    // absent number of its make; only then do the others count as new.
    std::vector<SerialDevice> newcomers;
    for (const auto& device : unclaimed) {
        const auto back
            = std::find_if(m_assigned.begin(), m_assigned.end(), [&device](const PortEntry& e) {
                  return e.device && !e.present && sameDevice(*e.device, device);
              });
        if (back != m_assigned.end())
            *back = PortEntry {device, true, false};
        else
            newcomers.push_back(device);
    }
    // New devices take the numbers nobody had; once all are taken, those of absent devices.
    auto next = newcomers.begin();
    for (const bool reuse : {false, true}) {
        for (std::size_t i = 0; i < kPortCount && next != newcomers.end(); ++i) {
            const bool free = reuse ? !m_assigned[i].present : !m_assigned[i].device;
            if (free && pins[i].empty())
                m_assigned[i] = PortEntry {*next++, true, false};
        }
    }
    for (std::size_t i = 0; i < kPortCount; ++i) {
        if (pins[i].empty())
            m_entries[i] = m_assigned[i];
    }
}

PortEntry PortAssignment::entry(int number) const
{
    if (number < 1 || number > kPortCount)
        return {};
    return m_entries[static_cast<std::size_t>(number - 1)];
}

} // namespace platform
