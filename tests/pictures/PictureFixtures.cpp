#include "tests/pictures/PictureFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>

namespace cinevan::test {

QString pictureFixture(const QString& name) {
    static const QString folder = [] {
        const QString dir = QStringLiteral(CINEVAN_FIXTURE_DIR "/pictures");
        const int status = QProcess::execute(
            QStringLiteral("bash"),
            {QStringLiteral(CINEVAN_SOURCE_DIR "/tests/pictures/make-pictures.sh"), dir});
        if (status != 0) {
            ADD_FAILURE() << "make-pictures.sh failed with status " << status;
            std::abort();
        }
        return dir;
    }();
    return folder + QLatin1Char('/') + name;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll();
}

QString writeTempFile(const QString& name, const QByteArray& bytes) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        ADD_FAILURE() << "cannot write " << path.toStdString();
    }
    return path;
}

bool nearColor(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance &&
           std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

}  // namespace cinevan::test
