#pragma once

#include <QString>
#include <stdexcept>

namespace cinevan {

// Raised when a picture file cannot be loaded: unknown extension, unreadable or damaged
// file, or a size beyond what the program is willing to decode.
class PictureError : public std::runtime_error {
public:
    explicit PictureError(const QString& message) : std::runtime_error(message.toStdString()) {}

    QString message() const { return QString::fromStdString(what()); }
};

}  // namespace cinevan
