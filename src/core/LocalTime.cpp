#include "LocalTime.h"

#include <cstdio>
#include <ctime>

namespace core {

std::string localTime(const char* format, std::int64_t wallMs, bool withMillis)
{
    const auto seconds = static_cast<std::time_t>(wallMs / 1000);
    std::tm local {};
    localtime_r(&seconds, &local);
    char text[48];
    std::string result(text, std::strftime(text, sizeof text, format, &local));
    if (withMillis) {
        char millis[8];
        std::snprintf(millis, sizeof millis, ".%03d", static_cast<int>(wallMs % 1000));
        result += millis;
    }
    return result;
}

std::string localTimestamp()
{
    return localTime("%Y-%m-%dT%H:%M:%S%z", std::int64_t {std::time(nullptr)} * 1000, false);
}

} // namespace core
