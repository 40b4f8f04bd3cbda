#include "System.h"

#include <chrono>
#include <cstdlib>

namespace platform {

std::int64_t RealSystem::nowMs() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void RealSystem::exitProcess(int status)
{
    std::exit(status);
}

} // namespace platform
