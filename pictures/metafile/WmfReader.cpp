#include "pictures/metafile/WmfReader.h"

#include <QPicture>
#include <cmath>
#include <set>
#include <vector>

#include "pictures/ByteReader.h"
#include "pictures/DibSampler.h"
#include "pictures/LoadLimits.h"
#include "pictures/MetafileGraphic.h"
#include "pictures/metafile/GdiPlayer.h"
#include "pictures/metafile/MetafileLimits.h"

namespace cinevan::pictures {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr int kPlaceableSize = 22;
constexpr int kHeaderWords = 9;

enum Function : std::uint16_t {
    kEof = 0x0000,
    kSaveDc = 0x001E,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetPolyFillMode = 0x0106,
    kRestoreDc = 0x0127,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kDibCreatePatternBrush = 0x0142,
    kDeleteObject = 0x01F0,
    kCreatePatternBrush = 0x01F9,
    kSetBkColor = 0x0201,
    kSetTextColor = 0x0209,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetViewportOrg = 0x020D,
    kSetViewportExt = 0x020E,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kCreatePalette = 0x00F7,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kIntersectClipRect = 0x0416,
    kEllipse = 0x0418,
    kRectangle = 0x041B,
    kTextOut = 0x0521,
    kPolyPolygon = 0x0538,
    kPatBlt = 0x061D,
    kRoundRect = 0x061C,
    kCreateRegion = 0x06FF,
    kArc = 0x0817,
    kPie = 0x081A,
    kChord = 0x0830,
    kDibBitBlt = 0x0940,
    kExtTextOut = 0x0A32,
    kDibStretchBlt = 0x0B41,
    kStretchDib = 0x0F43,
};

QString invalidMetafile() {
    return QStringLiteral("Metafile is not valid");
}

// One record: its function and its parameter words (records store arguments last first).
struct Record {
    std::uint16_t function;
    ByteReader params;

    std::int16_t word(int index) const { return params.i16(2 * std::int64_t(index)); }
    std::uint16_t uword(int index) const { return params.u16(2 * std::int64_t(index)); }
    std::uint32_t dword(int index) const { return params.u32(2 * std::int64_t(index)); }
    int wordCount() const { return int(params.size() / 2); }
    QPointF point(int index) const { return QPointF(word(index + 1), word(index)); }
    // left, top, right, bottom stored as bottom, right, top, left from index.
    QRectF rect(int index) const {
        return QRectF(QPointF(word(index + 3), word(index + 2)),
                      QPointF(word(index + 1), word(index)));
    }
};

struct Layout {
    bool placeable = false;
    std::int64_t firstRecord = 0;
    QSize size;
    QRectF bounds;  // logical units of the placeable header; empty without it
    int objectSlots = 0;
};

// Walks the records from the header on, handing each to visit until the end record; a file
// that ends before its end record is cut short and not valid.
template <typename Visit>
void forEachRecord(const ByteReader& in, std::int64_t at, Visit visit) {
    for (int count = 0; count < kMaxMetafileRecords; ++count) {
        const std::int64_t bytes = std::int64_t(in.u32(at)) * 2;
        if (bytes < 6 || !in.has(at, bytes)) {
            in.fail();
        }
        const std::uint16_t function = in.u16(at + 4);
        if (function == kEof) {
            return;
        }
        visit(Record{function, in.sub(at + 6, bytes - 6)});
        at += bytes;
    }
}

QSize windowExtent(const ByteReader& in, std::int64_t firstRecord) {
    QSize extent;
    forEachRecord(in, firstRecord, [&](const Record& record) {
        if (record.function == kSetWindowExt && extent.isEmpty()) {
            extent = QSize(std::abs(record.word(1)), std::abs(record.word(0)));
        }
    });
    return extent;
}

Layout readLayout(const ByteReader& in) {
    Layout layout;
    std::int64_t at = 0;
    if (in.u32(0) == kPlaceableKey) {
        const QRectF bounds(QPointF(in.i16(6), in.i16(8)), QPointF(in.i16(10), in.i16(12)));
        const int inch = in.u16(14);
        if (inch == 0 || bounds.width() == 0 || bounds.height() == 0) {
            in.fail();
        }
        layout.placeable = true;
        layout.bounds = bounds;
        layout.size = QSize(qRound(std::abs(bounds.width()) * kScreenDpi / inch),
                            qRound(std::abs(bounds.height()) * kScreenDpi / inch));
        at = kPlaceableSize;
    }
    const int type = in.u16(at);
    if ((type != 1 && type != 2) || in.u16(at + 2) != kHeaderWords) {
        in.fail();
    }
    layout.objectSlots = in.u16(at + 10);
    layout.firstRecord = at + kHeaderWords * 2;
    if (!layout.placeable) {
        layout.size = windowExtent(in, layout.firstRecord);
    }
    if (!isSaneSize(layout.size)) {
        in.fail();
    }
    return layout;
}

class WmfPlayer {
public:
    WmfPlayer(const ByteReader& in, const Layout& layout, QPainter& painter)
        : in_(in),
          gdi_(painter, QTransform(), kScreenDpi / 25.4,
               QRectF(QPointF(0, 0), MetafileGraphic::recordingSize(layout.size))),
          objects_(std::size_t(layout.objectSlots)) {
        gdi_.setMapMode(GdiPlayer::Anisotropic);
        gdi_.setViewportExt(MetafileGraphic::recordingSize(layout.size));
        if (layout.placeable) {
            gdi_.setWindowOrg(layout.bounds.topLeft());
            gdi_.setWindowExt(layout.bounds.size());
        } else {
            gdi_.setWindowExt(layout.size);
        }
    }

    void play(std::int64_t firstRecord) {
        forEachRecord(in_, firstRecord, [this](const Record& record) { playRecord(record); });
    }

private:
    void playRecord(const Record& r) {
        switch (r.function) {
            case kSetWindowOrg:
                return gdi_.setWindowOrg(r.point(0));
            case kSetWindowExt:
                return gdi_.setWindowExt(QSizeF(r.word(1), r.word(0)));
            case kSetViewportOrg:
            case kSetViewportExt:
            case kSetMapMode:
                return;  // the viewport is the picture; placeable files are played anisotropic
            case kSetBkColor:
                return gdi_.setBkColor(colorFromRef(r.dword(0)));
            case kSetTextColor:
                return gdi_.setTextColor(colorFromRef(r.dword(0)));
            case kSetBkMode:
                return gdi_.setBkMode(r.word(0));
            case kSetTextAlign:
                return gdi_.setTextAlign(r.uword(0));
            case kSetPolyFillMode:
                return gdi_.setPolyFillMode(r.word(0));
            case kSaveDc:
                return gdi_.save();
            case kRestoreDc:
                return gdi_.restore(r.word(0));
            case kMoveTo:
                return gdi_.moveTo(r.point(0));
            case kLineTo:
                return gdi_.lineTo(r.point(0));
            case kPolyline:
                return gdi_.polyline(points(r, 1, r.uword(0)));
            case kPolygon:
                return gdi_.polygon(points(r, 1, r.uword(0)));
            case kPolyPolygon:
                return polyPolygon(r);
            case kRectangle:
                return gdi_.rectangle(r.rect(0));
            case kRoundRect:
                return gdi_.roundRect(r.rect(2), QSizeF(r.word(1), r.word(0)));
            case kEllipse:
                return gdi_.ellipse(r.rect(0));
            case kArc:
                return gdi_.arc(GdiPlayer::ArcKind::Arc, r.rect(4), r.point(2), r.point(0));
            case kPie:
                return gdi_.arc(GdiPlayer::ArcKind::Pie, r.rect(4), r.point(2), r.point(0));
            case kChord:
                return gdi_.arc(GdiPlayer::ArcKind::Chord, r.rect(4), r.point(2), r.point(0));
            case kIntersectClipRect:
                return gdi_.intersectClipRect(r.rect(0));
            case kTextOut:
                return textOut(r);
            case kExtTextOut:
                return extTextOut(r);
            case kPatBlt:
                return gdi_.patBlt(QRectF(r.word(5), r.word(4), r.word(3), r.word(2)), r.dword(0));
            case kStretchDib:
                return stretchDib(r);
            case kDibStretchBlt:
                return dibBlt(r, true);
            case kDibBitBlt:
                return dibBlt(r, false);
            case kCreatePenIndirect:
                return store(
                    GdiPen{r.uword(0), double(std::abs(r.word(1))), colorFromRef(r.dword(3))});
            case kCreateBrushIndirect:
                return store(GdiBrush{r.uword(0), colorFromRef(r.dword(1)), r.uword(3), QImage()});
            case kDibCreatePatternBrush:
                return patternBrush(r);
            case kCreateFontIndirect:
                return createFont(r);
            case kCreatePatternBrush:
            case kCreatePalette:
            case kCreateRegion:
                return store(GdiOther{});
            case kSelectObject:
                return select(r.uword(0));
            case kDeleteObject:
                return erase(r.uword(0));
            default:
                return;
        }
    }

    QPolygonF points(const Record& r, int firstWord, int count) const {
        r.params.require(2 * std::int64_t(firstWord), 4 * std::int64_t(count));
        QPolygonF result;
        result.reserve(count);
        for (int i = 0; i < count; ++i) {
            result.append(QPointF(r.word(firstWord + 2 * i), r.word(firstWord + 2 * i + 1)));
        }
        return result;
    }

    void polyPolygon(const Record& r) {
        const int polygons = r.uword(0);
        r.params.require(2, 2 * std::int64_t(polygons));
        std::vector<QPolygonF> shapes;
        int at = 1 + polygons;
        for (int i = 0; i < polygons; ++i) {
            const int count = r.uword(1 + i);
            shapes.push_back(points(r, at, count));
            at += 2 * count;
        }
        gdi_.polyPolygon(shapes);
    }

    static QString ansiText(QByteArrayView bytes) {
        return QString::fromLatin1(bytes.data(), bytes.size());
    }

    void textOut(const Record& r) {
        const int count = r.uword(0);
        const int stringWords = (count + 1) / 2;
        const QString text = ansiText(r.params.slice(2, count));
        gdi_.text(r.point(1 + stringWords), text);
    }

    void extTextOut(const Record& r) {
        enum { kOpaque = 2, kClipped = 4 };
        const QPointF at = r.point(0);
        const int count = r.uword(2);
        const int options = r.uword(3);
        int stringWord = 4;
        QRectF box;
        if (options & (kOpaque | kClipped)) {
            box = QRectF(QPointF(r.word(4), r.word(5)), QPointF(r.word(6), r.word(7)));
            stringWord = 8;
        }
        const QString text = ansiText(r.params.slice(2 * std::int64_t(stringWord), count));
        gdi_.text(at, text, options & kOpaque ? box : QRectF());
    }

    Dib dib(const Record& r, int firstWord) const {
        const std::int64_t at = 2 * std::int64_t(firstWord);
        const QByteArrayView rest = r.params.slice(at, r.params.size() - at);
        return splitPackedDib(rest).value_or(Dib{});
    }

    void stretchDib(const Record& r) {
        // rop, usage, srcHeight, srcWidth, ySrc, xSrc, destHeight, destWidth, yDest, xDest, DIB
        const QRectF source(r.word(6), r.word(5), r.word(4), r.word(3));
        const QRectF target(r.word(10), r.word(9), r.word(8), r.word(7));
        gdi_.drawImage(target, dib(r, 11), source, r.dword(0));
    }

    void dibBlt(const Record& r, bool stretch) {
        // Without a bitmap the record has one more reserved word and paints with the brush.
        const int sourceWords = stretch ? 4 : 2;
        const int minWords = 2 + sourceWords + 4;
        if (r.wordCount() <= minWords + 1) {
            const int d = 2 + sourceWords + 1;
            return gdi_.patBlt(QRectF(r.word(d + 3), r.word(d + 2), r.word(d + 1), r.word(d)),
                               r.dword(0));
        }
        const QRectF target(r.word(minWords - 1), r.word(minWords - 2), r.word(minWords - 3),
                            r.word(minWords - 4));
        QRectF source(r.word(3 + (stretch ? 2 : 0)), r.word(2 + (stretch ? 2 : 0)), target.width(),
                      target.height());
        if (stretch) {
            source.setSize(QSizeF(r.word(3), r.word(2)));
        }
        gdi_.drawImage(target, dib(r, minWords), source, r.dword(0));
    }

    void patternBrush(const Record& r) {
        GdiBrush brush{GdiBrush::Pattern, Qt::black, 0, dibCorner(dib(r, 2), kMaxPatternSide)};
        store(brush);
    }

    void createFont(const Record& r) {
        GdiFont font;
        font.height = r.word(0);
        font.escapement = r.word(2);
        font.weight = r.word(4);
        const QByteArrayView flags = r.params.slice(10, 8);
        font.italic = flags[0] != 0;
        font.underline = flags[1] != 0;
        font.strikeOut = flags[2] != 0;
        if (r.params.size() > 18) {
            QByteArrayView face = r.params.slice(18, std::min<qsizetype>(32, r.params.size() - 18));
            const qsizetype end = face.indexOf('\0');
            font.face = ansiText(end < 0 ? face : face.first(end));
        }
        store(font);
    }

    // A new object takes the lowest free slot; with no slot free it is dropped.
    void store(GdiObject object) {
        std::size_t slot = unused_;
        if (!freed_.empty()) {
            slot = *freed_.begin();
            freed_.erase(freed_.begin());
        } else if (unused_ < objects_.size()) {
            ++unused_;
        } else {
            return;
        }
        objects_[slot] = std::move(object);
    }

    void select(int index) {
        if (index >= int(objects_.size()) || !objects_[std::size_t(index)]) {
            return;
        }
        const GdiObject& object = *objects_[std::size_t(index)];
        if (const auto* pen = std::get_if<GdiPen>(&object)) {
            gdi_.selectPen(*pen);
        } else if (const auto* brush = std::get_if<GdiBrush>(&object)) {
            gdi_.selectBrush(*brush);
        } else if (const auto* font = std::get_if<GdiFont>(&object)) {
            gdi_.selectFont(*font);
        }
    }

    void erase(int index) {
        const auto slot = std::size_t(index);
        if (slot < unused_ && objects_[slot]) {
            objects_[slot].reset();
            freed_.insert(slot);
        }
    }

    const ByteReader& in_;
    GdiPlayer gdi_;
    std::vector<std::optional<GdiObject>> objects_;
    std::size_t unused_ = 0;       // slots from here on have never been taken
    std::set<std::size_t> freed_;  // deleted slots below unused_
};

}  // namespace

std::unique_ptr<Graphic> decodeWmf(QByteArrayView data) {
    const ByteReader in(data, invalidMetafile());
    const Layout layout = readLayout(in);
    QPicture recording;
    {
        QPainter painter(&recording);
        WmfPlayer(in, layout, painter).play(layout.firstRecord);
    }
    recording.setBoundingRect(QRect(QPoint(0, 0), MetafileGraphic::recordingSize(layout.size)));
    return std::make_unique<MetafileGraphic>(std::move(recording), layout.size);
}

}  // namespace cinevan::pictures
