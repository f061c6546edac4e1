#pragma once

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QString>

#include "pictures/Graphic.h"

namespace cinevan::test {

// Full path of a generated picture (see tests/pictures/make-pictures.sh), generating the set
// on first use.
QString pictureFixture(const QString& name);

QByteArray readBytes(const QString& path);
// Writes bytes into a file of the given name in a private temporary folder; returns its path.
QString writeTempFile(const QString& name, const QByteArray& bytes);

// True when every channel of a and b differs by at most tolerance.
bool nearColor(QRgb a, QRgb b, int tolerance = 12);

// The graphic stretched over a white image of `size`.
inline QImage renderStretched(const Graphic& graphic, QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    graphic.draw(painter, QRect(QPoint(0, 0), size));
    return image;
}

// The graphic at its natural size over mid grey.
inline QImage renderNatural(const Graphic& graphic) {
    QImage image(graphic.size(), QImage::Format_ARGB32);
    image.fill(qRgb(128, 128, 128));
    QPainter painter(&image);
    graphic.drawAt(painter, QPoint(0, 0));
    return image;
}

}  // namespace cinevan::test
