#include "TextArea.h"

#include <QAbstractTextDocumentLayout>
#include <QMimeData>
#include <QTextBlock>

#include <algorithm>
#include <climits>
#include <vector>

namespace windows {

namespace {

// A block format property: the block goes on the paragraph of the block before it.
constexpr int kContinuesParagraph = QTextFormat::UserProperty + 1;

bool continuesParagraph(const QTextBlock& block)
{
    return block.blockFormat().boolProperty(kContinuesParagraph);
}

} // namespace

TextArea::TextArea(QWidget* parent) : QPlainTextEdit(parent)
{
    // Appends are no edits to undo; recording them would cost time and memory at every append.
    document()->setUndoRedoEnabled(false);
    connect(document(), &QTextDocument::contentsChange, this, [this] {
        if (!m_appending)
            m_oneLineBlocks = document()->isEmpty();
    });
}

// The width a block is wrapped to, as the area's document layout computes it: the layout's text
// width is the viewport's.
qreal TextArea::wrapWidth() const
{
    const QTextDocument* document = this->document();
    qreal width = viewport()->width() > 0 ? viewport()->width() : qreal(INT_MAX);
    width -= 2 * document->documentMargin();
    if (document->defaultTextOption().flags() & QTextOption::AddSpaceForLineAndParagraphSeparators)
        width -= QFontMetrics(document->defaultFont()).horizontalAdvance(QChar(0x21B5));
    return width;
}

void TextArea::appendText(const QString& text)
{
    appendPolls({{text}}, INT_MAX, false);
}

const LineWrap& TextArea::lineWrap(qreal width)
{
    const QFont font = document()->defaultFont();
    const QTextOption option = document()->defaultTextOption();
    if (!m_lineWrap || !m_lineWrap->wrapsAs(font, option, width))
        m_lineWrap.emplace(font, option, width);
    return *m_lineWrap;
}

namespace {

// A block of the area as an append leaves it: one shown line, continuing the line before or
// starting a line of the text.
struct Block
{
    QString text;
    bool continues = false;
};

} // namespace

bool TextArea::appendPolls(const std::vector<Poll>& polls, int clearAbove, bool keepOverEmpty)
{
    QTextDocument* document = this->document();
    const qreal width = wrapWidth();
    if (width != m_wrapWidth) {
        m_oneLineBlocks = document->isEmpty();
        m_wrapWidth = width;
    }
    // The area as the lines before its last block, and from the last block on as blocks of one
    // shown line each. Each poll's text goes onto the last of them, which is wrapped as the area
    // wraps it; the lines are counted after each poll, as poll-by-poll display would count them.
    const LineWrap& wrap = lineWrap(width);
    const QTextBlock lastBlock = document->lastBlock();
    const QString lastText = lastBlock.text();
    const int before = shownLineCount()
        - (lastText.isEmpty() ? 0 : static_cast<int>(wrap.lineStarts(lastText).size()));
    int fixed = before;
    std::vector<Block> tail {{lastText, continuesParagraph(lastBlock)}};
    const auto wrapLast = [&] {
        Block& last = tail.back();
        if (last.text.isEmpty())
            return;
        const std::vector<int> starts = wrap.lineStarts(last.text);
        const QString whole = last.text;
        last.text = whole.left(starts.size() > 1 ? starts[1] : whole.size());
        for (std::size_t i = 1; i < starts.size(); ++i) {
            const int end = i + 1 < starts.size() ? starts[i + 1] : static_cast<int>(whole.size());
            tail.push_back({whole.mid(starts[i], end - starts[i]), true});
        }
    };
    wrapLast();
    bool emptied = false;
    for (const Poll& poll : polls) {
        if (poll.newLine && !tail.back().text.isEmpty())
            tail.push_back({});
        const QStringList lines = poll.text.split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                tail.push_back({});
            tail.back().text += lines[i];
            wrapLast();
        }
        const int shown
            = fixed + static_cast<int>(tail.size()) - (tail.back().text.isEmpty() ? 1 : 0);
        if (shown > clearAbove) {
            emptied = true;
            fixed = 0;
            tail = {{}};
        }
    }
    if (emptied && keepOverEmpty && tail.size() == 1 && tail.front().text.isEmpty())
        return false;
    m_appending = true;
    if (emptied)
        document->clear();
    QTextBlockFormat continuation;
    continuation.setProperty(kContinuesParagraph, true);
    // Positions, not cursor moves: a move to the end lays out the block it lands in. One edit:
    // the document lays out the new blocks only when they are shown.
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.setPosition(document->lastBlock().position());
    cursor.setPosition(document->characterCount() - 1, QTextCursor::KeepAnchor);
    if (cursor.selectedText() != tail.front().text)
        cursor.insertText(tail.front().text);
    else
        cursor.clearSelection();
    for (std::size_t i = 1; i < tail.size(); ++i) {
        // A block made by insertText would take the format of the one it splits, which may be
        // marked as a continuation.
        cursor.insertBlock(tail[i].continues ? continuation : QTextBlockFormat());
        cursor.insertText(tail[i].text);
    }
    cursor.endEditBlock();
    m_appending = false;
    if (emptied)
        m_oneLineBlocks = true;
    return true;
}

int TextArea::shownLineCount() const
{
    const QTextDocument* document = this->document();
    const int emptyLast = document->lastBlock().text().isEmpty() ? 1 : 0;
    if (m_oneLineBlocks && m_wrapWidth == wrapWidth())
        return document->blockCount() - emptyLast;
    int lines = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        document->documentLayout()->blockBoundingRect(block);
        lines += block.layout()->lineCount();
    }
    return lines - emptyLast;
}

QString TextArea::textBetween(int from, int to) const
{
    QString text;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        if (block.position() > from && !continuesParagraph(block))
            text += '\n';
        const int start = std::max(from - block.position(), 0);
        const int end = std::min(to - block.position(), block.length() - 1);
        text += block.text().mid(start, end - start);
    }
    return text;
}

QString TextArea::text() const
{
    return textBetween(0, document()->characterCount() - 1);
}

QMimeData* TextArea::createMimeDataFromSelection() const
{
    const QTextCursor selection = textCursor();
    auto* data = new QMimeData;
    data->setText(textBetween(selection.selectionStart(), selection.selectionEnd()));
    return data;
}

} // namespace windows
