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
                              port that has a radio

P is COMn, a device path or a /dev/serial/by-id name; without --port the ports that have a
device are tried in order.

Exit status: 0 success, 2 usage error, 3 no radio found, 4 port error, 5 write failed or
refused, 6 verification mismatch, 7 settings file error, 8 interrupted by a signal,
9 the output could not be written.)";

// The options each command takes besides --json and --quiet.
bool allowed(Command command, const QString& option)
{
    if (option == "port")
        return command != Command::Ports;
    if (option == "all")
        return command == Command::Apply;
    return command == Command::Write;
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
        {"all", "apply: every port that has a radio."},
        {"channel", "write: channel 1 to 32.", "N"},
        {"serial", "write: serial speed and parity, e.g. 9600-N.", "MODE"},
        {"air-rate", "write: air rate index 0 to 4 (19200, 9600, 4800, 2400, 1200 bit/s).", "R"},
        {"id", "write: six digits, or 0x and six hex digits.", "ID"},
        {"no-verify", "write: do not read back."},
    });
    parser.addPositionalArgument("command", "ports, read, write, save or apply.");
    parser.addPositionalArgument("FILE", "save and apply: the settings file.", "[FILE]");

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
        return usage("name a command: ports, read, write, save or apply (see --help)",
            "请指定命令:ports、read、write、save 或 apply(见 --help)");
    const auto command = kCommands.find(positional.front());
    if (command == kCommands.end())
        return usage("unknown command " + bytes(positional.front()) + " (see --help)",
            "未知的命令 " + bytes(positional.front()) + "(见 --help)");
    Request request;
    request.command = command->second;
    const bool takesFile = request.command == Command::Save || request.command == Command::Apply;
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
    request.json = parser.isSet("json");
    request.quiet = parser.isSet("quiet");
    if (parser.isSet("port"))
        request.port = bytes(parser.value("port"));
    request.all = parser.isSet("all");
    request.verify = !parser.isSet("no-verify");
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

} // namespace cli
