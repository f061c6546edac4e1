#pragma once

#include <QFont>

namespace cinevan {

// The window design's fonts, "MS Sans Serif" and "Times New Roman", with their nearest
// equivalents on systems without them. Heights are in pixels.
QFont SansFont(int pixelHeight);
QFont SerifFont(int pixelHeight);

}  // namespace cinevan
