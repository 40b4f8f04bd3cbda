#include "Widgets.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>

#include <algorithm>
#include <climits>
#include <vector>

namespace platform {

ClickPanel::ClickPanel(const QString& caption, QWidget* parent)
    : QFrame(parent), m_label(new QLabel(caption, this))
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_label);
    m_label->setAlignment(Qt::AlignCenter);
}

void ClickPanel::setLowered(bool lowered)
{
    setFrameShadow(lowered ? QFrame::Sunken : QFrame::Raised);
}

QString ClickPanel::text() const
{
    return m_label->text();
}

void ClickPanel::setText(const QString& text)
{
    m_label->setText(text);
}

void ElidedLabel::setFullText(const QString& text)
{
    m_full = text;
    elide();
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide()
{
    const int width = contentsRect().width();
    QStringList lines;
    for (const QString& line : m_full.split('\n')) {
        qsizetype at = line.indexOf(QStringLiteral(" — "));
        qsizetype skip = 3;
        if (at < 0) {
            at = line.lastIndexOf(QStringLiteral(" ("));
            skip = 1;
        }
        if (at <= 0 || fontMetrics().horizontalAdvance(line) <= width)
            lines << line;
        else
            lines << line.left(at) << line.mid(at + skip);
    }
    bool elided = false;
    for (QString& line : lines) {
        const QString shown = fontMetrics().elidedText(line, Qt::ElideMiddle, width);
        elided = elided || shown != line;
        line = shown;
    }
    setText(lines.join('\n'));
    setToolTip(elided ? m_full : QString());
}

void ClickPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}

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
    QTextDocument* document = this->document();
    const qreal width = wrapWidth();
    if (width != m_wrapWidth) {
        m_oneLineBlocks = document->isEmpty();
        m_wrapWidth = width;
    }
    QTextBlockFormat continuation;
    continuation.setProperty(kContinuesParagraph, true);
    m_appending = true;
    // Positions, not cursor moves: a move to the end lays out the block it lands in.
    QTextCursor cursor(document);
    cursor.setPosition(document->characterCount() - 1);
    // One edit: the document lays out the new blocks only when they are shown.
    cursor.beginEditBlock();
    const QStringList lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Line breaks of the text start plain blocks; a block made by insertText would take the
        // format of the one it splits, which may be marked as a continuation.
        if (i > 0)
            cursor.insertBlock(QTextBlockFormat());
        cursor.insertText(lines[i]);
        // The open last line with the new text, wrapped as the area wraps it; cut from the end
        // so that the earlier places stay where they are.
        const QTextBlock block = cursor.block();
        const std::vector<int> starts = lineStarts(block.text(), width);
        const int position = block.position();
        for (auto start = starts.rbegin(); start + 1 < starts.rend(); ++start) {
            QTextCursor cut(document);
            cut.setPosition(position + *start);
            cut.insertBlock(continuation);
        }
        cursor.setPosition(document->characterCount() - 1);
    }
    cursor.endEditBlock();
    m_appending = false;
}

std::vector<int> TextArea::lineStarts(const QString& line, qreal width) const
{
    QTextLayout layout(line, document()->defaultFont());
    layout.setTextOption(document()->defaultTextOption());
    std::vector<int> starts;
    layout.beginLayout();
    for (QTextLine shown = layout.createLine(); shown.isValid(); shown = layout.createLine()) {
        shown.setLineWidth(width);
        starts.push_back(shown.textStart());
    }
    layout.endLayout();
    return starts;
}

bool TextArea::appendPolls(const std::vector<Poll>& polls, int clearAbove, bool keepOverEmpty)
{
    const qreal width = wrapWidth();
    // The area as lines: those before the last, and the last one's text, which the next text
    // continues. Each poll is wrapped as an append would wrap it, counted, and forgotten.
    QString last = document()->lastBlock().text();
    int before = shownLineCount()
        - (last.isEmpty() ? 0 : static_cast<int>(lineStarts(last, width).size()));
    bool emptied = false;
    QString kept; // what the polls after the last emptying add
    for (const Poll& poll : polls) {
        const QString text = poll.newLine && !last.isEmpty() ? '\n' + poll.text : poll.text;
        const QStringList lines = text.split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) {
                ++before;
                last.clear();
            }
            last += lines[i];
            if (last.isEmpty())
                continue;
            const std::vector<int> starts = lineStarts(last, width);
            before += static_cast<int>(starts.size()) - 1;
            last = last.mid(starts.back());
        }
        kept += text;
        if (before + (last.isEmpty() ? 0 : 1) > clearAbove) {
            emptied = true;
            before = 0;
            last.clear();
            kept.clear();
        }
    }
    if (emptied && keepOverEmpty && kept.isEmpty())
        return false;
    if (emptied)
        clear();
    if (!kept.isEmpty())
        appendText(kept);
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

QComboBox* makeEditableCombo(QWidget* parent, const QStringList& items)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    QObject::connect(
        combo->lineEdit(), &QLineEdit::textEdited, combo, [combo](const QString& text) {
            const int match = combo->findText(text, Qt::MatchExactly);
            if (match == combo->currentIndex())
                return;
            const int cursor = combo->lineEdit()->cursorPosition();
            combo->setCurrentIndex(match);
            combo->setEditText(text);
            combo->lineEdit()->setCursorPosition(cursor);
        });
    return combo;
}

QFont pixelFont(const QString& family, int pixels)
{
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

} // namespace platform
