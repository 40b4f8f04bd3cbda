#include "Commands.h"

#include "Output.h"
#include "PortTargets.h"
#include "RadioConversation.h"
#include "platform/PosixSerialPort.h"
#include "serial/PortTexts.h"

#include <future>
#include <mutex>

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
    }
    return "";
}

// One port: opened, then its conversation.
class PortRun
{
public:
    PortRun(platform::SerialPortProvider& ports, const PortTarget& target,
        const core::Language& language)
    {
        m_result.port = target.name;
        m_result.device = target.device;
        platform::OpenResult opened = openTarget(ports, target);
        if (!opened.port) {
            m_result.outcome = Outcome::PortError;
            m_result.reason = serial::openFailureText(opened, printable(target.name), language);
            m_noDevice = opened.error == platform::OpenError::NoDevice;
            return;
        }
        m_link.handle.assign(std::move(opened.port));
        m_link.settings.portNumber
            = static_cast<std::uint8_t>(platform::portNumberOfName(target.name));
    }

    bool isOpen() const { return m_link.handle.isValid(); }
    // The port's device is not there: with --all, a port without a radio like any other.
    bool hasNoDevice() const { return m_noDevice; }
    serial::SerialLink& link() { return m_link; }
    PortResult& result() { return m_result; }

private:
    serial::SerialLink m_link;
    PortResult m_result;
    bool m_noDevice = false;
};

class Runner
{
public:
    Runner(const Request& request, platform::SerialPortProvider& ports,
        const core::Language& language, std::ostream& err, bool errIsTerminal)
        : m_request(request),
          m_ports(ports),
          m_language(language),
          m_err(err),
          m_showProgress(errIsTerminal && !request.quiet)
    { }

    // The conversation of the command on every port in targets at once (apply --all), or on
    // the first port in order where a radio answers the probe: that port's outcome is the
    // result, whatever it is, and the ports before it without a radio are left out.
    std::vector<PortResult> run(
        const std::vector<PortTarget>& targets, const radio::RadioSettings& change, bool everyPort)
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
                    talks.push_back(std::async(
                        std::launch::async, [this, &run, &change] { converse(*run, change); }));
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
                converse(run, change);
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
    void converse(PortRun& run, const radio::RadioSettings& change)
    {
        const Progress progress = [this, &run](const std::string& text) {
            if (!m_showProgress)
                return;
            const std::lock_guard lock(m_progressMutex);
            m_err << printable(run.result().port) << ": " << text << "\n" << std::flush;
        };
        if (m_request.command == Command::Read || m_request.command == Command::Save)
            readRadio(run.link(), m_language, progress, run.result());
        else
            writeRadio(run.link(), change, m_request.verify, m_language, progress, run.result());
    }

    const Request& m_request;
    platform::SerialPortProvider& m_ports;
    const core::Language& m_language;
    std::ostream& m_err;
    bool m_showProgress;
    std::mutex m_progressMutex;
};

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

} // namespace

ExitCode runCommand(const Request& request, platform::SerialPortProvider& ports,
    const core::Language& language, std::ostream& out, std::ostream& err, bool errIsTerminal)
{
    const auto fileError = [&](const std::string& text) {
        err << "radiomodem-cli: " << oneLine(text) << "\n";
        return ExitCode::FileError;
    };
    if (request.command == Command::Ports) {
        out << (request.json ? portsJson(ports, language) : portsTable(ports, language));
        return ExitCode::Ok;
    }
    radio::RadioSettings change = request.change;
    if (request.command == Command::Apply) {
        // The file is checked whole before any port is opened: a refused file sends nothing.
        const auto loaded = radio::loadSettingsFile(request.file);
        if (const auto* error = std::get_if<radio::SettingsError>(&loaded))
            return fileError(radio::loadFailureText(request.file, *error, language));
        change = std::get<radio::RadioSettings>(loaded);
    }
    const std::vector<PortTarget> targets = resolvePorts(ports, request.port);
    if (targets.empty()) {
        err << "radiomodem-cli: "
            << language.pick("no serial port has a device", "没有串口连接设备") << "\n";
        return ExitCode::NoRadio;
    }
    Runner runner(request, ports, language, err, errIsTerminal);
    const std::vector<PortResult> results = runner.run(targets, change, request.all);
    reportFailures(results, err);
    const ExitCode code = exitCodeOf(results);
    if (request.command == Command::Save && code == ExitCode::Ok) {
        const auto saved = radio::saveSettingsFile(request.file, settingsOfResult(results.front()));
        if (saved.error)
            return fileError(radio::saveFailureText(request.file, *saved.error, language));
        if (saved.warning) {
            err << "radiomodem-cli: "
                << oneLine(radio::saveWarningText(request.file, *saved.warning, language)) << "\n";
        }
    }
    out << (request.json ? resultsJson(commandName(request.command), request.file, results)
                         : resultsTable(results, language));
    return code;
}

} // namespace cli
