#include "Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace windows {

namespace {

// Draws one glyph into a 16 x 16 cell in the given colour.
void drawGlyph(QPainter& p, Glyph glyph, const QColor& ink)
{
    p.setPen(QPen(ink, 1.5));
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::Read: // an arrow from the radio into the PC
        p.drawRect(2, 9, 12, 5);
        p.drawLine(8, 1, 8, 8);
        p.drawLine(5, 5, 8, 8);
        p.drawLine(11, 5, 8, 8);
        break;
    case Glyph::Write: // an arrow from the PC to the radio
        p.drawRect(2, 9, 12, 5);
        p.drawLine(8, 8, 8, 1);
        p.drawLine(5, 4, 8, 1);
        p.drawLine(11, 4, 8, 1);
        break;
    case Glyph::Open: // a plug
        p.drawRect(4, 6, 8, 6);
        p.drawLine(6, 2, 6, 6);
        p.drawLine(10, 2, 10, 6);
        p.drawLine(8, 12, 8, 15);
        break;
    case Glyph::Close: // a plug crossed out
        p.drawRect(4, 6, 8, 6);
        p.drawLine(8, 12, 8, 15);
        p.drawLine(2, 2, 14, 14);
        break;
    case Glyph::About: // an i in a circle
        p.drawEllipse(2, 2, 12, 12);
        p.drawLine(8, 7, 8, 11);
        p.drawPoint(8, 5);
        break;
    case Glyph::Exit: // a door with an arrow
        p.drawRect(3, 2, 7, 12);
        p.drawLine(8, 8, 15, 8);
        p.drawLine(12, 5, 15, 8);
        p.drawLine(12, 11, 15, 8);
        break;
    case Glyph::Blank:
        break;
    }
}

// A radio with its antenna and a letter on its front, in a 32 x 32 cell.
void paintWindowIcon(QPainter& p, const QColor& body, const QString& letter)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(body);
    p.setPen(Qt::black);
    p.drawRoundedRect(2, 8, 28, 22, 3, 3);
    p.drawLine(22, 8, 26, 1);
    // The letter as an outline, so that it scales with the rest and needs no font where the
    // picture is shown.
    QFont font = p.font();
    font.setPixelSize(14);
    font.setBold(true);
    QPainterPath glyph;
    glyph.addText(0, 0, font, letter);
    const QRectF front(2, 8, 28, 22);
    glyph.translate(front.center() - glyph.boundingRect().center());
    p.fillPath(glyph, Qt::white);
}

QIcon windowIcon(const QColor& body, const QString& letter)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    paintWindowIcon(p, body, letter);
    return QIcon(pixmap);
}

const QColor applicationBody(0, 0, 160);
const QString applicationLetter = QStringLiteral("R");

} // namespace

QImage toolbarBitmap(Glyph glyph)
{
    QImage image(32, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    drawGlyph(p, glyph, QColor(0, 0, 128));
    p.translate(16, 0);
    drawGlyph(p, glyph, QColor(128, 128, 128));
    return image;
}

QIcon toolbarIcon(Glyph glyph)
{
    const QImage bitmap = toolbarBitmap(glyph);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(bitmap.copy(0, 0, 16, 16)), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(bitmap.copy(16, 0, 16, 16)), QIcon::Disabled);
    return icon;
}

QIcon applicationIcon()
{
    return windowIcon(applicationBody, applicationLetter);
}

void paintApplicationIcon(QPainter& painter)
{
    paintWindowIcon(painter, applicationBody, applicationLetter);
}

QImage applicationIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(size / 32.0, size / 32.0);
    paintApplicationIcon(p);
    return image;
}

QIcon settingsIcon()
{
    return windowIcon(QColor(0, 128, 0), "C");
}

QIcon aboutIcon()
{
    return windowIcon(QColor(128, 0, 128), "i");
}

QImage aboutPicture()
{
    QImage image(303, 129, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 129);
    sky.setColorAt(0, QColor(40, 80, 170));
    sky.setColorAt(1, QColor(180, 210, 240));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 2));
    for (int r = 12; r <= 60; r += 16) {
        p.drawArc(QRect(60 - r, 70 - r, 2 * r, 2 * r), 30 * 16, 120 * 16);
        p.drawArc(QRect(243 - r, 70 - r, 2 * r, 2 * r), 30 * 16, 120 * 16);
    }
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(45, 70, 30, 45);
    p.drawRect(228, 70, 30, 45);
    return image;
}

} // namespace windows
