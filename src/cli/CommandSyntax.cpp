#include "CommandSyntax.h"

#include "TextWrap.h"
#include "core/Suggestion.h"

#include <algorithm>

namespace cli {

using core::Bilingual;

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
        {"size", 0, "N",
            {"link test: bytes a packet, 8 to 240 (32)", "链路测试:每包字节数,8 至 240(32)"}},
        {"interval", 0, "MS",
            {"link test: milliseconds between packets (1000)", "链路测试:发包间隔毫秒数(1000)"}},
        {"duration", 0, "S", {"link test: seconds to send (60)", "链路测试:发送的秒数(60)"}},
        {"max-loss", 0, "PERCENT",
            {"link test: the error rate at which it fails (100)",
                "链路测试:误包率达到该值即为失败(100)"}},
        {"help", 'h', nullptr,
            {"show the help, of a command when one is named",
                "显示帮助;给出命令时显示该命令的帮助"}},
        {"version", 0, nullptr, {"show the version", "显示版本"}},
    };
    return kOptions;
}

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
        {"linktest", Command::LinkTest,
            "-p P [--serial 9600-N] [--size N] [--interval MS] [--duration S] [--max-loss PERCENT]",
            {"send numbered packets to an echo station over the radio and report, each second, "
             "packets lost and corrupted and the round trip",
                "经电台向回送站发送编号数据包,每秒报告丢包、错包和往返时间"},
            {"linktest -p COM1 --interval 1000 --duration 120",
                "linktest -p COM2 --serial 19200-N --size 64 --max-loss 2",
                "linktest -p COM1 --duration 600 --json-lines > link.jsonl"}},
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

bool allowed(Command command, const std::string& option)
{
    if (option == "json" || option == "json-lines" || option == "quiet" || option == "help"
        || option == "version")
        return true;
    if (command == Command::LinkTest)
        return option == "port" || option == "timeout" || option == "serial" || option == "size"
            || option == "interval" || option == "duration" || option == "max-loss";
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
    if (option == "size" || option == "interval" || option == "duration" || option == "max-loss")
        return false;
    return command == Command::Write;
}

std::string didYouMean(const std::optional<std::string>& name, const core::Language& language)
{
    if (!name)
        return {};
    return language.pick("; did you mean " + *name + "?", ";您是不是要输入 " + *name + "?");
}

namespace {

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

} // namespace

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

} // namespace cli
