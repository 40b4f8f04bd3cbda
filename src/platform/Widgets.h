#pragma once

#include <QComboBox>
#include <QFrame>
#include <QStringList>

class QFont;
class QLabel;
class QWidget;

namespace platform {

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

} // namespace platform
