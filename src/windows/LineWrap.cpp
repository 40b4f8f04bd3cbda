#include "LineWrap.h"

#include <QFontMetricsF>
#include <QTextLayout>

#include <cstring>

namespace windows {

namespace {

constexpr char kSummed[] = "0123456789ABCDEF []:.";

// Every summed character: hex pairs as the display writes them, and the same with time stamps.
std::array<QString, 2> samples()
{
    QString pairs;
    for (int b = 0; b < 256; ++b)
        pairs += QString::asprintf("%02X ", b);
    return {pairs,
        QStringLiteral("[23:59:58.123] ") + pairs + QStringLiteral("[00:00:00.000] 0 ") + pairs};
}

} // namespace

LineWrap::LineWrap(const QFont& font, const QTextOption& option, qreal width)
    : m_font(font), m_option(option), m_width(width), m_width64(static_cast<int>(width * 64))
{
    const QFontMetricsF metrics(font);
    const auto in64ths = [](qreal px) { return qRound(px * 64); };
    const int count = static_cast<int>(std::strlen(kSummed));
    m_slot.fill(-1);
    m_advance.assign(count, std::vector<int>(count + 1));
    for (int a = 0; a < count; ++a) {
        const QChar first(kSummed[a]);
        m_slot[kSummed[a]] = a;
        m_advance[a][count] = in64ths(metrics.horizontalAdvance(first));
        m_overhang.push_back(std::max(0, -in64ths(metrics.rightBearing(first))));
        for (int b = 0; b < count; ++b)
            m_advance[a][b] = in64ths(metrics.horizontalAdvance(QString(first) + kSummed[b]))
                - in64ths(metrics.horizontalAdvance(QChar(kSummed[b])));
    }
    // The pairs must break as they are laid out. A stamp wider than the line is laid out, in the
    // sample as in any text.
    const auto [pairs, stamped] = samples();
    std::vector<int> summed;
    m_sums = summedStarts(pairs, summed) && summed == laidOutStarts(pairs)
        && (!summedStarts(stamped, summed) || summed == laidOutStarts(stamped));
}

std::vector<int> LineWrap::lineStarts(const QString& line) const
{
    std::vector<int> starts;
    if (m_sums && summedStarts(line, starts))
        return starts;
    return laidOutStarts(line);
}

std::vector<int> LineWrap::laidOutStarts(const QString& line) const
{
    QTextLayout layout(line, m_font);
    layout.setTextOption(m_option);
    std::vector<int> starts;
    layout.beginLayout();
    for (QTextLine shown = layout.createLine(); shown.isValid(); shown = layout.createLine()) {
        shown.setLineWidth(m_width);
        starts.push_back(shown.textStart());
    }
    layout.endLayout();
    return starts;
}

int LineWrap::advance(const QString& line, qsizetype at) const
{
    const char16_t c = line[at].unicode();
    const int slot = c < m_slot.size() ? m_slot[c] : -1;
    if (slot < 0 || at + 1 == line.size())
        return slot < 0 ? -1 : m_advance[slot].back();
    const char16_t next = line[at + 1].unicode();
    return next < m_slot.size() && m_slot[next] >= 0 ? m_advance[slot][m_slot[next]] : -1;
}

// The layout's rule for text that breaks only after spaces: a word joins the line while the
// line's width up to the word's end, its last glyph's ink included, fits; spaces after a line's
// last word hang past the width. A word that fits no line on its own is broken anywhere, which
// is left to the layout, as is any character not summed.
bool LineWrap::summedStarts(const QString& line, std::vector<int>& starts) const
{
    starts.assign(1, 0);
    int width = 0; // the current line's, to its last word's end
    const qsizetype size = line.size();
    for (qsizetype i = 0; i < size;) {
        const qsizetype spacesStart = i;
        int spaces = 0;
        for (; i < size && line[i] == u' '; ++i)
            spaces += advance(line, i);
        if (i == size)
            break;
        const qsizetype wordStart = i;
        int word = 0;
        for (; i < size && line[i] != u' '; ++i) {
            const int glyph = advance(line, i);
            if (glyph < 0)
                return false;
            word += glyph;
        }
        const int ink = m_overhang[m_slot[line[i - 1].unicode()]];
        if (width + spaces + word + ink <= m_width64) {
            width += spaces + word;
            continue;
        }
        // The line's first word not fitting, or a word fitting no line, is broken anywhere.
        if (starts.back() == spacesStart || word + ink > m_width64)
            return false;
        starts.push_back(static_cast<int>(wordStart));
        width = word;
    }
    return true;
}

} // namespace windows
