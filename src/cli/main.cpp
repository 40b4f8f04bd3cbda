#include "Commands.h"
#include "Interrupt.h"
#include "Locale.h"
#include "Output.h"
#include "platform/PosixSerialPorts.h"
#include "platform/UdevPortEnumerator.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace {

// Descriptors 0 to 2 that are closed get /dev/null, so that no port opened later takes their
// number and receives what is meant for the terminal. False when standard output was closed.
bool standardDescriptorsOpen()
{
    bool outputOpen = true;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            outputOpen = outputOpen && fd != STDOUT_FILENO;
            ::open("/dev/null", O_RDWR); // takes the lowest free number: this one
        }
    }
    return outputOpen;
}

// Writes the text to standard output and closes it; the errno of a failure, else 0.
int writeOutput(const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += static_cast<std::size_t>(n);
    }
    // A file system may report a failed write only at close (NFS).
    if (::close(STDOUT_FILENO) != 0 && errno != EINTR)
        return errno;
    return 0;
}

// Output that could not be written is a failure: the command's own status when it failed,
// else OutputError, with one line on stderr.
int finish(
    cli::ExitCode code, const std::string& output, bool outputOpen, const core::Language& language)
{
    const int error = outputOpen ? writeOutput(output) : EBADF;
    if (error == 0)
        return static_cast<int>(code);
    std::cerr << "radiomodem-cli: "
              << language.pick("could not write the output: ", "无法写入输出:")
              << std::strerror(error) << "\n";
    return static_cast<int>(code == cli::ExitCode::Ok ? cli::ExitCode::OutputError : code);
}

} // namespace

int main(int argc, char** argv)
{
    const bool outputOpen = standardDescriptorsOpen();
    const core::Language language = cli::languageFromLocale();
    // Bytes as given: file and port names reach open() unchanged, whatever their encoding.
    const cli::ParsedCommandLine parsed
        = cli::parseCommandLine(std::vector<std::string>(argv, argv + argc), language);
    if (!parsed.request) {
        if (!parsed.error.empty()) {
            std::cerr << "radiomodem-cli: " << parsed.error << "\n";
            return static_cast<int>(cli::ExitCode::Usage);
        }
        return finish(cli::ExitCode::Ok, parsed.output, outputOpen, language);
    }
    // Held until the output is out: a signal then changes nothing.
    const cli::InterruptSignals signals;
    // A bench prints each unit and a link test each interval as it is done; the other commands
    // print once, at the end.
    const bool streaming = parsed.request->command == cli::Command::Bench
        || parsed.request->command == cli::Command::LinkTest;
    std::ostringstream buffered;
    std::ostream& out = streaming ? std::cout : buffered;
    cli::ExitCode code = cli::ExitCode::PortError;
    try {
        platform::UdevPortEnumerator devices;
        platform::PosixSerialPorts ports(devices);
        code = cli::runCommand(
            *parsed.request, ports, language, out, std::cerr, isatty(STDERR_FILENO) == 1);
    } catch (const std::exception& error) {
        std::cerr << "radiomodem-cli: " << error.what() << "\n";
    }
    if (streaming && !std::cout.flush()) {
        std::cerr << "radiomodem-cli: "
                  << language.pick("could not write the output", "无法写入输出") << "\n";
        return static_cast<int>(code == cli::ExitCode::Ok ? cli::ExitCode::OutputError : code);
    }
    return finish(code, buffered.str(), outputOpen, language);
}
