#pragma once

#include "core/Ui.h"

#include <QObject>

#include <map>

class QAction;
class QPlainTextEdit;
class QTimer;
class QWidget;
class TForm1;
class TSerial_Form;
class TForm_Progress;

// The logic's view of the real windows: every control by its name.
class QtUi final : public QObject, public core::Ui
{
public:
    QtUi(TForm1& form1, TSerial_Form& serialForm, TForm_Progress& progress);

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
    void defer(std::function<void()> task) override;

private:
    QWidget* widget(core::Ctl ctl) const;
    QAction* action(core::Ctl ctl) const;
    QTimer* timer(core::TimerId id) const;

    TForm1& m_form1;
    TForm_Progress& m_progress;
    std::map<core::Ctl, QWidget*> m_widgets;
    std::map<core::Ctl, QAction*> m_actions; // checkable menu items with texts of their own
    int m_progressValue = 0;
};
