#pragma once

#include "platform/SerialPort.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fakes {

using Bytes = std::vector<std::uint8_t>;

// What a scripted port holds and records; shared, so a test keeps it after the port object has
// been handed to the code under test.
struct PortState
{
    platform::LineSettings settings;
    bool refuseSettings = false;
    bool vanished = false; // every call fails, as on a pulled USB adapter
    bool open = false;
    platform::OpenError refuseOpen = platform::OpenError::None; // why the next opens fail
    std::string holder; // named by a Busy refusal, with its process
    int holderPid = 0;
    std::string group = "dialout"; // named by a PermissionDenied refusal
    std::string hiddenHolders; // the device, when processes this program cannot see may hold it
    platform::SerialDevice device; // what the port's entry shows
    std::deque<std::uint8_t> rx; // bytes waiting to be read
    unsigned pendingErrors = 0; // error flags reported (and cleared) by the next clearErrors
    std::uint32_t acceptLimit = UINT32_MAX; // bytes a user-data write takes at most
    bool stalled = false; // the line takes nothing: writes take 0 bytes
    std::uint32_t queued = 0; // what the driver reports as not yet on the line
    std::vector<Bytes> writes; // frames and the user data taken, in order
    std::vector<unsigned> purges;
    std::vector<platform::LineSettings> applied; // every accepted setSettings
    // Called after each write that took bytes, e.g. by a scripted radio that queues its answer into
    // rx.
    std::function<void(const Bytes&)> onWrite;

    void feed(const Bytes& bytes) { rx.insert(rx.end(), bytes.begin(), bytes.end()); }
};

class FakeSerialPort final : public platform::SerialPort
{
public:
    explicit FakeSerialPort(std::shared_ptr<PortState> state);
    ~FakeSerialPort() override;

    bool getSettings(platform::LineSettings& settings) override;
    bool setSettings(const platform::LineSettings& settings) override;
    bool purge(unsigned purgeFlags) override;
    bool clearErrors(platform::CommStatus& status) override;
    bool read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) override;
    bool outputQueued(std::uint32_t& bytes) override;
    bool writeFrame(const std::uint8_t* data, std::uint32_t count, std::uint32_t& written) override;
    bool writeSome(const std::uint8_t* data, std::uint32_t count, std::uint32_t& written) override;
    bool isGone() override { return m_state->vanished; }
    std::string deviceWithHiddenHolders() override { return m_state->hiddenHolders; }

private:
    void record(Bytes bytes);

    std::shared_ptr<PortState> m_state;
};

// Ports by name; a name without a state does not exist, an open one is held.
class FakeSerialPorts final : public platform::SerialPortProvider
{
public:
    // The port's device is /dev/ttyFAKEn with the port's name as identity.
    std::shared_ptr<PortState> add(const std::string& name);
    platform::OpenResult open(const std::string& name) override;
    platform::PortEntry entry(int number) const override;
    std::vector<platform::SerialDevice> devices() const override;
    platform::OpenFailure lastFailure(int number) const override;
    bool refresh() override;

    std::vector<std::string> attempts; // every name asked for, in order
    std::vector<platform::SerialDevice> others; // devices present beyond COM1 to COM8
    int refreshes = 0;

private:
    std::map<std::string, std::shared_ptr<PortState>> m_ports;
    std::map<int, platform::OpenFailure> m_failures;
};

} // namespace fakes
