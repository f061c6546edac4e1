#include "desktop/DesktopIntegration.h"

#include <QDBusConnection>

namespace cinevan {

DesktopIntegration::DesktopIntegration(TFormMain& window, QObject* parent)
    : QObject(parent), remote_(window), mpris_(remote_), inhibitor_(QDBusConnection::sessionBus()) {
    mpris_.Register(QDBusConnection::sessionBus());
    connect(&remote_, &PlayerRemote::Changed, this, [this] {
        inhibitor_.SetActive(remote_.PlaybackStatus() == PlayerRemote::Status::Playing);
    });
}

}  // namespace cinevan
