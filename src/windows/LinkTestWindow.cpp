#include "LinkTestWindow.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

QLineSeries* line(QChart* chart, const QColor& colour, Qt::PenStyle style)
{
    auto* series = new QLineSeries(chart);
    QPen pen(colour, 2, style);
    series->setPen(pen);
    chart->addSeries(series);
    return series;
}

QSpinBox* spin(QWidget* parent, const char* name, int low, int high, int value)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    box->setValue(value);
    return box;
}

} // namespace

LinkTestWindow::LinkTestWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormLinkTest");
    tickTimer.setObjectName("Timer_LinkTest");
    tickTimer.setInterval(5);
    tickTimer.setTimerType(Qt::PreciseTimer);
    resize(860, 520);

    sizeBox = spin(this, "EditPacketSize", linktest::kMinSize, linktest::kMaxSize, 32);
    intervalBox = spin(this, "EditInterval", 20, 60000, 1000);
    intervalBox->setSingleStep(50);
    durationBox = spin(this, "EditDuration", 0, 24 * 3600, 60);
    m_sizeLabel = new QLabel(this);
    m_intervalLabel = new QLabel(this);
    m_durationLabel = new QLabel(this);
    startButton = new QPushButton(this);
    startButton->setObjectName("ButtonStart");
    exportButton = new QPushButton(this);
    exportButton->setObjectName("ButtonExport");
    chartButton = new QPushButton(this);
    chartButton->setObjectName("ButtonSaveChart");
    exportButton->setEnabled(false);
    chartButton->setEnabled(false);

    auto* plan = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*> {
             m_sizeLabel, sizeBox, m_intervalLabel, intervalBox, m_durationLabel, durationBox})
        plan->addWidget(w);
    plan->addStretch();
    for (QWidget* w : std::initializer_list<QWidget*> {startButton, exportButton, chartButton})
        plan->addWidget(w);

    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_lost = line(m_chart, QColor(200, 30, 30), Qt::SolidLine);
    m_corrupted = line(m_chart, QColor(230, 140, 0), Qt::SolidLine);
    m_median = line(m_chart, QColor(20, 80, 200), Qt::SolidLine);
    m_worst = line(m_chart, QColor(90, 160, 230), Qt::DashLine);
    m_time = new QValueAxis(m_chart);
    m_time->setLabelFormat("%.0f");
    m_percent = new QValueAxis(m_chart);
    m_percent->setRange(0, 100);
    m_percent->setLabelFormat("%.0f %%");
    m_roundTrip = new QValueAxis(m_chart);
    m_roundTrip->setLabelFormat("%.0f ms");
    m_chart->addAxis(m_time, Qt::AlignBottom);
    m_chart->addAxis(m_percent, Qt::AlignLeft);
    m_chart->addAxis(m_roundTrip, Qt::AlignRight);
    for (QLineSeries* s : {m_lost, m_corrupted}) {
        s->attachAxis(m_time);
        s->attachAxis(m_percent);
    }
    for (QLineSeries* s : {m_median, m_worst}) {
        s->attachAxis(m_time);
        s->attachAxis(m_roundTrip);
    }
    m_chartView = new QChartView(m_chart, this);
    m_chartView->setObjectName("ChartLink");
    m_chartView->setRenderHint(QPainter::Antialiasing);

    auto* totalsBox = new QWidget(this);
    totalsBox->setObjectName("PanelTotals");
    totalsBox->setMinimumWidth(200);
    m_totals = new QFormLayout(totalsBox);

    auto* middle = new QHBoxLayout;
    middle->addWidget(m_chartView, 1);
    middle->addWidget(totalsBox);

    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(plan);
    layout->addLayout(middle, 1);
    layout->addWidget(m_note);
    clearChart();
    setTexts(false);
}

void LinkTestWindow::applyEnglish()
{
    setTexts(true);
}

void LinkTestWindow::setTexts(bool english)
{
    m_english = english;
    const auto pick = [english](const char* en, const char* zh) {
        return QString::fromUtf8(english ? en : zh);
    };
    setWindowTitle(pick("Link test", "链路测试"));
    m_sizeLabel->setText(pick("Packet size (bytes)", "包长(字节)"));
    m_intervalLabel->setText(pick("Interval (ms)", "间隔(毫秒)"));
    m_durationLabel->setText(pick("Duration (s)", "时长(秒)"));
    durationBox->setSpecialValueText(pick("until stopped", "直到停止"));
    startButton->setText(m_running ? pick("Stop", "停止") : pick("Start", "开始"));
    exportButton->setText(pick("Export CSV...", "导出CSV..."));
    chartButton->setText(pick("Save chart...", "保存图表..."));
    m_lost->setName(pick("Lost %", "丢包率 %"));
    m_corrupted->setName(pick("Corrupted %", "错包率 %"));
    m_median->setName(pick("Round trip median", "往返时间中位数"));
    m_worst->setName(pick("Round trip worst", "最长往返时间"));
    m_time->setTitleText(pick("Time (s)", "时间(秒)"));
    m_percent->setTitleText(pick("Packets in error", "误包"));
    m_roundTrip->setTitleText(pick("Round trip", "往返时间"));
    m_note->setText(
        pick("The far station runs the error-rate test with RECORD unchecked and echoes "
             "what it receives once the line has been quiet for 350 ms: keep the "
             "interval above the packet's wire time plus about 500 ms.",
            "远端站以不勾选 RECORD 的误码测试回送收到的数据,线路静默 350 毫秒后才回送:间隔应大于"
            "包的传输时间加约 500 毫秒。"));
}

linktest::Plan LinkTestWindow::plan() const
{
    linktest::Plan plan;
    plan.size = sizeBox->value();
    plan.intervalMs = intervalBox->value();
    plan.durationMs = std::int64_t {durationBox->value()} * 1000;
    // A chart point a second, or one a packet when packets come more slowly.
    plan.reportMs = std::max<std::int64_t>(1000, plan.intervalMs);
    return plan;
}

void LinkTestWindow::showRunning(bool running)
{
    m_running = running;
    for (QWidget* w : std::initializer_list<QWidget*> {sizeBox, intervalBox, durationBox})
        w->setEnabled(!running);
    exportButton->setEnabled(!running);
    chartButton->setEnabled(!running);
    setTexts(m_english);
}

void LinkTestWindow::clearChart()
{
    for (QLineSeries* s : {m_lost, m_corrupted, m_median, m_worst})
        s->clear();
    m_time->setRange(0, 60);
    m_roundTrip->setRange(0, 100);
    m_longestTrip = 0;
}

void LinkTestWindow::addPoint(const linktest::ChartPoint& point)
{
    m_lost->append(point.seconds, point.lostPercent);
    m_corrupted->append(point.seconds, point.corruptedPercent);
    if (point.medianMs && point.worstMs) {
        m_median->append(point.seconds, double(*point.medianMs));
        m_worst->append(point.seconds, double(*point.worstMs));
        m_longestTrip = std::max(m_longestTrip, double(*point.worstMs));
    }
    if (point.seconds > m_time->max())
        m_time->setMax(m_time->max() * 2);
    if (m_longestTrip > m_roundTrip->max())
        m_roundTrip->setMax(std::ceil(m_longestTrip * 1.25 / 50) * 50);
}

void LinkTestWindow::showTotals(const std::vector<std::pair<std::string, std::string>>& rows)
{
    if (m_totals->rowCount() != int(rows.size())) {
        while (m_totals->rowCount() > 0)
            m_totals->removeRow(0);
        for (std::size_t i = 0; i < rows.size(); ++i)
            m_totals->addRow(new QLabel, new QLabel);
    }
    for (int i = 0; i < int(rows.size()); ++i) {
        const auto& [name, value] = rows[std::size_t(i)];
        static_cast<QLabel*>(m_totals->itemAt(i, QFormLayout::LabelRole)->widget())
            ->setText(QString::fromStdString(name));
        static_cast<QLabel*>(m_totals->itemAt(i, QFormLayout::FieldRole)->widget())
            ->setText(QString::fromStdString(value));
    }
}

// Drawn again at 1600 x 900 rather than copied from the screen, so a report gets sharp lines.
std::vector<std::uint8_t> LinkTestWindow::chartPng() const
{
    QImage image(1600, 900, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        m_chartView->render(
            &painter, QRectF(image.rect()), m_chartView->viewport()->rect(), Qt::IgnoreAspectRatio);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return {bytes.begin(), bytes.end()};
}
