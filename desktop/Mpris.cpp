#include "desktop/Mpris.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QUrl>

#include "desktop/PlayerRemote.h"

namespace cinevan {

namespace {

constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr qint64 kUsPerMs = 1000;

QString StatusName(PlayerRemote::Status status) {
    switch (status) {
        case PlayerRemote::Status::Playing:
            return QStringLiteral("Playing");
        case PlayerRemote::Status::Paused:
            return QStringLiteral("Paused");
        case PlayerRemote::Status::Stopped:
            break;
    }
    return QStringLiteral("Stopped");
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The service

MprisService::MprisService(PlayerRemote& remote, QObject* parent)
    : QObject(parent), remote_(remote), connection_(QString()) {
    new MprisRootAdaptor(*this);
    new MprisPlayerAdaptor(*this);
    connect(&remote, &PlayerRemote::Changed, this, &MprisService::NotifyChanges);
}

MprisService::~MprisService() {
    if (!serviceName_.isEmpty()) {
        connection_.unregisterService(serviceName_);
        connection_.unregisterObject(QLatin1String(kObjectPath));
    }
}

bool MprisService::Register(QDBusConnection connection) {
    if (!connection.isConnected() || !connection.registerObject(QLatin1String(kObjectPath), this,
                                                                QDBusConnection::ExportAdaptors)) {
        return false;
    }
    connection_ = connection;
    QString name = QLatin1String(kServiceName);
    if (!connection.registerService(name)) {
        name += QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!connection.registerService(name)) {
            connection.unregisterObject(QLatin1String(kObjectPath));
            return false;
        }
    }
    serviceName_ = name;
    lastSent_ = ChangingProperties();
    return true;
}

QString MprisService::PlaybackStatus() const {
    return StatusName(remote_.PlaybackStatus());
}

// The current entry; an empty list has the track of no track.
QDBusObjectPath MprisService::TrackId() const {
    const int index = remote_.CurrentIndex();
    return QDBusObjectPath(index < 0 ? QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")
                                     : QStringLiteral("/com/vantrel/Cinevan/Entry/%1").arg(index));
}

QVariantMap MprisService::Metadata() const {
    QVariantMap metadata;
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId()));
    if (remote_.CurrentIndex() < 0) {
        return metadata;
    }
    metadata.insert(QStringLiteral("xesam:title"), remote_.Title());
    const QString file = remote_.FileName();
    if (!file.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(file).toString());
    }
    const qint64 length = remote_.SelectionLengthMs();
    if (length >= 0) {
        metadata.insert(QStringLiteral("mpris:length"), length * kUsPerMs);
    }
    const QString cover = remote_.Cover();
    if (!cover.isEmpty()) {
        metadata.insert(QStringLiteral("mpris:artUrl"), QUrl::fromLocalFile(cover).toString());
    }
    return metadata;
}

QVariantMap MprisService::ChangingProperties() const {
    return {
        {QStringLiteral("PlaybackStatus"), PlaybackStatus()},
        {QStringLiteral("Metadata"), Metadata()},
        {QStringLiteral("CanGoNext"), remote_.CanGoNext()},
        {QStringLiteral("CanGoPrevious"), remote_.CanGoPrevious()},
        {QStringLiteral("CanPlay"), remote_.CanPlay()},
        {QStringLiteral("CanPause"), remote_.CanPause()},
        {QStringLiteral("CanSeek"), remote_.CanSeek()},
    };
}

void MprisService::NotifyChanges() {
    if (serviceName_.isEmpty()) {
        return;
    }
    const QVariantMap now = ChangingProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (lastSent_.value(it.key()) != it.value()) {
            changed.insert(it.key(), it.value());
        }
    }
    lastSent_ = now;
    if (changed.isEmpty()) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(kPlayerInterface) << changed << QStringList();
    connection_.send(signal);
}

// ---------------------------------------------------------------------------------------------
// org.mpris.MediaPlayer2

MprisRootAdaptor::MprisRootAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), service_(service) {}

QString MprisRootAdaptor::Identity() const {
    return QStringLiteral("Cinevan");
}

QString MprisRootAdaptor::DesktopEntry() const {
    return QStringLiteral("com.vantrel.Cinevan");
}

QStringList MprisRootAdaptor::SupportedUriSchemes() const {
    return {QStringLiteral("file")};
}

QStringList MprisRootAdaptor::SupportedMimeTypes() const {
    return QStringLiteral(CINEVAN_MIME_TYPES).split(QLatin1Char(','));
}

void MprisRootAdaptor::Raise() {
    service_.Remote().Raise();
}

void MprisRootAdaptor::Quit() {
    service_.Remote().Quit();
}

// ---------------------------------------------------------------------------------------------
// org.mpris.MediaPlayer2.Player

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), service_(service) {
    connect(&service, &MprisService::Seeked, this, &MprisPlayerAdaptor::Seeked);
}

QString MprisPlayerAdaptor::PlaybackStatus() const {
    return service_.PlaybackStatus();
}

QVariantMap MprisPlayerAdaptor::Metadata() const {
    return service_.Metadata();
}

qlonglong MprisPlayerAdaptor::Position() const {
    return service_.Remote().PositionMs() * kUsPerMs;
}

bool MprisPlayerAdaptor::CanGoNext() const {
    return service_.Remote().CanGoNext();
}

bool MprisPlayerAdaptor::CanGoPrevious() const {
    return service_.Remote().CanGoPrevious();
}

bool MprisPlayerAdaptor::CanPlay() const {
    return service_.Remote().CanPlay();
}

bool MprisPlayerAdaptor::CanPause() const {
    return service_.Remote().CanPause();
}

bool MprisPlayerAdaptor::CanSeek() const {
    return service_.Remote().CanSeek();
}

void MprisPlayerAdaptor::Next() {
    service_.Remote().Next();
}

void MprisPlayerAdaptor::Previous() {
    service_.Remote().Previous();
}

void MprisPlayerAdaptor::Pause() {
    service_.Remote().Pause();
}

void MprisPlayerAdaptor::PlayPause() {
    service_.Remote().PlayPause();
}

void MprisPlayerAdaptor::Stop() {
    service_.Remote().Stop();
}

void MprisPlayerAdaptor::Play() {
    service_.Remote().Play();
}

void MprisPlayerAdaptor::Seek(qlonglong offset) {
    PlayerRemote& remote = service_.Remote();
    if (!remote.CanSeek()) {
        return;
    }
    remote.SeekTo(std::max<qlonglong>(0, remote.PositionMs() + offset / kUsPerMs));
    emit service_.Seeked(remote.PositionMs() * kUsPerMs);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
    PlayerRemote& remote = service_.Remote();
    const qint64 length = remote.SelectionLengthMs();
    // A request for another track, or beyond this one, is ignored.
    if (!remote.CanSeek() || trackId != service_.TrackId() || position < 0 ||
        position / kUsPerMs > length) {
        return;
    }
    remote.SeekTo(position / kUsPerMs);
    emit service_.Seeked(remote.PositionMs() * kUsPerMs);
}

void MprisPlayerAdaptor::OpenUri(const QString& uri) {
    const QUrl url(uri);
    if (url.isLocalFile()) {
        service_.Remote().Open(url.toLocalFile());
    }
}

}  // namespace cinevan
