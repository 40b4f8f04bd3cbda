// radiomodem-cli as a technician runs it, against simulated radios on ptys.
#include "CliRun.h"
#include "SimProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using simtest::runCli;

QJsonObject json(const simtest::CliRun& run)
{
    return QJsonDocument::fromJson(run.out.c_str()).object();
}

QJsonObject firstResult(const simtest::CliRun& run)
{
    return json(run)["results"].toArray().at(0).toObject();
}

} // namespace

TEST(CliEndToEnd, readPrintsTheRadiosValuesAsJson)
{
    simtest::SimProcess sim({"--speed", "4800", "--parity", "odd", "--channel", "7", "--id",
        "654321", "--usb-adapter"});
    const simtest::CliRun run = runCli({"read", "--json", "--port", sim.ptyPath(1)});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << "no progress on a file: " << run.err;
    const QJsonObject result = firstResult(run);
    EXPECT_EQ(result["outcome"].toString(), "ok");
    const QJsonObject values = result["values"].toObject();
    EXPECT_EQ(values["channel"].toInt(), 7);
    EXPECT_EQ(values["serial"].toString(), "4800-O");
    EXPECT_EQ(values["id"].toString(), "654321");
    EXPECT_FALSE(result["readAt"].toString().isEmpty());
}

// A write reads first, changes only what is named, and reads the radio back; a radio that
// acknowledges a value without taking it gives the mismatch status.
TEST(CliEndToEnd, writeVerifiesAndALyingRadioGivesTheMismatchStatus)
{
    {
        // Even parity, which a pty does not keep: the port is not touched when the mode stays.
        simtest::SimProcess sim({"--channel", "3", "--air-rate", "2", "--parity", "even"});
        const simtest::CliRun run
            = runCli({"write", "--json", "--port", sim.ptyPath(1), "--channel", "21"});
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        const QJsonObject result = firstResult(run);
        EXPECT_EQ(result["written"].toObject()["channel"].toInt(), 21);
        EXPECT_EQ(result["written"].toObject()["airRate"].toInt(), 2) << "the radio's own";
        EXPECT_EQ(result["readBack"].toObject()["channel"].toInt(), 21);
        const simtest::CliRun again = runCli({"read", "--json", "--port", sim.ptyPath(1)});
        EXPECT_EQ(firstResult(again)["values"].toObject()["channel"].toInt(), 21);
    }
    simtest::SimProcess liar({"--channel", "3", "--ignore-write", "channel"});
    const simtest::CliRun run = runCli({"write", "--port", liar.ptyPath(1), "--channel", "21"});
    EXPECT_EQ(run.status, 6) << run.out << run.err;
    EXPECT_NE(run.err.find("Channel: written 21, read back 3"), std::string::npos) << run.err;
}

// Three radios at different serial settings, pinned to COM1 to COM3, configured from one file at
// once, each verified.
TEST(CliEndToEnd, applyAllConfiguresEveryRadioFromOneFile)
{
    simtest::SimProcess a({"--speed", "19200", "--usb-adapter"});
    simtest::SimProcess b({"--speed", "2400", "--parity", "even"});
    simtest::SimProcess c({"--speed", "9600", "--parity", "odd", "--id", "111111"});
    fakes::TempDir dir;
    std::ofstream(dir.path("site.conf")) << "format = 1\nchannel = 12\nserial = 9600-N\n";
    const simtest::CliRun run = runCli({"apply", dir.path("site.conf"), "--all", "--json"},
        simtest::onlyPorts({a.ptyPath(1), b.ptyPath(1), c.ptyPath(1)}));
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const QJsonArray results = json(run)["results"].toArray();
    ASSERT_EQ(results.size(), 8) << "COM4 to COM8 pinned to no device";
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const QJsonObject result = results.at(i).toObject();
        EXPECT_EQ(result["port"].toString(), "COM" + QString::number(i + 1));
        EXPECT_EQ(result["outcome"].toString(), "ok");
        EXPECT_EQ(result["readBack"].toObject()["channel"].toInt(), 12);
        EXPECT_EQ(result["readBack"].toObject()["serial"].toString(), "9600-N");
    }
    EXPECT_EQ(results.at(2).toObject()["readBack"].toObject()["id"].toString(), "111111");
    EXPECT_EQ(results.at(7).toObject()["outcome"].toString(), "no-radio");
}
