#pragma once

#include "core/Ui.h"

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fakes {

// Control state by name, starting as the windows start; check box changes call onChecked as
// the toolkit would call the change handler. Text areas wrap after wrapColumns characters
// (0: no wrapping).
class FakeUi final : public core::Ui
{
public:
    FakeUi();

    std::string text(core::Ctl ctl) const override;
    void setText(core::Ctl ctl, const std::string& text) override;
    int currentIndex(core::Ctl ctl) const override;
    void setCurrentIndex(core::Ctl ctl, int index) override;
    bool isChecked(core::Ctl ctl) const override;
    void setChecked(core::Ctl ctl, bool checked) override;
    bool isEnabled(core::Ctl ctl) const override;
    void setEnabled(core::Ctl ctl, bool enabled) override;
    bool isVisible(core::Ctl ctl) const override;
    void setVisible(core::Ctl ctl, bool visible) override;
    bool isLowered(core::Ctl ctl) const override;
    void setLowered(core::Ctl ctl, bool lowered) override;
    bool isTimerActive(core::TimerId timer) const override;
    void setTimerActive(core::TimerId timer, bool active) override;
    std::vector<std::string> shownLines(core::Ctl ctl) const; // the lines shownLineCount counts
    int shownLineCount(core::Ctl ctl) const override;
    // Poll by poll, as the area would show each.
    bool appendReceived(core::Ctl ctl, const std::vector<core::ReceivedText>& polls, int clearAbove,
        bool keepOverEmpty) override;
    void scrollToEnd(core::Ctl ctl) override { ++scrolls[ctl]; }
    void fitMainWindow() override { ++fits; }
    std::function<void(core::Ctl)> onChecked;
    std::size_t wrapColumns = 0;
    std::map<core::Ctl, std::vector<std::string>> items; // combo box entries
    std::map<core::Ctl, int> scrolls;
    std::map<core::TimerId, int> timerStarts; // how often each timer was switched on
    int fits = 0;

private:
    std::map<core::Ctl, std::string> m_text;
    std::map<core::Ctl, int> m_index;
    std::map<core::Ctl, bool> m_checked;
    std::map<core::Ctl, bool> m_enabled;
    std::map<core::Ctl, bool> m_visible;
    std::map<core::Ctl, bool> m_lowered;
    std::map<core::TimerId, bool> m_timers;
};

} // namespace fakes
