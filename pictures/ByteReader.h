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
        : m_data(data), m_errorText(std::move(errorText)) {}

    qsizetype size() const { return m_data.size(); }
    QByteArrayView data() const { return m_data; }
    bool has(std::int64_t offset, std::int64_t count) const {
        return offset >= 0 && count >= 0 && offset <= m_data.size() &&
               count <= m_data.size() - offset;
    }
    void require(std::int64_t offset, std::int64_t count) const {
        if (!has(offset, count)) {
            fail();
        }
    }
    [[noreturn]] void fail() const { throw PictureError(m_errorText); }
    const QString& errorText() const { return m_errorText; }

    std::uint8_t u8(std::int64_t offset) const {
        require(offset, 1);
        return std::uint8_t(m_data[offset]);
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
        return m_data.sliced(offset, count);
    }
    // A reader over part of this one, with the same error text.
    ByteReader sub(std::int64_t offset, std::int64_t count) const {
        return ByteReader(slice(offset, count), m_errorText);
    }

private:
    std::uint32_t byteAt(std::int64_t offset) const { return std::uint8_t(m_data[offset]); }

    QByteArrayView m_data;
    QString m_errorText;
};

}  // namespace cinevan::pictures
