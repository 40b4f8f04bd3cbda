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

// Cuts a UTF-8 line into pieces of at most columns characters.
void wrapInto(const std::string& line, std::size_t columns, std::vector<std::string>& out)
{
    if (columns == 0 || line.empty()) {
        out.push_back(line);
        return;
    }
    std::string piece;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const bool starts = (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80;
        if (starts && chars == columns) {
            out.push_back(piece);
            piece.clear();
            chars = 0;
        }
        if (starts)
            ++chars;
        piece += line[i];
    }
    out.push_back(piece);
}

} // namespace

FakeUi::FakeUi()
{
    items[Ctl::ComboAirBaud] = {"19200", "9600", "4800", "2400", "1200"};
    m_text[Ctl::Edit_TrttPerio] = "1000";
    m_text[Ctl::Button1] = "停止显示";
    m_checked[Ctl::Check_AutoClr] = true;
    m_enabled[Ctl::ComboAirBaud] = false;
    for (Ctl ctl : {Ctl::Test_M, Ctl::Panel2, Ctl::ComboAirBaud})
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

bool FakeUi::isChecked(Ctl ctl) const
{
    const auto it = m_checked.find(ctl);
    return it != m_checked.end() && it->second;
}

void FakeUi::setChecked(Ctl ctl, bool checked)
{
    if (isChecked(ctl) == checked)
        return;
    m_checked[ctl] = checked;
    if (onChecked)
        onChecked(ctl);
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

bool FakeUi::isLowered(Ctl ctl) const
{
    const auto it = m_lowered.find(ctl);
    return it != m_lowered.end() && it->second;
}

void FakeUi::setLowered(Ctl ctl, bool lowered)
{
    m_lowered[ctl] = lowered;
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

std::vector<std::string> FakeUi::shownLines(Ctl ctl) const
{
    std::vector<std::string> lines;
    const std::string all = text(ctl);
    if (all.empty())
        return lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = all.find("\r\n", start);
        wrapInto(all.substr(start, end == std::string::npos ? std::string::npos : end - start),
            wrapColumns, lines);
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

int FakeUi::shownLineCount(Ctl ctl) const
{
    return static_cast<int>(shownLines(ctl).size());
}

bool FakeUi::appendReceived(
    Ctl ctl, const std::vector<core::ReceivedText>& polls, int clearAbove, bool keepOverEmpty)
{
    const std::string before = m_text[ctl];
    bool emptied = false;
    for (const core::ReceivedText& poll : polls) {
        std::string& text = m_text[ctl];
        if (poll.newLine && !text.empty() && !text.ends_with("\r\n"))
            text += "\r\n";
        text += poll.text;
        emptied = shownLineCount(ctl) > clearAbove;
        if (emptied)
            text.clear();
    }
    if (emptied && keepOverEmpty) {
        m_text[ctl] = before;
        return false;
    }
    return true;
}

} // namespace fakes
