#pragma once

#include "linktest/LinkTestView.h"

namespace fakes {

// The link test window as its logic sees it: the plan as typed, and what it was asked to show.
struct LinkTestRecorder final : linktest::LinkTestView
{
    linktest::Plan typed;
    bool running = false;
    std::vector<linktest::ChartPoint> points;
    std::vector<std::pair<std::string, std::string>> totals;
    std::vector<std::uint8_t> png {0x89, 'P', 'N', 'G'};

    linktest::Plan plan() const override { return typed; }
    void showRunning(bool on) override { running = on; }
    void clearChart() override { points.clear(); }
    void addPoint(const linktest::ChartPoint& point) override { points.push_back(point); }
    void showTotals(const std::vector<std::pair<std::string, std::string>>& rows) override
    {
        totals = rows;
    }
    std::vector<std::uint8_t> chartPng() const override { return png; }
};

} // namespace fakes
