#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>

namespace cinevan {

// Keeps the screensaver and idle sleep away while a movie plays: the desktop's
// org.freedesktop.ScreenSaver service where it runs, else the desktop portal's Inhibit.
// Calls never wait for the bus; an inhibition whose answer arrives after it was released is
// released at once. The last inhibition ends with the object.
class ScreenSaverInhibitor : public QObject {
    Q_OBJECT

public:
    explicit ScreenSaverInhibitor(QDBusConnection connection, QObject* parent = nullptr);
    ~ScreenSaverInhibitor() override;

    // True while a movie plays: takes the inhibition; false releases it.
    void SetActive(bool active);
    bool Active() const { return wanted_; }

private:
    enum class Service { None, ScreenSaver, Portal };
    Service ChooseService() const;
    void Inhibit();
    void Release();
    void Granted(const QVariant& handle);
    void Drop(const QVariant& handle);

    QDBusConnection connection_;
    bool wanted_ = false;
    bool pending_ = false;  // an Inhibit call awaits its answer
    Service service_ = Service::None;
    std::optional<QVariant> handle_;  // the cookie or the portal's request path
};

}  // namespace cinevan
