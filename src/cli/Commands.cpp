#include "Commands.h"

#include "Bench.h"
#include "LinkTestCommand.h"
#include "Output.h"
#include "PortTargets.h"
#include "ProbeCache.h"
#include "RadioConversation.h"
#include "Record.h"
#include "platform/PosixSerialPort.h"
#include "serial/PortTexts.h"

#include <future>
#include <mutex>
#include <unistd.h>

namespace cli {

namespace {

const char* commandName(Command command)
{
    switch (command) {
    case Command::Ports:
        return "ports";
    case Command::Read:
        return "read";
    case Command::Write:
        return "write";
    case Command::Save:
        return "save";
    case Command::Apply:
        return "apply";
    case Command::Check:
        return "check";
    case Command::Bench:
        return "bench";
    case Command::LinkTest:
        return "linktest";
    }
    return "";
}

// What differs between the radio and the file, "channel: radio 3, file 21; ..."; empty when
// the radio holds every value the file names.
std::string differencesText(const radio::RadioSettings& file, const radio::WriteValues& held,
    const core::Language& language)
{
    const radio::WriteValues wanted = radio::applySettings(held, file);
    const auto radioTexts = valueTexts(held);
    const auto fileTexts = valueTexts(wanted);
    const std::array<const char*, radio::RadioSession::kSteps> keys
        = {"air-rate", "id", "channel", "serial"};
    std::string text;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (radioTexts[i] == fileTexts[i])
            continue;
        text += (text.empty() ? "" : "; ") + std::string(keys[i]) + ": "
            + language.pick("radio ", "电台 ") + radioTexts[i] + language.pick(", file ", ",文件 ")
            + fileTexts[i];
    }
    return text;
}

class Runner
{
public:
    Runner(const Request& request, const radio::RadioSettings& change, ProbeCache& cache,
        platform::SerialPortProvider& ports, const core::Language& language, std::ostream& err,
        bool errIsTerminal)
        : m_request(request),
          m_change(change),
          m_cache(cache),
          m_ports(ports),
          m_language(language),
          m_err(err),
          m_showProgress(errIsTerminal && !request.quiet),
          m_deadline(deadlineOf(request))
    { }

    // The conversation of the command on every port in targets at once (apply --all), or on
    // the first port in order where a radio answers the probe: that port's outcome is the
    // result, whatever it is, and the ports before it without a radio are left out.
    std::vector<PortResult> run(const std::vector<PortTarget>& targets, bool everyPort)
    {
        std::vector<PortResult> results;
        if (everyPort) {
            // Opening goes through the shared port list, one at a time; the radios then talk
            // in parallel.
            std::vector<std::unique_ptr<PortRun>> runs;
            for (const PortTarget& target : targets)
                runs.push_back(std::make_unique<PortRun>(m_ports, target, m_language));
            std::vector<std::future<void>> talks;
            for (auto& run : runs) {
                if (run->isOpen())
                    talks.push_back(std::async(std::launch::async,
                        [this, &run, &target = run->target()] { converse(*run, target); }));
            }
            for (auto& talk : talks)
                talk.get();
            for (auto& run : runs) {
                if (run->hasNoDevice())
                    run->result().outcome = Outcome::NoRadio;
                results.push_back(std::move(run->result()));
            }
            return results;
        }
        for (const PortTarget& target : targets) {
            PortRun run(m_ports, target, m_language);
            if (run.isOpen())
                converse(run, target);
            results.push_back(std::move(run.result()));
            // A radio that failed is never replaced by the next port's: that one would be
            // written instead. A signal ends the search too.
            if (results.back().radioFound || results.back().outcome == Outcome::Interrupted) {
                results.erase(results.begin(), results.end() - 1);
                break;
            }
        }
        return results;
    }

private:
    void converse(PortRun& run, const PortTarget& target)
    {
        const Progress progress = [this, &run](const std::string& text) {
            if (!m_showProgress)
                return;
            const std::lock_guard lock(m_progressMutex);
            m_err << printable(run.result().port) << ": " << text << "\n" << std::flush;
        };
        const bool fileMode = m_request.command != Command::Write;
        const Approach approach {
            firstMode(m_request.from, fileMode ? m_change.serial : std::nullopt, m_cache,
                target.identity),
            m_deadline};
        PortResult& result = run.result();
        if (m_request.command == Command::Write || m_request.command == Command::Apply)
            writeRadio(
                run.link(), approach, m_change, m_request.verify, m_language, progress, result);
        else
            readRadio(run.link(), approach, m_language, progress, result);
        if (const auto mode = answeredMode(result))
            m_cache.remember(target.identity, *mode);
        if (m_request.command == Command::Check && result.outcome == Outcome::Ok) {
            if (const std::string differences
                = differencesText(m_change, result.before->held, m_language);
                !differences.empty()) {
                result.outcome = Outcome::Differs;
                result.reasonCode = "differs";
                result.reason = differences;
            }
        }
    }

    const Request& m_request;
    const radio::RadioSettings& m_change;
    ProbeCache& m_cache;
    platform::SerialPortProvider& m_ports;
    const core::Language& m_language;
    std::ostream& m_err;
    bool m_showProgress;
    std::chrono::steady_clock::time_point m_deadline;
    std::mutex m_progressMutex;
};

// save --all: FOLDER/COM1-123456.conf, the port named by its last path element when it is no
// COMn.
std::string fileNameFor(const std::string& folder, const PortResult& result)
{
    const std::string port = result.port.substr(result.port.find_last_of('/') + 1);
    return folder + "/" + port + "-" + radio::idText(result.before->held.id) + ".conf";
}

void reportFailures(const std::vector<PortResult>& results, std::ostream& err)
{
    for (const PortResult* failure : failuresOf(results))
        err << "radiomodem-cli: " << printable(failure->port) << ": " << oneLine(failure->reason)
            << "\n";
}

// The read radio's values with the model, port and time of the read, for a settings file.
radio::RadioSettings settingsOfResult(const PortResult& result)
{
    radio::RadioSettings settings = radio::settingsOf(result.before->held);
    settings.model = radio::modelVersionText(result.before->version);
    settings.port = printable(result.port)
        + (result.device.empty() || result.device == result.port ? ""
                                                                 : " " + printable(result.device));
    settings.readAt = result.readAt;
    return settings;
}

// "site.conf:2: channel: ...", as compilers name a place in a file, so that an editor can go to
// it; standard input is <stdin>.
std::string fileErrorText(
    const std::string& file, const radio::SettingsError& error, const core::Language& language)
{
    std::string text = (file == "-" ? std::string("<stdin>") : printable(file)) + ":";
    if (error.line > 0)
        text += std::to_string(error.line) + ":";
    if (!error.key.empty())
        text += " " + printable(error.key) + ":";
    return text + " " + oneLine(error.reason.in(language));
}

// A file that sets the ID, for several radios: each would get the same ID.
bool clonesId(const Request& request, const radio::RadioSettings& change)
{
    const bool severalRadios = request.all || request.ports.size() > 1
        || (request.command == Command::Bench && !request.idFrom);
    return change.id && severalRadios && !request.sameId;
}

} // namespace

ExitCode runCommand(const Request& request, platform::SerialPortProvider& ports,
    const core::Language& language, std::ostream& out, std::ostream& err, bool errIsTerminal)
{
    const std::string command = commandName(request.command);
    // A command that ends before any port: one line on stderr (after the program's name, unless
    // it names a place in a file), and with --json a document that says why, so that a script
    // reading standard output is never left with nothing.
    const auto refuse = [&](ExitCode code, const char* reasonCode, const std::string& reason,
                            bool named = true) {
        err << (named ? "radiomodem-cli: " : "") << reason << "\n";
        if (request.json)
            out << errorJson(command, request.file, code, reasonCode, reason, request.jsonLines);
        return code;
    };
    if (request.command == Command::LinkTest)
        return runLinkTest(request, ports, language, out, err);
    if (request.command == Command::Ports) {
        out << (request.json ? portsJson(ports, language, request.jsonLines)
                             : portsTable(ports, language));
        return ExitCode::Ok;
    }
    radio::RadioSettings change = request.change;
    const bool readsFile = request.command == Command::Apply || request.command == Command::Check
        || request.command == Command::Bench;
    if (readsFile) {
        // The file is checked whole before any port is opened: a refused file sends nothing.
        const auto loaded = request.file == "-" ? radio::readSettings(STDIN_FILENO)
                                                : radio::loadSettingsFile(request.file);
        if (const auto* error = std::get_if<radio::SettingsError>(&loaded))
            return refuse(ExitCode::FileError, "file-refused",
                fileErrorText(request.file, *error, language), false);
        change = std::get<radio::RadioSettings>(loaded);
    }
    if (request.command != Command::Check && clonesId(request, change))
        return refuse(ExitCode::Usage, "same-id-refused",
            language.pick("the file sets the ID, and every radio would get the same one; "
                          "give --same-id if that is meant, or leave id out of the file",
                "该文件设置了 ID,所有电台将得到相同的 ID;若确需如此请加 --same-id,"
                "否则请从文件中删去 id"));
    const std::vector<PortTarget> targets = resolvePorts(ports, request.ports);
    if (targets.empty())
        return refuse(ExitCode::NoRadio, "no-device",
            language.pick("no serial port has a device", "没有串口连接设备"));
    std::unique_ptr<Record> record;
    if (!request.record.empty()) {
        record = std::make_unique<Record>(request.record, request.json);
        if (record->error())
            return refuse(ExitCode::FileError, "record-refused",
                language.pick("could not open the record ", "无法打开记录文件 ")
                    + printable(request.record) + ": " + record->error()->in(language));
    }
    ProbeCache cache(ProbeCache::defaultPath());
    if (request.command == Command::Bench)
        return runBench(request, change, targets, ports, cache, record.get(), language, out, err,
            errIsTerminal);
    Runner runner(request, change, cache, ports, language, err, errIsTerminal);
    std::vector<PortResult> results = runner.run(targets, request.all || request.ports.size() > 1);
    reportFailures(results, err);
    ExitCode code = exitCodeOf(results);
    const auto fileError = [&](const std::string& text) {
        err << "radiomodem-cli: " << oneLine(text) << "\n";
        code = code == ExitCode::Ok ? ExitCode::FileError : code;
    };
    for (std::size_t i = 0; record && i < results.size(); ++i) {
        if (results[i].radioFound && !record->append(0, results[i]))
            fileError(language.pick("could not write the record ", "无法写入记录文件 ")
                + printable(request.record));
    }
    if (request.command == Command::Save) {
        for (PortResult& result : results) {
            if (result.outcome != Outcome::Ok)
                continue;
            const std::string path = request.all ? fileNameFor(request.file, result) : request.file;
            radio::RadioSettings settings = settingsOfResult(result);
            if (request.noId)
                settings.id.reset();
            if (path == "-") {
                out << radio::serializeSettings(settings);
                continue;
            }
            const auto saved = radio::saveSettingsFile(path, settings);
            if (saved.error) {
                result.reasonCode = "save-failed";
                result.reason = radio::saveFailureText(path, *saved.error, language);
                fileError(result.reason);
                continue;
            }
            result.savedTo = path;
            if (saved.warning)
                err << "radiomodem-cli: "
                    << oneLine(radio::saveWarningText(path, *saved.warning, language)) << "\n";
        }
    }
    // Standard output may carry the records or the settings file instead.
    if (request.record != "-" && !(request.command == Command::Save && request.file == "-"))
        out << (request.json ? resultsJson(command, request.file, results, code, request.jsonLines)
                             : resultsTable(results, language));
    return code;
}

} // namespace cli
