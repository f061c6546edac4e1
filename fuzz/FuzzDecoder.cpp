// libFuzzer entry for one picture decoder; the build names the format's extension in
// CINEVAN_FUZZ_EXTENSION. Each input is decoded and, when it decodes, drawn into a small
// image the way the picture view draws it.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

#include "pictures/PictureError.h"
#include "pictures/PictureFormats.h"

namespace {

// Lives until the process ends: destroying it from an exit handler, after Qt's own statics
// are gone, crashes. Its argument count must outlive it as well.
int applicationArgc = 1;
QGuiApplication* application = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("QT_LOGGING_RULES", "*=false", 1);
    application = new QGuiApplication(applicationArgc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const auto graphic =
            cinevan::pictures::decodeByExtension(QStringLiteral(CINEVAN_FUZZ_EXTENSION), bytes);
        QImage canvas(64, 48, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        graphic->draw(painter, canvas.rect());
    } catch (const cinevan::PictureError&) {
    }
    return 0;
}
