#include "desktop/DesktopIntegration.h"

#include <QDBusConnection>

namespace cinevan {

DesktopIntegration::DesktopIntegration(TFormMain& window, QObject* parent)
    : QObject(parent), FRemote(window), FMpris(FRemote), FInhibitor(QDBusConnection::sessionBus()) {
    FMpris.Register(QDBusConnection::sessionBus());
    connect(&FRemote, &PlayerRemote::Changed, this, [this] {
        FInhibitor.SetActive(FRemote.PlaybackStatus() == PlayerRemote::Status::Playing);
    });
}

}  // namespace cinevan
