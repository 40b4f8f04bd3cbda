#pragma once

#include "core/Ui.h"

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fakes {

// Control state by name, starting as the windows start.
class FakeUi final : public core::Ui
{
public:
    FakeUi();

    std::string text(core::Ctl ctl) const override;
    void setText(core::Ctl ctl, const std::string& text) override;
    int currentIndex(core::Ctl ctl) const override;
    void setCurrentIndex(core::Ctl ctl, int index) override;
    std::string itemToolTip(core::Ctl ctl, int index) const override;
    void setItemToolTip(core::Ctl ctl, int index, const std::string& text) override;
    bool isChecked(core::Ctl ctl) const override;
    void setChecked(core::Ctl ctl, bool checked) override;
    bool isEnabled(core::Ctl ctl) const override;
    void setEnabled(core::Ctl ctl, bool enabled) override;
    bool isVisible(core::Ctl ctl) const override;
    void setVisible(core::Ctl ctl, bool visible) override;
    int progressValue(core::Ctl ctl) const override;
    int progressMaximum(core::Ctl ctl) const override;
    void setProgressMaximum(core::Ctl ctl, int maximum) override;
    void setProgressValue(core::Ctl ctl, int value) override;
    bool isTimerActive(core::TimerId timer) const override;
    void setTimerActive(core::TimerId timer, bool active) override;
    void defer(std::function<void()> task) override { deferred.push_back(std::move(task)); }
    // What the event loop would run next: the deferred tasks, including those they defer.
    void runDeferred()
    {
        while (!deferred.empty()) {
            auto task = std::move(deferred.front());
            deferred.erase(deferred.begin());
            task();
        }
    }

    std::vector<std::function<void()>> deferred;

    std::map<core::Ctl, std::vector<std::string>> items; // combo box entries
    std::map<core::TimerId, int> timerStarts; // how often each timer was switched on
    std::vector<int> progressValues; // every value given to ProgressBar1

private:
    std::map<core::Ctl, std::string> m_text;
    std::map<core::Ctl, int> m_index;
    std::map<core::Ctl, bool> m_checked;
    std::map<core::Ctl, bool> m_enabled;
    std::map<core::Ctl, bool> m_visible;
    std::map<core::Ctl, int> m_progress;
    std::map<core::Ctl, int> m_maximum;
    std::map<std::pair<core::Ctl, int>, std::string> m_itemToolTips;
    std::map<core::TimerId, bool> m_timers;
};

} // namespace fakes
