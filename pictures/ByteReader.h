#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <cstring>

#include "pictures/PictureError.h"

namespace cinevan::pictures {

// Little-endian reads from a byte range; any read outside it raises PictureError with the
// format's error text.
class ByteReader {
public:
    ByteReader(QByteArrayView data, QString errorText)
        : data_(data), errorText_(std::move(errorText)) {}

    qsizetype size() const { return data_.size(); }
    QByteArrayView data() const { return data_; }
    bool has(std::int64_t offset, std::int64_t count) const {
        return offset >= 0 && count >= 0 && offset <= data_.size() &&
               count <= data_.size() - offset;
    }
    void require(std::int64_t offset, std::int64_t count) const {
        if (!has(offset, count)) {
            fail();
        }
    }
    [[noreturn]] void fail() const { throw PictureError(errorText_); }
    const QString& errorText() const { return errorText_; }

    std::uint8_t u8(std::int64_t offset) const {
        require(offset, 1);
        return std::uint8_t(data_[offset]);
    }
    std::uint16_t u16(std::int64_t offset) const {
        require(offset, 2);
        return std::uint16_t(byteAt(offset) | byteAt(offset + 1) << 8);
    }
    std::uint32_t u32(std::int64_t offset) const {
        require(offset, 4);
        return std::uint32_t(byteAt(offset)) | std::uint32_t(byteAt(offset + 1)) << 8 |
               std::uint32_t(byteAt(offset + 2)) << 16 | std::uint32_t(byteAt(offset + 3)) << 24;
    }
    std::int16_t i16(std::int64_t offset) const { return std::int16_t(u16(offset)); }
    std::int32_t i32(std::int64_t offset) const { return std::int32_t(u32(offset)); }
    float f32(std::int64_t offset) const {
        const std::uint32_t bits = u32(offset);
        float value;
        static_assert(sizeof value == sizeof bits);
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    QByteArrayView slice(std::int64_t offset, std::int64_t count) const {
        require(offset, count);
        return data_.sliced(offset, count);
    }
    // A reader over part of this one, with the same error text.
    ByteReader sub(std::int64_t offset, std::int64_t count) const {
        return ByteReader(slice(offset, count), errorText_);
    }

private:
    std::uint32_t byteAt(std::int64_t offset) const { return std::uint8_t(data_[offset]); }

    QByteArrayView data_;
    QString errorText_;
};

}  // namespace cinevan::pictures
