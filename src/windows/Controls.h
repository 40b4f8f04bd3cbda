#pragma once

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QStringList>

class QFont;
class QLabel;
class QWidget;

namespace windows {

// A panel usable as a button: a click raises clicked(); its inner bevel is raised or lowered.
class ClickPanel : public QFrame
{
    Q_OBJECT
public:
    explicit ClickPanel(const QString& caption, QWidget* parent = nullptr);

    bool isLowered() const { return frameShadow() == QFrame::Sunken; }
    void setLowered(bool lowered);
    QString text() const;
    void setText(const QString& text);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QLabel* m_label;
};

// A label whose lines are elided in the middle where they do not fit its width, the whole text
// in its tooltip: a long device path keeps its start and its end in view. A line that does not
// fit is first broken at its " — " (a device, then its description), or else before its last
// " (" (a path, then a note on it).
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    void setFullText(const QString& text);
    const QString& fullText() const { return m_full; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QString m_full;
};

// An editable drop-down list that behaves like the classic one: typing a text that is no entry
// leaves no entry selected, and typing never adds an entry.
QComboBox* makeEditableCombo(QWidget* parent, const QStringList& items);

// A font by family and pixel height.
QFont pixelFont(const QString& family, int pixels);

// Places a child at x,y with width and height, as window definitions give them.
template<typename W>
W* place(W* widget, int x, int y, int w, int h)
{
    widget->setGeometry(x, y, w, h);
    return widget;
}

} // namespace windows
