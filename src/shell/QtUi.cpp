#include "QtUi.h"

#include "MainForm.h"
#include "platform/Widgets.h"
#include "radio/ProgressForm.h"
#include "serial/SerialForm.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

using core::Ctl;

namespace {

QString toQt(const std::string& text)
{
    return QString::fromStdString(text);
}

// Text areas hold their lines as blocks; the logic sees CR LF between lines.
QString fromCrLf(const std::string& text)
{
    return toQt(text).replace("\r\n", "\n");
}

std::string toCrLf(const QString& text)
{
    QString copy = text;
    return copy.replace('\n', "\r\n").toStdString();
}

} // namespace

QtUi::QtUi(TForm1& form1, TSerial_Form& serialForm, TForm_Progress& progress)
    : m_form1(form1), m_progress(progress)
{
    m_widgets = {
        {Ctl::EditModelVer, form1.EditModelVer},
        {Ctl::EditID, form1.EditID},
        {Ctl::ComboChnn, form1.ComboChnn},
        {Ctl::ComboAirBaud, form1.ComboAirBaud},
        {Ctl::ComboRadioSerBaud, form1.ComboRadioSerBaud},
        {Ctl::ComboRadioParity, form1.ComboRadioParity},
        {Ctl::Speed_W, form1.Speed_W},
        {Ctl::Serial_Form, &serialForm},
        {Ctl::Comb_ComNo, serialForm.Comb_ComNo},
        {Ctl::Label_Device, serialForm.Label_Device},
        {Ctl::ComboBaudRate, serialForm.ComboBaudRate},
        {Ctl::ComboParity, serialForm.ComboParity},
        {Ctl::Form_Progress, &progress},
        {Ctl::Progress_Label1, progress.Label1},
        {Ctl::ProgressBar1, progress.ProgressBar1},
    };
    m_actions = {{Ctl::VerifyWrite, form1.Seri_V_M}};
}

QWidget* QtUi::widget(Ctl ctl) const
{
    const auto it = m_widgets.find(ctl);
    return it == m_widgets.end() ? nullptr : it->second;
}

QAction* QtUi::action(Ctl ctl) const
{
    const auto it = m_actions.find(ctl);
    return it == m_actions.end() ? nullptr : it->second;
}

QTimer* QtUi::timer(core::TimerId id) const
{
    switch (id) {
    case core::TimerId::SdCmd:
        return m_form1.Timer_SdCmd;
    case core::TimerId::RecCmd:
        return m_form1.Timer_RecCmd;
    case core::TimerId::RecData:
        return m_form1.Timer_RecData;
    case core::TimerId::Reopen:
        break;
    }
    return m_form1.Timer_Reopen;
}

std::string QtUi::text(Ctl ctl) const
{
    if (const QAction* item = action(ctl))
        return item->text().toStdString();
    QWidget* w = widget(ctl);
    if (ctl == Ctl::EditID)
        return m_form1.EditID->displayText().toStdString();
    if (ctl == Ctl::Form_Progress || ctl == Ctl::Serial_Form)
        return w->windowTitle().toStdString();
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text().toStdString();
    if (auto* area = qobject_cast<platform::TextArea*>(w))
        return toCrLf(area->text());
    if (auto* area = qobject_cast<QPlainTextEdit*>(w))
        return toCrLf(area->toPlainText());
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text().toStdString();
    if (auto* label = qobject_cast<platform::ElidedLabel*>(w))
        return label->fullText().toStdString();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text().toStdString();
    if (auto* panel = qobject_cast<platform::ClickPanel*>(w))
        return panel->text().toStdString();
    return {};
}

void QtUi::setText(Ctl ctl, const std::string& text)
{
    QWidget* w = widget(ctl);
    if (QAction* item = action(ctl))
        item->setText(toQt(text));
    else if (ctl == Ctl::Form_Progress || ctl == Ctl::Serial_Form)
        w->setWindowTitle(toQt(text));
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(toQt(text));
    else if (auto* area = qobject_cast<QPlainTextEdit*>(w))
        area->setPlainText(fromCrLf(text));
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setEditText(toQt(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(toQt(text));
    else if (auto* elided = qobject_cast<platform::ElidedLabel*>(w))
        elided->setFullText(toQt(text));
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(toQt(text));
    else if (auto* panel = qobject_cast<platform::ClickPanel*>(w))
        panel->setText(toQt(text));
}

int QtUi::currentIndex(Ctl ctl) const
{
    const auto* combo = qobject_cast<QComboBox*>(widget(ctl));
    return combo ? combo->currentIndex() : -1;
}

void QtUi::setCurrentIndex(Ctl ctl, int index)
{
    if (auto* combo = qobject_cast<QComboBox*>(widget(ctl)))
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

std::string QtUi::itemToolTip(Ctl ctl, int index) const
{
    const auto* combo = qobject_cast<QComboBox*>(widget(ctl));
    return combo ? combo->itemData(index, Qt::ToolTipRole).toString().toStdString() : std::string();
}

void QtUi::setItemToolTip(Ctl ctl, int index, const std::string& text)
{
    if (auto* combo = qobject_cast<QComboBox*>(widget(ctl)))
        combo->setItemData(index, toQt(text), Qt::ToolTipRole);
}

bool QtUi::isChecked(Ctl ctl) const
{
    if (const QAction* item = action(ctl))
        return item->isChecked();
    const auto* button = qobject_cast<QAbstractButton*>(widget(ctl));
    return button && button->isChecked();
}

void QtUi::setChecked(Ctl ctl, bool checked)
{
    if (QAction* item = action(ctl))
        item->setChecked(checked);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget(ctl)))
        button->setChecked(checked);
}

bool QtUi::isEnabled(Ctl ctl) const
{
    if (ctl == Ctl::FileWrite)
        return m_form1.FileWrite->isEnabled();
    return widget(ctl)->isEnabled();
}

void QtUi::setEnabled(Ctl ctl, bool enabled)
{
    if (ctl == Ctl::FileWrite)
        m_form1.FileWrite->setEnabled(enabled);
    else
        widget(ctl)->setEnabled(enabled);
}

bool QtUi::isVisible(Ctl ctl) const
{
    if (ctl == Ctl::FileWrite)
        return m_form1.FileWrite->isVisible();
    if (ctl == Ctl::Form_Progress || ctl == Ctl::Serial_Form)
        return widget(ctl)->isVisible();
    return !widget(ctl)->isHidden();
}

void QtUi::setVisible(Ctl ctl, bool visible)
{
    if (ctl == Ctl::FileWrite)
        m_form1.FileWrite->setVisible(visible);
    else if (ctl == Ctl::Form_Progress && visible)
        m_progress.showCentredOn(&m_form1);
    else
        widget(ctl)->setVisible(visible);
}

int QtUi::progressValue(Ctl) const
{
    return m_progressValue;
}

int QtUi::progressMaximum(Ctl) const
{
    return m_progress.ProgressBar1->maximum();
}

void QtUi::setProgressMaximum(Ctl, int maximum)
{
    m_progress.ProgressBar1->setMaximum(maximum);
}

void QtUi::setProgressValue(Ctl, int value)
{
    // The bar takes no value outside its range; below zero it is shown empty.
    m_progressValue = value;
    m_progress.ProgressBar1->setValue(std::clamp(value, 0, m_progress.ProgressBar1->maximum()));
}

bool QtUi::isTimerActive(core::TimerId id) const
{
    return timer(id)->isActive();
}

void QtUi::setTimerActive(core::TimerId id, bool active)
{
    // Switching on a running timer leaves its interval running, as the classic timer did.
    QTimer* t = timer(id);
    if (!active)
        t->stop();
    else if (!t->isActive())
        t->start();
}

void QtUi::defer(std::function<void()> task)
{
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}
