#include "UdevPortEnumerator.h"

#include <libudev.h>

#include <cstring>
#include <unistd.h>

namespace platform {

namespace {

std::string orEmpty(const char* text)
{
    return text ? std::string(text) : std::string();
}

std::string property(udev_device* device, const char* name)
{
    return orEmpty(udev_device_get_property_value(device, name));
}

std::string attribute(udev_device* device, const char* name)
{
    return device ? orEmpty(udev_device_get_sysattr_value(device, name)) : std::string();
}

// udev's *_ENC values keep the product's own spelling with \xNN escapes for spaces and the like.
std::string decodeEscapes(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string firstOf(std::initializer_list<std::string> candidates)
{
    for (const auto& candidate : candidates) {
        if (!candidate.empty())
            return candidate;
    }
    return {};
}

void describeUsb(udev_device* tty, udev_device* usb, SerialDevice& device)
{
    device.kind = device.kernelName.rfind("ttyACM", 0) == 0 ? DeviceKind::Acm : DeviceKind::Usb;
    device.vendorId = firstOf({property(tty, "ID_VENDOR_ID"), attribute(usb, "idVendor")});
    device.productId = firstOf({property(tty, "ID_MODEL_ID"), attribute(usb, "idProduct")});
    device.serialNumber = firstOf({property(tty, "ID_SERIAL_SHORT"), attribute(usb, "serial")});
    device.description = firstOf({decodeEscapes(property(tty, "ID_MODEL_ENC")),
        attribute(usb, "product"), property(tty, "ID_MODEL_FROM_DATABASE")});
    udev_device* interface = udev_device_get_parent_with_subsystem_devtype(
        tty, "usb", "usb_interface");
    device.usbInterface = "if" + attribute(interface, "bInterfaceNumber");
    // A chip with several ports on one interface numbers them.
    if (const std::string port = attribute(udev_device_get_parent(tty), "port_number");
        !port.empty() && port != "0")
        device.usbInterface += "-port" + port;
    // Two identical adapters without serial numbers are told apart by the socket they are in.
    const std::string place = device.serialNumber.empty()
        ? "-at-" + firstOf({property(tty, "ID_PATH"), orEmpty(udev_device_get_devpath(usb))})
        : "-" + device.serialNumber;
    device.identity
        = "usb-" + device.vendorId + ":" + device.productId + place + "-" + device.usbInterface;
}

} // namespace

bool udevRuns()
{
    return ::access("/run/udev/control", F_OK) == 0;
}

UdevPortEnumerator::UdevPortEnumerator(Notices notices, const std::string& devices)
    : m_udev(udev_new())
{
    if (notices == Notices::DeviceFolder || (notices == Notices::Auto && !udevRuns())) {
        m_folderWatch = std::make_unique<DirectoryWatch>(devices);
        return;
    }
    if (!m_udev)
        return;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor
        && (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "tty", nullptr) < 0
            || udev_monitor_enable_receiving(m_monitor) < 0)) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }
}

UdevPortEnumerator::~UdevPortEnumerator()
{
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

std::vector<SerialDevice> UdevPortEnumerator::devices()
{
    std::vector<SerialDevice> found;
    if (!m_udev)
        return found;
    udev_enumerate* enumerate = udev_enumerate_new(m_udev);
    udev_enumerate_add_match_subsystem(enumerate, "tty");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate))
    {
        const char* syspath = udev_list_entry_get_name(entry);
        // Consoles, ptys and the like have no device of their own behind them.
        if (std::strstr(syspath, "/devices/virtual/"))
            continue;
        udev_device* tty = udev_device_new_from_syspath(m_udev, syspath);
        if (!tty)
            continue;
        if (const char* node = udev_device_get_devnode(tty)) {
            SerialDevice device;
            device.path = node;
            device.kernelName = orEmpty(udev_device_get_sysname(tty));
            udev_list_entry* link = nullptr;
            udev_list_entry_foreach(link, udev_device_get_devlinks_list_entry(tty))
            {
                device.links.emplace_back(udev_list_entry_get_name(link));
                if (device.links.back().rfind("/dev/serial/by-id/", 0) == 0)
                    device.byId = device.links.back();
            }
            if (udev_device* usb
                = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device")) {
                describeUsb(tty, usb, device);
            } else {
                // The kernel makes ttyS nodes for UARTs that may not exist; their type is 0
                // (no UART found).
                device.hasHardware = attribute(tty, "type") != "0";
                device.identity = "onboard-" + device.kernelName;
            }
            found.push_back(std::move(device));
        }
        udev_device_unref(tty);
    }
    udev_enumerate_unref(enumerate);
    return found;
}

int UdevPortEnumerator::monitorFd() const
{
    if (m_folderWatch)
        return m_folderWatch->fd();
    return m_monitor ? udev_monitor_get_fd(m_monitor) : -1;
}

void UdevPortEnumerator::drainNotices()
{
    if (m_folderWatch)
        m_folderWatch->drain();
    if (!m_monitor)
        return;
    while (udev_device* device = udev_monitor_receive_device(m_monitor))
        udev_device_unref(device);
}

} // namespace platform
