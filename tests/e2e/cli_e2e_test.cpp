// radiomodem-cli as a technician runs it, against simulated radios on ptys.
#include "CliRun.h"
#include "JsonSchema.h"
#include "RadioModel.h"
#include "SimOptions.h"
#include "SimProcess.h"
#include "TempDir.h"
#include "radio/SettingsFile.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

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

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> found;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        found.push_back(line);
    return found;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The radio's values, as the command's JSON names them, after the frames its log says it
// answered: the simulator's own radio model replays them from the settings it started with.
QJsonObject radioAfter(const radiosim::RadioConfig& start, const std::vector<std::string>& log)
{
    radiosim::Radio radio(start, 1);
    for (const std::string& line : log) {
        const auto at = line.find(" answered ");
        if (at == std::string::npos)
            continue;
        radiosim::Bytes frame;
        std::istringstream hex(line.substr(at + 10));
        for (unsigned value = 0; hex >> std::hex >> value;)
            frame.push_back(static_cast<std::uint8_t>(value));
        if (const auto serial = radio.answer(frame).serialAfterAnswer)
            radio.setSerial(*serial);
    }
    return {
        {"air-rate", radio.airRate()},
        {"id", QString::fromStdString(radio::idText(radio.id()))},
        {"channel", radio.channel()},
        {"serial", QString::fromStdString(radiosim::settingsLabel(radio.serial()))},
    };
}

// What the command's result says the radio holds ("values"; without them, what it started with)
// is what the radio's own log says it holds. A value sent but not confirmed is null: it may be
// either, and is never shown as if the radio held it.
void expectRadioAsReported(const radiosim::RadioConfig& start, const std::vector<std::string>& log,
    const QJsonObject& result)
{
    const QJsonObject after = radioAfter(start, log);
    const QJsonObject reported
        = result.contains("values") ? result["values"].toObject() : radioAfter(start, {});
    for (const QString& key : after.keys()) {
        if (!reported[key].isNull()) {
            EXPECT_EQ(reported[key].toVariant().toString(), after[key].toVariant().toString())
                << key.toStdString() << " in " << QJsonDocument(result).toJson().toStdString();
        }
    }
    for (const auto unconfirmed : result["unconfirmed"].toArray())
        EXPECT_TRUE(reported[unconfirmed.toString()].isNull())
            << unconfirmed.toString().toStdString();
}

// The port can be had again: no exclusive flag left on the tty, no lock.
bool portReleased(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int exclusive = 1;
    const bool released = fd >= 0 && ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive == 0
        && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0)
        ::close(fd);
    return released;
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
    EXPECT_FALSE(result["read-at"].toString().isEmpty());
    EXPECT_EQ(result["model"].toString(), "TALVEX1.2") << "as the table and the file name it";
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
        EXPECT_EQ(result["requested"]["channel"].toInt(), 21);
        EXPECT_EQ(result["requested"]["air-rate"].toInt(), 2) << "the radio's own";
        EXPECT_EQ(result["requested"]["air-rate-bps"].toInt(), 4800);
        EXPECT_EQ(result["before"]["channel"].toInt(), 3);
        EXPECT_EQ(result["read-back"]["channel"].toInt(), 21);
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
        EXPECT_EQ(result["read-back"]["channel"].toInt(), 12);
        EXPECT_EQ(result["read-back"]["serial"].toString(), "9600-N");
    }
    EXPECT_EQ(results.at(2)["read-back"]["id"].toString(), "111111");
    EXPECT_EQ(results.at(7).toObject()["outcome"].toString(), "no-radio");
}

// Two radios, on COM1 and COM2, the first one failing. Its outcome is the command's: a search
// (no --port) never writes the second radio instead, and apply --all reports both.
TEST(CliEndToEnd, everyPortsOutcomeStands)
{
    struct Row
    {
        const char* name;
        std::vector<std::string> first; // how the radio on COM1 misbehaves
        bool all;
        int status;
        const char* reason; // in the one line on stderr, for COM1
        QString reasonCode;
    };
    const std::vector<Row> rows = {
        {"vanishing radio, search", {"--vanish-after", "8"}, false, 4,
            "The radio took: air rate, ID", "device-gone"},
        {"radio refusing writes, search", {"--refuse-writes"}, false, 5, "Write error!",
            "write-refused"},
        {"vanishing radio, all", {"--vanish-after", "8"}, true, 4, "The radio took: air rate, ID",
            "device-gone"},
        {"lying radio, all", {"--ignore-write", "id"}, true, 6,
            "ID: written 654321, read back 123456", "mismatch"},
    };
    fakes::TempDir dir;
    const std::string file = dir.path("site.conf");
    std::ofstream(file) << "format = 1\nchannel = 12\nair-rate = 3\nid = 654321\n";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        simtest::SimProcess first(row.first);
        simtest::SimProcess second({});
        std::vector<std::string> args = {"apply", file, "--json"};
        if (row.all)
            args.insert(args.end(), {"--all", "--same-id"});
        const simtest::CliRun run
            = runCli(args, simtest::onlyPorts({first.ptyPath(1), second.ptyPath(1)}));
        EXPECT_EQ(run.status, row.status) << run.out << run.err;
        const auto errors = lines(run.err);
        ASSERT_EQ(errors.size(), 1u) << run.err;
        EXPECT_EQ(errors[0].rfind("radiomodem-cli: COM1: ", 0), 0u) << errors[0];
        EXPECT_TRUE(contains(errors[0], row.reason)) << errors[0];
        const QJsonArray results = json(run)["results"].toArray();
        ASSERT_FALSE(results.isEmpty()) << run.out;
        EXPECT_EQ(results[0]["port"].toString(), "COM1");
        if (row.all) {
            EXPECT_EQ(results[1]["outcome"].toString(), "ok");
            EXPECT_EQ(results[1]["read-back"]["id"].toString(), "654321");
        } else {
            EXPECT_EQ(results.size(), 1);
            EXPECT_TRUE(second.logLines().empty()) << "the second radio was not even asked";
        }
        EXPECT_EQ(results[0]["reason-code"].toString(), row.reasonCode);
        // The replay of the log knows nothing of a lie: the liar is judged by its read back.
        if (row.first[0] != "--ignore-write")
            expectRadioAsReported({}, first.logLines(), results[0].toObject());
    }

    // A port that does not open has no radio to speak of: the search goes on to the next.
    simtest::SimProcess held({});
    simtest::SimProcess free({});
    const int fd = ::open(held.ptyPath(1).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    const simtest::CliRun run
        = runCli({"apply", file, "--json"}, simtest::onlyPorts({held.ptyPath(1), free.ptyPath(1)}));
    ::close(fd);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(firstResult(run)["port"].toString(), "COM2");
    EXPECT_TRUE(held.logLines().empty());
}

// SIGINT, SIGTERM and SIGHUP at moments spread over a write at 300 bit/s: the probe, the read,
// the write steps and the read back. Whatever the command said it wrote is what the radio
// holds, the write steps are never cut, the status says interrupted, and the port opens again.
TEST(CliEndToEnd, aSignalNeverLeavesAHalfWrittenRadio)
{
    constexpr int kMoments = 32;
    constexpr int kInProbe = 4; // the others are spread from the first frame at 300 bit/s on
    constexpr int kSpreadMs = 7500; // the read, the write and the read back
    constexpr int kParallel = 4;
    const std::vector<std::pair<int, std::string>> stops
        = {{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0, 1);

    struct Moment
    {
        std::size_t signal = 0;
        bool inProbe = false;
        std::chrono::milliseconds delay {};
        std::size_t framesBefore = 0; // frames the radio had received at 300 bit/s
        simtest::CliRun run;
        std::vector<std::string> log;
        bool released = false;
    };
    std::vector<Moment> moments(kMoments);
    for (int i = 0; i < kMoments; ++i) {
        Moment& moment = moments[static_cast<std::size_t>(i)];
        moment.signal = static_cast<std::size_t>(i) % stops.size();
        moment.inProbe = i < kInProbe;
        const double ms = moment.inProbe
            ? 500 + 8000 * unit(random)
            : (i - kInProbe + unit(random)) * kSpreadMs / (kMoments - kInProbe);
        moment.delay = std::chrono::milliseconds(static_cast<int>(ms));
    }
    const auto framesAt300 = [](const std::vector<std::string>& log) {
        return static_cast<std::size_t>(std::count_if(log.begin(), log.end(),
            [](const std::string& line) { return contains(line, " 300-N "); }));
    };
    std::atomic<std::size_t> next {0};
    const auto work = [&] {
        for (std::size_t i; (i = next++) < moments.size();) {
            Moment& moment = moments[i];
            simtest::SimProcess sim({"--speed", "300"});
            simtest::CliProcess cli({"write", "--json", "--port", sim.ptyPath(1), "--channel", "9",
                "--air-rate", "4", "--id", "654321"});
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (!moment.inProbe && framesAt300(sim.logLines()) == 0
                && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::this_thread::sleep_for(moment.delay);
            moment.framesBefore = framesAt300(sim.logLines());
            ::kill(cli.pid(), stops[moment.signal].first);
            moment.run = cli.wait();
            moment.released = portReleased(sim.ptyPath(1));
            moment.log = sim.logLines();
        }
    };
    std::vector<std::thread> workers;
    for (int i = 0; i < kParallel; ++i)
        workers.emplace_back(work);
    for (auto& worker : workers)
        worker.join();

    radiosim::RadioConfig start;
    start.serial.baud = 300;
    std::map<std::string, int> phases;
    for (const Moment& moment : moments) {
        const std::string& name = stops[moment.signal].second;
        SCOPED_TRACE(name + " after " + std::to_string(moment.framesBefore) + " frames");
        // Frames at 300 bit/s: the probe's, four of the read, the write's probe, four written.
        ++phases[moment.framesBefore == 0  ? "probe"
                : moment.framesBefore <= 5 ? "read"
                : moment.framesBefore <= 9 ? "write"
                                           : "read back"];
        const QJsonObject result = firstResult(moment.run);
        const QJsonArray took = result["took"].toArray();
        EXPECT_TRUE(result["unconfirmed"].toArray().isEmpty());
        if (moment.run.status == 0) { // the signal came after the end
            EXPECT_TRUE(result.contains("read-back")) << moment.run.out;
        } else {
            EXPECT_EQ(moment.run.status, 8) << moment.run.out << moment.run.err;
            EXPECT_EQ(result["outcome"].toString(), "interrupted");
            const auto errors = lines(moment.run.err);
            ASSERT_EQ(errors.size(), 1u) << moment.run.err;
            EXPECT_TRUE(contains(errors[0], "Interrupted by " + name)) << errors[0];
            if (took.isEmpty()) {
                EXPECT_TRUE(contains(errors[0], "nothing was written")) << errors[0];
            } else {
                EXPECT_EQ(took.size(), 4);
                EXPECT_TRUE(contains(errors[0], "written but not verified")) << errors[0];
            }
        }
        expectRadioAsReported(start, moment.log, result);
        EXPECT_TRUE(moment.released) << "the port opens again right after";
    }
    for (const char* phase : {"probe", "read", "write", "read back"})
        EXPECT_GE(phases[phase], 2) << phase;
}

// Output that cannot be written is a failure with one line on stderr, whatever the command.
TEST(CliEndToEnd, outputThatCannotBeWrittenIsAFailure)
{
    simtest::SimProcess sim({});
    const std::vector<std::vector<std::string>> commands
        = {{"read", "--json", "--port", sim.ptyPath(1)}, {"ports", "--json"}, {"--help"}};
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0]);
        const simtest::CliRun run = simtest::CliProcess(args, {}, "/dev/full").wait();
        EXPECT_EQ(run.status, 9);
        EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
        EXPECT_TRUE(contains(run.err, "No space left on device")) << run.err;
    }
}

// File and port names are bytes: one that is not UTF-8 is used as it is, and shown escaped.
TEST(CliEndToEnd, fileAndPortNamesPassAsBytes)
{
    simtest::SimProcess sim({"--channel", "17"});
    fakes::TempDir dir;
    const std::string port = dir.path("radio\xff");
    std::filesystem::create_symlink(sim.ptyPath(1), port);
    const std::string file = dir.path("site\xe9.conf");
    const simtest::CliRun save
        = runCli({"save", file, "--port", port, "--json"}, simtest::onlyPorts({}));
    ASSERT_EQ(save.status, 0) << save.err;
    EXPECT_EQ(dir.names(), (std::set<std::string> {"radio\xff", "site\xe9.conf"}));
    EXPECT_EQ(json(save)["file"].toString().toStdString(), dir.path("site\\xe9.conf"));
    EXPECT_EQ(firstResult(save)["port"].toString().toStdString(), dir.path("radio\\xff"));
    // The file it saved is UTF-8 and loads again, by its own name.
    const simtest::CliRun apply = runCli({"apply", file, "--port", port}, simtest::onlyPorts({}));
    EXPECT_EQ(apply.status, 0) << apply.err;
}

// "-" is standard output for save and standard input for apply: a radio's settings copied to
// another through a file that never touches the disk as such, and a refused one named <stdin>.
TEST(CliEndToEnd, settingsFilesOnStandardInputAndOutput)
{
    simtest::SimProcess a({"--channel", "17", "--speed", "4800"});
    simtest::SimProcess b({});
    fakes::TempDir dir;
    const simtest::CliRun save = runCli({"save", "-", "-p", a.ptyPath(1)});
    ASSERT_EQ(save.status, 0) << save.err;
    EXPECT_TRUE(contains(save.out, "\nchannel = 17\n")) << "only the file: " << save.out;
    std::ofstream(dir.path("piped.conf")) << save.out;
    std::ofstream(dir.path("typo.conf")) << "format = 1\nchanel = 3\n";
    const simtest::CliRun apply
        = simtest::CliProcess({"apply", "-", "-p", b.ptyPath(1)}, {}, {}, dir.path("piped.conf"))
              .wait();
    EXPECT_EQ(apply.status, 0) << apply.err;
    const QJsonObject copied = firstResult(runCli({"read", "-j", "-p", b.ptyPath(1)}));
    EXPECT_EQ(copied["values"]["channel"].toInt(), 17);
    EXPECT_EQ(copied["values"]["serial"].toString(), "4800-N");
    const simtest::CliRun typo
        = simtest::CliProcess({"check", "-", "-p", b.ptyPath(1)}, {}, {}, dir.path("typo.conf"))
              .wait();
    EXPECT_EQ(typo.status, 7);
    EXPECT_EQ(typo.err, "<stdin>:2: chanel: unknown key; did you mean channel?\n");
}

namespace {

// The frames of the radio's log, as "9600-N answered 55 AA ...".
std::vector<std::string> frames(const std::vector<std::string>& log)
{
    std::vector<std::string> found;
    for (const std::string& line : log)
        found.push_back(line.substr(line.find(' ') + 1));
    return found;
}

// Every frame the radio received was a read query: nothing was written.
bool onlyReads(const std::vector<std::string>& log)
{
    return std::all_of(log.begin(), log.end(), [](const std::string& line) {
        for (const auto& query : {radio::kQueryModelVersion, radio::kQueryAirRate,
                 radio::kQueryChannel, radio::kQueryId}) {
            char hex[4];
            std::string text;
            for (const std::uint8_t b : query) {
                std::snprintf(hex, sizeof hex, " %02X", b);
                text += hex;
            }
            if (line.ends_with(text))
                return true;
        }
        return false;
    });
}

} // namespace

// The probe starts at --from, else at the mode the device last answered at (a damaged cache is
// an empty one), and goes on round the table when that finds no radio.
TEST(CliEndToEnd, theProbeStartsWhereTheDeviceLastAnswered)
{
    struct Row
    {
        const char* name;
        std::vector<std::string> options;
        const char* cacheBefore; // written into the cache first; null: as the row before left it
        const char* firstFrame; // the mode of the probe's first frame
    };
    const std::vector<Row> rows = {
        {"no cache", {}, "", "9600-N"},
        {"the mode of the last read", {}, nullptr, "4800-N"},
        {"a damaged cache", {}, "\xff\n19200\n-N \n\0garbage", "9600-N"},
        {"--from", {"--from", "4800-N"}, "", "4800-N"},
        {"--from elsewhere", {"--from", "19200-E"}, nullptr, "19200-E"},
    };
    fakes::TempDir dir;
    const std::string port = dir.path("radio");
    const std::string cacheFile = dir.path("cache/radiomodem/probe-modes");
    simtest::SimProcess sim({"--speed", "4800", "--symlink", port});
    std::filesystem::create_directories(dir.path("cache/radiomodem"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.cacheBefore)
            std::ofstream(cacheFile) << row.cacheBefore;
        const std::size_t logged = sim.logLines().size();
        std::vector<std::string> args = {"read", "--json", "--port", port};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const simtest::CliRun run = runCli(args, {"XDG_CACHE_HOME=" + dir.path("cache")});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(firstResult(run)["values"].toObject()["serial"].toString(), "4800-N");
        const auto log = frames(sim.logLines());
        ASSERT_GT(log.size(), logged);
        EXPECT_EQ(log[logged].substr(0, log[logged].find(' ')), row.firstFrame);
        std::ifstream cache(cacheFile);
        std::string first;
        std::getline(cache, first);
        EXPECT_EQ(first, "4800-N " + port) << "the cache names the mode it answered at";
    }
    // --timeout bounds the whole run: a radio that never answers is a time-out, not a 13 s search.
    simtest::SimProcess mute({"--no-answer"});
    const simtest::CliRun run = runCli({"read", "--port", mute.ptyPath(1), "--timeout", "1.5"});
    EXPECT_EQ(run.status, 10) << run.err;
    EXPECT_TRUE(contains(run.err, "The time limit (--timeout) ran out.")) << run.err;
    EXPECT_LE(mute.logLines().size(), 3u);
}

// check compares and writes nothing; apply leaves a matching radio alone; fleet reads save a
// file and a record per radio; a file's ID for several radios needs --same-id.
TEST(CliEndToEnd, fleetChecksReadsAndTheIdNeverCloned)
{
    simtest::SimProcess a({"--channel", "12"});
    simtest::SimProcess b({"--channel", "3", "--id", "654321"});
    const auto pins = simtest::onlyPorts({a.ptyPath(1), b.ptyPath(1)});
    fakes::TempDir dir;
    std::ofstream(dir.path("site.conf")) << "format = 1\nchannel = 12\nserial = 9600-N\n";
    std::ofstream(dir.path("id.conf")) << "format = 1\nid = 111111\n";
    struct Row
    {
        std::vector<std::string> args;
        int status;
        const char* err; // in stderr
        std::vector<const char*> outcomes; // COM1, COM2
    };
    const std::vector<Row> rows = {
        {{"check", dir.path("site.conf"), "--port", "COM1"}, 0, "", {"ok"}},
        {{"check", dir.path("site.conf"), "--all"}, 6, "COM2: channel: radio 3, file 12",
            {"ok", "differs"}},
        {{"apply", dir.path("site.conf"), "--port", "COM1"}, 0, "", {"ok"}},
        {{"apply", dir.path("id.conf"), "--port", "COM1", "--port", "COM2"}, 2,
            "every radio would get the same one; give --same-id", {}},
        {{"read", "--all", "--record", dir.path("inventory.jsonl")}, 0, "", {"ok", "ok"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args[2]);
        std::vector<std::string> args = row.args;
        args.push_back("--json");
        const simtest::CliRun run = runCli(args, pins);
        EXPECT_EQ(run.status, row.status) << run.out << run.err;
        EXPECT_TRUE(contains(run.err, row.err)) << run.err;
        const QJsonArray results = json(run)["results"].toArray();
        for (std::size_t i = 0; i < row.outcomes.size(); ++i)
            EXPECT_EQ(results.at(static_cast<int>(i))["outcome"].toString(), row.outcomes[i]);
    }
    EXPECT_TRUE(onlyReads(a.logLines())) << a.log();
    EXPECT_TRUE(onlyReads(b.logLines())) << b.log();
    // The inventory: one JSON line a radio.
    std::ifstream inventory(dir.path("inventory.jsonl"));
    std::vector<QJsonObject> records;
    for (std::string line; std::getline(inventory, line);)
        records.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1]["values"].toObject()["id"].toString(), "654321");
    EXPECT_EQ(records[1]["format"].toInt(), 1);

    // save --all: a file a radio, named by port and ID; --no-id leaves the ID out.
    const simtest::CliRun save = runCli({"save", "--all", dir.path("saved"), "--no-id"}, pins);
    std::filesystem::create_directories(dir.path("saved"));
    const simtest::CliRun saveAgain = runCli({"save", "--all", dir.path("saved"), "--no-id"}, pins);
    ASSERT_EQ(saveAgain.status, 0) << saveAgain.err;
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path("saved")))
        names.insert(entry.path().filename());
    EXPECT_EQ(names, (std::set<std::string> {"COM1-123456.conf", "COM2-654321.conf"}));
    const auto saved = radio::loadSettingsFile(dir.path("saved/COM2-654321.conf"));
    ASSERT_TRUE(std::holds_alternative<radio::RadioSettings>(saved));
    EXPECT_FALSE(std::get<radio::RadioSettings>(saved).id);
    EXPECT_EQ(std::get<radio::RadioSettings>(saved).channel, 3);
    EXPECT_NE(save.status, 0) << "a folder that is not there is a failure";
}

// A bench over radios swapped on one pty: the simulator restarted with other settings for each
// unit. One record a unit with the true values before and after; the liar and the refuser are
// marked failed; a signal between radios ends it with the summary.
TEST(CliEndToEnd, aBenchOfRadiosSwappedOnOnePort)
{
    struct Unit
    {
        std::vector<std::string> sim;
        const char* result;
    };
    const std::vector<Unit> units = {
        {{"--channel", "5"}, "verified"},
        {{"--ignore-write", "channel"}, "mismatch"},
        {{"--refuse-writes"}, "write-failed"},
        {{"--speed", "300"}, "verified"},
        // Given the ID the refuser did not take, then kept by this one that holds it already.
        {{"--channel", "12", "--id", "000103", "--speed", "19200"}, "unchanged"},
    };
    fakes::TempDir dir;
    const std::string port = dir.path("radio");
    const std::string record = dir.path("record.csv");
    std::ofstream(dir.path("site.conf")) << "format = 1\nchannel = 12\nserial = 19200-N\n";
    simtest::CliProcess bench({"bench", dir.path("site.conf"), "--port", port, "--record", record,
        "--id-from", "000100"});
    const auto recordLines = [&] {
        std::ifstream file(record);
        std::vector<std::string> found;
        for (std::string line; std::getline(file, line);)
            found.push_back(line);
        return found;
    };
    std::vector<std::vector<std::string>> logs;
    for (std::size_t i = 0; i < units.size(); ++i) {
        simtest::SimProcess sim([&] {
            auto args = units[i].sim;
            args.insert(args.end(), {"--symlink", port});
            return args;
        }());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (recordLines().size() < i + 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        logs.push_back(sim.logLines());
    }
    ::kill(bench.pid(), SIGINT);
    const simtest::CliRun run = bench.wait();
    EXPECT_EQ(run.status, 6) << "the first failure's: " << run.err;
    EXPECT_TRUE(contains(run.out, "bench: 5 units, 3 done, 2 failed")) << run.out;
    EXPECT_TRUE(contains(run.out, "unit 1: " + port + " 123456 id 123456 → 000100")) << run.out;
    const auto lines = recordLines();
    ASSERT_EQ(lines.size(), units.size() + 1) << "a header and a line a unit";
    EXPECT_EQ(lines[0] + "\n",
        "time,unit,port,device,model,before_air_rate,before_id,"
        "before_channel,before_serial,after_air_rate,after_id,"
        "after_channel,after_serial,result,reason\n");
    for (std::size_t i = 0; i < units.size(); ++i) {
        SCOPED_TRACE(lines[i + 1]);
        std::vector<std::string> fields;
        std::istringstream stream(lines[i + 1]);
        for (std::string field; std::getline(stream, field, ',');)
            fields.push_back(field);
        ASSERT_GE(fields.size(), 14u) << "an empty reason is no field for getline";
        EXPECT_EQ(fields[1], std::to_string(i + 1));
        EXPECT_EQ(fields[13], units[i].result);
        // After: what the radio holds by its own log, the lie included; a value the refuser
        // did not confirm is "?".
        const radiosim::RadioConfig start = radiosim::parseOptions(units[i].sim).options->radio;
        const QJsonObject before = radioAfter(start, {});
        const QJsonObject after = radioAfter(start, logs[i]);
        EXPECT_EQ(fields[6], before["id"].toString().toStdString());
        EXPECT_EQ(fields[7], std::to_string(before["channel"].toInt()));
        EXPECT_EQ(fields[8], before["serial"].toString().toStdString());
        if (fields[9] != "?") {
            EXPECT_EQ(fields[9], std::to_string(after["air-rate"].toInt()));
        }
        EXPECT_EQ(fields[10], after["id"].toString().toStdString());
        EXPECT_EQ(fields[11], std::to_string(after["channel"].toInt()));
        EXPECT_EQ(fields[12], after["serial"].toString().toStdString());
    }
    EXPECT_TRUE(onlyReads(logs[4])) << "the matching unit was not written";
}

// Every JSON document and line the command prints, whatever the command and however it ended,
// follows the schema kept in the tree; so do the lines of a JSON record and of a bench.
TEST(CliEndToEnd, everyJsonOutputFollowsTheSchema)
{
    const simtest::JsonSchema schema = simtest::loadJsonSchema(RADIOMODEM_CLI_SCHEMA);
    simtest::SimProcess good({});
    simtest::SimProcess refuser({"--refuse-writes", "--channel", "9"});
    const auto pins = simtest::onlyPorts({good.ptyPath(1), refuser.ptyPath(1)});
    fakes::TempDir dir;
    const std::string site = dir.path("site.conf");
    const std::string record = dir.path("record.jsonl");
    std::ofstream(site) << "format = 1\nchannel = 12\nair-rate = 3\n";
    std::ofstream(dir.path("typo.conf")) << "format = 1\nchanel = 3\n";
    struct Row
    {
        std::vector<std::string> args;
        int status; // -1: any
    };
    const std::vector<Row> rows = {
        {{"ports", "-j"}, 0},
        {{"ports", "--json-lines"}, 0},
        {{"read", "-a", "-j", "--record", record}, 0},
        {{"apply", site, "-a", "--json-lines"}, 5},
        {{"check", site, "-a", "-j"}, 6},
        {{"write", "-p", "COM2", "--channel", "5", "-j"}, 5},
        {{"save", dir.path("none"), "-a", "-j"}, 7},
        {{"apply", dir.path("typo.conf"), "-j"}, 7},
        {{"bench", site, "-p", "COM1", "--json-lines", "--timeout", "4"}, -1},
    };
    std::vector<std::pair<std::string, std::string>> outputs; // the command, one document
    for (const Row& row : rows) {
        const simtest::CliRun run = runCli(row.args, pins);
        if (row.status >= 0) {
            EXPECT_EQ(run.status, row.status) << row.args[0] << "\n" << run.out << run.err;
        }
        const bool lines
            = std::find(row.args.begin(), row.args.end(), "--json-lines") != row.args.end();
        if (!lines)
            outputs.emplace_back(row.args[0], run.out);
        for (const std::string& line : lines ? ::lines(run.out) : std::vector<std::string> {})
            outputs.emplace_back(row.args[0] + " line", line);
    }
    std::ifstream recorded(record);
    for (std::string line; std::getline(recorded, line);)
        outputs.emplace_back("record", line);
    EXPECT_GE(outputs.size(), 20u);
    for (const auto& [command, text] : outputs) {
        QJsonParseError error {};
        const QJsonDocument document
            = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << command << ": " << text;
        const auto faults = schema.faults(document.object());
        EXPECT_TRUE(faults.empty()) << command << ": " << faults.front() << "\n" << text;
    }
    // The check itself can fail: a document without its format, a key the schema does not know,
    // a value out of its pattern.
    const auto parsed = [&](std::size_t i) {
        return QJsonDocument::fromJson(QByteArray::fromStdString(outputs[i].second)).object();
    };
    QJsonObject formatless = parsed(0);
    formatless.remove("format");
    QJsonObject unknownKey = parsed(outputs.size() - 1);
    unknownKey["airRate"] = 1;
    QJsonObject badSerial = parsed(outputs.size() - 1);
    QJsonObject values = badSerial["values"].toObject();
    values["serial"] = "9600";
    badSerial["values"] = values;
    for (const QJsonObject& broken : {formatless, unknownKey, badSerial})
        EXPECT_FALSE(schema.faults(broken).empty()) << QJsonDocument(broken).toJson().toStdString();
}
