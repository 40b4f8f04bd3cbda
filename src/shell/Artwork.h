#pragma once

#include <QIcon>
#include <QImage>

namespace shell {

enum class Glyph { Read, Write, Open, Close, About, Exit, Blank };

// A toolbar bitmap: 32 x 16 pixels, the normal 16 x 16 image on the left and the greyed one
// for the disabled state on the right.
QImage toolbarBitmap(Glyph glyph);
// The icon a toolbar button shows, built from the two halves of its bitmap.
QIcon toolbarIcon(Glyph glyph);
// 32 x 32 window icons and the About picture.
QIcon applicationIcon();
QIcon settingsIcon();
QIcon aboutIcon();
QImage aboutPicture();

} // namespace shell
