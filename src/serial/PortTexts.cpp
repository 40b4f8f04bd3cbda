#include "PortTexts.h"

#include "core/PrintableText.h"

namespace serial {

namespace {

using core::printable;

std::string describe(const platform::SerialDevice& device, const core::Language& language)
{
    std::string description = printable(device.description);
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
        description += " (" + printable(device.serialNumber) + ")";
    return printable(device.path) + " — " + description;
}

// The group that may use the device, and the command that lets the user in. Joining root's
// group is no remedy: such a device is handed to the user until it is unplugged.
struct Permission
{
    std::string group;
    std::string command;
};

Permission permissionFor(const platform::OpenFailure& failure)
{
    const std::string group = failure.group.empty() ? "dialout" : printable(failure.group);
    if (group == "root")
        return {group, "sudo chown $USER " + printable(failure.device)};
    return {group, "sudo usermod -aG " + group + " $USER"};
}

std::string reason(
    const platform::OpenFailure& result, const std::string& name, const core::Language& language)
{
    const std::string device = printable(result.device);
    switch (result.error) {
    case platform::OpenError::NoDevice:
        if (device.empty())
            return language.pick(
                "No device stands behind " + name + ".", name + " 没有对应的设备。");
        return language.pick("The device " + device + " of " + name + " is not present.",
            name + " 的设备 " + device + " 不存在。");
    case platform::OpenError::Busy: {
        if (result.holderPid != 0) {
            const std::string holder = printable(result.holder);
            return language.pick(device + " is in use by another program: " + holder + " (process "
                    + std::to_string(result.holderPid) + ").",
                device + " 正被其他程序占用:" + holder + "(进程 " + std::to_string(result.holderPid)
                    + ")。");
        }
        const std::string check = result.holdersHidden
            ? language.pick(" To list every program that has it open:\n    sudo fuser -v ",
                  "列出打开该设备的所有程序:\n    sudo fuser -v ")
                + device
            : "";
        // Nobody this program can see holds it: say what is known, and no more.
        if (result.markedExclusive) {
            return language.pick(device
                    + " is marked for exclusive use, but no process this program can see holds "
                      "it: a program that ended without releasing it, or a program of another "
                      "user."
                    + check,
                device
                    + " 被标记为独占,但本程序看不到占用它的进程:可能是退出时未释放它的程序,"
                      "或其他用户的程序。"
                    + check);
        }
        if (result.holdersHidden) {
            return language.pick(device
                    + " is in use by a program this program cannot see, one of another user."
                    + check,
                device + " 正被本程序看不到的程序(其他用户的程序)占用。" + check);
        }
        return language.pick(
            device + " is in use by another program.", device + " 正被其他程序占用。");
    }
    case platform::OpenError::PermissionDenied: {
        const Permission permission = permissionFor(result);
        if (permission.group == "root") {
            return language.pick("You may not open " + device
                    + ": only root may. Until it is unplugged, give it to your user:\n    "
                    + permission.command,
                "没有打开 " + device
                    + " 的权限:只有 root 可以打开。拔出之前可将它交给当前用户:\n    "
                    + permission.command);
        }
        return language.pick("You may not open " + device + ". Your user must be in the "
                + permission.group + " group:\n    " + permission.command
                + "\nthen log out and log in again.",
            "没有打开 " + device + " 的权限。当前用户须属于 " + permission.group + " 组:\n    "
                + permission.command + "\n然后注销并重新登录。");
    }
    case platform::OpenError::NotSerial:
        return language.pick(device + " is not a serial device.", device + " 不是串口设备。");
    case platform::OpenError::Other:
        return device + ": " + result.detail;
    case platform::OpenError::None:
        break;
    }
    return {};
}

// One line of "No idle Port!": the port, its device and why it was refused, briefly.
std::string refusalLine(
    int number, const platform::OpenFailure& failure, const core::Language& language)
{
    std::string line = "COM" + std::to_string(number);
    if (!failure.device.empty())
        line += " " + printable(failure.device);
    line += ": ";
    switch (failure.error) {
    case platform::OpenError::NoDevice:
        return line + language.pick("no device", "无设备");
    case platform::OpenError::Busy:
        line += language.pick("busy", "被占用");
        if (failure.holderPid != 0) {
            const std::string holder = printable(failure.holder);
            line += language.pick(", " + holder + " (process ", "," + holder + "(进程 ")
                + std::to_string(failure.holderPid) + language.pick(")", ")");
        } else if (failure.markedExclusive) {
            line += language.pick(
                ", marked exclusive, no visible holder", ",标记为独占,看不到占用者");
        } else if (failure.holdersHidden) {
            line += language.pick(
                ", holder not visible (another user's?)", ",看不到占用者(其他用户的程序?)");
        }
        return line;
    case platform::OpenError::PermissionDenied: {
        const Permission permission = permissionFor(failure);
        if (permission.group == "root") {
            return line + language.pick("no permission (root only: ", "无权限(仅 root:")
                + permission.command + language.pick(")", ")");
        }
        return line
            + language.pick("no permission (group " + permission.group + ": ",
                "无权限(" + permission.group + " 组:")
            + permission.command + language.pick(")", ")");
    }
    case platform::OpenError::NotSerial:
        return line + language.pick("not a serial device", "不是串口设备");
    case platform::OpenError::Other:
        return line + failure.detail;
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
        return (device.kernelName.empty() ? printable(device.path) : describe(device, language))
            + pin;
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
        tip += "\n" + printable(entry.device->byId);
    if (!entry.device->vendorId.empty()) {
        tip += "\nUSB " + printable(entry.device->vendorId) + ":"
            + printable(entry.device->productId);
    }
    return tip;
}

std::string openFailureText(
    const platform::OpenResult& result, const std::string& name, const core::Language& language)
{
    const std::string first = language.pick("Port open error!", "打开通讯端口错误!");
    const std::string why = reason(result, name, language);
    return why.empty() ? first : first + "\n" + why;
}

std::string reopenWaitText(
    const platform::OpenFailure& failure, const std::string& name, const core::Language& language)
{
    return language.pick(name + " is back but does not open; trying again every second.\n",
               name + " 已插回但无法打开,每秒重试。\n")
        + reason(failure, name, language);
}

std::string noIdlePortText(
    const platform::SerialPortProvider& ports, const core::Language& language)
{
    std::string text = language.pick("No idle Port!", "无空闲端口!");
    bool anyDevice = false;
    for (int number = 1; number <= platform::kPortCount; ++number) {
        const platform::PortEntry entry = ports.entry(number);
        if (!entry.device)
            continue;
        anyDevice = true;
        platform::OpenFailure failure;
        if (entry.present) {
            failure = ports.lastFailure(number);
        } else {
            failure.error = platform::OpenError::NoDevice;
            failure.device = entry.device->path;
        }
        if (failure.error != platform::OpenError::None)
            text += "\n" + refusalLine(number, failure, language);
    }
    if (!anyDevice)
        text += language.pick("\nCOM1 to COM8: no device", "\nCOM1 至 COM8: 无设备");
    return text;
}

} // namespace serial
