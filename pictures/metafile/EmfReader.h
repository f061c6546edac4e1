#pragma once

#include <QByteArrayView>
#include <memory>

#include "pictures/Graphic.h"

namespace cinevan::pictures {

// Reads an enhanced metafile and draws its records. The size is the header's frame at 96
// pixels per inch. Unknown records are skipped. Raises PictureError("Metafile is not valid").
std::unique_ptr<Graphic> decodeEmf(QByteArrayView data);

}  // namespace cinevan::pictures
