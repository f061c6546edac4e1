#include "settings/SettingsKey.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <utility>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace cinevan {

namespace {

#ifndef Q_OS_WIN
QStringList KeyParts(const QString& keyPath) {
    QString path = keyPath;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (!parts.isEmpty() &&
        parts.first().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0) {
        parts.removeFirst();
    }
    return parts;
}
#endif

std::unique_ptr<QSettings> OpenNative(const QString& keyPath) {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + keyPath,
                                       QSettings::NativeFormat);
#else
    QStringList parts = KeyParts(keyPath);
    const QString organization = parts.isEmpty() ? QStringLiteral("Unknown") : parts.takeFirst();
    const QString application = parts.isEmpty() ? organization : parts.join(QLatin1Char('/'));
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organization,
                                       application);
#endif
}

// What identifies one version of a file on disk: a rewrite that replaced the file changes it.
QByteArray FileStamp(const QString& fileName) {
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(fileName).constData(), &info) != 0) {
        return {};
    }
    return QByteArray::number(quint64(info.st_ino)) + ':' + QByteArray::number(info.st_size) + ':' +
           QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(info.st_mtim.tv_nsec));
#else
    const QFileInfo info(fileName);
    return QByteArray::number(info.size()) + ':' +
           QByteArray::number(info.lastModified().toMSecsSinceEpoch());
#endif
}

}  // namespace

SettingsKey::SettingsKey(const QString& keyPath, bool useRegistry)
    : keyPath_(keyPath), useRegistry_(useRegistry) {
    Open();
}

void SettingsKey::Open() {
    settings_.reset();
    if (useRegistry_) {
        settings_ = OpenNative(keyPath_);
    } else {
        settings_ = std::make_unique<QSettings>(keyPath_, QSettings::IniFormat);
    }
    settings_->setFallbacksEnabled(false);
}

SettingsKey::~SettingsKey() = default;

QString SettingsKey::ValueKey(const QString& section, const QString& name) const {
    return section + QLatin1Char('/') + name;
}

QString SettingsKey::Read(const QString& section, const QString& name,
                          const QString& fallback) const {
    const QVariant value = settings_->value(ValueKey(section, name));
    if (!value.isValid()) {
        return fallback;
    }
    switch (value.typeId()) {
        case QMetaType::QString:
            return value.toString();
        case QMetaType::QStringList:
            // An INI line holding commas without quotes reads as a list: it was one text.
            return value.toStringList().join(QLatin1Char(','));
        default:
            throw ESettingsError(
                QStringLiteral("Invalid data type for '%1'").arg(name).toStdString());
    }
}

void SettingsKey::CreateSection(const QString& section) {
    if (created_) {
        return;
    }
    const QFileInfo file(settings_->fileName());
    if (file.isAbsolute() && !QDir().mkpath(file.absolutePath())) {
        throw ESettingsError(QStringLiteral("Failed to create key %1").arg(section).toStdString());
    }
    created_ = true;
}

void SettingsKey::Write(const QString& section, const QString& name, const QString& value) {
    CreateSection(section);
    settings_->setValue(ValueKey(section, name), value);
    if (!deferred_) {
        Sync(name);
    } else if (firstPending_.isEmpty()) {
        firstPending_ = name;
    }
}

void SettingsKey::DeferWrites() {
    deferred_ = true;
}

void SettingsKey::Commit() {
    deferred_ = false;
    const QString first = std::exchange(firstPending_, QString());
    if (!first.isEmpty()) {
        Sync(first);
    }
}

void SettingsKey::Sync(const QString& name) {
    const QByteArray before = FileStamp(settings_->fileName());
    settings_->sync();
    if (settings_->status() == QSettings::FormatError &&
        FileStamp(settings_->fileName()) != before) {
        // The file held lines that could not be read; the sync replaced it with a clean one
        // holding every value that could. The object keeps reporting the format error, which
        // would hide real errors later: read the clean file afresh.
        Open();
    }
    if (settings_->status() != QSettings::NoError) {
        throw ESettingsError(QStringLiteral("Failed to set data for '%1'").arg(name).toStdString());
    }
}

QString SettingsKey::Location() const {
    return settings_->fileName();
}

}  // namespace cinevan
