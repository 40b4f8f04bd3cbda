#include "CliRun.h"
#include "JsonSchema.h"
#include "SimProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The last line of the output: the summary, and with --json the whole document.
QJsonObject lastJson(const std::string& out)
{
    const std::size_t end = out.find_last_not_of('\n');
    const std::size_t start = out.rfind('\n', end);
    const std::size_t first = start == std::string::npos ? 0 : start + 1;
    return QJsonDocument::fromJson(QByteArray::fromStdString(out.substr(first, end + 1 - first)))
        .object();
}

} // namespace

// 2000 packets through a simulated link that loses 5 % and corrupts 1 % of the packets on each
// crossing, to a far radio that loops them back: a packet is lost when either crossing loses it
// (9.75 %) and corrupted when both carry it and either flips a bit (1.80 %).
TEST(LinkTestEndToEnd, measuresTheConfiguredLossCorruptionAndRoundTrip)
{
    const int latencyMs = 50;
    simtest::SimProcess sim({"--link", "--echo2", "--loss", "5", "--corrupt", "1", "--latency-ms",
        std::to_string(latencyMs), "--air-delay-us", "0", "--speed", "19200", "--speed2", "19200",
        "--seed", "11"});
    const auto run = simtest::runCli({"linktest", "-p", sim.ptyPath(), "--serial", "19200-N",
        "--size", "16", "--interval", "20", "--duration", "40", "--max-loss", "50", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject summary = lastJson(run.out);
    const auto faults = simtest::loadJsonSchema(RADIOMODEM_CLI_SCHEMA).faults(summary);
    EXPECT_TRUE(faults.empty()) << faults.front();

    const double sent = summary["sent"].toInt();
    EXPECT_GE(sent, 1900); // a tick the machine delays costs a packet, never a burst
    EXPECT_NEAR(summary["lost"].toInt() * 100.0 / sent, 9.75, 1.0);
    EXPECT_NEAR(summary["corrupted"].toInt() * 100.0 / sent, 1.80, 1.0);
    int intervalSent = 0;
    for (const auto interval : summary["intervals"].toArray())
        intervalSent += interval.toObject()["sent"].toInt();
    EXPECT_EQ(intervalSent, sent);
    // Both wire times of 16 bytes at 19200 bit/s (10 bits a byte) and the latency each way.
    const double bound = 1.3 * (2 * 16 * 10 * 1000.0 / 19200 + 2 * latencyMs);
    EXPECT_LE(summary["round-trip-median-ms"].toInt(), bound);
}

TEST(LinkTestEndToEnd, aDeadLinkFailsAndLinesFollowTheSchema)
{
    simtest::SimProcess sim(
        {"--link", "--echo2", "--loss", "100", "--speed", "19200", "--speed2", "19200"});
    const auto run = simtest::runCli({"linktest", "-p", sim.ptyPath(), "--serial", "19200-N",
        "--interval", "100", "--duration", "2", "--json-lines"});
    EXPECT_EQ(run.status, 6) << run.err;
    const auto schema = simtest::loadJsonSchema(RADIOMODEM_CLI_SCHEMA);
    int lines = 0;
    for (std::size_t at = 0; at < run.out.size(); at = run.out.find('\n', at) + 1, ++lines) {
        const auto line = QJsonDocument::fromJson(
            QByteArray::fromStdString(run.out.substr(at, run.out.find('\n', at) - at)));
        const auto faults = schema.faults(line.object());
        EXPECT_TRUE(faults.empty()) << faults.front();
    }
    EXPECT_GE(lines, 3); // two intervals and the summary
    EXPECT_EQ(lastJson(run.out)["reason-code"].toString(), "too-many-errors");
}
