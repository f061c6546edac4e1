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
    : QObject(parent), FRemote(remote), FConnection(QString()) {
    new MprisRootAdaptor(*this);
    new MprisPlayerAdaptor(*this);
    connect(&remote, &PlayerRemote::Changed, this, &MprisService::NotifyChanges);
}

MprisService::~MprisService() {
    if (!FServiceName.isEmpty()) {
        FConnection.unregisterService(FServiceName);
        FConnection.unregisterObject(QLatin1String(kObjectPath));
    }
}

bool MprisService::Register(QDBusConnection connection) {
    if (!connection.isConnected() || !connection.registerObject(QLatin1String(kObjectPath), this,
                                                                QDBusConnection::ExportAdaptors)) {
        return false;
    }
    FConnection = connection;
    QString name = QLatin1String(kServiceName);
    if (!connection.registerService(name)) {
        name += QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!connection.registerService(name)) {
            connection.unregisterObject(QLatin1String(kObjectPath));
            return false;
        }
    }
    FServiceName = name;
    FLastSent = ChangingProperties();
    return true;
}

QString MprisService::PlaybackStatus() const {
    return StatusName(FRemote.PlaybackStatus());
}

// The current entry; an empty list has the track of no track.
QDBusObjectPath MprisService::TrackId() const {
    const int index = FRemote.CurrentIndex();
    return QDBusObjectPath(index < 0 ? QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")
                                     : QStringLiteral("/com/vantrel/Cinevan/Entry/%1").arg(index));
}

QVariantMap MprisService::Metadata() const {
    QVariantMap metadata;
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId()));
    if (FRemote.CurrentIndex() < 0) {
        return metadata;
    }
    metadata.insert(QStringLiteral("xesam:title"), FRemote.Title());
    const QString file = FRemote.FileName();
    if (!file.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(file).toString());
    }
    const qint64 length = FRemote.SelectionLengthMs();
    if (length >= 0) {
        metadata.insert(QStringLiteral("mpris:length"), length * kUsPerMs);
    }
    const QString cover = FRemote.Cover();
    if (!cover.isEmpty()) {
        metadata.insert(QStringLiteral("mpris:artUrl"), QUrl::fromLocalFile(cover).toString());
    }
    return metadata;
}

QVariantMap MprisService::ChangingProperties() const {
    return {
        {QStringLiteral("PlaybackStatus"), PlaybackStatus()},
        {QStringLiteral("Metadata"), Metadata()},
        {QStringLiteral("CanGoNext"), FRemote.CanGoNext()},
        {QStringLiteral("CanGoPrevious"), FRemote.CanGoPrevious()},
        {QStringLiteral("CanPlay"), FRemote.CanPlay()},
        {QStringLiteral("CanPause"), FRemote.CanPause()},
        {QStringLiteral("CanSeek"), FRemote.CanSeek()},
    };
}

void MprisService::NotifyChanges() {
    if (FServiceName.isEmpty()) {
        return;
    }
    const QVariantMap now = ChangingProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (FLastSent.value(it.key()) != it.value()) {
            changed.insert(it.key(), it.value());
        }
    }
    FLastSent = now;
    if (changed.isEmpty()) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(kPlayerInterface) << changed << QStringList();
    FConnection.send(signal);
}

// ---------------------------------------------------------------------------------------------
// org.mpris.MediaPlayer2

MprisRootAdaptor::MprisRootAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), FService(service) {}

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
    FService.Remote().Raise();
}

void MprisRootAdaptor::Quit() {
    FService.Remote().Quit();
}

// ---------------------------------------------------------------------------------------------
// org.mpris.MediaPlayer2.Player

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), FService(service) {
    connect(&service, &MprisService::Seeked, this, &MprisPlayerAdaptor::Seeked);
}

QString MprisPlayerAdaptor::PlaybackStatus() const {
    return FService.PlaybackStatus();
}

QVariantMap MprisPlayerAdaptor::Metadata() const {
    return FService.Metadata();
}

qlonglong MprisPlayerAdaptor::Position() const {
    return FService.Remote().PositionMs() * kUsPerMs;
}

bool MprisPlayerAdaptor::CanGoNext() const {
    return FService.Remote().CanGoNext();
}

bool MprisPlayerAdaptor::CanGoPrevious() const {
    return FService.Remote().CanGoPrevious();
}

bool MprisPlayerAdaptor::CanPlay() const {
    return FService.Remote().CanPlay();
}

bool MprisPlayerAdaptor::CanPause() const {
    return FService.Remote().CanPause();
}

bool MprisPlayerAdaptor::CanSeek() const {
    return FService.Remote().CanSeek();
}

void MprisPlayerAdaptor::Next() {
    FService.Remote().Next();
}

void MprisPlayerAdaptor::Previous() {
    FService.Remote().Previous();
}

void MprisPlayerAdaptor::Pause() {
    FService.Remote().Pause();
}

void MprisPlayerAdaptor::PlayPause() {
    FService.Remote().PlayPause();
}

void MprisPlayerAdaptor::Stop() {
    FService.Remote().Stop();
}

void MprisPlayerAdaptor::Play() {
    FService.Remote().Play();
}

void MprisPlayerAdaptor::Seek(qlonglong offset) {
    PlayerRemote& remote = FService.Remote();
    if (!remote.CanSeek()) {
        return;
    }
    remote.SeekTo(std::max<qlonglong>(0, remote.PositionMs() + offset / kUsPerMs));
    emit FService.Seeked(remote.PositionMs() * kUsPerMs);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
    PlayerRemote& remote = FService.Remote();
    const qint64 length = remote.SelectionLengthMs();
    // A request for another track, or beyond this one, is ignored.
    if (!remote.CanSeek() || trackId != FService.TrackId() || position < 0 ||
        position / kUsPerMs > length) {
        return;
    }
    remote.SeekTo(position / kUsPerMs);
    emit FService.Seeked(remote.PositionMs() * kUsPerMs);
}

void MprisPlayerAdaptor::OpenUri(const QString& uri) {
    const QUrl url(uri);
    if (url.isLocalFile()) {
        FService.Remote().Open(url.toLocalFile());
    }
}

}  // namespace cinevan
