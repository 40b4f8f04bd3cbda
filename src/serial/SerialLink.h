#pragma once

#include "platform/SerialPort.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace serial {

// The process-wide link state: which port, at which speed and parity, and the base of the
// response time-outs (in receive-timer ticks) that follows the speed.
struct LinkSettings
{
    std::uint8_t portNumber = 0; // n of COMn, 0 when none
    std::uint8_t speedIndex = 0; // 0 19200 .. 5 300 bit/s; 255 when no speed was selected
    std::uint8_t parityIndex = 0; // 0 none, 1 odd, 2 even; any other value acts as none
    std::uint8_t timeoutBase = 6;
};

// The one open port of the process, or none. The first call on a port that finds its device
// gone tells the gone handler, once per port; the caller itself only stops what it does.
class PortHandle
{
public:
    bool isValid() const { return m_port != nullptr; }
    platform::SerialPort& port() const { return *m_port; }
    void assign(std::unique_ptr<platform::SerialPort> port);
    void close();
    void setGoneHandler(std::function<void()> handler) { m_onGone = std::move(handler); }
    // Changes with every assign and close, so that a deferred task can tell whether the port it
    // was made for is still the one held.
    std::uint64_t generation() const { return m_generation; }

private:
    std::unique_ptr<platform::SerialPort> m_port;
    std::function<void()> m_onGone;
    std::uint64_t m_generation = 0;
};

struct SerialLink
{
    PortHandle handle;
    LinkSettings settings;
};

// A line at a speed and a parity of the tables below: 8 data bits, one stop bit, parity checked
// when there is parity; what else the port has set stays.
platform::LineSettings lineFor(
    platform::SerialPort& port, std::uint8_t speedIndex, std::uint8_t parityIndex);

// Puts the link's speed and parity on its open port, with 8 data bits, one stop bit and parity
// checking when there is parity, sets the time-out base that follows the speed, and drops what
// either direction held. False when the port refused the settings.
bool applyLinkSettings(SerialLink& link);

// The speed table: index 0 to 5 is 19200, 9600, 4800, 2400, 1200, 300 bit/s; any other
// index runs the port at 9600.
std::uint32_t baudForSpeedIndex(std::uint8_t speedIndex);
std::string speedTextForIndex(std::uint8_t speedIndex);
constexpr int kSpeedCount = 6;

// The parity table: 1 odd and 2 even with parity checking, anything else none.
platform::Parity parityForIndex(std::uint8_t parityIndex);
char parityLetterForIndex(std::uint8_t parityIndex);

// "9600-N-1": speed text, parity letter and the fixed single stop bit.
std::string settingsText(std::uint8_t speedIndex, std::uint8_t parityIndex);

// "COMn" for a position in the port list (0 gives COM1); no selection gives "COM0".
std::string portNameForListIndex(int index);

} // namespace serial
