#include "movielist/PlaylistFormats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <QXmlStreamReader>
#include <cmath>
#include <optional>

#include "movielist/CommaText.h"
#include "movielist/MovieList.h"
#include "movielist/MovieListFile.h"
#include "movielist/MoviePath.h"

namespace cinevan::playlistformats {

namespace {

constexpr double kSecondsPerDay = 86400;
// Playlists are small; a larger file is no playlist.
constexpr qint64 kMaxPlaylistBytes = 16 * 1024 * 1024;

// One entry being collected from a playlist.
struct Entry {
    QString location;
    QString title;
    QString image;
    QByteArray start;
    QByteArray stop;
};

// A playlist's location as a local file name: an absolute path, a path relative to the
// playlist's folder, or a file URL (also relative). Other URLs give nothing.
std::optional<QByteArray> LocalName(const QString& location, const QByteArray& folder) {
    const QString trimmed = location.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    const QUrl url(trimmed);
    const bool hasScheme = url.isValid() && url.scheme().size() > 1;
    QString path = trimmed;
    if (hasScheme) {
        if (!url.isLocalFile()) {
            return std::nullopt;
        }
        path = url.toLocalFile();
    } else if (trimmed.startsWith(QLatin1String("file:"))) {
        path = QUrl::fromPercentEncoding(trimmed.mid(5).toUtf8());
    }
    return moviepath::fullPath(QFile::encodeName(path), folder);
}

QByteArray Line(const Entry& entry, const QByteArray& folder) {
    const std::optional<QByteArray> file = LocalName(entry.location, folder);
    if (!file) {
        return {};
    }
    QByteArray cover;
    if (!entry.image.isEmpty()) {
        cover = LocalName(entry.image, folder).value_or(QByteArray());
    }
    QByteArrayList fields{*file, entry.title.toLocal8Bit(), cover, entry.start, entry.stop};
    while (fields.size() > 1 && fields.last().isEmpty()) {
        fields.removeLast();
    }
    return commatext::write(fields);
}

// A VLC option "start-time=…" or "stop-time=…" applied to the entry.
void ApplyOption(const QString& option, Entry& entry) {
    const qsizetype equals = option.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return;
    }
    const QString key = option.left(equals).trimmed();
    bool ok = false;
    const double seconds = option.mid(equals + 1).trimmed().toDouble(&ok);
    if (!ok) {
        return;
    }
    if (key == QLatin1String("start-time")) {
        entry.start = timeText(seconds);
    } else if (key == QLatin1String("stop-time")) {
        entry.stop = timeText(seconds);
    }
}

// The playlist's text as Unicode: UTF-8 where it is valid UTF-8 (always for M3U8), else the
// system's 8-bit code page.
QString DecodeM3u(const QByteArray& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(text);
    return utf8.hasError() ? QString::fromLocal8Bit(text) : decoded;
}

QString Seconds(qint32 ms) {
    return QString::number(ms / 1000.0, 'f', ms % 1000 == 0 ? 0 : 3);
}

}  // namespace

bool isPlaylist(const QByteArray& name) {
    const QByteArray ext = moviepath::lowerExtension(name);
    return ext == ".m3u" || ext == ".m3u8" || ext == ".xspf";
}

bool isM3u8(const QByteArray& name) {
    return moviepath::lowerExtension(name) == ".m3u8";
}

QByteArray timeText(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0 || seconds >= kSecondsPerDay - 0.5) {
        return {};
    }
    const auto whole = static_cast<qint32>(std::lround(seconds));
    return QStringLiteral("%1:%2:%3")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

QByteArrayList parseM3u(const QByteArray& text, const QByteArray& folder) {
    QByteArrayList lines;
    Entry entry;
    const QStringList rows =
        DecodeM3u(text).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (const QString& raw : rows) {
        const QString row = raw.trimmed();
        if (row.startsWith(QLatin1String("#EXTINF:"))) {
            // "#EXTINF:<seconds> <attributes>,<title>": the title follows the first comma that
            // is outside quoted attribute values.
            bool quoted = false;
            for (qsizetype i = 8; i < row.size(); ++i) {
                if (row[i] == QLatin1Char('"')) {
                    quoted = !quoted;
                } else if (row[i] == QLatin1Char(',') && !quoted) {
                    entry.title = row.mid(i + 1).trimmed();
                    break;
                }
            }
        } else if (row.startsWith(QLatin1String("#EXTVLCOPT:"))) {
            ApplyOption(row.mid(11), entry);
        } else if (!row.isEmpty() && !row.startsWith(QLatin1Char('#'))) {
            entry.location = row;
            const QByteArray line = Line(entry, folder);
            if (!line.isEmpty()) {
                lines.append(line);
            }
            entry = Entry();
        }
    }
    return lines;
}

QByteArrayList parseXspf(const QByteArray& text, const QByteArray& folder) {
    QByteArrayList lines;
    QXmlStreamReader xml(text);
    Entry entry;
    bool inTrack = false;
    // XSPF locations are URIs, relative ones against the playlist's own location.
    const QUrl base = QUrl::fromLocalFile(QFile::decodeName(folder) + QLatin1Char('/'));
    const auto resolved = [&](const QString& uri) {
        return base.resolved(QUrl(uri.trimmed())).toString();
    };
    while (!xml.atEnd()) {
        xml.readNext();
        const QStringView name = xml.name();
        if (xml.isStartElement() && name == QLatin1String("track")) {
            inTrack = true;
            entry = Entry();
        } else if (xml.isEndElement() && name == QLatin1String("track")) {
            inTrack = false;
            const QByteArray line = Line(entry, folder);
            if (!line.isEmpty()) {
                lines.append(line);
            }
        } else if (inTrack && xml.isStartElement()) {
            if (name == QLatin1String("location") && entry.location.isEmpty()) {
                entry.location = resolved(xml.readElementText());
            } else if (name == QLatin1String("title")) {
                entry.title = xml.readElementText().trimmed();
            } else if (name == QLatin1String("image")) {
                entry.image = resolved(xml.readElementText());
            } else if (name == QLatin1String("option")) {
                ApplyOption(xml.readElementText(), entry);
            }
        }
    }
    // A damaged file keeps the tracks read before the damage.
    return lines;
}

QByteArrayList read(const QByteArray& fileName) {
    QFile file(QFile::decodeName(fileName));
    const QFileInfo info(file);
    if (!info.isFile() || info.size() > kMaxPlaylistBytes || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray text = file.readAll();
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    return moviepath::lowerExtension(fileName) == ".xspf" ? parseXspf(text, folder)
                                                          : parseM3u(text, folder);
}

QByteArray formatM3u8(const MovieList& list, const TimeReader& timeMs) {
    QByteArray text = "#EXTM3U\n";
    for (int i = 0; i < list.MovieCount(); ++i) {
        const QString title = QString::fromLocal8Bit(list.GetMovieField(i, MovieList::kTitle));
        // A line break in a title would end the line early.
        const QString flat = QString(title)
                                 .replace(QLatin1Char('\r'), QLatin1Char(' '))
                                 .replace(QLatin1Char('\n'), QLatin1Char(' '));
        text += "#EXTINF:-1," + flat.toUtf8() + '\n';
        const qint32 start = timeMs(list.GetMovieField(i, MovieList::kStart));
        const qint32 stop = timeMs(list.GetMovieField(i, MovieList::kStop));
        if (start > 0) {
            text += "#EXTVLCOPT:start-time=" + Seconds(start).toLatin1() + '\n';
        }
        if (stop > start) {
            text += "#EXTVLCOPT:stop-time=" + Seconds(stop).toLatin1() + '\n';
        }
        text += QFile::decodeName(list.GetMovieField(i, MovieList::kFileName)).toUtf8() + '\n';
    }
    return text;
}

void writeM3u8(const QByteArray& fileName, const MovieList& list, const TimeReader& timeMs) {
    movielistfile::writeText(fileName, formatM3u8(list, timeMs));
}

}  // namespace cinevan::playlistformats
