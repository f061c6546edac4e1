#include "pictures/metafile/EmfReader.h"

#include <QPicture>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "pictures/ByteReader.h"
#include "pictures/DibSampler.h"
#include "pictures/LoadLimits.h"
#include "pictures/MetafileGraphic.h"
#include "pictures/metafile/GdiPlayer.h"
#include "pictures/metafile/MetafileLimits.h"

namespace cinevan::pictures {

namespace {

constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kStockObject = 0x80000000;
constexpr double kHundredthMmPerInch = 2540.0;

enum Type : std::uint32_t {
    kHeader = 1,
    kPolyBezier = 2,
    kPolygon = 3,
    kPolyline = 4,
    kPolyBezierTo = 5,
    kPolylineTo = 6,
    kPolyPolyline = 7,
    kPolyPolygon = 8,
    kSetWindowExtEx = 9,
    kSetWindowOrgEx = 10,
    kSetViewportExtEx = 11,
    kSetViewportOrgEx = 12,
    kEof = 14,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kSetPolyFillMode = 19,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kSetBkColor = 25,
    kMoveToEx = 27,
    kIntersectClipRect = 30,
    kSaveDc = 33,
    kRestoreDc = 34,
    kSetWorldTransform = 35,
    kModifyWorldTransform = 36,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrushIndirect = 39,
    kDeleteObject = 40,
    kEllipse = 42,
    kRectangle = 43,
    kRoundRect = 44,
    kArc = 45,
    kChord = 46,
    kPie = 47,
    kLineTo = 54,
    kBeginPath = 59,
    kEndPath = 60,
    kCloseFigure = 61,
    kFillPath = 62,
    kStrokeAndFillPath = 63,
    kStrokePath = 64,
    kAbortPath = 68,
    kSelectClipPath = 67,
    kExtSelectClipRgn = 75,
    kBitBlt = 76,
    kStretchBlt = 77,
    kStretchDiBits = 81,
    kExtCreateFontIndirectW = 82,
    kExtTextOutA = 83,
    kExtTextOutW = 84,
    kPolyBezier16 = 85,
    kPolygon16 = 86,
    kPolyline16 = 87,
    kPolyBezierTo16 = 88,
    kPolylineTo16 = 89,
    kPolyPolyline16 = 90,
    kPolyPolygon16 = 91,
    kCreateDibPatternBrushPt = 94,
    kExtCreatePen = 95,
};

QString invalidMetafile() {
    return QStringLiteral("Metafile is not valid");
}

struct Record {
    std::uint32_t type;
    ByteReader bytes;  // the whole record, type and size included

    std::int32_t i32(std::int64_t offset) const { return bytes.i32(offset); }
    std::uint32_t u32(std::int64_t offset) const { return bytes.u32(offset); }
    QPointF point(std::int64_t offset) const { return QPointF(i32(offset), i32(offset + 4)); }
    QSizeF extent(std::int64_t offset) const { return QSizeF(i32(offset), i32(offset + 4)); }
    QRectF box(std::int64_t offset) const { return QRectF(point(offset), point(offset + 8)); }
};

struct Layout {
    QSize size;
    QTransform deviceToOutput;
    double pixelsPerMm = kScreenDpi / 25.4;
};

Layout readLayout(const ByteReader& in) {
    if (in.u32(0) != kHeader || in.u32(40) != kSignature) {
        in.fail();
    }
    const Record header{kHeader, in.sub(0, in.u32(4))};
    const QRectF frame = header.box(24);  // hundredths of a millimetre, inclusive
    const QSizeF device = header.extent(72);
    const QSizeF millimetres = header.extent(80);
    if (device.width() <= 0 || device.height() <= 0 || millimetres.width() <= 0 ||
        millimetres.height() <= 0 || frame.width() <= 0 || frame.height() <= 0) {
        in.fail();
    }
    Layout layout;
    layout.size = QSize(qRound(frame.width() * kScreenDpi / kHundredthMmPerInch),
                        qRound(frame.height() * kScreenDpi / kHundredthMmPerInch));
    if (!isSaneSize(layout.size)) {
        in.fail();
    }
    // The frame in the reference device's pixels is mapped onto the picture.
    const double pxPerHmmX = device.width() / (millimetres.width() * 100);
    const double pxPerHmmY = device.height() / (millimetres.height() * 100);
    const QRectF frameDevice(frame.left() * pxPerHmmX, frame.top() * pxPerHmmY,
                             frame.width() * pxPerHmmX, frame.height() * pxPerHmmY);
    const QSize recording = MetafileGraphic::recordingSize(layout.size);
    layout.deviceToOutput = QTransform::fromTranslate(-frameDevice.left(), -frameDevice.top()) *
                            QTransform::fromScale(recording.width() / frameDevice.width(),
                                                  recording.height() / frameDevice.height());
    layout.pixelsPerMm = device.width() / millimetres.width();
    return layout;
}

GdiObject stockObject(std::uint32_t index) {
    static const QColor grays[] = {Qt::white, QColor(192, 192, 192), QColor(128, 128, 128),
                                   QColor(64, 64, 64), Qt::black};
    if (index <= 4) {
        return GdiBrush{GdiBrush::Solid, grays[index], 0, QImage()};
    }
    switch (index) {
        case 5:
            return GdiBrush{GdiBrush::Null, Qt::black, 0, QImage()};
        case 6:
            return GdiPen{GdiPen::Solid, 0, Qt::white};
        case 7:
            return GdiPen{GdiPen::Solid, 0, Qt::black};
        case 8:
            return GdiPen{GdiPen::Null, 0, Qt::black};
        case 18:
            return GdiBrush{};
        case 19:
            return GdiPen{};
        default:
            return index >= 10 && index <= 17 ? GdiObject(GdiFont{}) : GdiObject(GdiOther{});
    }
}

class EmfPlayer {
public:
    EmfPlayer(const ByteReader& in, const Layout& layout, QPainter& painter)
        : in_(in),
          gdi_(painter, layout.deviceToOutput, layout.pixelsPerMm,
               QRectF(QPointF(0, 0), MetafileGraphic::recordingSize(layout.size))) {}

    void play() {
        std::int64_t at = 0;
        // A file that ends before its end record is cut short and not valid.
        for (int count = 0; count < kMaxMetafileRecords; ++count) {
            const std::int64_t size = in_.u32(at + 4);
            if (size < 8 || size % 4 != 0 || !in_.has(at, size)) {
                in_.fail();
            }
            const Record record{in_.u32(at), in_.sub(at, size)};
            if (record.type == kEof) {
                return;
            }
            playRecord(record);
            at += size;
        }
    }

private:
    void playRecord(const Record& r) {
        switch (r.type) {
            case kSetWindowExtEx:
                return gdi_.setWindowExt(r.extent(8));
            case kSetWindowOrgEx:
                return gdi_.setWindowOrg(r.point(8));
            case kSetViewportExtEx:
                return gdi_.setViewportExt(r.extent(8));
            case kSetViewportOrgEx:
                return gdi_.setViewportOrg(r.point(8));
            case kSetMapMode:
                return gdi_.setMapMode(int(r.u32(8)));
            case kSetBkMode:
                return gdi_.setBkMode(int(r.u32(8)));
            case kSetPolyFillMode:
                return gdi_.setPolyFillMode(int(r.u32(8)));
            case kSetTextAlign:
                return gdi_.setTextAlign(r.u32(8));
            case kSetTextColor:
                return gdi_.setTextColor(colorFromRef(r.u32(8)));
            case kSetBkColor:
                return gdi_.setBkColor(colorFromRef(r.u32(8)));
            case kMoveToEx:
                return gdi_.moveTo(r.point(8));
            case kLineTo:
                return gdi_.lineTo(r.point(8));
            case kSaveDc:
                return gdi_.save();
            case kRestoreDc:
                return gdi_.restore(r.i32(8));
            case kSetWorldTransform:
                return gdi_.setWorldTransform(transformAt(r, 8));
            case kModifyWorldTransform:
                return modifyWorldTransform(r);
            case kIntersectClipRect:
                return gdi_.intersectClipRect(r.box(8));
            case kExtSelectClipRgn:
                return gdi_.resetClip();
            case kRectangle:
                return gdi_.rectangle(r.box(8));
            case kEllipse:
                return gdi_.ellipse(r.box(8));
            case kRoundRect:
                return gdi_.roundRect(r.box(8), r.extent(24));
            case kArc:
                return gdi_.arc(GdiPlayer::ArcKind::Arc, r.box(8), r.point(24), r.point(32));
            case kChord:
                return gdi_.arc(GdiPlayer::ArcKind::Chord, r.box(8), r.point(24), r.point(32));
            case kPie:
                return gdi_.arc(GdiPlayer::ArcKind::Pie, r.box(8), r.point(24), r.point(32));
            case kPolyBezier:
            case kPolygon:
            case kPolyline:
            case kPolyBezierTo:
            case kPolylineTo:
                return poly(r.type, points(r, 28, r.u32(24), false));
            case kPolyBezier16:
            case kPolygon16:
            case kPolyline16:
            case kPolyBezierTo16:
            case kPolylineTo16:
                return poly(r.type - (kPolyBezier16 - kPolyBezier), points(r, 28, r.u32(24), true));
            case kPolyPolyline:
            case kPolyPolygon:
                return polyPoly(r, r.type == kPolyPolygon, false);
            case kPolyPolyline16:
            case kPolyPolygon16:
                return polyPoly(r, r.type == kPolyPolygon16, true);
            case kBeginPath:
                return gdi_.beginPath();
            case kEndPath:
                return gdi_.endPath();
            case kCloseFigure:
                return gdi_.closeFigure();
            case kFillPath:
                return gdi_.fillPath();
            case kStrokePath:
                return gdi_.strokePath();
            case kStrokeAndFillPath:
                return gdi_.strokeAndFillPath();
            case kAbortPath:
            case kSelectClipPath:
                return gdi_.abortPath();
            case kExtTextOutW:
            case kExtTextOutA:
                return textOut(r, r.type == kExtTextOutW);
            case kStretchDiBits:
                return stretchDiBits(r);
            case kBitBlt:
            case kStretchBlt:
                return blt(r, r.type == kStretchBlt);
            case kCreatePen:
                return store(r.u32(8), GdiPen{r.u32(12), double(std::abs(r.i32(16))),
                                              colorFromRef(r.u32(24))});
            case kExtCreatePen:
                return store(r.u32(8),
                             GdiPen{r.u32(28), double(r.u32(32)), colorFromRef(r.u32(40))});
            case kCreateBrushIndirect:
                return store(r.u32(8),
                             GdiBrush{r.u32(12), colorFromRef(r.u32(16)), r.u32(20), QImage()});
            case kCreateDibPatternBrushPt:
                return store(r.u32(8),
                             GdiBrush{GdiBrush::Pattern, Qt::black, 0,
                                      dibCorner(dib(r, r.u32(16), r.u32(20), r.u32(24), r.u32(28)),
                                                kMaxPatternSide)});
            case kExtCreateFontIndirectW:
                return createFont(r);
            case kSelectObject:
                return select(r.u32(8));
            case kDeleteObject:
                objects_.erase(r.u32(8));
                return;
            default:
                return;
        }
    }

    static QTransform transformAt(const Record& r, std::int64_t offset) {
        const QTransform t(r.bytes.f32(offset), r.bytes.f32(offset + 4), r.bytes.f32(offset + 8),
                           r.bytes.f32(offset + 12), r.bytes.f32(offset + 16),
                           r.bytes.f32(offset + 20));
        const bool finite = std::isfinite(t.m11()) && std::isfinite(t.m12()) &&
                            std::isfinite(t.m21()) && std::isfinite(t.m22()) &&
                            std::isfinite(t.dx()) && std::isfinite(t.dy());
        return finite ? t : QTransform();
    }

    void modifyWorldTransform(const Record& r) {
        enum { kIdentity = 1, kLeftMultiply = 2, kRightMultiply = 3, kSet = 4 };
        const QTransform t = transformAt(r, 8);
        switch (r.u32(32)) {
            case kIdentity:
                return gdi_.setWorldTransform(QTransform());
            case kLeftMultiply:
                return gdi_.setWorldTransform(t * gdi_.worldTransform());
            case kRightMultiply:
                return gdi_.setWorldTransform(gdi_.worldTransform() * t);
            case kSet:
                return gdi_.setWorldTransform(t);
            default:
                return;
        }
    }

    static QPolygonF points(const Record& r, std::int64_t offset, std::uint32_t count, bool small) {
        const std::int64_t pointSize = small ? 4 : 8;
        r.bytes.require(offset, std::int64_t(count) * pointSize);
        QPolygonF result;
        result.reserve(qsizetype(count));
        for (std::uint32_t i = 0; i < count; ++i, offset += pointSize) {
            result.append(small ? QPointF(r.bytes.i16(offset), r.bytes.i16(offset + 2))
                                : r.point(offset));
        }
        return result;
    }

    void poly(std::uint32_t type, const QPolygonF& pts) {
        switch (type) {
            case kPolyBezier:
                return gdi_.polyBezier(pts);
            case kPolygon:
                return gdi_.polygon(pts);
            case kPolyline:
                return gdi_.polyline(pts);
            case kPolyBezierTo:
                return gdi_.polyBezierTo(pts);
            default:
                return gdi_.polylineTo(pts);
        }
    }

    void polyPoly(const Record& r, bool polygons, bool small) {
        const std::uint32_t count = r.u32(24);
        r.bytes.require(32, std::int64_t(count) * 4);
        std::vector<QPolygonF> shapes;
        std::int64_t at = 32 + std::int64_t(count) * 4;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t n = r.u32(32 + std::int64_t(i) * 4);
            shapes.push_back(points(r, at, n, small));
            at += std::int64_t(n) * (small ? 4 : 8);
        }
        if (polygons) {
            gdi_.polyPolygon(shapes);
        } else {
            gdi_.polyPolyline(shapes);
        }
    }

    void textOut(const Record& r, bool wide) {
        enum { kOpaque = 2 };
        const QPointF reference = r.point(36);
        const std::uint32_t count = r.u32(44);
        const std::uint32_t offset = r.u32(48);
        const std::uint32_t options = r.u32(52);
        const std::int64_t bytes = std::int64_t(count) * (wide ? 2 : 1);
        const QByteArrayView raw = r.bytes.slice(offset, bytes);
        QString text;
        if (wide) {
            text.resize(qsizetype(count));
            for (std::uint32_t i = 0; i < count; ++i) {
                text[qsizetype(i)] = QChar(r.bytes.u16(offset + 2 * std::int64_t(i)));
            }
        } else {
            text = QString::fromLatin1(raw.data(), raw.size());
        }
        gdi_.text(reference, text, options & kOpaque ? r.box(56) : QRectF());
    }

    static Dib dib(const Record& r, std::uint32_t infoAt, std::uint32_t infoSize,
                   std::uint32_t bitsAt, std::uint32_t bitsSize) {
        if (infoSize == 0 || !r.bytes.has(infoAt, infoSize) || !r.bytes.has(bitsAt, bitsSize)) {
            return {};
        }
        return Dib{r.bytes.slice(infoAt, infoSize), r.bytes.slice(bitsAt, bitsSize)};
    }

    void stretchDiBits(const Record& r) {
        const QRectF target(r.point(24), r.extent(72));
        const QRectF source(r.point(32), r.extent(40));
        gdi_.drawImage(target, dib(r, r.u32(48), r.u32(52), r.u32(56), r.u32(60)), source,
                       r.u32(68));
    }

    void blt(const Record& r, bool stretch) {
        const QRectF target(r.point(24), r.extent(32));
        const std::uint32_t rop = r.u32(40);
        if (r.bytes.size() < 100 || r.u32(88) == 0) {
            return gdi_.patBlt(target, rop);
        }
        const QSizeF sourceSize = stretch ? r.extent(100) : target.size();
        const QRectF source(r.point(44), sourceSize);
        gdi_.drawImage(target, dib(r, r.u32(84), r.u32(88), r.u32(92), r.u32(96)), source, rop);
    }

    void createFont(const Record& r) {
        GdiFont font;
        font.height = r.i32(12);
        font.escapement = r.i32(20);
        font.weight = r.i32(28);
        font.italic = r.bytes.u8(32) != 0;
        font.underline = r.bytes.u8(33) != 0;
        font.strikeOut = r.bytes.u8(34) != 0;
        for (std::int64_t i = 0; i < 32 && r.bytes.has(40 + 2 * i, 2); ++i) {
            const std::uint16_t c = r.bytes.u16(40 + 2 * i);
            if (c == 0) {
                break;
            }
            font.face.append(QChar(c));
        }
        store(r.u32(8), font);
    }

    void store(std::uint32_t index, GdiObject object) {
        if (objects_.size() < std::size_t(kMaxMetafileObjects) || objects_.contains(index)) {
            objects_[index] = std::move(object);
        }
    }

    void select(std::uint32_t index) {
        GdiObject object;
        if (index & kStockObject) {
            object = stockObject(index & ~kStockObject);
        } else if (auto found = objects_.find(index); found != objects_.end()) {
            object = found->second;
        } else {
            return;
        }
        if (const auto* pen = std::get_if<GdiPen>(&object)) {
            gdi_.selectPen(*pen);
        } else if (const auto* brush = std::get_if<GdiBrush>(&object)) {
            gdi_.selectBrush(*brush);
        } else if (const auto* font = std::get_if<GdiFont>(&object)) {
            gdi_.selectFont(*font);
        }
    }

    const ByteReader& in_;
    GdiPlayer gdi_;
    std::unordered_map<std::uint32_t, GdiObject> objects_;
};

}  // namespace

std::unique_ptr<Graphic> decodeEmf(QByteArrayView data) {
    const ByteReader in(data, invalidMetafile());
    const Layout layout = readLayout(in);
    QPicture recording;
    {
        QPainter painter(&recording);
        EmfPlayer(in, layout, painter).play();
    }
    recording.setBoundingRect(QRect(QPoint(0, 0), MetafileGraphic::recordingSize(layout.size)));
    return std::make_unique<MetafileGraphic>(std::move(recording), layout.size);
}

}  // namespace cinevan::pictures
