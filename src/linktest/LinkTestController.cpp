#include "LinkTestController.h"

#include "PortStep.h"
#include "core/PrintableText.h"
#include "platform/AtomicFile.h"

#include <cstdio>

namespace linktest {
namespace {

constexpr std::int64_t kTotalsEveryMs = 250; // the totals change at most four times a second

std::string fixed(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace

LinkTestController::LinkTestController(serial::SerialLink& link,
    serial::PortController& portController, LinkTestView& view, core::Timer& timer,
    platform::Dialogs& dialogs, const platform::System& system, const core::Language& language)
    : m_link(link),
      m_portController(portController),
      m_view(view),
      m_timer(timer),
      m_dialogs(dialogs),
      m_system(system),
      m_language(language)
{ }

void LinkTestController::toggleRun()
{
    if (!running())
        start();
    else if (m_test->sending())
        m_test->stop(m_system.steadyMs()); // the packets on their way are still waited for
    else
        finish({});
}

void LinkTestController::end()
{
    if (running())
        finish({});
}

void LinkTestController::start()
{
    if (!m_link.handle.isValid()) {
        m_dialogs.showMessage(m_language.pick("Port not opened", "串口未打开"));
        return;
    }
    m_lease = m_portController.lease();
    if (!m_lease) {
        m_dialogs.showMessage(
            m_language.pick("The port is busy with another command", "串口正被其他操作使用"));
        return;
    }
    m_portController.pauseTerminal();
    m_closed = m_portController.subscribeClosed([this](serial::PortController::CloseReason) {
        finish(m_language.pick("The port was closed: the test ended.", "串口已关闭,测试结束。"));
    });
    m_link.handle.port().purge(platform::PurgeRxClear | platform::PurgeTxClear);
    const std::int64_t now = m_system.steadyMs();
    m_clock = {now, m_system.wallMs()};
    m_port = serial::portNameForListIndex(m_link.settings.portNumber - 1);
    m_test.emplace(m_view.plan(), now);
    m_outgoing.clear();
    m_view.clearChart();
    m_view.showRunning(true);
    showTotals();
    m_timer.start();
}

void LinkTestController::tick()
{
    if (!running())
        return;
    if (!m_link.handle.isValid())
        return finish(
            m_language.pick("The port was closed: the test ended.", "串口已关闭,测试结束。"));
    const std::int64_t now = m_system.steadyMs();
    if (!stepOnPort(*m_test, m_outgoing, m_link.handle.port(), now))
        return finish(m_language.pick(
            "The port's device is gone: the test ended.", "串口设备已移除,测试结束。"));
    for (const Interval& interval : m_test->takeCompleted(now)) {
        const Totals& t = interval.totals;
        const double judged = t.judged() == 0 ? 1.0 : t.judged();
        m_view.addPoint({(interval.startMs - m_clock.steadyStartMs) / 1000.0,
            t.lost * 100.0 / judged, t.corrupted * 100.0 / judged,
            t.roundTrip ? std::optional(t.roundTrip->medianMs) : std::nullopt,
            t.roundTrip ? std::optional(t.roundTrip->maxMs) : std::nullopt});
    }
    if (now - m_shownAtMs >= kTotalsEveryMs)
        showTotals();
    if (m_test->finished(now))
        finish({});
}

void LinkTestController::finish(const std::string& why)
{
    m_timer.stop();
    m_closed = {};
    if (m_lease) {
        m_lease = {};
        m_portController.resumeTerminal();
    }
    m_view.showRunning(false);
    if (m_test)
        showTotals();
    if (!why.empty())
        m_dialogs.showMessage(why);
}

void LinkTestController::showTotals()
{
    m_shownAtMs = m_system.steadyMs();
    const Totals t = m_test->run().totals();
    const auto pick = [&](const char* en, const char* zh) { return m_language.pick(en, zh); };
    const auto rtt = [&](auto member) {
        return t.roundTrip ? std::to_string((*t.roundTrip).*member) + " ms" : std::string("-");
    };
    m_view.showTotals({
        {pick("Sent", "发送"), std::to_string(t.sent)},
        {pick("Good", "正确"), std::to_string(t.good)},
        {pick("Lost", "丢失"), std::to_string(t.lost)},
        {pick("Corrupted", "错误"), std::to_string(t.corrupted)},
        {pick("Late", "迟到"), std::to_string(t.late)},
        {pick("Error rate", "误包率"), fixed(t.errorPercent(), 2) + " %"},
        {pick("Round trip min", "最小往返"), rtt(&RoundTrip::minMs)},
        {pick("Round trip median", "往返中位数"), rtt(&RoundTrip::medianMs)},
        {pick("Round trip max", "最大往返"), rtt(&RoundTrip::maxMs)},
        {pick("Throughput", "净吞吐量"), fixed(throughput(*m_test), 1) + " B/s"},
    });
}

void LinkTestController::exportCsv()
{
    if (!m_test)
        return m_dialogs.showMessage(m_language.pick("No test has run yet", "尚未运行测试"));
    const std::string csv = reportCsv(*m_test, m_clock, m_port);
    save(m_language.pick("Export link test", "导出链路测试"), "csv",
        std::span(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()));
}

void LinkTestController::exportChart()
{
    if (!m_test)
        return m_dialogs.showMessage(m_language.pick("No test has run yet", "尚未运行测试"));
    const auto png = m_view.chartPng();
    save(m_language.pick("Save chart", "保存图表"), "png", png);
}

void LinkTestController::save(
    const std::string& caption, const char* extension, std::span<const std::uint8_t> bytes)
{
    const auto path = m_dialogs.saveFileName(caption, reportFileName(m_clock, m_port, extension));
    if (!path)
        return;
    const platform::FileWriteResult saved = platform::writeFileAtomically(*path, bytes);
    const std::string shown = core::printable(*path);
    if (saved.error)
        m_dialogs.showMessage(m_language.pick("Could not save to ", "保存失败: ") + shown + "\n"
            + saved.error->in(m_language));
    else if (saved.warning)
        m_dialogs.showMessage(
            m_language.pick("Saved to " + shown + ", but ", "已保存到 " + shown + ",但")
            + saved.warning->in(m_language));
}

} // namespace linktest
