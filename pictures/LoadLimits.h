#pragma once

#include <QSize>
#include <cstdint>

namespace cinevan::pictures {

// Largest picture any loader decodes: 64 megapixels (256 MiB as 32-bit pixels).
inline constexpr std::int64_t kMaxPixels = 64LL * 1024 * 1024;

// Largest picture file read into memory.
inline constexpr std::int64_t kMaxFileBytes = 256LL * 1024 * 1024;

// Longest wait for a picture file's bytes (a share whose server stopped answering never
// gives them).
inline constexpr int kReadTimeLimitMs = 3000;

// Largest side of a picture; keeps products of sides and small factors within 32 bits.
inline constexpr int kMaxSide = 65535;

inline bool isSaneSize(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           width * height <= kMaxPixels;
}

inline bool isSaneSize(QSize size) {
    return isSaneSize(size.width(), size.height());
}

}  // namespace cinevan::pictures
