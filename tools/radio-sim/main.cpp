#include "Simulator.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    const auto parsed = radiosim::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.help) {
        std::fputs(radiosim::usageText().c_str(), stdout);
        return 0;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "radiomodem-sim: %s (see --help)\n", parsed.error.c_str());
        return 2;
    }
    try {
        return radiosim::runSimulator(*parsed.options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "radiomodem-sim: %s\n", e.what());
        return 1;
    }
}
