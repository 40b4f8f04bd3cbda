#include "StatusBarPanel.h"

#include "windows/MainWindow.h"

#include <QLabel>

namespace {

QLabel* label(MainWindow& form, core::StatusPanel panel)
{
    return form.statusPanels.at(static_cast<std::size_t>(panel));
}

} // namespace

std::string StatusBarPanel::text(core::StatusPanel panel) const
{
    return label(m_form, panel)->text().toStdString();
}

void StatusBarPanel::setText(core::StatusPanel panel, const std::string& text)
{
    label(m_form, panel)->setText(QString::fromStdString(text));
}

std::string StatusBarPanel::tip(core::StatusPanel panel) const
{
    return label(m_form, panel)->toolTip().toStdString();
}

void StatusBarPanel::setTip(core::StatusPanel panel, const std::string& text)
{
    label(m_form, panel)->setToolTip(QString::fromStdString(text));
}
