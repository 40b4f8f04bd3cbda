#pragma once

#include <cstdint>
#include <memory>
#include <string>

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
    // Puts a command frame on the line and returns once its bytes have left the port: not
    // before their wire time at the port's speed and parity, and failing when the line has not
    // taken them within that time and a margin, so a stalled line cannot hold the caller.
    virtual bool writeFrame(const std::uint8_t* data, std::uint32_t count) = 0;
    // Hands user data to the driver without waiting: written is what the driver took now, which
    // is less than count (possibly 0) while its output buffer is full.
    virtual bool writeSome(const std::uint8_t* data, std::uint32_t count, std::uint32_t& written)
        = 0;
    // Whether the device has disappeared (a pulled USB adapter, a hung-up line); once gone, a
    // port stays gone and every other call fails.
    virtual bool isGone() = 0;
};

// Wire time of one byte in microseconds: start bit, eight data bits, parity bit, stop bits.
std::uint32_t byteTimeUs(const LineSettings& settings);

// Opens ports by name ("COM1" to "COM8"); nullptr when the port cannot be opened.
class SerialPortProvider
{
public:
    virtual ~SerialPortProvider() = default;
    virtual std::unique_ptr<SerialPort> open(const std::string& name) = 0;
};

} // namespace platform
