#include "desktop/ScreenSaverInhibitor.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace cinevan {

namespace {

constexpr const char* kScreenSaver = "org.freedesktop.ScreenSaver";
constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kReason = "Playing a movie";
// The portal's flags: suspending the session (4) and the session becoming idle (8).
constexpr uint kPortalSuspendAndIdle = 4 | 8;

}  // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QDBusConnection connection, QObject* parent)
    : QObject(parent), FConnection(std::move(connection)) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    FWanted = false;
    if (FHandle) {
        Release();
    }
}

void ScreenSaverInhibitor::SetActive(bool active) {
    if (active == FWanted) {
        return;
    }
    FWanted = active;
    if (FPending) {
        return;  // the answer decides
    }
    if (active) {
        Inhibit();
    } else if (FHandle) {
        Release();
    }
}

ScreenSaverInhibitor::Service ScreenSaverInhibitor::ChooseService() const {
    const QDBusConnectionInterface* bus =
        FConnection.isConnected() ? FConnection.interface() : nullptr;
    if (!bus) {
        return Service::None;
    }
    if (bus->isServiceRegistered(QLatin1String(kScreenSaver))) {
        return Service::ScreenSaver;
    }
    const QDBusReply<QStringList> activatable = bus->activatableServiceNames();
    if (bus->isServiceRegistered(QLatin1String(kPortal)) ||
        (activatable.isValid() && activatable.value().contains(QLatin1String(kPortal)))) {
        return Service::Portal;
    }
    return Service::None;
}

void ScreenSaverInhibitor::Inhibit() {
    FService = ChooseService();
    QDBusMessage call;
    if (FService == Service::ScreenSaver) {
        call = QDBusMessage::createMethodCall(
            QLatin1String(kScreenSaver), QStringLiteral("/org/freedesktop/ScreenSaver"),
            QLatin1String(kScreenSaver), QStringLiteral("Inhibit"));
        call << QStringLiteral("Cinevan") << QLatin1String(kReason);
    } else if (FService == Service::Portal) {
        call = QDBusMessage::createMethodCall(
            QLatin1String(kPortal), QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
        call << QString() << kPortalSuspendAndIdle
             << QVariantMap{{QStringLiteral("reason"), QLatin1String(kReason)}};
    } else {
        return;
    }
    FPending = true;
    auto* watcher = new QDBusPendingCallWatcher(FConnection.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        FPending = false;
        const QDBusMessage reply = w->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            Granted(reply.arguments().constFirst());
        }  // a refusal is not repeated until the next play
    });
}

void ScreenSaverInhibitor::Granted(const QVariant& handle) {
    FHandle = handle;
    if (!FWanted) {
        Release();
    }
}

void ScreenSaverInhibitor::Release() {
    const QVariant handle = *FHandle;
    FHandle.reset();
    Drop(handle);
}

void ScreenSaverInhibitor::Drop(const QVariant& handle) {
    QDBusMessage call;
    if (FService == Service::ScreenSaver) {
        call = QDBusMessage::createMethodCall(
            QLatin1String(kScreenSaver), QStringLiteral("/org/freedesktop/ScreenSaver"),
            QLatin1String(kScreenSaver), QStringLiteral("UnInhibit"));
        call << handle.toUInt();
    } else {
        call = QDBusMessage::createMethodCall(
            QLatin1String(kPortal), qvariant_cast<QDBusObjectPath>(handle).path(),
            QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close"));
    }
    // Sent without waiting: at exit the event loop may not run again.
    FConnection.send(call);
}

}  // namespace cinevan
