#include "SimOptions.h"

#include <gtest/gtest.h>

namespace radiosim {
namespace {

SimOptions parsed(const std::vector<std::string>& args)
{
    const ParsedOptions result = parseOptions(args);
    EXPECT_TRUE(result.options) << result.error;
    return result.options.value_or(SimOptions {});
}

TEST(SimOptions, defaults)
{
    const SimOptions options = parsed({});
    EXPECT_EQ(options.radio.serial, (SerialSettings {9600, platform::Parity::None}));
    EXPECT_EQ(options.radio.model, 1);
    EXPECT_EQ(options.radio.version, 0x12);
    EXPECT_EQ(options.radio.channel, 1);
    EXPECT_EQ(options.radio.id, (std::array<std::uint8_t, 3> {0x12, 0x34, 0x56}));
    EXPECT_EQ(options.radio.registers[0x10], 0x10 ^ 0x5A);
    EXPECT_TRUE(options.pace);
    EXPECT_FALSE(options.link);
    EXPECT_FALSE(options.vanishAfter);
    EXPECT_EQ(options.turnaroundUs, 5'000);
    EXPECT_FALSE(options.stallAfterBytes);
    EXPECT_FALSE(options.adapterLatencyUs);
}

TEST(SimOptions, fullCommandLine)
{
    const SimOptions options = parsed({"--speed", "2400", "--parity", "even", "--version", "0x25",
        "--model", "17", "--id", "654321", "--register", "0x10=0xAB", "--register", "3=7",
        "--silent-register", "0x05", "--flood", "200", "--link", "--speed2", "300", "--channel",
        "32", "--error-rate", "0.25", "--seed", "9", "--vanish-after", "3", "--no-pace",
        "--split-answer", "40", "--log", "/tmp/x.log", "--symlink2", "/tmp/b", "--turnaround-ms",
        "12", "--stall-after-bytes", "0", "--ignore-write", "air-rate", "--adapter-latency-ms", "3",
        "--usb-adapter"});
    EXPECT_EQ(options.radio.serial, (SerialSettings {2400, platform::Parity::Even}));
    EXPECT_EQ(options.serial2, (SerialSettings {300, platform::Parity::Even}));
    EXPECT_EQ(options.radio.version, 0x25);
    EXPECT_EQ(options.radio.model, 17);
    EXPECT_EQ(options.radio.id, (std::array<std::uint8_t, 3> {0x65, 0x43, 0x21}));
    EXPECT_EQ(options.radio.registers[0x10], 0xAB);
    EXPECT_EQ(options.radio.registers[3], 7);
    EXPECT_EQ(options.radio.misbehaviour.silentRegisters, (std::set<std::uint8_t> {5}));
    EXPECT_EQ(options.radio.misbehaviour.floodBytes, 200u);
    EXPECT_EQ(options.radio.misbehaviour.splitAnswerMs, 40);
    EXPECT_EQ(options.radio.misbehaviour.ignoreWrite, IgnoredWrite::AirRate);
    EXPECT_EQ(options.radio.channel, 32);
    EXPECT_DOUBLE_EQ(options.errorRate, 0.25);
    EXPECT_EQ(options.seed, 9u);
    EXPECT_EQ(options.vanishAfter, 3u);
    EXPECT_FALSE(options.pace);
    EXPECT_EQ(options.turnaroundUs, 12'000);
    EXPECT_EQ(options.stallAfterBytes, 0u);
    EXPECT_EQ(options.adapterLatencyUs, 3'000) << "--usb-adapter keeps a latency given";
    EXPECT_EQ(parsed({"--usb-adapter"}).adapterLatencyUs, 16'000);
    EXPECT_EQ(options.logPath, "/tmp/x.log");
    EXPECT_EQ(options.symlink2, "/tmp/b");
}

TEST(SimOptions, airImpairmentsInPercentMillisecondsAndSeconds)
{
    const AirImpairments air
        = parsed({"--link", "--loss", "5", "--corrupt", "0.5", "--latency-ms", "30", "--jitter-ms",
                     "10", "--fade-period", "2.5", "--fade-depth", "60"})
              .air;
    EXPECT_DOUBLE_EQ(air.loss, 0.05);
    EXPECT_DOUBLE_EQ(air.corrupt, 0.005);
    EXPECT_EQ(air.latencyUs, 30'000);
    EXPECT_EQ(air.jitterUs, 10'000);
    EXPECT_EQ(air.fadePeriodUs, 2'500'000);
    EXPECT_DOUBLE_EQ(air.fadeDepth, 0.6);
    EXPECT_DOUBLE_EQ(parsed({"--link", "--fade-period", "1"}).air.fadeDepth, 1.0);
    EXPECT_FALSE(parsed({"--link"}).air.any());
}

TEST(SimOptions, idTakesDecimalDigitsOrRawHexBytes)
{
    const std::vector<std::pair<std::string, std::array<std::uint8_t, 3>>> rows = {
        {"000000", {0x00, 0x00, 0x00}},
        {"999999", {0x99, 0x99, 0x99}},
        {"0xFFFFFF", {0xFF, 0xFF, 0xFF}},
        {"0x129a56", {0x12, 0x9A, 0x56}},
        {"0X00FF10", {0x00, 0xFF, 0x10}},
    };
    for (const auto& [text, id] : rows)
        EXPECT_EQ(parsed({"--id", text}).radio.id, id) << text;
}

TEST(SimOptions, badCommandLinesAreRefused)
{
    const std::vector<std::vector<std::string>> rows = {
        {"--speed", "1234"},
        {"--speed", "9600x"},
        {"--parity", "mark"},
        {"--channel", "0"},
        {"--channel", "33"},
        {"--id", "12345"},
        {"--id", "12a456"},
        {"--id", "0xFFFFF"},
        {"--id", "0xFFFFFG"},
        {"--id", "0x12345678"},
        {"--version", "0x100"},
        {"--version", "0x"},
        {"--register", "0x21=1"},
        {"--register", "5"},
        {"--silent-register", "33"},
        {"--flood", "100"},
        {"--error-rate", "1.5"},
        {"--vanish-after", "0"},
        {"--turnaround-ms", "-1"},
        {"--turnaround-ms", "2.5"},
        {"--stall-after-bytes", "x"},
        {"--ignore-write", "parity"},
        {"--adapter-latency-ms", "0"},
        {"--adapter-latency-ms", "256"},
        {"--speed"},
        {"--speed2", "300"},
        {"--echo2"},
        {"--loss", "5"},
        {"--link", "--loss", "100.5"},
        {"--link", "--corrupt", "-1"},
        {"--link", "--latency-ms", "1.5"},
        {"--link", "--jitter-ms", "60001"},
        {"--link", "--fade-period", "0"},
        {"--link", "--fade-depth", "50"},
        {"--bogus"},
    };
    for (const auto& args : rows) {
        const ParsedOptions result = parseOptions(args);
        EXPECT_FALSE(result.options) << args[0];
        EXPECT_FALSE(result.error.empty()) << args[0];
    }
    EXPECT_TRUE(parseOptions({"--speed", "300", "--help"}).help);
}

} // namespace
} // namespace radiosim
