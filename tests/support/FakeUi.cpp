#include "FakeUi.h"

namespace fakes {

using core::Ctl;

namespace {

std::vector<std::string> numbered(const std::string& prefix, int count)
{
    std::vector<std::string> list;
    for (int i = 1; i <= count; ++i)
        list.push_back(prefix + std::to_string(i));
    return list;
}

} // namespace

FakeUi::FakeUi()
{
    items[Ctl::ComboChnn] = numbered("NO.", 32);
    items[Ctl::ComboAirBaud] = {"19200", "9600", "4800", "2400", "1200"};
    items[Ctl::ComboRadioSerBaud] = {"19200", "9600", "4800", "2400", "1200", "300"};
    items[Ctl::ComboRadioParity] = {"无检验", "奇检验", "偶检验"};
    items[Ctl::Comb_ComNo] = numbered("COM", 8);
    items[Ctl::ComboBaudRate] = {"19200", "9600", "4800", "2400", "1200", "300"};
    items[Ctl::ComboParity] = {"无", "奇", "偶"};
    m_index[Ctl::Comb_ComNo] = 0;
    m_index[Ctl::ComboParity] = 0;
    m_text[Ctl::ComboBaudRate] = "9600";
    for (Ctl ctl : {Ctl::Speed_W, Ctl::FileWrite, Ctl::ComboAirBaud, Ctl::EditModelVer})
        m_enabled[ctl] = false;
    for (Ctl ctl : {Ctl::Form_Progress, Ctl::Serial_Form, Ctl::ComboAirBaud, Ctl::EditID})
        m_visible[ctl] = false;
}

std::string FakeUi::text(Ctl ctl) const
{
    if (const auto list = items.find(ctl); list != items.end()) {
        const int index = currentIndex(ctl);
        if (index >= 0)
            return list->second[static_cast<std::size_t>(index)];
    }
    const auto it = m_text.find(ctl);
    return it == m_text.end() ? std::string() : it->second;
}

void FakeUi::setText(Ctl ctl, const std::string& text)
{
    m_text[ctl] = text;
    if (items.count(ctl))
        m_index[ctl] = -1;
}

int FakeUi::currentIndex(Ctl ctl) const
{
    const auto it = m_index.find(ctl);
    return it == m_index.end() ? -1 : it->second;
}

void FakeUi::setCurrentIndex(Ctl ctl, int index)
{
    const auto list = items.find(ctl);
    const int size = list == items.end() ? 0 : static_cast<int>(list->second.size());
    m_index[ctl] = index >= 0 && index < size ? index : -1;
    if (m_index[ctl] < 0)
        m_text[ctl].clear();
}

std::string FakeUi::itemToolTip(Ctl ctl, int index) const
{
    const auto it = m_itemToolTips.find({ctl, index});
    return it == m_itemToolTips.end() ? std::string() : it->second;
}

void FakeUi::setItemToolTip(Ctl ctl, int index, const std::string& text)
{
    m_itemToolTips[{ctl, index}] = text;
}

bool FakeUi::isChecked(Ctl ctl) const
{
    const auto it = m_checked.find(ctl);
    return it != m_checked.end() && it->second;
}

void FakeUi::setChecked(Ctl ctl, bool checked)
{
    m_checked[ctl] = checked;
}

bool FakeUi::isEnabled(Ctl ctl) const
{
    const auto it = m_enabled.find(ctl);
    return it == m_enabled.end() || it->second;
}

void FakeUi::setEnabled(Ctl ctl, bool enabled)
{
    m_enabled[ctl] = enabled;
}

bool FakeUi::isVisible(Ctl ctl) const
{
    const auto it = m_visible.find(ctl);
    return it == m_visible.end() || it->second;
}

void FakeUi::setVisible(Ctl ctl, bool visible)
{
    m_visible[ctl] = visible;
}

int FakeUi::progressValue(Ctl ctl) const
{
    const auto it = m_progress.find(ctl);
    return it == m_progress.end() ? 0 : it->second;
}

int FakeUi::progressMaximum(Ctl ctl) const
{
    const auto it = m_maximum.find(ctl);
    return it == m_maximum.end() ? 100 : it->second;
}

void FakeUi::setProgressMaximum(Ctl ctl, int maximum)
{
    m_maximum[ctl] = maximum;
}

void FakeUi::setProgressValue(Ctl ctl, int value)
{
    m_progress[ctl] = value;
    progressValues.push_back(value);
}

bool FakeUi::isTimerActive(core::TimerId timer) const
{
    const auto it = m_timers.find(timer);
    return it != m_timers.end() && it->second;
}

void FakeUi::setTimerActive(core::TimerId timer, bool active)
{
    if (active && !isTimerActive(timer))
        ++timerStarts[timer];
    m_timers[timer] = active;
}

} // namespace fakes
