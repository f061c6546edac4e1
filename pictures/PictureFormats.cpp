#include "pictures/PictureFormats.h"

#include "pictures/BitmapDecoder.h"
#include "pictures/JpegDecoder.h"
#include "pictures/MetafileGraphic.h"
#include "pictures/PictureError.h"
#include "pictures/QtImageDecoders.h"
#include "pictures/RasterGraphic.h"
#include "pictures/WebImageDecoders.h"
#include "pictures/metafile/EmfReader.h"
#include "pictures/metafile/WmfReader.h"

namespace cinevan::pictures {

namespace {

std::unique_ptr<Graphic> withHandler(std::unique_ptr<Graphic> graphic,
                                     const ProgressHandler& handler) {
    graphic->setProgressHandler(handler);
    return graphic;
}

std::unique_ptr<Graphic> decodeJpegGraphic(QByteArrayView data, const ProgressHandler& handler) {
    auto graphic = std::make_unique<RasterGraphic>(Graphic::Kind::Jpeg, QImage());
    graphic->setProgressHandler(handler);
    decodeJpeg(data, *graphic);
    return graphic;
}

// The formats always read: by the decoders here or the readers Qt itself ships. WebP needs a
// plug-in that may be missing.
const QList<PictureFormat>& ownFormats() {
    static const QList<PictureFormat> formats{
        {QStringLiteral("Bitmaps"), {QStringLiteral("bmp"), QStringLiteral("dib")}},
        {QStringLiteral("JPEG Compliant"), {QStringLiteral("jpg"), QStringLiteral("jpeg")}},
        {QStringLiteral("CompuServe GIF Image"), {QStringLiteral("gif")}},
        {QStringLiteral("Icons"), {QStringLiteral("ico")}},
        {QStringLiteral("Metafiles"), {QStringLiteral("wmf"), QStringLiteral("emf")}},
        {QStringLiteral("Portable Network Graphics"), {QStringLiteral("png")}},
    };
    return formats;
}

}  // namespace

const QList<PictureFormat>& pictureFormats() {
    static const QList<PictureFormat> formats = [] {
        QList<PictureFormat> list = ownFormats();
        if (qtReadsWebp()) {
            list.append({QStringLiteral("WebP"), {QStringLiteral("webp")}});
        }
        return list;
    }();
    return formats;
}

bool isKnownExtension(const QString& extension) {
    const QString lower = extension.toLower();
    // Only WebP needs the question to Qt, which loads every image plug-in.
    if (lower == QLatin1String("webp")) {
        return qtReadsWebp();
    }
    for (const PictureFormat& format : ownFormats()) {
        if (format.extensions.contains(lower)) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<Graphic> decodeByExtension(const QString& extension, QByteArrayView data,
                                           const ProgressHandler& handler) {
    const QString ext = extension.toLower();
    if (ext == QLatin1String("bmp") || ext == QLatin1String("dib")) {
        return withHandler(
            std::make_unique<RasterGraphic>(Graphic::Kind::Bitmap, decodeBitmap(data)), handler);
    }
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg")) {
        return decodeJpegGraphic(data, handler);
    }
    if (ext == QLatin1String("gif")) {
        return withHandler(std::make_unique<RasterGraphic>(Graphic::Kind::Gif, decodeGif(data)),
                           handler);
    }
    if (ext == QLatin1String("ico")) {
        return withHandler(std::make_unique<RasterGraphic>(Graphic::Kind::Icon, decodeIcon(data)),
                           handler);
    }
    if (ext == QLatin1String("wmf")) {
        return withHandler(decodeWmf(data), handler);
    }
    if (ext == QLatin1String("emf")) {
        return withHandler(decodeEmf(data), handler);
    }
    if (ext == QLatin1String("png")) {
        return withHandler(std::make_unique<RasterGraphic>(Graphic::Kind::Png, decodePng(data)),
                           handler);
    }
    if (ext == QLatin1String("webp") && qtReadsWebp()) {
        return withHandler(std::make_unique<RasterGraphic>(Graphic::Kind::WebP, decodeWebp(data)),
                           handler);
    }
    throw PictureError(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
}

}  // namespace cinevan::pictures
