#include "Controls.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

namespace windows {

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

} // namespace windows
