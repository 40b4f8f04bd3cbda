#include "cli/CommandLine.h"

#include <QList>
#include <QString>

#include <gtest/gtest.h>

#include <sstream>

#include <tuple>

namespace cli {
namespace {

const core::Language kEnglish {1};

using Arguments = std::vector<std::string>;

ParsedCommandLine parse(const Arguments& arguments)
{
    Arguments all {"radiomodem-cli"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return parseCommandLine(all, kEnglish);
}

TEST(CommandLine, eachCommandWithItsOptions)
{
    const auto write = parse({"--json", "write", "--port", "COM2", "--channel", "21", "--serial",
        "4800-O", "--id", "0x12FFAB", "--no-verify"});
    ASSERT_TRUE(write.request) << write.error;
    EXPECT_EQ(write.request->command, Command::Write);
    EXPECT_TRUE(write.request->json);
    EXPECT_EQ(write.request->ports, std::vector<std::string> {"COM2"});
    EXPECT_EQ(write.request->change.channel, 21);
    EXPECT_EQ(write.request->change.serial, (radio::SerialMode {2, 1}));
    EXPECT_EQ(write.request->change.id, (radio::IdBytes {0x12, 0xFF, 0xAB}));
    EXPECT_FALSE(write.request->change.airRate);
    EXPECT_FALSE(write.request->verify);

    const auto apply = parse({"apply", "site.conf", "--all", "--quiet"});
    ASSERT_TRUE(apply.request) << apply.error;
    EXPECT_EQ(apply.request->command, Command::Apply);
    EXPECT_EQ(apply.request->file, "site.conf");
    EXPECT_TRUE(apply.request->all);
    EXPECT_TRUE(apply.request->quiet);
    EXPECT_TRUE(apply.request->verify);

    const auto save = parse({"save", "--port", "/dev/ttyUSB0", "out.conf"});
    ASSERT_TRUE(save.request) << save.error;
    EXPECT_EQ(save.request->file, "out.conf");
    EXPECT_EQ(save.request->ports, std::vector<std::string> {"/dev/ttyUSB0"});
    // Names are bytes in any encoding, and come through unchanged.
    const auto latin1
        = parse({"save", "--port", "/dev/serial/by-id/usb-\xe9\xff", "site\xe9.conf"});
    ASSERT_TRUE(latin1.request) << latin1.error;
    EXPECT_EQ(latin1.request->file, "site\xe9.conf");
    EXPECT_EQ(latin1.request->ports, std::vector<std::string> {"/dev/serial/by-id/usb-\xe9\xff"});
    EXPECT_EQ(parse({"apply", "--", "-\xc3\xa9.conf"}).request->file, "-\xc3\xa9.conf");
    EXPECT_TRUE(parse({"ports"}).request);
    EXPECT_TRUE(parse({"read"}).request);

    // Short options, alone, bundled or with their value attached; -name as --name.
    const auto shortOptions = parse({"-jq", "read", "-pCOM2", "-p", "usb-X-if00", "-port", "COM3"});
    ASSERT_TRUE(shortOptions.request) << shortOptions.error;
    EXPECT_TRUE(shortOptions.request->json);
    EXPECT_TRUE(shortOptions.request->quiet);
    EXPECT_EQ(
        shortOptions.request->ports, (std::vector<std::string> {"COM2", "usb-X-if00", "COM3"}));
    const auto lines = parse({"apply", "-", "-a", "--json-lines"});
    ASSERT_TRUE(lines.request) << lines.error;
    EXPECT_EQ(lines.request->file, "-");
    EXPECT_TRUE(lines.request->all);
    EXPECT_TRUE(lines.request->json && lines.request->jsonLines);
    const auto link = parse({"linktest", "-p", "COM1", "--serial", "19200-E", "--size", "240",
        "--interval", "20", "--duration", "1.5", "--max-loss", "2.5"});
    ASSERT_TRUE(link.request && link.request->linkTest) << link.error;
    EXPECT_EQ(link.request->linkTest->size, 240);
    EXPECT_EQ(link.request->linkTest->intervalMs, 20);
    EXPECT_EQ(link.request->linkTest->durationS, 1.5);
    EXPECT_EQ(link.request->linkTest->maxLossPercent, 2.5);
    EXPECT_EQ(link.request->linkTest->serial, (radio::SerialMode {0, 2}));
    EXPECT_FALSE(link.request->change.serial);
}

TEST(CommandLine, helpForTheProgramAndEachCommand)
{
    const std::vector<std::tuple<Arguments, core::Language, std::string>> rows = {
        {{"--help"}, kEnglish, "Usage: radiomodem-cli [OPTIONS] COMMAND [FILE]\n"},
        {{"help"}, kEnglish, "Usage: radiomodem-cli [OPTIONS] COMMAND [FILE]\n"},
        {{"-h"}, core::Language {0}, "用法:radiomodem-cli [OPTIONS] COMMAND [FILE]\n"},
        {{"help", "write"}, kEnglish, "Usage: radiomodem-cli write [-p P] [--channel N]"},
        {{"apply", "--help"}, kEnglish, "Usage: radiomodem-cli apply FILE"},
        {{"-h", "bench", "--bogus-after-help"}, kEnglish, "unknown option --bogus-after-help"},
        {{"check", "-h"}, core::Language {0}, "用法:radiomodem-cli check FILE"},
    };
    for (const auto& [arguments, language, start] : rows) {
        Arguments all {"radiomodem-cli"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        const auto parsed = parseCommandLine(all, language);
        EXPECT_FALSE(parsed.request);
        EXPECT_EQ((parsed.output + parsed.error).substr(0, start.size()), start);
    }
    // A command's help lists the options it takes, and only those.
    const std::string save = parse({"help", "save"}).output;
    EXPECT_NE(save.find("--no-id"), std::string::npos);
    EXPECT_EQ(save.find("--channel"), std::string::npos);
    EXPECT_NE(save.find("Examples:\n  radiomodem-cli save "), std::string::npos);
    EXPECT_NE(parse({"--help"}).output.find("6 verification mismatch"), std::string::npos);
}

// Columns on a terminal: CJK characters and full-width punctuation take two.
std::size_t columns(const std::string& line)
{
    std::size_t width = 0;
    for (const char32_t c : QString::fromStdString(line).toUcs4()) {
        const bool wide = (c >= 0x3000 && c <= 0x303F) || (c >= 0x4E00 && c <= 0x9FFF)
            || (c >= 0xFF00 && c <= 0xFF60);
        width += wide ? 2 : 1;
    }
    return width;
}

std::string withoutSpaces(std::string text)
{
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
    return text;
}

// Every help text, in both languages, fits a terminal of 80 columns, and the wrapping loses
// nothing.
TEST(CommandLine, helpFitsEightyColumns)
{
    for (const core::Language language : {kEnglish, core::Language {0}}) {
        for (const char* command :
            {"", "ports", "read", "write", "save", "apply", "check", "bench", "linktest"}) {
            Arguments arguments {"radiomodem-cli", "help"};
            if (*command)
                arguments.push_back(command);
            const std::string help = parseCommandLine(arguments, language).output;
            std::istringstream lines(help);
            for (std::string line; std::getline(lines, line);)
                EXPECT_LE(columns(line), 80u) << line;
        }
    }
    const std::string general
        = withoutSpaces(parseCommandLine({"radiomodem-cli", "help"}, core::Language {0}).output);
    for (const char* text : {"在各端口上逐台写入参数文件:等待电台、写入、校验、记录,再等待取下电台",
             "退出状态:0成功,2用法错误,3未找到电台,4端口错误,5写入失败或被拒绝,"
             "6校验不符或电台与文件不一致,"})
        EXPECT_NE(general.find(text), std::string::npos) << text;
    EXPECT_NE(withoutSpaces(parse({"help", "write"}).output)
                  .find("Usage:radiomodem-cliwrite[-pP][--channelN][--serial9600-N][--air-rateR]["
                        "--id123456][--no-verify]"),
        std::string::npos);
}

TEST(CommandLine, usageErrorsSayWhatIsWrong)
{
    const std::vector<std::pair<Arguments, std::string>> rows = {
        {{}, "name a command"},
        {{"erase"}, "unknown command erase (see --help)"},
        {{"raed"}, "unknown command raed; did you mean read?"},
        {{"linktest"}, "linktest needs one --port: the radio of the measuring station"},
        {{"linktest", "-p", "COM1", "--size", "7"},
            "--size: \"7\": give the bytes a packet, 8 to 240"},
        {{"linktest", "-p", "COM1", "--interval", "0"},
            "--interval: \"0\": give the milliseconds between packets, 1 or more"},
        {{"linktest", "-p", "COM1", "--max-loss", "101"},
            "--max-loss: \"101\": give a percentage above 0, at most 100"},
        {{"linktest", "-p", "COM1", "--all"}, "--all does not go with linktest"},
        {{"read", "--size", "9"}, "--size does not go with read"},
        {{"Apply", "f"}, "unknown command Apply; did you mean apply?"},
        {{"help", "chek"}, "unknown command chek; did you mean check?"},
        {{"read", "--jsno"}, "unknown option --jsno; did you mean --json?"},
        {{"read", "--sameid"}, "unknown option --sameid; did you mean --same-id?"},
        {{"read", "-x"}, "unknown option -x (see --help)"},
        {{"read", "--json=yes"}, "--json takes no value"},
        {{"read", "-p"}, "-p needs a value, P"},
        {{"read", "-p", "com2"},
            "--port com2: the ports are COM1 to COM8, a device path or a "
            "/dev/serial/by-id name; did you mean COM2?"},
        {{"read", "-p", "COM9"},
            "--port COM9: the ports are COM1 to COM8, a device path or a "
            "/dev/serial/by-id name"},
        {{"read", "-p", "ttyUSB0"},
            "--port ttyUSB0: the ports are COM1 to COM8, a device path or "
            "a /dev/serial/by-id name; did you mean /dev/ttyUSB0?"},
        {{"read", "-p", ""}, "--port : the ports are"},
        {{"save", "-", "--all"}, "save --all needs a folder, not -"},
        {{"save", "-", "--json"}, "save - writes the settings file to standard output"},
        {{"save"}, "the command takes one settings FILE"},
        {{"read", "extra"}, "too many arguments"},
        {{"write"}, "name a value to write"},
        {{"write", "--channel", "33"}, "--channel: \"33\": the channel is 1 to 32"},
        {{"write", "--serial", "9600"}, "--serial: \"9600\""},
        {{"write", "--id", "12345"}, "--id: \"12345\""},
        {{"write", "--air-rate", "x"}, "--air-rate: \"x\""},
        {{"write", "--channel", "3", "--all"}, "--all does not go with write"},
        {{"bench", "f"}, "bench needs --port"},
        {{"read", "--from", "9600"}, "--from: "},
        {{"read", "--timeout", "0"}, "--timeout: \"0\""},
        {{"bench", "f", "--port", "COM1", "--id-from", "12345a"}, "--id-from: \"12345a\""},
        {{"read", "--no-id"}, "--no-id does not go with read"},
        {{"ports", "--port", "COM1"}, "--port does not go with ports"},
        {{"read", "--channel", "3"}, "--channel does not go with read"},
        {{"apply", "f", "--all", "--port", "COM1"}, "--port and --all exclude each other"},
        {{"read", "--bogus"}, "unknown option --bogus (see --help)"},
        {{"read", "--port"}, "--port needs a value, P"},
        // Quoted arguments are escaped: the error stays one line of UTF-8.
        {{"\xe9rase\n\xe8\xaf\xbb"}, "unknown command \\xe9rase\\x0a\xe8\xaf\xbb (see --help)"},
        {{"read", "--a\\b\xff"}, "unknown option --a\\\\b\\xff (see --help)"},
    };
    for (const auto& [arguments, error] : rows) {
        const auto parsed = parse(arguments);
        EXPECT_FALSE(parsed.request) << error;
        EXPECT_EQ(parsed.error.substr(0, error.size()), error);
    }
    EXPECT_EQ(parseCommandLine({"radiomodem-cli", "write"}, core::Language {0}).error,
        "请指定要写入的参数:--channel、--serial、--air-rate 或 --id");
    EXPECT_EQ(parseCommandLine({"radiomodem-cli", "read", "--jsno"}, core::Language {0}).error,
        "未知的选项 --jsno;您是不是要输入 --json?");
}

} // namespace
} // namespace cli
