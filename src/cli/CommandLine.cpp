#include "CommandLine.h"

#include "Output.h"

#include <QCommandLineParser>

#include <map>

namespace cli {

namespace {

const std::map<QString, Command> kCommands = {
    {"ports", Command::Ports},
    {"read", Command::Read},
    {"write", Command::Write},
    {"save", Command::Save},
    {"apply", Command::Apply},
    {"check", Command::Check},
    {"bench", Command::Bench},
};

// The write options that name a value, by their settings file key.
const char* const kValueOptions[] = {"channel", "serial", "air-rate", "id"};

const char* kDescription
    = R"(Reads and writes data-transmission radio modems on serial ports, for scripts
and benches: the companion of radiomodem.

Commands:
  ports                       the ports COM1 to COM8 with their devices
  read [--port P]             probe and read the radio
  write [--port P] [--channel N] [--serial 9600-N] [--air-rate R] [--id 123456] [--no-verify]
                              read, write the values named (the radio keeps the others),
                              read back and compare
  save FILE [--port P]        read the radio and save its values to a settings file
  apply FILE [--port P|--all] write a settings file's values, and verify; --all: to every
                              port that has a radio; a radio that holds them already is left
                              unchanged
  check FILE [--port P|--all] compare each radio with a settings file; writes nothing
  bench FILE --port P [--record R] [--id-from N]
                              apply the file to one radio after another on each port: wait
                              for a radio, apply, verify, record, wait until it is gone

read, save and check take --all too; save --all FILE names a folder that gets one file a
radio. P is COMn, a device path or a /dev/serial/by-id name, and --port may be repeated; without
--port the ports that have a device are tried in order. The probe tries first --from, else the
file's serial mode, else the mode at which the device last answered.

Exit status: 0 success, 2 usage error, 3 no radio found, 4 port error, 5 write failed or
refused, 6 verification mismatch or the radio differs from the file, 7 settings file error,
8 interrupted by a signal, 9 the output could not be written, 10 the time limit ran out.)";

// The options each command takes besides --json and --quiet.
bool allowed(Command command, const QString& option)
{
    if (option == "port" || option == "from" || option == "timeout")
        return command != Command::Ports;
    if (option == "all")
        return command == Command::Read || command == Command::Save || command == Command::Apply
            || command == Command::Check;
    if (option == "no-id")
        return command == Command::Save;
    if (option == "same-id")
        return command == Command::Apply || command == Command::Bench;
    if (option == "record")
        return command == Command::Read || command == Command::Bench;
    if (option == "id-from")
        return command == Command::Bench;
    return command == Command::Write;
}

std::optional<double> seconds(const std::string& text)
{
    std::size_t end = 0;
    try {
        const double value = std::stod(text, &end);
        if (end == text.size() && value > 0 && value <= 7 * 24 * 3600)
            return value;
    } catch (const std::logic_error&) { }
    return std::nullopt;
}

// The parser sees each byte as the character of the same number (Latin-1), so that every
// argument comes back byte for byte, whatever its encoding: option names are ASCII either way.
QString characters(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string bytes(const QString& characters)
{
    return characters.toLatin1().toStdString();
}

} // namespace

ParsedCommandLine parseCommandLine(
    const std::vector<std::string>& arguments, const core::Language& language)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption version("version", "Show the version.");
    parser.addOption(help);
    parser.addOption(version);
    parser.addOptions({
        {"json", "Print one JSON document."},
        {"quiet", "No progress on a terminal."},
        {"port", "The port: COMn, a device path or a /dev/serial/by-id name.", "P"},
        {"all", "read, save, apply, check: every port that has a radio."},
        {"from", "The serial mode the probe tries first, e.g. 19200-N.", "MODE"},
        {"timeout", "The time limit of the whole run, in seconds.", "SECONDS"},
        {"no-id", "save: leave the ID out of the file."},
        {"same-id", "apply, bench: give the file's ID to several radios."},
        {"record", "read, bench: append a record per radio to R (- for stdout).", "R"},
        {"id-from", "bench: give the units IDs from N on (six digits), one each.", "N"},
        {"channel", "write: channel 1 to 32.", "N"},
        {"serial", "write: serial speed and parity, e.g. 9600-N.", "MODE"},
        {"air-rate", "write: air rate index 0 to 4 (19200, 9600, 4800, 2400, 1200 bit/s).", "R"},
        {"id", "write: six digits, or 0x and six hex digits.", "ID"},
        {"no-verify", "write: do not read back."},
    });
    parser.addPositionalArgument("command", "ports, read, write, save, apply, check or bench.");
    parser.addPositionalArgument(
        "FILE", "save, apply, check and bench: the settings file.", "[FILE]");

    ParsedCommandLine parsed;
    // The error may quote arguments: their bytes are escaped, the line stays one line.
    const auto fail = [&parsed](const std::string& error) {
        parsed.error = printable(error);
        return parsed;
    };
    const auto usage = [&](const std::string& english, const std::string& chinese) {
        return fail(language.pick(english, chinese));
    };
    QStringList list;
    for (const std::string& argument : arguments)
        list << characters(argument);
    if (!parser.parse(list))
        return fail(bytes(parser.errorText()));
    if (parser.isSet(help)) {
        // Without an application object the parser cannot know the program's name.
        parsed.output
            = parser.helpText().replace("<executable_name>", "radiomodem-cli").toStdString();
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.output = "radiomodem-cli " RADIOMODEM_VERSION "\n";
        return parsed;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usage("name a command: ports, read, write, save, apply, check or bench (see --help)",
            "请指定命令:ports、read、write、save、apply、check 或 bench(见 --help)");
    const auto command = kCommands.find(positional.front());
    if (command == kCommands.end())
        return usage("unknown command " + bytes(positional.front()) + " (see --help)",
            "未知的命令 " + bytes(positional.front()) + "(见 --help)");
    Request request;
    request.command = command->second;
    const bool takesFile = request.command == Command::Save || request.command == Command::Apply
        || request.command == Command::Check || request.command == Command::Bench;
    if (positional.size() != (takesFile ? 2 : 1))
        return usage(takesFile ? "the command takes one settings FILE" : "too many arguments",
            takesFile ? "该命令需要一个参数文件 FILE" : "参数过多");
    for (const QString& option : parser.optionNames()) {
        if (option != "json" && option != "quiet" && !allowed(request.command, option))
            return usage("--" + bytes(option) + " does not go with " + bytes(positional.front()),
                "--" + bytes(option) + " 不能用于 " + bytes(positional.front()));
    }
    if (parser.isSet("port") && parser.isSet("all"))
        return usage("--port and --all exclude each other", "--port 与 --all 不能同时使用");
    if (request.command == Command::Bench && !parser.isSet("port"))
        return usage("bench needs --port: the ports the radios are plugged into",
            "bench 需要 --port:连接电台的端口");
    request.json = parser.isSet("json");
    request.quiet = parser.isSet("quiet");
    for (const QString& port : parser.values("port"))
        request.ports.push_back(bytes(port));
    request.all = parser.isSet("all");
    request.verify = !parser.isSet("no-verify");
    request.noId = parser.isSet("no-id");
    request.sameId = parser.isSet("same-id");
    request.record = bytes(parser.value("record"));
    if (parser.isSet("from")) {
        radio::RadioSettings from;
        if (const auto error = radio::setSettingsValue(from, "serial", bytes(parser.value("from"))))
            return fail("--from: " + error->reason.in(language));
        request.from = from.serial;
    }
    if (parser.isSet("timeout")) {
        request.timeout = seconds(bytes(parser.value("timeout")));
        if (!request.timeout)
            return usage("--timeout: \"" + bytes(parser.value("timeout"))
                    + "\": give the seconds, a number above 0",
                "--timeout:\"" + bytes(parser.value("timeout")) + "\":请给出秒数,大于 0");
    }
    if (parser.isSet("id-from")) {
        radio::RadioSettings first;
        const std::string digits = bytes(parser.value("id-from"));
        if (digits.size() != 6 || digits.find_first_not_of("0123456789") != std::string::npos
            || radio::setSettingsValue(first, "id", digits))
            return usage("--id-from: \"" + digits + "\": give six decimal digits",
                "--id-from:\"" + digits + "\":请给出六位十进制数字");
        request.idFrom = static_cast<std::uint32_t>(std::stoul(digits));
    }
    if (takesFile)
        request.file = bytes(positional.at(1));
    bool named = false;
    for (const char* key : kValueOptions) {
        if (!parser.isSet(key))
            continue;
        named = true;
        if (const auto error
            = radio::setSettingsValue(request.change, key, bytes(parser.value(key))))
            return fail("--" + radio::settingsErrorText(*error, language));
    }
    if (request.command == Command::Write && !named)
        return usage("name a value to write: --channel, --serial, --air-rate or --id",
            "请指定要写入的参数:--channel、--serial、--air-rate 或 --id");
    parsed.request = std::move(request);
    return parsed;
}

std::chrono::steady_clock::time_point deadlineOf(const Request& request)
{
    if (!request.timeout)
        return std::chrono::steady_clock::time_point::max();
    return std::chrono::steady_clock::now()
        + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(*request.timeout));
}

} // namespace cli
