#pragma once

#include <QString>
#include <memory>
#include <stdexcept>

class QSettings;

namespace cinevan {

// A stored value that cannot be read or written, or a section that cannot be created. The
// text is the message shown to the user.
class ESettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One open settings key of the current user, with one section (subkey) per window. Every
// value is a string.
//
// The key path is written as a registry path, "Software\Vantrel\Cinevan\1.0". On Windows it is
// that key under HKEY_CURRENT_USER, with one subkey per section. Elsewhere the native format is
// an INI file in the user's configuration folder: a leading "Software" is dropped, the next
// part names the folder and the rest the file, with one INI section per section. The path
// above lands in $XDG_CONFIG_HOME/Vantrel/Cinevan/1.0.conf (~/.config without the variable),
// sections [Main] and [Playlist].
// With `useRegistry` off, the key path is the name of an INI file instead.
class SettingsKey {
public:
    SettingsKey(const QString& keyPath, bool useRegistry);
    ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    // The value, or `fallback` when the section or the value does not exist. Throws
    // ESettingsError for a value that is not a string.
    QString Read(const QString& section, const QString& name, const QString& fallback) const;
    // Writes the value at once, or keeps it for Commit() while writes are deferred. Throws
    // ESettingsError when it cannot be stored.
    void Write(const QString& section, const QString& name, const QString& value);

    // Keeps the values written from now on in memory, where Read already finds them, so that
    // many values cost one rewrite of the file. Values still pending when the key is closed
    // are stored then, without a report.
    void DeferWrites();
    // Stores the values kept since DeferWrites() in one go and writes at once again. Throws
    // ESettingsError naming the first of them when they cannot be stored.
    void Commit();

    // Where the values of this key are kept (a file, or the registry path on Windows).
    QString Location() const;

private:
    QString ValueKey(const QString& section, const QString& name) const;
    void CreateSection(const QString& section);
    void Open();
    // Stores what is pending; throws ESettingsError naming `name` when that fails.
    void Sync(const QString& name);

    QString keyPath_;
    bool useRegistry_;
    std::unique_ptr<QSettings> settings_;
    bool created_ = false;
    bool deferred_ = false;
    // The first value written while writes are deferred, for the report of a failure.
    QString firstPending_;
};

}  // namespace cinevan
