#include "cli/Commands.h"
#include "FakeSerialPort.h"
#include "TempDir.h"
#include "cli/Locale.h"
#include "cli/Output.h"
#include "cli/PortTargets.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sstream>

namespace cli {
namespace {

const core::Language kEnglish {1};
const core::Language kChinese {0};

class CommandsTest : public testing::Test
{
protected:
    ExitCode run(
        const std::vector<std::string>& arguments, const core::Language& language = kEnglish)
    {
        out.str({});
        err.str({});
        std::vector<std::string> all {"radiomodem-cli"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        const auto parsed = parseCommandLine(all, language);
        EXPECT_TRUE(parsed.request) << parsed.error;
        return runCommand(*parsed.request, ports, language, out, err, false);
    }

    fakes::FakeSerialPorts ports;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(CommandsTest, portsListsEveryComnAsThePortDialogNamesIt)
{
    const auto com1 = ports.add("COM1");
    com1->device.kind = platform::DeviceKind::Usb;
    com1->device.byId = "/dev/serial/by-id/usb-FTDI_A50285BI-if00-port0";
    const auto com3 = ports.add("COM3");
    com3->device.kind = platform::DeviceKind::Usb;
    com3->vanished = true;
    EXPECT_EQ(run({"ports"}), ExitCode::Ok);
    EXPECT_EQ(out.str().substr(0, out.str().find("COM4")),
        "Port  Device                                                    by-id\n"
        "COM1  /dev/ttyFAKE1 — USB serial adapter                        "
        "/dev/serial/by-id/usb-FTDI_A50285BI-if00-port0\n"
        "COM2  no device\n"
        "COM3  no device (/dev/ttyFAKE3 — USB serial adapter unplugged)\n");

    EXPECT_EQ(run({"ports", "--json"}, kChinese), ExitCode::Ok);
    const QJsonObject document
        = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object();
    const QJsonArray list = document["ports"].toArray();
    ASSERT_EQ(list.size(), 8);
    EXPECT_EQ(list[0]["device"].toString(), "/dev/ttyFAKE1");
    EXPECT_EQ(list[0]["identity"].toString(), "COM1");
    EXPECT_TRUE(list[0]["present"].toBool());
    EXPECT_FALSE(list[2]["present"].toBool());
    EXPECT_EQ(list[1]["description"].toString(), "无设备");
    EXPECT_FALSE(list[1].toObject().contains("device"));
}

TEST_F(CommandsTest, portNamesResolveToComnOrTheDevicePath)
{
    ports.add("COM2")->device.byId = "/dev/serial/by-id/usb-X-if00";
    ports.add("COM4");
    // A ninth adapter, which no COMn stands for.
    platform::SerialDevice ninth;
    ninth.path = "/dev/ttyUSB8";
    ninth.kernelName = "ttyUSB8";
    ports.others.push_back(ninth);
    const auto names = [&](const std::optional<std::string>& port) {
        std::vector<std::string> found;
        for (const PortTarget& target : resolvePorts(ports, port))
            found.push_back(target.name + "=" + target.device);
        return found;
    };
    using Names = std::vector<std::string>;
    EXPECT_EQ(names(std::nullopt),
        (Names {"COM2=/dev/ttyFAKE2", "COM4=/dev/ttyFAKE4", "/dev/ttyUSB8=/dev/ttyUSB8"}));
    EXPECT_EQ(run({"ports"}), ExitCode::Ok);
    EXPECT_TRUE(out.str().ends_with("\n/dev/ttyUSB8  /dev/ttyUSB8 — on-board serial port\n"))
        << out.str();
    EXPECT_EQ(names("COM7"), (Names {"COM7="}));
    EXPECT_EQ(names("/dev/ttyFAKE4"), (Names {"COM4=/dev/ttyFAKE4"}));
    EXPECT_EQ(names("usb-X-if00"), (Names {"COM2=/dev/ttyFAKE2"}));
    EXPECT_EQ(names("/dev/serial/by-id/usb-X-if00"), (Names {"COM2=/dev/ttyFAKE2"}));
    EXPECT_EQ(names("/dev/ttyS9"), (Names {"/dev/ttyS9=/dev/ttyS9"}));
}

TEST_F(CommandsTest, portFailuresGiveTheWindowsReasonOnOneLineAndTheirStatus)
{
    EXPECT_EQ(run({"read"}), ExitCode::NoRadio);
    EXPECT_EQ(err.str(), "radiomodem-cli: no serial port has a device\n");

    EXPECT_EQ(run({"read", "--port", "COM2"}), ExitCode::PortError);
    EXPECT_EQ(err.str(), "radiomodem-cli: COM2: Port open error! No device stands behind COM2.\n");

    ports.add("COM1")->refuseOpen = platform::OpenError::PermissionDenied;
    EXPECT_EQ(run({"save", "x.conf", "--port", "COM1", "--json"}, kChinese), ExitCode::PortError);
    EXPECT_EQ(err.str(),
        "radiomodem-cli: COM1: 打开通讯端口错误! 没有打开 /dev/ttyFAKE1 的权限。当前用户须属于 "
        "dialout "
        "组: sudo usermod -aG dialout $USER 然后注销并重新登录。\n");
    const QJsonObject document
        = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object();
    EXPECT_EQ(document["exit-code"].toInt(), 4);
    EXPECT_EQ(document["results"][0]["outcome"].toString(), "port-error");
    EXPECT_EQ(document["results"][0]["reason-code"].toString(), "permission-denied");
}

TEST_F(CommandsTest, aRefusedSettingsFileSendsNothing)
{
    fakes::TempDir dir;
    const auto port = ports.add("COM1");
    fakes::TempDir::write(dir.path("bad.conf"), "format = 1\nchannel = 40\n");
    EXPECT_EQ(run({"apply", dir.path("bad.conf"), "--all"}), ExitCode::FileError);
    EXPECT_EQ(err.str(), dir.path("bad.conf") + ":2: channel: \"40\": the channel is 1 to 32\n");
    EXPECT_TRUE(ports.attempts.empty());
    EXPECT_TRUE(port->writes.empty());
    EXPECT_EQ(run({"apply", dir.path("none.conf")}), ExitCode::FileError);
    EXPECT_EQ(err.str(), dir.path("none.conf") + ": No such file or directory\n");
    // With --json the refusal is a document too, saying the same.
    EXPECT_EQ(run({"check", dir.path("bad.conf"), "-j"}), ExitCode::FileError);
    const QJsonObject refusal
        = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object();
    EXPECT_EQ(refusal["reason-code"].toString(), "file-refused");
    EXPECT_EQ(refusal["exit-code"].toInt(), 7);
    EXPECT_EQ(refusal["reason"].toString().toStdString() + "\n", err.str());
}

TEST(CliOutput, resultsInATableAndInJson)
{
    PortResult verified;
    verified.port = "COM1";
    verified.device = "/dev/ttyUSB0";
    verified.before = RadioReading {1, 0x12, {1, {0x12, 0x34, 0x56}, 5, 1, 0}};
    verified.written = radio::WriteValues {1, {0x12, 0x34, 0x56}, 21, 1, 0};
    verified.readBack = verified.written;
    verified.readAt = "2026-12-01T10:00:00+01:00";
    PortResult lying = verified;
    lying.port = "COM2";
    lying.device = "/dev/ttyUSB1";
    lying.outcome = Outcome::Mismatch;
    lying.reason = "Channel: written 21, read back 5";
    lying.readBack->channel = 5;
    PortResult silent;
    silent.port = "COM3";
    silent.device = "/dev/ttyUSB2";
    silent.outcome = Outcome::NoRadio;
    const std::vector<PortResult> results {verified, lying, silent};

    EXPECT_EQ(resultsTable(results, kEnglish),
        "Port  Device        Result    Model      Channel  Air rate  Serial  ID\n"
        "COM1  /dev/ttyUSB0  verified  TALVEX1.2  21       1         9600-N  123456\n"
        "COM2  /dev/ttyUSB1  mismatch  TALVEX1.2  5        1         9600-N  123456\n"
        "COM3  /dev/ttyUSB2  no radio\n");
    EXPECT_EQ(resultsTable({results[2]}, kChinese),
        "端口  设备          结果    电台型号  信道号  空中速率  串口模式  ID\n"
        "COM3  /dev/ttyUSB2  无电台\n");

    const QJsonObject document = QJsonDocument::fromJson(
        QByteArray::fromStdString(
            resultsJson("apply", "site.conf", results, ExitCode::Mismatch, false)))
                                     .object();
    EXPECT_EQ(document["command"].toString(), "apply");
    EXPECT_EQ(document["file"].toString(), "site.conf");
    EXPECT_EQ(document["exit-code"].toInt(), static_cast<int>(ExitCode::Mismatch));
    EXPECT_EQ(document["format"].toInt(), 1);
    const QJsonObject second = document["results"][1].toObject();
    EXPECT_EQ(second["outcome"].toString(), "mismatch");
    EXPECT_EQ(second["reason"].toString(), "Channel: written 21, read back 5");
    EXPECT_EQ(second["model"].toString(), "TALVEX1.2");
    EXPECT_EQ(second["values"]["channel"].toInt(), 5) << "as read back";
    EXPECT_EQ(second["before"]["channel"].toInt(), 5);
    EXPECT_EQ(second["requested"]["channel"].toInt(), 21);
    EXPECT_EQ(second["read-back"]["serial"].toString(), "9600-N");
    EXPECT_EQ(second["read-back"]["air-rate-bps"].toInt(), 9600);
    EXPECT_EQ(second["read-back"]["id"].toString(), "123456");
    EXPECT_EQ(second["read-at"].toString(), "2026-12-01T10:00:00+01:00");
    // JSON Lines: a result a line, each a document of its own.
    const std::string lines = resultsJson("apply", "site.conf", results, ExitCode::Mismatch, true);
    ASSERT_EQ(std::count(lines.begin(), lines.end(), '\n'), 3) << lines;
    const QJsonObject third = QJsonDocument::fromJson(
        QByteArray::fromStdString(lines.substr(lines.rfind('\n', lines.size() - 2) + 1)))
                                  .object();
    EXPECT_EQ(third["format"].toInt(), 1);
    EXPECT_EQ(third["command"].toString(), "apply");
    EXPECT_EQ(third["file"].toString(), "site.conf");
    EXPECT_EQ(third["port"].toString(), "COM3");
}

// A radio that took part of a write shows what it holds as far as known: the values it took, the
// one sent unconfirmed as "?", the rest as read.
TEST(CliOutput, aPartlyWrittenRadioShowsWhatItTook)
{
    PortResult partly;
    partly.port = "/dev/tty\xff";
    partly.outcome = Outcome::PortError;
    partly.before = RadioReading {1, 0x12, {1, {0x12, 0x34, 0x56}, 5, 1, 0}};
    partly.written = radio::WriteValues {3, {0x65, 0x43, 0x21}, 21, 2, 1};
    partly.writeProgress = {2, 3};
    const std::string table = resultsTable({partly}, kEnglish);
    EXPECT_EQ(table.substr(table.find('\n') + 1),
        "/dev/tty\\xff          partly written  TALVEX1.2  ?        3         9600-N  654321\n");
    const QJsonObject result = QJsonDocument::fromJson(
        QByteArray::fromStdString(resultsJson("write", "", {partly}, ExitCode::PortError, false)))
                                   .object()["results"][0]
                                   .toObject();
    EXPECT_EQ(result["took"].toArray(), (QJsonArray {"air-rate", "id"}));
    EXPECT_EQ(result["unconfirmed"].toArray(), (QJsonArray {"channel"}));
    // What the radio holds: the values it took, the unconfirmed one null, never the one tried.
    EXPECT_EQ(result["values"].toObject(),
        (QJsonObject {{"air-rate", 3}, {"air-rate-bps", 2400}, {"id", "654321"},
            {"channel", QJsonValue()}, {"serial", "9600-N"}}));
}

TEST(CliOutput, exitStatusIsTheFirstFailuresInPortOrder)
{
    const auto code = [](std::vector<Outcome> outcomes) {
        std::vector<PortResult> results;
        for (const Outcome outcome : outcomes) {
            results.emplace_back();
            results.back().outcome = outcome;
        }
        return exitCodeOf(results);
    };
    EXPECT_EQ(code({}), ExitCode::NoRadio);
    EXPECT_EQ(code({Outcome::Ok, Outcome::Ok}), ExitCode::Ok);
    EXPECT_EQ(code({Outcome::Ok, Outcome::Mismatch, Outcome::WriteFailed}), ExitCode::Mismatch);
    EXPECT_EQ(code({Outcome::WriteFailed, Outcome::Mismatch}), ExitCode::WriteFailed);
    EXPECT_EQ(code({Outcome::NoRadio}), ExitCode::NoRadio);
    EXPECT_EQ(code({Outcome::NoRadio, Outcome::Ok, Outcome::NoRadio}), ExitCode::Ok)
        << "ports without a radio beside one that had one";
    EXPECT_EQ(code({Outcome::NoRadio, Outcome::PortError}), ExitCode::PortError);
}

TEST(CliOutput, chineseUnderAChineseLocaleOrLanguage)
{
    // LC_ALL, LC_MESSAGES, LANG, LANGUAGE, and whether the texts are English.
    using Row = std::tuple<const char*, const char*, const char*, const char*, bool>;
    const std::vector<Row> rows = {
        {nullptr, nullptr, nullptr, nullptr, true},
        {nullptr, nullptr, "zh_CN.UTF-8", nullptr, false},
        {nullptr, "zh_CN.UTF-8", "en_US.UTF-8", nullptr, false},
        {"C", "zh_CN.UTF-8", "zh_CN.UTF-8", nullptr, true},
        {"zh_CN.GB18030", nullptr, "en_GB.UTF-8", nullptr, false},
        {nullptr, nullptr, "en_US.UTF-8", "zh_TW:en", false},
        {nullptr, nullptr, "zh_CN.UTF-8", "de:en_GB:zh", true},
        {nullptr, nullptr, "zh_CN.UTF-8", "fr", false},
        {"C", nullptr, nullptr, "zh_CN", true},
    };
    for (const auto& [all, messages, lang, languages, english] : rows) {
        for (const auto& [name, value] : {std::pair {"LC_ALL", all}, {"LC_MESSAGES", messages},
                 {"LANG", lang}, {"LANGUAGE", languages}}) {
            if (value)
                setenv(name, value, 1);
            else
                unsetenv(name);
        }
        EXPECT_EQ(languageFromLocale().isEnglish(), english)
            << (lang ? lang : "-") << " " << (languages ? languages : "-");
    }
}

} // namespace
} // namespace cli
