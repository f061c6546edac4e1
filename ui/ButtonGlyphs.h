#pragma once

#include <QIcon>

namespace cinevan {

// The transport buttons' pictures, drawn as vector shapes so that they stay crisp at any
// device pixel ratio. Black figures, 16 x 15 logical pixels, on a transparent ground.
enum class Glyph { Play, Pause, Stop, Prior, Next, Eject, Disc };

QIcon glyphIcon(Glyph glyph);

}  // namespace cinevan
