// Time to load a cover and paint it into a 600 x 400 view (first paint and a repaint), for
// ordinary covers and for small files built to ask for a lot of work. Every case should stay
// well under 200 ms in the RelWithDebInfo build.

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <functional>

#include "pictures/BitmapDecoder.h"
#include "pictures/DibSampler.h"
#include "pictures/Graphic.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFormats.h"
#include "tests/pictures/HostilePictures.h"

namespace cinevan {
namespace {

using namespace test::hostile;

QByteArray photoJpeg() {
    QImage image(1600, 1200, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            line[x] = qRgb(x * 7 % 256, y * 3 % 256, (x ^ y) % 256);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    return bytes;
}

// A BMP file around a packed bitmap with a full colour table.
QByteArray bitmapFile(const QByteArray& dib) {
    const auto parts = pictures::splitPackedDib(dib);
    return parts ? pictures::bitmapFileFromDib(parts->info, parts->bits) : QByteArray();
}

void loadAndPaint(benchmark::State& state, const char* extension,
                  const std::function<QByteArray()>& make) {
    const QByteArray bytes = make();
    QImage view(600, 400, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        try {
            const auto graphic = pictures::decodeByExtension(QString::fromLatin1(extension), bytes);
            QPainter painter(&view);
            graphic->draw(painter, view.rect());
            graphic->draw(painter, view.rect());
        } catch (const PictureError&) {
            // Refused: that is a result too.
        }
        benchmark::DoNotOptimize(view.constBits());
    }
    state.counters["file_bytes"] = double(bytes.size());
}

void registerAll() {
    const auto add = [](const char* name, const char* extension, std::function<QByteArray()> make) {
        benchmark::RegisterBenchmark(
            name,
            [extension, make](benchmark::State& state) { loadAndPaint(state, extension, make); })
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
    };
    add("Cover/Photo1600x1200Jpeg", "jpg", photoJpeg);
    add("Cover/Wmf1HugeBitmapRecord", "wmf", [] { return wmfWithHugeBitmaps(1); });
    add("Cover/Wmf100HugeBitmapRecords", "wmf", [] { return wmfWithHugeBitmaps(100); });
    add("Cover/Emf100HugeBitmapRecords", "emf", [] { return emfWithHugeBitmaps(100); });
    add("Cover/Ico256EntriesOnePng", "ico", [] { return icoWithSharedPng(256, {4096, 4096}); });
    add("Cover/Wmf400kCreateRecords", "wmf", [] { return wmfWithManyCreates(400000); });
    add("Cover/Wmf60kFullPictureFills", "wmf", [] { return wmfWithOverdraw(60000); });
    add("Cover/Bmp64MegapixelRle", "bmp", [] { return bitmapFile(rleDib(8192, 8192)); });
    add("Cover/Png64MegapixelInIco", "ico", [] { return icoWithSharedPng(1, {8192, 8192}); });
}

}  // namespace
}  // namespace cinevan

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    cinevan::registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
