#include "PortTexts.h"

namespace serial {

namespace {

std::string describe(const platform::SerialDevice& device, const core::Language& language)
{
    std::string description = device.description;
    if (description.empty()) {
        switch (device.kind) {
        case platform::DeviceKind::OnBoard:
            description = language.pick("on-board serial port", "板载串口");
            break;
        case platform::DeviceKind::Usb:
            description = language.pick("USB serial adapter", "USB 串口适配器");
            break;
        case platform::DeviceKind::Acm:
            description = language.pick("USB modem (ACM)", "USB 调制解调器 (ACM)");
            break;
        }
    }
    if (!device.serialNumber.empty())
        description += " (" + device.serialNumber + ")";
    return device.path + " — " + description;
}

std::string reason(
    const platform::OpenResult& result, const std::string& name, const core::Language& language)
{
    const std::string& device = result.device;
    switch (result.error) {
    case platform::OpenError::NoDevice:
        if (device.empty())
            return language.pick(
                "No device stands behind " + name + ".", name + " 没有对应的设备。");
        return language.pick("The device " + device + " of " + name + " is not present.",
            name + " 的设备 " + device + " 不存在。");
    case platform::OpenError::Busy:
        if (result.holderPid == 0) {
            return language.pick(
                device + " is in use by another program.", device + " 正被其他程序占用。");
        }
        return language.pick(device + " is in use by another program: " + result.holder
                + " (process " + std::to_string(result.holderPid) + ").",
            device + " 正被其他程序占用:" + result.holder + "(进程 "
                + std::to_string(result.holderPid) + ")。");
    case platform::OpenError::PermissionDenied:
        return language.pick("You may not open " + device
                + ". Your user must be in the dialout group:\n"
                  "    sudo usermod -aG dialout $USER\n"
                  "then log out and log in again.",
            "没有打开 " + device
                + " 的权限。当前用户须属于 dialout 组:\n"
                  "    sudo usermod -aG dialout $USER\n"
                  "然后注销并重新登录。");
    case platform::OpenError::NotSerial:
        return language.pick(device + " is not a serial device.", device + " 不是串口设备。");
    case platform::OpenError::Other:
        return device + ": " + result.detail;
    case platform::OpenError::None:
        break;
    }
    return {};
}

} // namespace

std::string deviceLine(const platform::PortEntry& entry, int number, const core::Language& language)
{
    const std::string none = language.pick("no device", "无设备");
    if (!entry.device)
        return none;
    const platform::SerialDevice& device = *entry.device;
    if (entry.pinned) {
        const std::string pin = " (RADIOMODEM_COM" + std::to_string(number) + ")";
        // A pinned device that is not enumerated is known by its path alone.
        return (device.kernelName.empty() ? device.path : describe(device, language)) + pin;
    }
    if (!entry.present) {
        return language.pick(none + " (" + describe(device, language) + " unplugged)",
            none + "(" + describe(device, language) + " 已拔出)");
    }
    return describe(device, language);
}

std::string deviceToolTip(
    const platform::PortEntry& entry, int number, const core::Language& language)
{
    std::string tip = deviceLine(entry, number, language);
    if (!entry.device)
        return tip;
    if (!entry.device->byId.empty())
        tip += "\n" + entry.device->byId;
    if (!entry.device->vendorId.empty())
        tip += "\nUSB " + entry.device->vendorId + ":" + entry.device->productId;
    return tip;
}

std::string openFailureText(
    const platform::OpenResult& result, const std::string& name, const core::Language& language)
{
    const std::string first = language.pick("Port open error!", "打开通讯端口错误!");
    const std::string why = reason(result, name, language);
    return why.empty() ? first : first + "\n" + why;
}

} // namespace serial
