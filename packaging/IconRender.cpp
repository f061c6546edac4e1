// Renders a scalable icon into square PNG files for the icon theme's fixed sizes:
//   cinevan_icon_render <icon.svg> <output prefix> <size>...
// writes <output prefix>-<size>.png for every size.
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s icon.svg prefix size...\n", argv[0]);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: not a usable SVG picture\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        if (size <= 0) {
            std::fprintf(stderr, "%s: not a size\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter);
        }
        const QString output =
            QStringLiteral("%1-%2.png").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        if (!image.save(output, "PNG")) {
            std::fprintf(stderr, "%s: cannot be written\n", qPrintable(output));
            return 1;
        }
    }
    return 0;
}
