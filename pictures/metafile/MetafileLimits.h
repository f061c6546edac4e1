#pragma once

namespace cinevan::pictures {

inline constexpr double kScreenDpi = 96.0;
// Records played from one metafile at most; the rest are ignored.
inline constexpr int kMaxMetafileRecords = 1'000'000;
// Objects a metafile may keep at once.
inline constexpr int kMaxMetafileObjects = 65536;

}  // namespace cinevan::pictures
