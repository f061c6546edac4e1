#pragma once

#include <QByteArrayView>
#include <memory>

#include "pictures/Graphic.h"

namespace cinevan::pictures {

// Reads a Windows metafile (with or without the placeable header) and draws its records.
// The size comes from the placeable header's bounds at 96 pixels per inch, or else from the
// first window extent. Unknown records are skipped. Raises PictureError("Metafile is not valid").
std::unique_ptr<Graphic> decodeWmf(QByteArrayView data);

}  // namespace cinevan::pictures
