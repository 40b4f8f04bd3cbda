#include "StatusBarPanel.h"

#include "windows/MainWindow.h"

#include <QLabel>

namespace {

QLabel* label(MainWindow& window, core::StatusPanel panel)
{
    return window.statusPanels.at(static_cast<std::size_t>(panel));
}

} // namespace

std::string StatusBarPanel::text(core::StatusPanel panel) const
{
    return label(m_window, panel)->text().toStdString();
}

void StatusBarPanel::setText(core::StatusPanel panel, const std::string& text)
{
    label(m_window, panel)->setText(QString::fromStdString(text));
}

std::string StatusBarPanel::tip(core::StatusPanel panel) const
{
    return label(m_window, panel)->toolTip().toStdString();
}

void StatusBarPanel::setTip(core::StatusPanel panel, const std::string& text)
{
    label(m_window, panel)->setToolTip(QString::fromStdString(text));
}
