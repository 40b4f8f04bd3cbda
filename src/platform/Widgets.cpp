#include "Widgets.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>

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

TextArea::TextArea(QWidget* parent) : QPlainTextEdit(parent) { }

void TextArea::appendText(const QString& text)
{
    QTextDocument* document = this->document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    // Line breaks of the text start plain blocks; a block made by insertText would take the
    // format of the one it splits, which may be marked as a continuation.
    const QStringList lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            cursor.insertBlock(QTextBlockFormat());
        cursor.insertText(lines[i]);
    }
    cursor.endEditBlock();
    // Laid out only now: inside the edit block the layout has not seen the new text yet.
    const QTextBlock last = document->lastBlock();
    document->documentLayout()->blockBoundingRect(last);
    const QTextLayout* layout = last.layout();
    if (layout->lineCount() > 1) {
        QTextBlockFormat continuation;
        continuation.setProperty(kContinuesParagraph, true);
        cursor.setPosition(last.position() + layout->lineAt(layout->lineCount() - 1).textStart());
        cursor.insertBlock(continuation);
    }
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
