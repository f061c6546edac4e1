#pragma once

#include <cstdint>

namespace cinevan::pictures {

inline constexpr double kScreenDpi = 96.0;
// Records played from one metafile at most; the rest are ignored.
inline constexpr int kMaxMetafileRecords = 1'000'000;
// Objects a metafile may keep at once.
inline constexpr int kMaxMetafileObjects = 65536;
// Pictures are recorded at most this many pixels wide and high (and drawn scaled up from
// there): bitmaps in them are decoded at no more than that resolution.
inline constexpr int kMaxRecordingSide = 2048;
// Bitmap pixels decoded for one metafile at most, over all its records; later bitmaps are
// decoded smaller or left out.
inline constexpr std::int64_t kMaxMetafileImagePixels = 4LL * 1024 * 1024;
// Drawing operations of one metafile may cover the picture this many times over, counting
// the part of each one's bounds inside the picture; later ones are left out, so that painting
// stays bounded by the picture's size.
inline constexpr double kMaxOverdraw = 64;
// Pattern brushes keep at most this many pixels on a side of their bitmap.
inline constexpr int kMaxPatternSide = 64;

}  // namespace cinevan::pictures
