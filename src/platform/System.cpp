#include "System.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace platform {

void RealSystem::sleepMs(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void RealSystem::exitProcess(int status)
{
    std::exit(status);
}

std::int64_t RealSystem::steadyMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t RealSystem::wallMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace platform
