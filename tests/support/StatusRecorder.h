#pragma once

#include "core/StatusBar.h"

#include <array>
#include <string>

namespace fakes {

// The status bar as the features left it: each panel's text and tooltip.
struct StatusRecorder final : core::StatusBar
{
    std::array<std::string, 6> texts;
    std::array<std::string, 6> toolTips;

    std::string text(core::StatusPanel panel) const override { return texts.at(at(panel)); }
    void setText(core::StatusPanel panel, const std::string& text) override
    {
        texts.at(at(panel)) = text;
    }
    std::string tip(core::StatusPanel panel) const override { return toolTips.at(at(panel)); }
    void setTip(core::StatusPanel panel, const std::string& text) override
    {
        toolTips.at(at(panel)) = text;
    }

private:
    static std::size_t at(core::StatusPanel panel) { return static_cast<std::size_t>(panel); }
};

} // namespace fakes
