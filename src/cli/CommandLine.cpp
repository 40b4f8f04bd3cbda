#include "CommandLine.h"

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

struct Option
{
    const char* name;
    char letter; // the short name, 0 for none
    const char* value; // the value's name in the help, null for an option without value
    Bilingual help;
};

const std::vector<Option>& options()
{
    static const std::vector<Option> kOptions = {
        {"port", 'p', "P",
            {"the port: COMn, a device path or a /dev/serial/by-id name; may be repeated",
                "端口:COMn、设备路径或 /dev/serial/by-id 名称;可重复给出"}},
        {"all", 'a', nullptr,
            {"every serial port that has a radio, at once", "同时处理所有连接电台的串口"}},
        {"json", 'j', nullptr, {"print one JSON document", "输出一个 JSON 文档"}},
        {"json-lines", 0, nullptr,
            {"print one JSON object a line: a port, a radio or a bench unit",
                "每行输出一个 JSON 对象:每个端口、电台或工位单元一行"}},
        {"quiet", 'q', nullptr, {"no progress on a terminal", "终端上不显示进度"}},
        {"from", 0, "MODE",
            {"the serial mode the probe tries first, e.g. 19200-N",
                "探测时首先尝试的串口模式,例如 19200-N"}},
        {"timeout", 0, "SECONDS", {"the time limit of the whole run", "整个运行的时间限制(秒)"}},
        {"no-id", 0, nullptr, {"leave the ID out of the file", "文件中不保存 ID"}},
        {"same-id", 0, nullptr,
            {"give the file's ID to several radios", "将文件中的 ID 写入多台电台"}},
        {"record", 0, "R",
            {"append a record a radio to R (- for standard output)",
                "每台电台向 R 追加一条记录(- 为标准输出)"}},
        {"id-from", 0, "N",
            {"give the units the IDs N, N+1, ... (six digits)",
                "依次为各单元分配 ID N、N+1……(六位数字)"}},
        {"channel", 0, "N", {"channel 1 to 32", "信道号 1 至 32"}},
        {"serial", 0, "MODE",
            {"serial speed and parity, e.g. 9600-N", "串口速率和校验,例如 9600-N"}},
        {"air-rate", 0, "R",
            {"air rate index 0 to 4 (19200, 9600, 4800, 2400, 1200 bit/s)",
                "空中速率序号 0 至 4(19200、9600、4800、2400、1200 bit/s)"}},
        {"id", 0, "ID",
            {"six digits, or 0x and six hex digits", "六位数字,或 0x 加六位十六进制数字"}},
        {"no-verify", 0, nullptr, {"do not read back", "写入后不回读"}},
        {"help", 'h', nullptr,
            {"show the help, of a command when one is named",
                "显示帮助;给出命令时显示该命令的帮助"}},
        {"version", 0, nullptr, {"show the version", "显示版本"}},
    };
    return kOptions;
}

struct CommandInfo
{
    const char* name;
    Command command;
    const char* arguments; // what follows the name in the usage line
    Bilingual summary;
    std::vector<const char*> examples;
};

const std::vector<CommandInfo>& commands()
{
    static const std::vector<CommandInfo> kCommands = {
        {"ports", Command::Ports, "[-j | --json-lines]",
            {"the ports COM1 to COM8 and every other serial device, with their devices",
                "列出 COM1 至 COM8 及其他所有串口设备"},
            {"ports", "ports --json"}},
        {"read", Command::Read, "[-p P... | -a] [--from MODE] [--record R]",
            {"probe and read the radio", "探测并读取电台参数"},
            {"read -p COM1", "read -a --json-lines", "read -a --record inventory.csv"}},
        {"write", Command::Write,
            "[-p P] [--channel N] [--serial 9600-N] [--air-rate R] [--id 123456] [--no-verify]",
            {"read, write the values named (the radio keeps the others), read back and compare",
                "读取电台,写入指定的参数(其余参数保持不变),回读并比较"},
            {"write --channel 21", "write -p /dev/ttyUSB0 --serial 19200-E --air-rate 2",
                "write -p COM2 --id 000123 -j"}},
        {"save", Command::Save, "FILE [-p P | -a] [--no-id]",
            {"read the radio and save its values to a settings file (- for standard output)",
                "读取电台并将参数保存到参数文件(- 为标准输出)"},
            {"save site.conf -p COM1", "save - -p COM1 > site.conf", "save -a saved/ --no-id"}},
        {"apply", Command::Apply, "FILE [-p P... | -a] [--same-id]",
            {"write a settings file's values (- for standard input) and verify; a radio that "
             "holds them already is left unchanged",
                "写入参数文件(- 为标准输入)中的参数并校验;已是这些参数的电台不作更改"},
            {"apply site.conf -p COM1", "apply site.conf -a --json-lines",
                "save - -p COM1 | radiomodem-cli apply - -p COM2"}},
        {"check", Command::Check, "FILE [-p P... | -a]",
            {"compare each radio with a settings file; writes nothing",
                "将各电台与参数文件比较;不写入任何参数"},
            {"check site.conf -a", "check site.conf -p COM3 -q"}},
        {"bench", Command::Bench, "FILE -p P [-p P]... [--record R] [--id-from N] [--same-id]",
            {"apply the file to one radio after another on each port: wait for a radio, apply, "
             "verify, record, wait until it is gone",
                "在各端口上逐台写入参数文件:等待电台、写入、校验、记录,再等待取下电台"},
            {"bench site.conf -p COM1 --record units.csv",
                "bench site.conf -p COM1 -p COM2 --id-from 000100 --record units.csv",
                "bench site.conf -p COM1 --json-lines --record - | tee units.jsonl"}},
    };
    return kCommands;
}

const CommandInfo* findCommand(const std::string& name)
{
    for (const CommandInfo& info : commands()) {
        if (name == info.name)
            return &info;
    }
    return nullptr;
}

const Option* findOption(const std::string& name)
{
    for (const Option& option : options()) {
        if (name == option.name)
            return &option;
    }
    return nullptr;
}

const Option* findLetter(char letter)
{
    for (const Option& option : options()) {
        if (letter == option.letter)
            return &option;
    }
    return nullptr;
}

// The options each command takes besides --json, --json-lines, --quiet and --help.
bool allowed(Command command, const std::string& option)
{
    if (option == "json" || option == "json-lines" || option == "quiet" || option == "help"
        || option == "version")
        return true;
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

// "; did you mean --json?", or nothing.
std::string didYouMean(const std::optional<std::string>& name, const core::Language& language)
{
    if (!name)
        return {};
    return language.pick("; did you mean " + *name + "?", ";您是不是要输入 " + *name + "?");
}

// "unknown option --jsno; did you mean --json?", or "... (see --help)" when nothing is close.
Bilingual unknownName(
    const Bilingual& kind, const std::string& name, const std::vector<std::string>& known)
{
    const auto meant = core::closestName(name, known);
    return {"unknown " + kind.english + " " + name
            + (meant ? didYouMean(meant, core::Language {1}) : " (see --help)"),
        "未知的" + kind.chinese + " " + name
            + (meant ? didYouMean(meant, core::Language {0}) : "(见 --help)")};
}

std::vector<std::string> optionNames()
{
    std::vector<std::string> names;
    for (const Option& option : options())
        names.push_back(std::string("--") + option.name);
    return names;
}

std::vector<std::string> commandNames()
{
    std::vector<std::string> names;
    for (const CommandInfo& info : commands())
        names.emplace_back(info.name);
    return names;
}

// Help stays within kHelpWidth columns; the text of an entry starts at kHelpColumn.
constexpr std::size_t kHelpColumn = 26;
constexpr std::size_t kHelpWidth = 79;

// Wrapped lines, each but the first indented.
std::string indented(const std::vector<std::string>& lines, std::size_t indent)
{
    std::string text = lines.front() + "\n";
    for (std::size_t i = 1; i < lines.size(); ++i)
        text += std::string(indent, ' ') + lines[i] + "\n";
    return text;
}

// A help entry: the left column padded to kHelpColumn, the text wrapped beside it.
std::string helpEntry(std::string left, const std::string& text)
{
    left.resize(std::max(left.size() + 2, kHelpColumn), ' ');
    return left + indented(wrapText(text, left.size(), kHelpColumn, kHelpWidth), kHelpColumn);
}

// Each line of the text wrapped as a paragraph of its own.
std::string paragraphs(const std::string& text)
{
    std::string wrapped;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        wrapped += indented(wrapText(text.substr(at, end - at), 0, 0, kHelpWidth), 0);
        at = end + 1;
    }
    return wrapped;
}

std::string optionLine(const Option& option, const core::Language& language)
{
    return helpEntry(std::string("  ")
            + (option.letter ? std::string("-") + option.letter + ", " : "    ") + "--"
            + option.name + (option.value ? std::string(" ") + option.value : ""),
        option.help.in(language));
}

std::string commandHelp(const CommandInfo& info, const core::Language& language)
{
    const std::string usage
        = language.pick("Usage: ", "用法:") + "radiomodem-cli " + info.name + " ";
    const std::size_t column = displayWidth(usage);
    std::string text = usage
        + indented(wrapText(info.arguments, column, column, kHelpWidth), column) + "\n"
        + paragraphs(info.summary.in(language)) + "\n" + language.pick("Options:\n", "选项:\n");
    for (const Option& option : options()) {
        if (allowed(info.command, option.name) && std::string_view(option.name) != "version")
            text += optionLine(option, language);
    }
    text += language.pick("\nExamples:\n", "\n示例:\n");
    // A long example goes on in the next line, as a shell reads it.
    for (const char* example : info.examples) {
        const auto lines = wrapText(std::string("radiomodem-cli ") + example, 2, 6, kHelpWidth - 2);
        for (std::size_t i = 0; i < lines.size(); ++i)
            text
                += std::string(i ? 6 : 2, ' ') + lines[i] + (i + 1 < lines.size() ? " \\\n" : "\n");
    }
    return text;
}

// Paragraphs, one a line, wrapped when shown.
const Bilingual kAbout {
    "Reads and writes data-transmission radio modems on serial ports, for scripts and benches: "
    "the companion of radiomodem.",
    "读写串口上的数传电台,用于脚本和生产工位:radiomodem 的命令行版本。"};

const Bilingual kDetails {
    "P is COMn, a device path or a /dev/serial/by-id name, and -p may be repeated; without -p "
    "the ports that have a device are tried in order. FILE - is standard input (apply, check, "
    "bench) or output (save). The probe tries first --from, else the file's serial mode, else "
    "the mode at which the device last answered. radiomodem-cli help COMMAND shows a command's "
    "options and examples.\n"
    "\n"
    "Exit status: 0 success, 2 usage error, 3 no radio found, 4 port error, 5 write failed or "
    "refused, 6 verification mismatch or the radio differs from the file, 7 settings file error, "
    "8 interrupted by a signal, 9 the output could not be written, 10 the time limit ran out.",
    "P 为 COMn、设备路径或 /dev/serial/by-id 名称,-p 可重复给出;不给 -p 时依次尝试连接了设备的"
    "端口。FILE 为 - 时表示标准输入(apply、check、bench)或标准输出(save)。探测时首先尝试 "
    "--from,其次是文件中的串口模式,再次是该设备上次应答时的模式。radiomodem-cli help 命令 "
    "显示该命令的选项和示例。\n"
    "\n"
    "退出状态:0 成功,2 用法错误,3 未找到电台,4 端口错误,5 写入失败或被拒绝,6 校验不符或电台"
    "与文件不一致,7 参数文件错误,8 被信号中断,9 无法写入输出,10 已到时限。"};

std::string generalHelp(const core::Language& language)
{
    std::string text = language.pick("Usage: ", "用法:")
        + "radiomodem-cli [OPTIONS] COMMAND [FILE]\n       radiomodem-cli help COMMAND\n\n"
        + paragraphs(kAbout.in(language)) + "\n" + language.pick("Commands:\n", "命令:\n");
    for (const CommandInfo& info : commands()) {
        text += helpEntry(std::string("  ") + info.name, info.summary.in(language));
    }
    text += language.pick("\nOptions:\n", "\n选项:\n");
    for (const Option& option : options())
        text += optionLine(option, language);
    return text + "\n" + paragraphs(kDetails.in(language));
}

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
        return usage("name a command: ports, read, write, save, apply, check or bench (see --help)",
            "请指定命令:ports、read、write、save、apply、check 或 bench(见 --help)");
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
