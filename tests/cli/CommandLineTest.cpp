#include "cli/CommandLine.h"

#include <gtest/gtest.h>

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

    const auto help = parse({"--help"});
    EXPECT_FALSE(help.request);
    EXPECT_TRUE(help.error.empty());
    EXPECT_NE(help.output.find("6 verification mismatch"), std::string::npos);
    EXPECT_EQ(help.output.rfind("Usage: radiomodem-cli [options] command [FILE]", 0), 0u);
}

TEST(CommandLine, usageErrorsSayWhatIsWrong)
{
    const std::vector<std::pair<Arguments, std::string>> rows = {
        {{}, "name a command"},
        {{"erase"}, "unknown command erase"},
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
        {{"read", "--bogus"}, "Unknown option 'bogus'."},
        {{"read", "--port"}, "Missing value after '--port'."},
        // Quoted arguments are escaped: the error stays one line of UTF-8.
        {{"\xe9rase\n\xe8\xaf\xbb"}, "unknown command \\xe9rase\\x0a\xe8\xaf\xbb (see --help)"},
        {{"read", "--a\\b\xff"}, "Unknown option 'a\\\\b\\xff'."},
    };
    for (const auto& [arguments, error] : rows) {
        const auto parsed = parse(arguments);
        EXPECT_FALSE(parsed.request) << error;
        EXPECT_EQ(parsed.error.substr(0, error.size()), error) << parsed.error;
    }
    EXPECT_EQ(parseCommandLine({"radiomodem-cli", "write"}, core::Language {0}).error,
        "请指定要写入的参数:--channel、--serial、--air-rate 或 --id");
}

} // namespace
} // namespace cli
