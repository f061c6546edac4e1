#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace cinevan::test {

// Full path of a generated picture (see tests/pictures/make-pictures.sh), generating the set
// on first use.
QString pictureFixture(const QString& name);

QByteArray readBytes(const QString& path);
// Writes bytes into a file of the given name in a private temporary folder; returns its path.
QString writeTempFile(const QString& name, const QByteArray& bytes);

// True when every channel of a and b differs by at most tolerance.
bool nearColor(QRgb a, QRgb b, int tolerance = 12);

}  // namespace cinevan::test
