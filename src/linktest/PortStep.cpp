#include "PortStep.h"

#include <algorithm>

namespace linktest {

namespace {
constexpr std::uint32_t kMaxRead = 4096;
}

bool stepOnPort(
    LinkTest& test, std::string& outgoing, platform::SerialPort& port, std::int64_t nowMs)
{
    platform::CommStatus status;
    if (port.clearErrors(status) && status.bytesWaiting > 0) {
        std::string bytes(std::min(status.bytesWaiting, kMaxRead), '\0');
        std::uint32_t got = 0;
        if (port.read(reinterpret_cast<std::uint8_t*>(bytes.data()),
                static_cast<std::uint32_t>(bytes.size()), got))
            test.received(std::string_view(bytes).substr(0, got), nowMs);
    }
    if (outgoing.empty()) {
        if (auto packet = test.due(nowMs))
            outgoing = std::move(*packet);
    }
    if (!outgoing.empty()) {
        std::uint32_t written = 0;
        if (port.writeSome(reinterpret_cast<const std::uint8_t*>(outgoing.data()),
                static_cast<std::uint32_t>(outgoing.size()), written))
            outgoing.erase(0, written);
    }
    return !port.isGone();
}

} // namespace linktest
