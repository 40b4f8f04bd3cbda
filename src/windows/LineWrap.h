#pragma once

#include <QFont>
#include <QString>
#include <QTextOption>

#include <array>
#include <vector>

namespace windows {

// Where a line of text breaks into shown lines at a width, exactly as QTextLayout breaks it.
// The hex display's text (hex digits and spaces, with a time stamp's "[]:.") breaks only after
// spaces, and its width is the sum of its characters' advances, each kerned with the next: such
// text is wrapped by adding those up instead of shaping it, which is most of the cost of showing
// hex at the receive bound. Other text, and any font and width at which the sum does not break
// a sample as the layout does, goes through QTextLayout.
class LineWrap
{
public:
    LineWrap(const QFont& font, const QTextOption& option, qreal width);

    // The start of each shown line, the first at 0.
    std::vector<int> lineStarts(const QString& line) const;
    // The same, always by QTextLayout.
    std::vector<int> laidOutStarts(const QString& line) const;
    bool wrapsAs(const QFont& font, const QTextOption& option, qreal width) const
    {
        return width == m_width && font == m_font && option.flags() == m_option.flags()
            && option.wrapMode() == m_option.wrapMode();
    }
    // Whether this font and width wrap the hex display's text by adding advances.
    bool sums() const { return m_sums; }

private:
    bool summedStarts(const QString& line, std::vector<int>& starts) const;
    // The advance of line[at] as the layout adds it, -1 for a character not summed.
    int advance(const QString& line, qsizetype at) const;

    QFont m_font;
    QTextOption m_option;
    qreal m_width;
    int m_width64; // as the layout holds the width: 1/64 px, truncated
    // A summed character's place in the tables below, -1 for any other.
    std::array<int, 128> m_slot {};
    // Each summed character's advance followed by each other (or by none, last), and how far its
    // ink reaches past its advance: 1/64 px, as the layout adds them.
    std::vector<std::vector<int>> m_advance;
    std::vector<int> m_overhang;
    bool m_sums = false;
};

} // namespace windows
