#pragma once

namespace cli {

// The exit status of radiomodem-cli, as its manual page lists them.
enum class ExitCode : int {
    Ok = 0,
    Usage = 2, // the command line is wrong
    NoRadio = 3, // no port had a radio that answered
    PortError = 4, // the port did not open or failed during the conversation
    WriteFailed = 5, // the radio did not acknowledge a write, or the write was refused
    Mismatch = 6, // the values read back differ from those written
    FileError = 7, // the settings file could not be read, was refused, or could not be written
    Interrupted = 8, // SIGINT, SIGTERM or SIGHUP stopped the command
    OutputError = 9, // the standard output could not be written
    TimedOut = 10, // the time limit of --timeout ran out
};

} // namespace cli
