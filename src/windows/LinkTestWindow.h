#pragma once

#include "core/Timer.h"
#include "linktest/LinkTestView.h"
#include "platform/QtTimer.h"

#include <QDialog>
#include <QTimer>

class QChart;
class QChartView;
class QFormLayout;
class QLabel;
class QLineSeries;
class QPushButton;
class QSpinBox;
class QValueAxis;

// The link test: the plan to run, the error rate and round trip of each interval on a chart,
// the running totals beside it, and the exports. Built in Chinese; applyEnglish rewrites it.
class LinkTestWindow final : public QDialog, public linktest::LinkTestView
{
    Q_OBJECT
public:
    explicit LinkTestWindow(QWidget* parent = nullptr);

    void applyEnglish();

    linktest::Plan plan() const override;
    void showRunning(bool running) override;
    void clearChart() override;
    void addPoint(const linktest::ChartPoint& point) override;
    void showTotals(const std::vector<std::pair<std::string, std::string>>& rows) override;
    std::vector<std::uint8_t> chartPng() const override;

    QTimer tickTimer; // every 5 ms while a test runs
    platform::QtTimer tick {tickTimer};

    QSpinBox* sizeBox;
    QSpinBox* intervalBox;
    QSpinBox* durationBox;
    QPushButton* startButton;
    QPushButton* exportButton;
    QPushButton* chartButton;

private:
    void setTexts(bool english);

    bool m_english = false;
    bool m_running = false;
    QLabel* m_sizeLabel;
    QLabel* m_intervalLabel;
    QLabel* m_durationLabel;
    QLabel* m_note;
    QFormLayout* m_totals;
    QChart* m_chart;
    QChartView* m_chartView;
    QLineSeries* m_lost;
    QLineSeries* m_corrupted;
    QLineSeries* m_median;
    QLineSeries* m_worst;
    QValueAxis* m_time;
    QValueAxis* m_percent;
    QValueAxis* m_roundTrip;
    double m_longestTrip = 0;
};
