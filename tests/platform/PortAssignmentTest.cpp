#include "platform/PortAssignment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace {

SerialDevice onBoard(const std::string& name, bool hasHardware = true)
{
    SerialDevice device;
    device.path = "/dev/" + name;
    device.kernelName = name;
    device.identity = "onboard-" + name;
    device.hasHardware = hasHardware;
    return device;
}

SerialDevice adapter(const std::string& name, const std::string& identity,
    DeviceKind kind = DeviceKind::Usb, std::vector<std::string> links = {})
{
    SerialDevice device;
    device.path = "/dev/" + name;
    device.kernelName = name;
    device.identity = identity;
    device.kind = kind;
    device.links = std::move(links);
    return device;
}

// A CH340 without a serial number in the given socket: known by the socket alone.
SerialDevice serialLess(const std::string& name, int socket)
{
    SerialDevice device = adapter(
        name, "usb-1a86:7523-at-pci-0000:00:14.0-usb-0:" + std::to_string(socket) + ":1.0-if00");
    device.vendorId = "1a86";
    device.productId = "7523";
    device.usbInterface = "if00";
    return device;
}

// COM1 to COM8 as "-" (no device), the device path, "gone <path>" for a device that keeps its
// number while unplugged, "pin <path>" for a pinned one.
std::vector<std::string> shown(const PortAssignment& assignment)
{
    std::vector<std::string> out;
    for (int n = 1; n <= kPortCount; ++n) {
        const PortEntry entry = assignment.entry(n);
        if (!entry.device)
            out.emplace_back("-");
        else if (entry.pinned)
            out.push_back("pin " + entry.device->path);
        else if (!entry.present)
            out.push_back("gone " + entry.device->path);
        else
            out.push_back(entry.device->path);
    }
    return out;
}

struct AssignmentCase
{
    const char* name;
    std::vector<std::vector<SerialDevice>> enumerations; // one after the other in one run
    PortAssignment::Pins pins;
    std::vector<std::string> expected; // after the last enumeration
};

const std::string kUsbA = "usb-0403:6001-AAA-if00";
const std::string kUsbB = "usb-0403:6001-BBB-if00";
const std::string kUsbC = "usb-10c4:ea60-0001-if00";
const std::string kAcm = "usb-2341:0043-75833-if00";

const AssignmentCase kCases[] = {
    {"onBoardWithHardwareFirstInKernelOrderThenAdaptersByIdentity",
        {{adapter("ttyUSB0", kUsbB), onBoard("ttyS10"), onBoard("ttyS1", false),
            adapter("ttyACM0", kAcm, DeviceKind::Acm), onBoard("ttyS2"),
            adapter("ttyUSB1", kUsbA)}},
        {},
        {"/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB1", "/dev/ttyUSB0", "/dev/ttyACM0", "-", "-",
            "-"}},
    {"phantomOnBoardNodesGetNoNumber",
        {{onBoard("ttyS0", false), onBoard("ttyS1", false), onBoard("ttyS2", false),
            onBoard("ttyS3", false), adapter("ttyACM0", kAcm, DeviceKind::Acm)}},
        {}, {"/dev/ttyACM0", "-", "-", "-", "-", "-", "-", "-"}},
    {"identicalAdaptersToldApartBySerialNumberNotByTheirKernelNumber",
        {{adapter("ttyUSB0", kUsbB), adapter("ttyUSB1", kUsbA)}}, {},
        {"/dev/ttyUSB1", "/dev/ttyUSB0", "-", "-", "-", "-", "-", "-"}},
    {"identicalAdaptersWithoutSerialNumbersToldApartByTheirSocket",
        {{adapter("ttyUSB0", "usb-1a86:7523-at-pci-0000:00:14.0-usb-0:2:1.0-if00"),
            adapter("ttyUSB1", "usb-1a86:7523-at-pci-0000:00:14.0-usb-0:1:1.0-if00")}},
        {}, {"/dev/ttyUSB1", "/dev/ttyUSB0", "-", "-", "-", "-", "-", "-"}},
    {"anUnpluggedAdapterKeepsItsNumber",
        {{adapter("ttyUSB0", kUsbA), adapter("ttyUSB1", kUsbB)}, {adapter("ttyUSB1", kUsbB)}}, {},
        {"gone /dev/ttyUSB0", "/dev/ttyUSB1", "-", "-", "-", "-", "-", "-"}},
    {"aNewAdapterDoesNotTakeTheNumberOfAnUnpluggedOne",
        {{adapter("ttyUSB0", kUsbA), adapter("ttyUSB1", kUsbB)}, {adapter("ttyUSB1", kUsbB)},
            {adapter("ttyUSB1", kUsbB), adapter("ttyUSB0", kUsbC)}},
        {}, {"gone /dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB0", "-", "-", "-", "-", "-"}},
    {"aReplugGetsTheOldNumberUnderItsNewKernelName",
        {{adapter("ttyUSB0", kUsbA), adapter("ttyUSB1", kUsbB)}, {adapter("ttyUSB1", kUsbB)},
            {adapter("ttyUSB1", kUsbB), adapter("ttyUSB0", kUsbC)},
            {adapter("ttyUSB1", kUsbB), adapter("ttyUSB0", kUsbC), adapter("ttyUSB2", kUsbA)}},
        {}, {"/dev/ttyUSB2", "/dev/ttyUSB1", "/dev/ttyUSB0", "-", "-", "-", "-", "-"}},
    {"devicesPluggedLaterFollowTheFirstOnes",
        {{adapter("ttyUSB0", kUsbB)}, {adapter("ttyUSB0", kUsbB), onBoard("ttyS0")}}, {},
        {"/dev/ttyUSB0", "/dev/ttyS0", "-", "-", "-", "-", "-", "-"}},
    {"aPinToADeviceTheSystemDoesNotListWinsItsNumber",
        {{onBoard("ttyS0"), adapter("ttyUSB0", kUsbA)}}, {"/tmp/radio1"},
        {"pin /tmp/radio1", "/dev/ttyS0", "/dev/ttyUSB0", "-", "-", "-", "-", "-"}},
    {"aPinByStableLinkTakesTheDeviceFromTheOtherNumbers",
        {{onBoard("ttyS0"),
            adapter("ttyUSB0", kUsbA, DeviceKind::Usb,
                {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_AAA-if00-port0"}),
            adapter("ttyUSB1", kUsbB)}},
        {"", "", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_AAA-if00-port0"},
        {"/dev/ttyS0", "/dev/ttyUSB1", "pin /dev/ttyUSB0", "-", "-", "-", "-", "-"}},
    {"aPinByKernelNameWins", {{adapter("ttyUSB0", kUsbA), adapter("ttyUSB1", kUsbB)}},
        {"/dev/ttyUSB1"}, {"pin /dev/ttyUSB1", "/dev/ttyUSB0", "-", "-", "-", "-", "-", "-"}},
    {"aSerialLessAdapterMovedToAnotherSocketKeepsItsNumber",
        {{adapter("ttyUSB0", kUsbA), serialLess("ttyUSB1", 1)}, {adapter("ttyUSB0", kUsbA)},
            {adapter("ttyUSB0", kUsbA), serialLess("ttyUSB2", 4)}},
        {}, {"/dev/ttyUSB0", "/dev/ttyUSB2", "-", "-", "-", "-", "-", "-"}},
    {"aSerialLessAdapterMovedWhileNoNoticeCameKeepsItsNumber",
        {{serialLess("ttyUSB0", 1), adapter("ttyUSB1", kUsbA)},
            {serialLess("ttyUSB2", 3), adapter("ttyUSB1", kUsbA)}},
        {}, {"/dev/ttyUSB1", "/dev/ttyUSB2", "-", "-", "-", "-", "-", "-"}},
    {"identicalSerialLessAdaptersKeepDistinctNumbersWhenOneMoves",
        {{serialLess("ttyUSB0", 1), serialLess("ttyUSB1", 2)}, {serialLess("ttyUSB1", 2)},
            {serialLess("ttyUSB1", 2), serialLess("ttyUSB0", 3)}},
        {}, {"/dev/ttyUSB0", "/dev/ttyUSB1", "-", "-", "-", "-", "-", "-"}},
    {"twoAbsentOfTheSameMakeTheLowestNumberComesBackFirst",
        {{serialLess("ttyUSB0", 1), serialLess("ttyUSB1", 2)}, {}, {serialLess("ttyUSB5", 6)}}, {},
        {"/dev/ttyUSB5", "gone /dev/ttyUSB1", "-", "-", "-", "-", "-", "-"}},
    {"aSerialNumberIsNeverTakenForAnotherOfTheSameMake",
        {{adapter("ttyUSB0", kUsbA)}, {}, {adapter("ttyUSB1", kUsbB)}}, {},
        {"gone /dev/ttyUSB0", "/dev/ttyUSB1", "-", "-", "-", "-", "-", "-"}},
    {"onceAllNumbersWereGivenANewDeviceTakesTheLowestAbsentOne",
        {{onBoard("ttyS0"), onBoard("ttyS1"), onBoard("ttyS2"), onBoard("ttyS3"), onBoard("ttyS4"),
             onBoard("ttyS5"), adapter("ttyUSB0", kUsbA), adapter("ttyUSB1", kUsbB)},
            {onBoard("ttyS0"), onBoard("ttyS1"), onBoard("ttyS2"), onBoard("ttyS3"),
                onBoard("ttyS4"), onBoard("ttyS5"), adapter("ttyUSB1", kUsbB)},
            {onBoard("ttyS0"), onBoard("ttyS1"), onBoard("ttyS2"), onBoard("ttyS3"),
                onBoard("ttyS4"), onBoard("ttyS5"), adapter("ttyUSB1", kUsbB),
                adapter("ttyACM0", kAcm, DeviceKind::Acm)}},
        {},
        {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3", "/dev/ttyS4", "/dev/ttyS5",
            "/dev/ttyACM0", "/dev/ttyUSB1"}},
    {"aNinthDeviceGetsNoNumber",
        {{onBoard("ttyS0"), onBoard("ttyS1"), onBoard("ttyS2"), onBoard("ttyS3"), onBoard("ttyS4"),
            onBoard("ttyS5"), onBoard("ttyS6"), onBoard("ttyS7"), onBoard("ttyS8")}},
        {},
        {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3", "/dev/ttyS4", "/dev/ttyS5",
            "/dev/ttyS6", "/dev/ttyS7"}},
};

class PortAssignmentRules : public ::testing::TestWithParam<AssignmentCase>
{ };

} // namespace

TEST_P(PortAssignmentRules, namesEachDevice)
{
    const AssignmentCase& c = GetParam();
    PortAssignment assignment;
    for (const auto& devices : c.enumerations)
        assignment.update(devices, c.pins);
    EXPECT_EQ(shown(assignment), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PortAssignmentRules, ::testing::ValuesIn(kCases),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PortAssignment, aReplugKeepsTheNumberWhateverOrderTheSystemListsDevicesIn)
{
    PortAssignment assignment;
    assignment.update({adapter("ttyUSB0", kUsbA), adapter("ttyUSB1", kUsbB)}, {});
    assignment.update({adapter("ttyUSB1", kUsbB)}, {});
    assignment.update({adapter("ttyUSB0", kUsbB), adapter("ttyUSB1", kUsbA)}, {});
    EXPECT_EQ(assignment.entry(1).device->identity, kUsbA);
    EXPECT_EQ(assignment.entry(1).device->path, "/dev/ttyUSB1");
    EXPECT_EQ(assignment.entry(2).device->path, "/dev/ttyUSB0");
}

TEST(PortAssignment, aSerialLessAdapterMovedThroughNineSocketsKeepsItsNumber)
{
    PortAssignment assignment;
    const std::vector<SerialDevice> others
        = {onBoard("ttyS0"), adapter("ttyUSB0", kUsbA), adapter("ttyUSB1", kUsbB)};
    auto with = [&others](const std::vector<SerialDevice>& more) {
        std::vector<SerialDevice> all = others;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    assignment.update(with({serialLess("ttyUSB2", 1)}), {});
    for (int socket = 2; socket <= 10; ++socket) {
        assignment.update(others, {});
        assignment.update(with({serialLess("ttyUSB" + std::to_string(socket + 1), socket)}), {});
        ASSERT_EQ(assignment.entry(4).device->path, "/dev/ttyUSB" + std::to_string(socket + 1))
            << "socket " << socket;
        EXPECT_TRUE(assignment.entry(4).present);
    }
    EXPECT_FALSE(assignment.entry(5).device) << "no number was spent on the moves";
}

TEST(PortAssignment, sameDeviceTellsAMovedSerialLessAdapterFromAnotherMake)
{
    const SerialDevice moved = serialLess("ttyUSB1", 2);
    EXPECT_TRUE(sameDevice(serialLess("ttyUSB0", 1), moved));
    SerialDevice otherInterface = moved;
    otherInterface.usbInterface = "if01";
    otherInterface.identity += "x";
    EXPECT_FALSE(sameDevice(serialLess("ttyUSB0", 1), otherInterface));
    EXPECT_FALSE(sameDevice(adapter("ttyUSB0", kUsbA), adapter("ttyUSB0", kUsbB)));
    EXPECT_TRUE(sameDevice(adapter("ttyUSB0", kUsbA), adapter("ttyUSB3", kUsbA)));
}

TEST(PortAssignment, droppingAPinGivesTheNumberBackToWhatItHadBefore)
{
    PortAssignment assignment;
    assignment.update({adapter("ttyUSB0", kUsbA)}, {});
    assignment.update({adapter("ttyUSB0", kUsbA)}, {"/tmp/radio1"});
    EXPECT_TRUE(assignment.entry(1).pinned);
    assignment.update({adapter("ttyUSB0", kUsbA)}, {});
    EXPECT_FALSE(assignment.entry(1).pinned);
    EXPECT_EQ(assignment.entry(1).device->path, "/dev/ttyUSB0");
}

TEST(PortAssignment, namesOutsideOneToEightHaveNoDevice)
{
    PortAssignment assignment;
    assignment.update({onBoard("ttyS0")}, {});
    EXPECT_FALSE(assignment.entry(0).device);
    EXPECT_FALSE(assignment.entry(9).device);
}

TEST(PortAssignment, kernelOrderComparesTheNumbersAsNumbers)
{
    EXPECT_TRUE(kernelOrderLess("ttyS2", "ttyS10"));
    EXPECT_FALSE(kernelOrderLess("ttyS10", "ttyS2"));
    EXPECT_TRUE(kernelOrderLess("ttyAMA0", "ttyS0"));
    EXPECT_FALSE(kernelOrderLess("ttyS1", "ttyS1"));
}
