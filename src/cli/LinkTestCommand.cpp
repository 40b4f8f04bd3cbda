#include "LinkTestCommand.h"

#include "Interrupt.h"
#include "Output.h"
#include "PortTargets.h"
#include "core/LocalTime.h"
#include "linktest/LinkTestReport.h"
#include "linktest/PortStep.h"

#include <QJsonArray>
#include <QJsonObject>

#include <chrono>
#include <thread>

namespace cli {
namespace {

std::int64_t steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t wallMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

QJsonValue milliseconds(
    const std::optional<linktest::RoundTrip>& trip, std::int64_t linktest::RoundTrip::*member)
{
    return trip ? QJsonValue(qint64((*trip).*member)) : QJsonValue(QJsonValue::Null);
}

void putCounts(QJsonObject& object, const linktest::Totals& t)
{
    object["sent"] = t.sent;
    object["good"] = t.good;
    object["lost"] = t.lost;
    object["corrupted"] = t.corrupted;
    object["late"] = t.late;
    object["error-percent"] = t.errorPercent();
    object["round-trip-median-ms"] = milliseconds(t.roundTrip, &linktest::RoundTrip::medianMs);
    object["round-trip-max-ms"] = milliseconds(t.roundTrip, &linktest::RoundTrip::maxMs);
}

QJsonObject intervalJson(
    const linktest::Interval& interval, const linktest::RunClock& clock, const std::string& port)
{
    QJsonObject object {{"format", 1}, {"command", "linktest"},
        {"port", QString::fromStdString(port)},
        {"start",
            QString::fromStdString(
                core::localTime("%Y-%m-%d %H:%M:%S", clock.wallOf(interval.startMs)))},
        {"seconds", (interval.startMs - clock.steadyStartMs) / 1000.0}};
    putCounts(object, interval.totals);
    return object;
}

} // namespace

ExitCode runLinkTest(const Request& request, platform::SerialPortProvider& ports,
    const core::Language& language, std::ostream& out, std::ostream& err)
{
    const LinkTestRequest& asked = *request.linkTest;
    const PortTarget target = resolvePorts(ports, request.ports).front();
    PortRun run(ports, target, language);
    const auto failed = [&](ExitCode code, const std::string& reasonCode, const std::string& why) {
        err << "radiomodem-cli: " << oneLine(why) << "\n";
        if (request.json)
            out << errorJson("linktest", {}, code, reasonCode, why, request.jsonLines);
        return code;
    };
    if (!run.isOpen())
        return failed(ExitCode::PortError, run.result().reasonCode, run.result().reason);
    serial::SerialLink& link = run.link();
    link.settings.speedIndex = asked.serial.speedIndex;
    link.settings.parityIndex = asked.serial.parityIndex;
    if (!serial::applyLinkSettings(link))
        return failed(ExitCode::PortError, "port-mode-refused",
            language.pick("the port refused the serial mode ", "串口不接受串口模式 ")
                + radio::serialModeText(asked.serial));

    linktest::Plan plan;
    plan.size = asked.size;
    plan.intervalMs = asked.intervalMs;
    plan.durationMs = static_cast<std::int64_t>(asked.durationS * 1000);
    plan.reportMs = std::max<std::int64_t>(1000, plan.intervalMs);
    const std::int64_t start = steadyMs();
    const linktest::RunClock clock {start, wallMs()};
    linktest::LinkTest test(plan, start);
    std::string outgoing;
    QJsonArray intervals;
    const auto deadline = deadlineOf(request);
    ExitCode code = ExitCode::Ok;
    std::string reasonCode, reason;
    while (true) {
        const std::int64_t now = steadyMs();
        if (interruptSignal() && test.sending()) {
            test.stop(now);
            code = ExitCode::Interrupted;
            reasonCode = "interrupted";
            reason = language.pick("stopped by ", "被信号中断:") + signalName(interruptSignal());
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            code = ExitCode::TimedOut;
            reasonCode = "timed-out";
            reason = language.pick("the time limit ran out", "已到时限");
            break;
        }
        if (!linktest::stepOnPort(test, outgoing, link.handle.port(), now)) {
            code = ExitCode::PortError;
            reasonCode = "device-gone";
            reason = language.pick("the port's device is gone", "串口设备已移除");
            break;
        }
        for (const linktest::Interval& interval : test.takeCompleted(now)) {
            if (!request.json)
                out << linktest::intervalLine(interval, clock, language) << "\n";
            else if (request.jsonLines)
                out << jsonLine(intervalJson(interval, clock, target.name));
            else
                intervals.append(intervalJson(interval, clock, target.name));
            out.flush();
        }
        if (test.finished(now))
            break;
        const std::int64_t wait = std::clamp<std::int64_t>(test.nextEventMs() - now, 1, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    }

    const linktest::Totals totals = test.run().totals();
    if (code == ExitCode::Ok && !(totals.errorPercent() < asked.maxLossPercent)) {
        code = ExitCode::Mismatch;
        reasonCode = "too-many-errors";
        reason = language.pick("the error rate reached --max-loss", "误包率达到 --max-loss");
    }
    if (!request.json) {
        out << linktest::summaryLine(test, language) << "\n";
    } else {
        QJsonObject summary {{"format", 1}, {"command", "linktest"},
            {"port", QString::fromStdString(target.name)}, {"size", test.run().size()},
            {"interval-ms", qint64(plan.intervalMs)}, {"duplicates", totals.duplicates},
            {"round-trip-min-ms", milliseconds(totals.roundTrip, &linktest::RoundTrip::minMs)},
            {"throughput-bytes-per-s", linktest::throughput(test)},
            {"max-loss-percent", asked.maxLossPercent}, {"exit-code", static_cast<int>(code)}};
        putCounts(summary, totals);
        if (!reasonCode.empty()) {
            summary["reason-code"] = QString::fromStdString(reasonCode);
            summary["reason"] = QString::fromStdString(reason);
        }
        if (!request.jsonLines)
            summary["intervals"] = intervals;
        out << jsonLine(summary);
    }
    if (!reason.empty())
        err << "radiomodem-cli: " << oneLine(reason) << "\n";
    return code;
}

} // namespace cli
