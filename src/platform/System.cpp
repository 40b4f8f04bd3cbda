#include "System.h"

#include <chrono>
#include <cstdlib>

namespace platform {

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
