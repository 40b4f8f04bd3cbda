#include "Bench.h"

#include "Interrupt.h"
#include "Output.h"

#include <QJsonObject>

#include <future>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace cli {

namespace {

// A radio that does not answer for this long is gone.
constexpr auto kGoneAfter = std::chrono::seconds(2);
// Between the looks for a device that is not there, and for a radio that is still there.
constexpr auto kPause = std::chrono::milliseconds(300);

using Clock = std::chrono::steady_clock;

class Bench
{
public:
    Bench(const Request& request, const radio::RadioSettings& file,
        platform::SerialPortProvider& ports, ProbeCache& cache, Record* record,
        const core::Language& language, std::ostream& out, std::ostream& err, bool errIsTerminal)
        : m_request(request),
          m_file(file),
          m_ports(ports),
          m_cache(cache),
          m_record(record),
          m_language(language),
          m_out(out),
          m_err(err),
          m_errIsTerminal(errIsTerminal),
          m_deadline(deadlineOf(request)),
          m_nextId(request.idFrom.value_or(0))
    { }

    // One port's radios, until a signal or the time limit.
    void station(const PortTarget& target)
    {
        while (!stopped()) {
            std::unique_ptr<PortRun> run;
            {
                // Opening goes through the shared port list, one port at a time.
                const std::lock_guard lock(m_mutex);
                run = std::make_unique<PortRun>(m_ports, target, m_language);
            }
            if (!run->isOpen()) {
                status(target, m_language.pick("waiting for the device", "等待设备"));
                pause();
                continue;
            }
            radios(*run);
        }
    }

    ExitCode summary()
    {
        const int done = m_units - m_failed;
        if (m_request.json) {
            m_out << jsonLine({{"format", kJsonFormat}, {"command", "bench"}, {"units", m_units},
                {"failed", m_failed}, {"exit-code", static_cast<int>(m_code)}});
        } else {
            m_out << m_language.pick("bench: ", "工位:") << m_units
                  << m_language.pick(" units, ", " 台,") << done
                  << m_language.pick(" done, ", " 台完成,") << m_failed
                  << m_language.pick(" failed", " 台失败") << "\n";
        }
        m_out.flush();
        return m_code;
    }

private:
    bool stopped() const { return interruptSignal() != 0 || Clock::now() >= m_deadline; }

    void pause() const
    {
        const auto until = std::min(Clock::now() + kPause, m_deadline);
        while (!stopped() && Clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    // The radios on an open port, one after another, until its device goes.
    void radios(PortRun& run)
    {
        const PortTarget& target = run.target();
        while (!stopped()) {
            status(target, m_language.pick("waiting for a radio", "等待电台"));
            PortResult result;
            result.port = run.result().port;
            result.device = run.result().device;
            result.identity = run.result().identity;
            radio::RadioSettings change = m_file;
            const std::optional<std::uint32_t> id = reserveId();
            if (id)
                radio::setSettingsValue(change, "id", sixDigits(*id));
            const Approach approach {
                firstMode(m_request.from, m_file.serial, m_cache, target.identity), m_deadline};
            writeRadio(
                run.link(), approach, change, m_request.verify, m_language,
                [](const std::string&) {}, result);
            const bool idTaken = result.unchanged || result.writeProgress.taken >= 2;
            if (id && !idTaken)
                releaseId(*id);
            if (const auto mode = answeredMode(result))
                m_cache.remember(target.identity, *mode);
            if (!result.radioFound) {
                if (run.link().handle.port().isGone())
                    return;
                continue; // no radio yet, or a signal: the loop looks
            }
            unitDone(result);
            if (result.outcome == Outcome::Interrupted || result.outcome == Outcome::TimedOut)
                return;
            status(target, m_language.pick("waiting until the radio is gone", "等待取下电台"));
            if (!waitGone(run, result))
                return;
        }
    }

    // False when the port's device went with the radio.
    bool waitGone(PortRun& run, const PortResult& unit)
    {
        const std::optional<radio::SerialMode> mode = answeredMode(unit);
        const std::array<std::string, radio::RadioSession::kSteps> held = heldTexts(unit);
        while (!stopped()) {
            PortResult look;
            readRadio(
                run.link(), {mode, std::min(Clock::now() + kGoneAfter, m_deadline)}, m_language,
                [](const std::string&) {}, look);
            if (run.link().handle.port().isGone())
                return false;
            if (!look.radioFound && !stopped())
                return true;
            // Another radio plugged in at once, at the same serial mode.
            if (look.before && valueTexts(look.before->held)[1] != held[1])
                return true;
            pause();
        }
        return true;
    }

    void unitDone(const PortResult& result)
    {
        const std::lock_guard lock(m_mutex);
        const int unit = ++m_units;
        const bool failed = result.outcome != Outcome::Ok;
        if (failed) {
            ++m_failed;
            if (m_code == ExitCode::Ok)
                m_code = exitCodeOf(result.outcome);
        }
        if (m_record && !m_record->append(unit, result)) {
            m_err << "radiomodem-cli: "
                  << m_language.pick("could not write the record ", "无法写入记录文件 ")
                  << printable(m_request.record) << "\n";
            if (m_code == ExitCode::Ok)
                m_code = ExitCode::FileError;
        }
        if (m_request.record != "-") {
            m_out << (m_request.json ? Record::line(unit, result, true) : unitLine(unit, result));
            m_out.flush();
        }
        if (failed && m_errIsTerminal)
            m_err << '\a' << std::flush;
    }

    // "unit 7: COM1 123456 channel 1 → 21, id 123456 → 000007: verified".
    std::string unitLine(int unit, const PortResult& result) const
    {
        std::string line = m_language.pick("unit ", "第 ") + std::to_string(unit)
            + m_language.pick(": ", " 台:") + printable(result.port);
        if (result.before) {
            const auto before = valueTexts(result.before->held);
            const auto after = heldTexts(result);
            const std::array<const char*, radio::RadioSession::kSteps> keys
                = {"air-rate", "id", "channel", "serial"};
            line += " " + before[1];
            std::string changes;
            for (std::size_t i = 0; i < keys.size(); ++i) {
                if (before[i] != after[i])
                    changes += std::string(changes.empty() ? " " : ", ") + keys[i] + " " + before[i]
                        + " → " + after[i];
            }
            line += changes;
        }
        line += ": " + outcomeText(result, m_language);
        if (!result.reason.empty())
            line += ": " + oneLine(result.reason);
        return line + "\n";
    }

    void status(const PortTarget& target, const std::string& text)
    {
        if (!m_errIsTerminal || m_request.quiet)
            return;
        const std::lock_guard lock(m_mutex);
        std::string& last = m_status[target.name];
        if (last == text)
            return;
        last = text;
        m_err << printable(target.name) << ": " << text << "\n" << std::flush;
    }

    std::optional<std::uint32_t> reserveId()
    {
        if (!m_request.idFrom)
            return std::nullopt;
        const std::lock_guard lock(m_mutex);
        if (!m_freeIds.empty()) {
            const std::uint32_t id = *m_freeIds.begin();
            m_freeIds.erase(m_freeIds.begin());
            return id;
        }
        return m_nextId++;
    }

    void releaseId(std::uint32_t id)
    {
        const std::lock_guard lock(m_mutex);
        m_freeIds.insert(id);
    }

    static std::string sixDigits(std::uint32_t id)
    {
        const std::string digits = std::to_string(id % 1000000);
        return std::string(6 - digits.size(), '0') + digits;
    }

    const Request& m_request;
    const radio::RadioSettings& m_file;
    platform::SerialPortProvider& m_ports;
    ProbeCache& m_cache;
    Record* m_record;
    const core::Language& m_language;
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_errIsTerminal;
    Clock::time_point m_deadline;
    std::mutex m_mutex; // the port list, the counts, the IDs and both streams
    int m_units = 0;
    int m_failed = 0;
    ExitCode m_code = ExitCode::Ok;
    std::uint32_t m_nextId;
    std::set<std::uint32_t> m_freeIds;
    std::map<std::string, std::string> m_status;
};

} // namespace

ExitCode runBench(const Request& request, const radio::RadioSettings& file,
    const std::vector<PortTarget>& targets, platform::SerialPortProvider& ports, ProbeCache& cache,
    Record* record, const core::Language& language, std::ostream& out, std::ostream& err,
    bool errIsTerminal)
{
    Bench bench(request, file, ports, cache, record, language, out, err, errIsTerminal);
    std::vector<std::future<void>> stations;
    for (const PortTarget& target : targets)
        stations.push_back(
            std::async(std::launch::async, [&bench, &target] { bench.station(target); }));
    for (auto& station : stations)
        station.get();
    return bench.summary();
}

} // namespace cli
