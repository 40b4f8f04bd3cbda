#include "CommandLine.h"

#include "CommandSyntax.h"
#include "Output.h"
#include "TextWrap.h"
#include "core/Suggestion.h"
#include "platform/PosixSerialPorts.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace cli {

namespace {

using core::Bilingual;

// The arguments sorted into options with their values and positional arguments.
struct Scanned
{
    std::map<std::string, std::vector<std::string>> values; // by long name; a flag has ""
    std::vector<std::string> positional;
    std::optional<Bilingual> error;

    bool isSet(const std::string& name) const { return values.contains(name); }
    std::string value(const std::string& name) const
    {
        const auto found = values.find(name);
        return found == values.end() ? std::string() : found->second.back();
    }
};

Scanned scan(const std::vector<std::string>& arguments)
{
    Scanned scanned;
    const auto fail = [&scanned](const std::string& english, const std::string& chinese) {
        scanned.error = Bilingual {english, chinese};
        return scanned;
    };
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            scanned.positional.insert(scanned.positional.end(),
                arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
            break;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            scanned.positional.push_back(argument);
            continue;
        }
        // --name, --name=value; -name too when name is a long option's
        const bool doubleDash = argument[1] == '-';
        const std::string word = argument.substr(doubleDash ? 2 : 1);
        const std::string name = word.substr(0, word.find('='));
        const Option* option = findOption(name);
        if (doubleDash || (option && name.size() > 1)) {
            if (!option) {
                scanned.error = unknownName({"option", "选项"}, "--" + name, optionNames());
                return scanned;
            }
            std::string value;
            if (word.size() > name.size()) {
                if (!option->value)
                    return fail("--" + name + " takes no value", "--" + name + " 不带值");
                value = word.substr(name.size() + 1);
            } else if (option->value) {
                if (++i == arguments.size())
                    return fail("--" + name + " needs a value, " + option->value,
                        "--" + name + " 需要一个值 " + option->value);
                value = arguments[i];
            }
            scanned.values[name].push_back(value);
            continue;
        }
        // -jq, -p COM1, -pCOM1
        for (std::size_t at = 1; at < argument.size(); ++at) {
            const Option* letter = findLetter(argument[at]);
            if (!letter)
                return fail("unknown option -" + argument.substr(at, 1) + " (see --help)",
                    "未知的选项 -" + argument.substr(at, 1) + "(见 --help)");
            std::string value;
            if (letter->value) {
                if (at + 1 < argument.size())
                    value = argument.substr(at + 1);
                else if (++i < arguments.size())
                    value = arguments[i];
                else
                    return fail(
                        std::string("-") + letter->letter + " needs a value, " + letter->value,
                        std::string("-") + letter->letter + " 需要一个值 " + letter->value);
                scanned.values[letter->name].push_back(value);
                break;
            }
            scanned.values[letter->name].push_back(value);
        }
    }
    return scanned;
}

// A whole number within the bounds, as typed.
std::optional<int> wholeNumber(const std::string& text, int low, int high)
{
    if (text.empty() || text.size() > 9
        || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int value = std::stoi(text);
    return value >= low && value <= high ? std::optional(value) : std::nullopt;
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

// The link test's plan from its options, on the one port named.
std::optional<Bilingual> linkTestOf(const Scanned& scanned, Request& request)
{
    if (request.ports.size() != 1)
        return Bilingual {"linktest needs one --port: the radio of the measuring station",
            "linktest 需要一个 --port:测量站的电台"};
    LinkTestRequest test;
    const auto bad = [&](const char* option, const char* english, const char* chinese) {
        const std::string value = scanned.value(option);
        return Bilingual {std::string("--") + option + ": \"" + value + "\": " + english,
            std::string("--") + option + ":\"" + value + "\":" + chinese};
    };
    if (scanned.isSet("size")) {
        const auto size = wholeNumber(scanned.value("size"), 8, 240);
        if (!size)
            return bad("size", "give the bytes a packet, 8 to 240", "请给出每包字节数,8 至 240");
        test.size = *size;
    }
    if (scanned.isSet("interval")) {
        const auto interval = wholeNumber(scanned.value("interval"), 1, 3'600'000);
        if (!interval)
            return bad("interval", "give the milliseconds between packets, 1 or more",
                "请给出发包间隔毫秒数,至少为 1");
        test.intervalMs = *interval;
    }
    if (scanned.isSet("duration")) {
        const auto duration = seconds(scanned.value("duration"));
        if (!duration)
            return bad("duration", "give the seconds, a number above 0", "请给出秒数,大于 0");
        test.durationS = *duration;
    }
    if (scanned.isSet("max-loss")) {
        const auto percent = seconds(scanned.value("max-loss"));
        if (!percent || *percent > 100)
            return bad("max-loss", "give a percentage above 0, at most 100",
                "请给出百分比,大于 0 且不超过 100");
        test.maxLossPercent = *percent;
    }
    if (request.change.serial)
        test.serial = *request.change.serial;
    request.change = {};
    request.linkTest = test;
    return std::nullopt;
}

} // namespace

std::optional<Bilingual> portNameError(const std::string& name)
{
    if (name.find('/') != std::string::npos || platform::portNumberOfName(name) > 0)
        return std::nullopt;
    const std::string shown = printable(name);
    const Bilingual valid {
        ": the ports are COM1 to COM8, a device path or a /dev/serial/by-id name",
        ":端口应为 COM1 至 COM8、设备路径或 /dev/serial/by-id 名称"};
    std::string lower;
    for (const char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string digits = lower.starts_with("com") ? lower.substr(3) : std::string();
    const bool comLike
        = !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
    std::optional<std::string> meant;
    if (comLike && digits.size() <= 2 && std::stoi(digits) >= 1
        && std::stoi(digits) <= platform::kPortCount)
        meant = "COM" + std::to_string(std::stoi(digits));
    else if (lower.starts_with("tty"))
        meant = "/dev/" + shown;
    else if (!name.empty() && !comLike)
        return std::nullopt; // a /dev/serial/by-id name, whether or not its adapter is in now
    return Bilingual {"--port " + shown + valid.english + didYouMean(meant, core::Language {1}),
        "--port " + shown + valid.chinese + didYouMean(meant, core::Language {0})};
}

ParsedCommandLine parseCommandLine(
    const std::vector<std::string>& arguments, const core::Language& language)
{
    ParsedCommandLine parsed;
    // The error may quote arguments: their bytes are escaped, the line stays one line.
    const auto fail = [&parsed](const std::string& error) {
        parsed.error = printable(error);
        return parsed;
    };
    const auto usage = [&](const std::string& english, const std::string& chinese) {
        return fail(language.pick(english, chinese));
    };
    const Scanned scanned = scan(arguments);
    if (scanned.error)
        return fail(scanned.error->in(language));
    const std::vector<std::string>& positional = scanned.positional;
    const auto unknownCommand = [&](const std::string& name) {
        return fail(unknownName({"command", "命令"}, name, commandNames()).in(language));
    };
    // --help, COMMAND --help, help, help COMMAND
    const bool helpCommand = !positional.empty() && positional.front() == "help";
    if (scanned.isSet("help") || helpCommand) {
        if (helpCommand && positional.size() > 2)
            return usage("too many arguments", "参数过多");
        const std::size_t named = helpCommand ? 1 : 0;
        const CommandInfo* info
            = positional.size() > named ? findCommand(positional[named]) : nullptr;
        if (helpCommand && positional.size() == 2 && !info)
            return unknownCommand(positional[1]);
        parsed.output = info ? commandHelp(*info, language) : generalHelp(language);
        return parsed;
    }
    if (scanned.isSet("version")) {
        parsed.output = "radiomodem-cli " RADIOMODEM_VERSION "\n";
        return parsed;
    }
    if (positional.empty())
        return usage("name a command: ports, read, write, save, apply, check, bench or linktest "
                     "(see --help)",
            "请指定命令:ports、read、write、save、apply、check、bench 或 linktest(见 --help)");
    const CommandInfo* command = findCommand(positional.front());
    if (!command)
        return unknownCommand(positional.front());
    Request request;
    request.command = command->command;
    const bool takesFile = request.command == Command::Save || request.command == Command::Apply
        || request.command == Command::Check || request.command == Command::Bench;
    if (positional.size() != (takesFile ? 2 : 1))
        return usage(takesFile ? "the command takes one settings FILE" : "too many arguments",
            takesFile ? "该命令需要一个参数文件 FILE" : "参数过多");
    for (const auto& [option, values] : scanned.values) {
        if (!allowed(request.command, option))
            return usage("--" + option + " does not go with " + command->name,
                "--" + option + " 不能用于 " + command->name);
    }
    if (scanned.isSet("port") && scanned.isSet("all"))
        return usage("--port and --all exclude each other", "--port 与 --all 不能同时使用");
    if (request.command == Command::Bench && !scanned.isSet("port"))
        return usage("bench needs --port: the ports the radios are plugged into",
            "bench 需要 --port:连接电台的端口");
    request.jsonLines = scanned.isSet("json-lines");
    request.json = scanned.isSet("json") || request.jsonLines;
    request.quiet = scanned.isSet("quiet");
    if (scanned.isSet("port"))
        request.ports = scanned.values.at("port");
    for (const std::string& port : request.ports) {
        if (const auto error = portNameError(port))
            return fail(error->in(language));
    }
    request.all = scanned.isSet("all");
    request.verify = !scanned.isSet("no-verify");
    request.noId = scanned.isSet("no-id");
    request.sameId = scanned.isSet("same-id");
    request.record = scanned.value("record");
    if (scanned.isSet("from")) {
        radio::RadioSettings from;
        if (const auto error = radio::setSettingsValue(from, "serial", scanned.value("from")))
            return fail("--from: " + error->reason.in(language));
        request.from = from.serial;
    }
    if (scanned.isSet("timeout")) {
        request.timeout = seconds(scanned.value("timeout"));
        if (!request.timeout)
            return usage("--timeout: \"" + scanned.value("timeout")
                    + "\": give the seconds, a number above 0",
                "--timeout:\"" + scanned.value("timeout") + "\":请给出秒数,大于 0");
    }
    if (scanned.isSet("id-from")) {
        radio::RadioSettings first;
        const std::string digits = scanned.value("id-from");
        if (digits.size() != 6 || digits.find_first_not_of("0123456789") != std::string::npos
            || radio::setSettingsValue(first, "id", digits))
            return usage("--id-from: \"" + digits + "\": give six decimal digits",
                "--id-from:\"" + digits + "\":请给出六位十进制数字");
        request.idFrom = static_cast<std::uint32_t>(std::stoul(digits));
    }
    if (takesFile)
        request.file = positional.at(1);
    if (request.file == "-" && request.command == Command::Save) {
        if (request.all)
            return usage("save --all needs a folder, not -", "save --all 需要一个文件夹,而不是 -");
        if (request.json || request.record == "-")
            return usage("save - writes the settings file to standard output: leave out --json "
                         "and --record -",
                "save - 将参数文件写到标准输出:请去掉 --json 和 --record -");
    }
    bool named = false;
    for (const char* key : {"channel", "serial", "air-rate", "id"}) {
        if (!scanned.isSet(key))
            continue;
        named = true;
        if (const auto error = radio::setSettingsValue(request.change, key, scanned.value(key)))
            return fail("--" + radio::settingsErrorText(*error, language));
    }
    if (request.command == Command::LinkTest) {
        if (const auto error = linkTestOf(scanned, request))
            return fail(error->in(language));
    } else if (request.command == Command::Write && !named)
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
