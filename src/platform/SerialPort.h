#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class Parity : std::uint8_t { None, Odd, Even };

// The line settings record of a port: what the program reads, changes and writes back.
struct LineSettings
{
    std::uint32_t baudRate = 9600;
    std::uint8_t byteSize = 8;
    Parity parity = Parity::None;
    bool parityCheck = false; // parity checking of received bytes (INPCK)
    std::uint8_t stopBits = 1;

    bool operator==(const LineSettings&) const = default;
};

// Purge actions, combinable.
enum PurgeFlag : unsigned {
    PurgeTxAbort = 0x1,
    PurgeRxAbort = 0x2,
    PurgeTxClear = 0x4,
    PurgeRxClear = 0x8,
};

// Error flags of a port, combinable; fetching them clears them.
enum CommError : unsigned {
    CommRxOverflow = 0x01,
    CommOverrun = 0x02,
    CommRxParity = 0x04,
    CommFrame = 0x08,
    CommBreak = 0x10,
};

struct CommStatus
{
    unsigned errors = 0;
    std::uint32_t bytesWaiting = 0;
};

// One open serial port. Every call returns false once the device is gone; none blocks for
// incoming data: a read takes only bytes already waiting.
class SerialPort
{
public:
    virtual ~SerialPort() = default;

    virtual bool getSettings(LineSettings& settings) = 0;
    virtual bool setSettings(const LineSettings& settings) = 0;
    virtual bool purge(unsigned purgeFlags) = 0;
    // Fetches and clears the error flags, and counts the bytes waiting to be read.
    virtual bool clearErrors(CommStatus& status) = 0;
    // Reads up to count waiting bytes; got is how many were read.
    virtual bool read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) = 0;
    // Bytes handed to the driver that it has not yet put on the line (TIOCOUTQ). A USB adapter
    // may report 0 while its own FIFO still holds bytes, and a pty always does.
    virtual bool outputQueued(std::uint32_t& bytes) = 0;
    // Hands a command frame to the driver whole, without waiting and without the pacing of user
    // data: written is what the driver took (all of it, but on a stalled line).
    virtual bool writeFrame(const std::uint8_t* data, std::uint32_t count, std::uint32_t& written)
        = 0;
    // Hands user data to the driver without waiting: written is what the driver took now, which
    // is less than count (possibly 0) while about 100 ms of wire time is queued ahead of the
    // line or the driver's buffer is full. Closing a port drops what is still queued.
    virtual bool writeSome(const std::uint8_t* data, std::uint32_t count, std::uint32_t& written)
        = 0;
    // Whether the device has disappeared (a pulled USB adapter, a hung-up line); once gone, a
    // port stays gone and every other call fails.
    virtual bool isGone() = 0;
    // The port's device when programs this one cannot see may have it open too: without root,
    // the open files of other users' processes are hidden, so such a program shares the port
    // unseen (and may take the radio's answers). Empty when every process could be seen.
    virtual std::string deviceWithHiddenHolders() = 0;
};

// Wire time of one byte in microseconds: start bit, eight data bits, parity bit, stop bits.
std::uint32_t byteTimeUs(const LineSettings& settings);

// Why a port did not open.
enum class OpenError : std::uint8_t {
    None,
    NoDevice, // no device stands behind the name, or it is not there now
    Busy, // another program holds the device
    PermissionDenied, // the user may not open the device
    NotSerial, // the device is no serial port
    Other,
};

// Why an open failed; error None after an open that succeeded.
struct OpenFailure
{
    OpenError error = OpenError::None;
    std::string device; // the device that was tried; empty when the name has none
    std::string holder; // Busy: the program that holds the device, when the system shows it
    int holderPid = 0;
    bool markedExclusive = false; // Busy: the device itself refused a second opener (TIOCEXCL)
    bool holdersHidden = false; // Busy: other users' processes, which may hold it, are hidden
    std::string group; // PermissionDenied: the group the device belongs to
    std::string detail; // Other: the system's error text
};

struct OpenResult : OpenFailure
{
    std::unique_ptr<SerialPort> port; // null when the open failed
};

enum class DeviceKind : std::uint8_t { OnBoard, Usb, Acm };

// A serial device as the system enumerates it.
struct SerialDevice
{
    std::string path; // /dev/ttyUSB0
    std::string kernelName; // ttyUSB0
    // The same each time this device, or this adapter, is plugged in: vendor, product, serial
    // number and interface, or the physical port it hangs on when it has no serial number.
    std::string identity;
    DeviceKind kind = DeviceKind::OnBoard;
    bool hasHardware = true; // false for on-board nodes the kernel made without a UART
    std::string byId; // the stable /dev/serial/by-id link, if there is one
    std::vector<std::string> links; // every link to the device node
    std::string vendorId;
    std::string productId;
    std::string serialNumber;
    std::string usbInterface; // "if00", or "if00-port1" for the second port of a chip
    std::string description; // the product's name, e.g. "FT232R USB UART"

    bool operator==(const SerialDevice&) const = default;
};

// What stands behind COMn.
struct PortEntry
{
    std::optional<SerialDevice> device; // the device the number belongs to; none: no device
    bool present = false; // that device is there now
    bool pinned = false; // RADIOMODEM_COMn names it

    bool operator==(const PortEntry&) const = default;
};

constexpr int kPortCount = 8; // COM1 to COM8

// Opens ports by name ("COM1" to "COM8") and tells what stands behind each name.
class SerialPortProvider
{
public:
    virtual ~SerialPortProvider() = default;
    virtual OpenResult open(const std::string& name) = 0;
    // COMn (n = 1 to 8) as of the last refresh.
    virtual PortEntry entry(int number) const = 0;
    // Every serial device present as of the last refresh, behind a COMn or not, in kernel order;
    // on-board nodes without a UART left out.
    virtual std::vector<SerialDevice> devices() const = 0;
    // Why the last open of COMn failed; error None when it succeeded or was never tried.
    virtual OpenFailure lastFailure(int number) const = 0;
    // Looks at the devices again; true when any entry changed.
    virtual bool refresh() { return false; }
    // A descriptor that becomes readable when a serial device comes or goes (refresh() then
    // takes the news); -1 when the system gives no such notice.
    virtual int hotplugFd() const { return -1; }
};

} // namespace platform
