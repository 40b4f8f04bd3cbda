#pragma once

#include <QIcon>
#include <QImage>

class QPainter;

namespace windows {

enum class Glyph { Read, Write, Open, Close, About, Exit, Blank };

// A toolbar bitmap: 32 x 16 pixels, the normal 16 x 16 image on the left and the greyed one
// for the disabled state on the right.
QImage toolbarBitmap(Glyph glyph);
// The icon a toolbar button shows, built from the two halves of its bitmap.
QIcon toolbarIcon(Glyph glyph);
// 32 x 32 window icons and the About picture.
QIcon applicationIcon();
// The application's icon painted in a 32 x 32 coordinate cell, for any painter (a scaled one
// for larger pictures, an SVG generator for the scalable one), and as a square image.
void paintApplicationIcon(QPainter& painter);
QImage applicationIconImage(int size);
QIcon settingsIcon();
QIcon aboutIcon();
QImage aboutPicture();

} // namespace windows
