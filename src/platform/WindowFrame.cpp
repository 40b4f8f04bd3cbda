#include "WindowFrame.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <QWidget>

#include <algorithm>

namespace platform {

namespace {

QFontMetrics titleMetrics()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    return QFontMetrics(font);
}

// A title-bar button is about as wide as the bar is high: the title text and some padding.
int titleBarHeight()
{
    return titleMetrics().height() + 4;
}

} // namespace

int captionWidth(const QString& caption)
{
    // Window icon, minimise, maximise and close, and a margin at each end of the bar.
    constexpr int decorationSlots = 4;
    constexpr int margins = 16;
    return titleMetrics().horizontalAdvance(caption) + decorationSlots * titleBarHeight() + margins;
}

// A message box sizes itself to its layout whenever it is shown, so a width goes into the
// layout as an invisible row rather than into a minimum size.
void widenTo(QMessageBox& box, int width)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const QScreen* screen = box.screen();
    if (screen)
        width = std::min(width, screen->availableGeometry().width() * 9 / 10);
    grid->addItem(new QSpacerItem(width, 0), grid->rowCount(), 0, 1, grid->columnCount());
}

void widenToCaption(QMessageBox& box)
{
    widenTo(box, captionWidth(box.windowTitle()));
}

QPoint keptOnScreen(const QRect& frame, const QRect& available)
{
    const int x
        = std::max(available.left(), std::min(frame.left(), available.right() + 1 - frame.width()));
    const int y
        = std::max(available.top(), std::min(frame.top(), available.bottom() + 1 - frame.height()));
    return {x, y};
}

namespace {

// Before a window is shown its frame is not known; a title bar and a thin border stand in for
// it.
QSize frameSize(const QWidget& window)
{
    constexpr int border = 2;
    return window.isVisible() ? window.frameGeometry().size()
                              : window.size() + QSize(2 * border, titleBarHeight() + border);
}

} // namespace

void centreOn(QWidget& window, const QWidget* owner)
{
    QRect area;
    if (owner && owner->isVisible()) {
        area = owner->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    } else {
        return;
    }
    const QSize frame = frameSize(window);
    placeOnScreen(window, area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

void placeOnScreen(QWidget& window, const QPoint& topLeft)
{
    const QScreen* screen = QGuiApplication::screenAt(topLeft);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window.move(topLeft);
        return;
    }
    window.move(keptOnScreen(QRect(topLeft, frameSize(window)), screen->availableGeometry()));
}

} // namespace platform
