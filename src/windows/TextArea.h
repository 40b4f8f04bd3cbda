#pragma once

#include "windows/LineWrap.h"

#include <QPlainTextEdit>

#include <optional>
#include <vector>

namespace windows {

// A text area that text is appended to without bound, such as received data. Appended text is
// cut into blocks of one shown line each, where the area wraps it, the blocks after the first of
// a line marked as continuing it. So an append lays out only the appended text and the open last
// line, text that scrolls by unseen is never laid out again, and the shown lines are counted
// without a layout; the text and a copied selection have line breaks only where the text had
// them.
class TextArea : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TextArea(QWidget* parent = nullptr);

    void appendText(const QString& text);
    // Text as one poll of the line brought it; newLine: it starts a line of its own, after a
    // line break when the last line holds text.
    struct Poll
    {
        QString text;
        bool newLine = false;
    };
    // Appends each poll's text in turn as if each had been shown on its own, the area emptied
    // whenever it then showed more than clearAbove lines: the area ends with exactly what
    // poll-by-poll display would leave, but only that is laid out and inserted. With
    // keepOverEmpty, polls whose last one would leave the area empty change nothing and false
    // is returned: the text shown stays until polls that leave some to show.
    bool appendPolls(const std::vector<Poll>& polls, int clearAbove, bool keepOverEmpty);
    // The whole text as appended, '\n' between its lines.
    QString text() const;
    // The lines as shown: wrapped pieces count as lines of their own, an empty last line does
    // not count.
    int shownLineCount() const;

protected:
    QMimeData* createMimeDataFromSelection() const override;

private:
    qreal wrapWidth() const;
    // How a line of text wraps in the area as it is now: made again when its width or font
    // changed.
    const LineWrap& lineWrap(qreal width);
    QString textBetween(int from, int to) const;

    bool m_appending = false;
    // Every block is one line at m_wrapWidth, as appends leave them; text set or edited
    // otherwise is counted by laying it out.
    bool m_oneLineBlocks = true;
    qreal m_wrapWidth = -1;
    std::optional<LineWrap> m_lineWrap;
};

} // namespace windows
