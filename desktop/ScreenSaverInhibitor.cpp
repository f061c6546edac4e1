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
    : QObject(parent), connection_(std::move(connection)) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    wanted_ = false;
    if (handle_) {
        Release();
    }
}

void ScreenSaverInhibitor::SetActive(bool active) {
    if (active == wanted_) {
        return;
    }
    wanted_ = active;
    if (pending_) {
        return;  // the answer decides
    }
    if (active) {
        Inhibit();
    } else if (handle_) {
        Release();
    }
}

ScreenSaverInhibitor::Service ScreenSaverInhibitor::ChooseService() const {
    const QDBusConnectionInterface* bus =
        connection_.isConnected() ? connection_.interface() : nullptr;
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
    service_ = ChooseService();
    QDBusMessage call;
    if (service_ == Service::ScreenSaver) {
        call = QDBusMessage::createMethodCall(
            QLatin1String(kScreenSaver), QStringLiteral("/org/freedesktop/ScreenSaver"),
            QLatin1String(kScreenSaver), QStringLiteral("Inhibit"));
        call << QStringLiteral("Cinevan") << QLatin1String(kReason);
    } else if (service_ == Service::Portal) {
        call = QDBusMessage::createMethodCall(
            QLatin1String(kPortal), QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
        call << QString() << kPortalSuspendAndIdle
             << QVariantMap{{QStringLiteral("reason"), QLatin1String(kReason)}};
    } else {
        return;
    }
    pending_ = true;
    auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        pending_ = false;
        const QDBusMessage reply = w->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            Granted(reply.arguments().constFirst());
        }  // a refusal is not repeated until the next play
    });
}

void ScreenSaverInhibitor::Granted(const QVariant& handle) {
    handle_ = handle;
    if (!wanted_) {
        Release();
    }
}

void ScreenSaverInhibitor::Release() {
    const QVariant handle = *handle_;
    handle_.reset();
    Drop(handle);
}

void ScreenSaverInhibitor::Drop(const QVariant& handle) {
    QDBusMessage call;
    if (service_ == Service::ScreenSaver) {
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
    connection_.send(call);
}

}  // namespace cinevan
