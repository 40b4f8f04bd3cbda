#include "Commands.h"
#include "Output.h"
#include "platform/PosixSerialPort.h"
#include "platform/UdevPortEnumerator.h"

#include <QStringList>

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    const core::Language language = cli::languageFromLocale();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const cli::ParsedCommandLine parsed = cli::parseCommandLine(arguments, language);
    if (!parsed.request) {
        if (!parsed.error.empty()) {
            std::cerr << "radiomodem-cli: " << parsed.error << "\n";
            return static_cast<int>(cli::ExitCode::Usage);
        }
        std::cout << parsed.output;
        return static_cast<int>(cli::ExitCode::Ok);
    }
    try {
        platform::UdevPortEnumerator devices;
        platform::PosixSerialPorts ports(devices);
        return static_cast<int>(cli::runCommand(
            *parsed.request, ports, language, std::cout, std::cerr, isatty(STDERR_FILENO) == 1));
    } catch (const std::exception& error) {
        std::cerr << "radiomodem-cli: " << error.what() << "\n";
        return static_cast<int>(cli::ExitCode::PortError);
    }
}
