#include "ui/Fonts.h"

#include <QStringList>

namespace cinevan {

namespace {

QFont FontOf(const QStringList& families, int pixelHeight) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelHeight);
    return font;
}

}  // namespace

QFont SansFont(int pixelHeight) {
    return FontOf({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("DejaVu Sans")},
                  pixelHeight);
}

QFont SerifFont(int pixelHeight) {
    return FontOf({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                   QStringLiteral("DejaVu Serif")},
                  pixelHeight);
}

}  // namespace cinevan
