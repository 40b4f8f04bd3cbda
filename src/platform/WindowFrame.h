#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

class QMessageBox;
class QWidget;

namespace platform {

// The width a top-level window needs so that a window manager shows its whole caption: the
// caption in the title font, in bold as most themes draw it, plus room for the window icon and
// the minimise, maximise and close buttons, which some window managers draw whatever the window
// asks for.
int captionWidth(const QString& caption);

// Makes a message box at least this wide (at most nine tenths of its screen), or at least as
// wide as its caption; its text and buttons are unchanged.
void widenTo(QMessageBox& box, int width);
void widenToCaption(QMessageBox& box);

// The top-left corner that keeps a window frame of the given size on the available area: the
// wanted corner when the frame fits there, otherwise moved left and up just enough, and never
// beyond the area's top-left corner, so that a frame larger than the screen shows its title bar.
QPoint keptOnScreen(const QRect& frame, const QRect& available);

// Places a top-level window with its frame's top-left corner at the given position of the
// screen, kept on the screen when the screen is too small for it there.
void placeOnScreen(QWidget& window, const QPoint& topLeft);

// Centres a top-level window's frame on an owner window's frame, or with no owner on the
// available area of the primary screen, kept on the screen. Done before each showing, so a
// window opens at the same place however often it is shown, whatever the scale factor.
void centreOn(QWidget& window, const QWidget* owner);

} // namespace platform
