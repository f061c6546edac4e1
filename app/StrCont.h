#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <stdexcept>

#include "platform/PrivateProfile.h"

class QObject;
class QWidget;

namespace cinevan {

// The message catalog's own failure.
class EStringContainerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that should be an integer is not one.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Integer conversion of catalog keys: optional sign, then decimal digits or '$' and
// hexadecimal digits (up to eight, taken as 32 bits). Throws EConvertError.
int strToInt(const QByteArray& text);

// The message catalog: an indexed table of texts (fatal errors shown outside any window) and
// the source of every window's localised texts, both read from the catalog file (".str").
class TStringContainer {
public:
    TStringContainer() = default;
    TStringContainer(const TStringContainer&) = delete;
    TStringContainer& operator=(const TStringContainer&) = delete;

    // Binds the catalog to a file. A different name (compared exactly) drops the old reader and
    // binds a new one unless the name is empty; the same name changes nothing.
    void SetFileName(const QString& name);
    const QString& FileName() const { return FFileName; }
    // The reader bound to the file name, or none.
    const PrivateProfile* IniFile() const { return FIniFile.get(); }

    // Position of the index in the table, -1 if absent.
    int IndexOf(int index) const;
    // The text of the index; empty if absent.
    QString GetString(int index) const;
    // Replaces or appends the text; an empty text removes the index.
    void SetString(int index, const QString& text);
    int Count() const { return static_cast<int>(FStrings.size()); }

    // Merges the section of the catalog file: each key an integer index, each value its text
    // (at most 1023 bytes). A key that is no integer raises EConvertError after the keys
    // before it have been merged. Throws EStringContainerError without a file name.
    void AddSection(const QString& section);

    // Localises the window from the section named after it (see FormLocalizer). Throws
    // EStringContainerError "File name is not given" without a file name, and ELocalizeError
    // when a property cannot be set.
    void LocalizeForm(QWidget* form) const;
    // Localises a component that `form` creates on first use, as LocalizeForm would have.
    void LocalizeComponent(QObject* component, const QWidget& form) const;

private:
    struct Item {
        int index;
        QString text;
    };

    QString FFileName;
    std::unique_ptr<PrivateProfile> FIniFile;
    QList<Item> FStrings;
};

// The one catalog of the process.
TStringContainer& StringContainer();

}  // namespace cinevan
