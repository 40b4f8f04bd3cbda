#include "QtUi.h"

#include "MainForm.h"
#include "platform/Widgets.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

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

QtUi::QtUi(TForm1& form1) : m_form1(form1)
{
    m_widgets = {
        {Ctl::ComboAirBaud, form1.ComboAirBaud},
        {Ctl::Memo_Rec, form1.Memo_Rec},
        {Ctl::Memo_Trtt, form1.Memo_Trtt},
        {Ctl::Check_RecHex, form1.Check_RecHex},
        {Ctl::Check_AutoClr, form1.Check_AutoClr},
        {Ctl::Button1, form1.Button1},
        {Ctl::Check_TrttHex, form1.Check_TrttHex},
        {Ctl::Check_AutoTrtt, form1.Check_AutoTrtt},
        {Ctl::Edit_TrttPerio, form1.Edit_TrttPerio},
        {Ctl::Panel2, form1.Panel2},
        {Ctl::PanelTrttTest, form1.PanelTrttTest},
        {Ctl::CheckTrtt, form1.CheckTrtt},
        {Ctl::Edit1, form1.Edit1},
        {Ctl::Edit2, form1.Edit2},
        {Ctl::Edit3, form1.Edit3},
        {Ctl::Edit4, form1.Edit4},
    };
    m_actions = {{Ctl::LogToFile, form1.LogToFile}, {Ctl::ShowTime, form1.ShowTime}};
}

QWidget* QtUi::widget(Ctl ctl) const
{
    const auto it = m_widgets.find(ctl);
    return it == m_widgets.end() ? nullptr : it->second;
}

QPlainTextEdit* QtUi::memo(Ctl ctl) const
{
    return qobject_cast<QPlainTextEdit*>(widget(ctl));
}

QAction* QtUi::action(Ctl ctl) const
{
    const auto it = m_actions.find(ctl);
    return it == m_actions.end() ? nullptr : it->second;
}

QTimer* QtUi::timer(core::TimerId id) const
{
    switch (id) {
    case core::TimerId::TrttData:
        return m_form1.Timer_TrttData;
    case core::TimerId::RecData:
        return m_form1.Timer_RecData;
    case core::TimerId::Timer1:
        break;
    }
    return m_form1.Timer1;
}

std::string QtUi::text(Ctl ctl) const
{
    if (const QAction* item = action(ctl))
        return item->text().toStdString();
    QWidget* w = widget(ctl);
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
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(toQt(text));
    else if (auto* area = qobject_cast<QPlainTextEdit*>(w))
        area->setPlainText(fromCrLf(text));
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setEditText(toQt(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(toQt(text));
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

bool QtUi::isChecked(Ctl ctl) const
{
    if (ctl == Ctl::TextGb18030)
        return m_form1.TextGb18030->isChecked();
    if (const QAction* item = action(ctl))
        return item->isChecked();
    const auto* button = qobject_cast<QAbstractButton*>(widget(ctl));
    return button && button->isChecked();
}

void QtUi::setChecked(Ctl ctl, bool checked)
{
    // One of the two encodings is always chosen.
    if (ctl == Ctl::TextGb18030)
        (checked ? m_form1.TextGb18030 : m_form1.TextUtf8)->setChecked(true);
    else if (QAction* item = action(ctl))
        item->setChecked(checked);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget(ctl)))
        button->setChecked(checked);
}

bool QtUi::isEnabled(Ctl ctl) const
{
    if (ctl == Ctl::Test_M)
        return m_form1.Test_M->isEnabled();
    return widget(ctl)->isEnabled();
}

void QtUi::setEnabled(Ctl ctl, bool enabled)
{
    if (ctl == Ctl::Test_M)
        m_form1.Test_M->setEnabled(enabled);
    else
        widget(ctl)->setEnabled(enabled);
}

bool QtUi::isVisible(Ctl ctl) const
{
    if (ctl == Ctl::Test_M)
        return m_form1.Test_M->isVisible();
    return !widget(ctl)->isHidden();
}

void QtUi::setVisible(Ctl ctl, bool visible)
{
    if (ctl == Ctl::Test_M)
        m_form1.Test_M->setVisible(visible);
    else
        widget(ctl)->setVisible(visible);
}

bool QtUi::isLowered(Ctl ctl) const
{
    const auto* panel = qobject_cast<platform::ClickPanel*>(widget(ctl));
    return panel && panel->isLowered();
}

void QtUi::setLowered(Ctl ctl, bool lowered)
{
    if (auto* panel = qobject_cast<platform::ClickPanel*>(widget(ctl)))
        panel->setLowered(lowered);
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

int QtUi::shownLineCount(Ctl ctl) const
{
    return qobject_cast<platform::TextArea*>(widget(ctl))->shownLineCount();
}

bool QtUi::appendReceived(
    Ctl ctl, const std::vector<core::ReceivedText>& polls, int clearAbove, bool keepOverEmpty)
{
    std::vector<platform::TextArea::Poll> texts;
    texts.reserve(polls.size());
    for (const core::ReceivedText& poll : polls)
        texts.push_back({fromCrLf(poll.text), poll.newLine});
    return qobject_cast<platform::TextArea*>(widget(ctl))
        ->appendPolls(texts, clearAbove, keepOverEmpty);
}

void QtUi::scrollToEnd(Ctl ctl)
{
    QScrollBar* bar = memo(ctl)->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void QtUi::fitMainWindow()
{
    m_form1.fitToContents();
}
