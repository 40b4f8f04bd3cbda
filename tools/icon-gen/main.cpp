// Writes the application's icon into a hicolor icon theme tree: PNGs of the usual sizes and a
// scalable SVG, all painted by the program's own artwork code.
#include "windows/Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-DIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QString("hicolor/%1x%1/apps").arg(size);
        const QString file = out.filePath(dir + "/radiomodem.png");
        if (!out.mkpath(dir) || !windows::applicationIconImage(size).save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    const QString svg = out.filePath("hicolor/scalable/apps/radiomodem.svg");
    if (!out.mkpath("hicolor/scalable/apps"))
        return 1;
    QSvgGenerator generator;
    generator.setFileName(svg);
    generator.setSize({32, 32});
    generator.setViewBox(QRect(0, 0, 32, 32));
    generator.setTitle("radiomodem");
    QPainter painter;
    if (!painter.begin(&generator)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(svg));
        return 1;
    }
    windows::paintApplicationIcon(painter);
    return painter.end() ? 0 : 1;
}
