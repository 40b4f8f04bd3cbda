#pragma once

#include "core/StatusBar.h"

class MainWindow;

// The status bar of the main window, for the features that show their state in it.
class StatusBarPanel final : public core::StatusBar
{
public:
    explicit StatusBarPanel(MainWindow& window) : m_window(window) { }

    std::string text(core::StatusPanel panel) const override;
    void setText(core::StatusPanel panel, const std::string& text) override;
    std::string tip(core::StatusPanel panel) const override;
    void setTip(core::StatusPanel panel, const std::string& text) override;

private:
    MainWindow& m_window;
};
