#include "serial/PortTexts.h"
#include "FakeSerialPort.h"

#include <gtest/gtest.h>

using platform::DeviceKind;
using platform::OpenError;
using platform::PortEntry;
using platform::SerialDevice;

namespace {

SerialDevice device(const std::string& path, DeviceKind kind, const std::string& description = {},
    const std::string& serial = {})
{
    SerialDevice d;
    d.path = path;
    d.kernelName = path.substr(path.rfind('/') + 1);
    d.identity = path;
    d.kind = kind;
    d.description = description;
    d.serialNumber = serial;
    return d;
}

// A device known by its path alone, as a pin to a pty is.
SerialDevice pathOnly(const std::string& path)
{
    SerialDevice d;
    d.path = path;
    return d;
}

struct LineCase
{
    PortEntry entry;
    const char* english;
    const char* chinese;
};

struct FailureCase
{
    platform::OpenResult result;
    const char* english;
    const char* chinese;
};

platform::OpenResult failure(OpenError error, const std::string& device,
    const std::string& holder = {}, int pid = 0, const std::string& detail = {})
{
    platform::OpenResult result;
    result.error = error;
    result.device = device;
    result.holder = holder;
    result.holderPid = pid;
    result.detail = detail;
    return result;
}

platform::OpenResult forbidden(const std::string& device, const std::string& group)
{
    platform::OpenResult result = failure(OpenError::PermissionDenied, device);
    result.group = group;
    return result;
}

// Busy with no holder in sight: the port marked exclusive or not, other users' processes hidden.
platform::OpenResult busyUnseen(const std::string& device, bool exclusive)
{
    platform::OpenResult result = failure(OpenError::Busy, device);
    result.markedExclusive = exclusive;
    result.holdersHidden = true;
    return result;
}

} // namespace

TEST(PortTexts, deviceLineInBothLanguages)
{
    const LineCase cases[] = {
        {{device("/dev/ttyUSB0", DeviceKind::Usb, "FT232R USB UART", "A50285BI"), true, false},
            "/dev/ttyUSB0 — FT232R USB UART (A50285BI)",
            "/dev/ttyUSB0 — FT232R USB UART (A50285BI)"},
        {{device("/dev/ttyS0", DeviceKind::OnBoard), true, false},
            "/dev/ttyS0 — on-board serial port", "/dev/ttyS0 — 板载串口"},
        {{device("/dev/ttyACM0", DeviceKind::Acm), true, false}, "/dev/ttyACM0 — USB modem (ACM)",
            "/dev/ttyACM0 — USB 调制解调器 (ACM)"},
        {{device("/dev/ttyUSB1", DeviceKind::Usb), true, false},
            "/dev/ttyUSB1 — USB serial adapter", "/dev/ttyUSB1 — USB 串口适配器"},
        {{device("/dev/ttyUSB0", DeviceKind::Usb, "CP2102"), false, false},
            "no device (/dev/ttyUSB0 — CP2102 unplugged)", "无设备(/dev/ttyUSB0 — CP2102 已拔出)"},
        {{pathOnly("/tmp/radio1"), true, true}, "/tmp/radio1 (RADIOMODEM_COM3)",
            "/tmp/radio1 (RADIOMODEM_COM3)"},
        {{device("/dev/ttyUSB0", DeviceKind::Usb, "CP2102"), true, true},
            "/dev/ttyUSB0 — CP2102 (RADIOMODEM_COM3)", "/dev/ttyUSB0 — CP2102 (RADIOMODEM_COM3)"},
        {{}, "no device", "无设备"},
    };
    core::Language english {1};
    core::Language chinese {0};
    for (const auto& c : cases) {
        EXPECT_EQ(serial::deviceLine(c.entry, 3, english), c.english);
        EXPECT_EQ(serial::deviceLine(c.entry, 3, chinese), c.chinese);
    }
}

TEST(PortTexts, openFailureNamesTheReasonUnderTheFirstLine)
{
    const FailureCase cases[] = {
        {failure(OpenError::NoDevice, ""), "Port open error!\nNo device stands behind COM5.",
            "打开通讯端口错误!\nCOM5 没有对应的设备。"},
        {failure(OpenError::NoDevice, "/dev/ttyUSB0"),
            "Port open error!\nThe device /dev/ttyUSB0 of COM5 is not present.",
            "打开通讯端口错误!\nCOM5 的设备 /dev/ttyUSB0 不存在。"},
        {failure(OpenError::Busy, "/dev/ttyUSB0", "minicom", 4242),
            "Port open error!\n/dev/ttyUSB0 is in use by another program: minicom (process 4242).",
            "打开通讯端口错误!\n/dev/ttyUSB0 正被其他程序占用:minicom(进程 4242)。"},
        {failure(OpenError::Busy, "/dev/ttyUSB0"),
            "Port open error!\n/dev/ttyUSB0 is in use by another program.",
            "打开通讯端口错误!\n/dev/ttyUSB0 正被其他程序占用。"},
        {busyUnseen("/dev/pts/3", true),
            "Port open error!\n/dev/pts/3 is marked for exclusive use, but no process this "
            "program can see holds it: a program that ended without releasing it, or a program "
            "of another user. To list every program that has it open:\n    sudo fuser -v "
            "/dev/pts/3",
            "打开通讯端口错误!\n/dev/pts/3 被标记为独占,但本程序看不到占用它的进程:可能是退出时"
            "未释放它的程序,或其他用户的程序。列出打开该设备的所有程序:\n    sudo fuser -v "
            "/dev/pts/3"},
        {busyUnseen("/dev/ttyUSB0", false),
            "Port open error!\n/dev/ttyUSB0 is in use by a program this program cannot see, one "
            "of another user. To list every program that has it open:\n    sudo fuser -v "
            "/dev/ttyUSB0",
            "打开通讯端口错误!\n/dev/ttyUSB0 正被本程序看不到的程序(其他用户的程序)占用。列出"
            "打开该设备的所有程序:\n    sudo fuser -v /dev/ttyUSB0"},
        // Names from the environment, udev and /proc reach the screen escaped.
        {failure(OpenError::Busy, "/dev/x\x1b]0;t\x07\xff", "ev\x1b[2Jil", 7),
            "Port open error!\n/dev/x\\x1b]0;t\\x07\\xff is in use by another program: "
            "ev\\x1b[2Jil (process 7).",
            "打开通讯端口错误!\n/dev/x\\x1b]0;t\\x07\\xff 正被其他程序占用:ev\\x1b[2Jil(进程 7)。"},
        {forbidden("/dev/ttyACM0", "dialout"),
            "Port open error!\nYou may not open /dev/ttyACM0. Your user must be in the dialout "
            "group:\n    sudo usermod -aG dialout $USER\nthen log out and log in again.",
            "打开通讯端口错误!\n没有打开 /dev/ttyACM0 的权限。当前用户须属于 dialout 组:\n"
            "    sudo usermod -aG dialout $USER\n然后注销并重新登录。"},
        {forbidden("/dev/ttyS0", "uucp"),
            "Port open error!\nYou may not open /dev/ttyS0. Your user must be in the uucp "
            "group:\n    sudo usermod -aG uucp $USER\nthen log out and log in again.",
            "打开通讯端口错误!\n没有打开 /dev/ttyS0 的权限。当前用户须属于 uucp 组:\n"
            "    sudo usermod -aG uucp $USER\n然后注销并重新登录。"},
        {forbidden("/dev/ttyUSB0", "root"),
            "Port open error!\nYou may not open /dev/ttyUSB0: only root may. Until it is "
            "unplugged, give it to your user:\n    sudo chown $USER /dev/ttyUSB0",
            "打开通讯端口错误!\n没有打开 /dev/ttyUSB0 的权限:只有 root 可以打开。拔出之前可将它交给"
            "当前用户:\n    sudo chown $USER /dev/ttyUSB0"},
        {failure(OpenError::NotSerial, "/dev/null"),
            "Port open error!\n/dev/null is not a serial device.",
            "打开通讯端口错误!\n/dev/null 不是串口设备。"},
        {failure(OpenError::Other, "/dev/ttyS0", {}, 0, "Input/output error"),
            "Port open error!\n/dev/ttyS0: Input/output error",
            "打开通讯端口错误!\n/dev/ttyS0: Input/output error"},
    };
    core::Language english {1};
    core::Language chinese {0};
    for (const auto& c : cases) {
        EXPECT_EQ(serial::openFailureText(c.result, "COM5", english), c.english);
        EXPECT_EQ(serial::openFailureText(c.result, "COM5", chinese), c.chinese);
    }
}

TEST(PortTexts, noIdlePortNamesEachPortWithADeviceAndWhyItWasRefused)
{
    fakes::FakeSerialPorts ports;
    core::Language english {1};
    core::Language chinese {0};
    EXPECT_EQ(serial::noIdlePortText(ports, english), "No idle Port!\nCOM1 to COM8: no device");
    EXPECT_EQ(serial::noIdlePortText(ports, chinese), "无空闲端口!\nCOM1 至 COM8: 无设备");

    auto busy = ports.add("COM1");
    busy->refuseOpen = OpenError::Busy;
    busy->holder = "socat";
    busy->holderPid = 4242;
    auto gone = ports.add("COM2");
    gone->vanished = true;
    auto forbiddenPort = ports.add("COM4");
    forbiddenPort->refuseOpen = OpenError::PermissionDenied;
    auto rootOnly = ports.add("COM5");
    rootOnly->refuseOpen = OpenError::PermissionDenied;
    rootOnly->group = "root";
    for (const char* name : {"COM1", "COM4", "COM5"})
        ports.open(name);
    EXPECT_EQ(serial::noIdlePortText(ports, english),
        "No idle Port!\nCOM1 /dev/ttyFAKE1: busy, socat (process 4242)\n"
        "COM2 /dev/ttyFAKE2: no device\n"
        "COM4 /dev/ttyFAKE4: no permission (group dialout: sudo usermod -aG dialout $USER)\n"
        "COM5 /dev/ttyFAKE5: no permission (root only: sudo chown $USER /dev/ttyFAKE5)");
    EXPECT_EQ(serial::noIdlePortText(ports, chinese),
        "无空闲端口!\nCOM1 /dev/ttyFAKE1: 被占用,socat(进程 4242)\nCOM2 /dev/ttyFAKE2: 无设备\n"
        "COM4 /dev/ttyFAKE4: 无权限(dialout 组:sudo usermod -aG dialout $USER)\n"
        "COM5 /dev/ttyFAKE5: 无权限(仅 root:sudo chown $USER /dev/ttyFAKE5)");
}
