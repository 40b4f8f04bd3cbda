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

} // namespace platform
