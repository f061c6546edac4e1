#pragma once

#include <QByteArray>
#include <stdexcept>
#include <string>

namespace cinevan {

// Raised when an entry outside the list is written.
class EListError : public std::out_of_range {
public:
    explicit EListError(qsizetype index)
        : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}
};

// Raised when a file cannot be created or written completely. The message names the file.
class EFCreateError : public std::runtime_error {
public:
    explicit EFCreateError(const QByteArray& fileName)
        : std::runtime_error("Cannot create file " + fileName.toStdString()) {}
};

}  // namespace cinevan
