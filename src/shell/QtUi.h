#pragma once

#include "core/Ui.h"

#include <map>

class QAction;
class QPlainTextEdit;
class QTimer;
class QWidget;
class TForm1;

// The logic's view of the real windows: every control by its name.
class QtUi final : public core::Ui
{
public:
    explicit QtUi(TForm1& form1);

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
    int shownLineCount(core::Ctl ctl) const override;
    bool appendReceived(core::Ctl ctl, const std::vector<core::ReceivedText>& polls, int clearAbove,
        bool keepOverEmpty) override;
    void scrollToEnd(core::Ctl ctl) override;
    void fitMainWindow() override;

private:
    QWidget* widget(core::Ctl ctl) const;
    QPlainTextEdit* memo(core::Ctl ctl) const;
    QAction* action(core::Ctl ctl) const;
    QTimer* timer(core::TimerId id) const;

    TForm1& m_form1;
    std::map<core::Ctl, QWidget*> m_widgets;
    std::map<core::Ctl, QAction*> m_actions; // checkable menu items with texts of their own
};
