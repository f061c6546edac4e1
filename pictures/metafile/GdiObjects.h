#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <variant>

namespace cinevan::pictures {

// Logical drawing objects of the metafile formats, as their records describe them.
struct GdiPen {
    enum Style { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Null = 5 };
    std::uint32_t style = Solid;  // low byte: line style; bits above: end cap and join
    double width = 0;             // logical units; 0 = one device pixel
    QColor color = Qt::black;
};

struct GdiBrush {
    enum Style { Solid = 0, Null = 1, Hatched = 2, Pattern = 3 };
    std::uint32_t style = Solid;
    QColor color = Qt::white;
    std::uint32_t hatch = 0;
    QImage pattern;
};

struct GdiFont {
    double height = 0;      // logical units; negative = character height, positive = cell height
    double escapement = 0;  // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;
};

// Objects a metafile can create; Other stands for palettes and regions, which are kept
// only so that their slots are taken and freed like the others.
struct GdiOther {};
using GdiObject = std::variant<GdiPen, GdiBrush, GdiFont, GdiOther>;

// A COLORREF: 0x00bbggrr.
inline QColor colorFromRef(std::uint32_t ref) {
    return QColor(int(ref & 0xff), int((ref >> 8) & 0xff), int((ref >> 16) & 0xff));
}

}  // namespace cinevan::pictures
