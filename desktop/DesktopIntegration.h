#pragma once

#include <QObject>

#include "desktop/Mpris.h"
#include "desktop/PlayerRemote.h"
#include "desktop/ScreenSaverInhibitor.h"

namespace cinevan {

class TFormMain;

// The player on the desktop's session bus: media keys and panels (MPRIS), and the
// screensaver held off while a movie plays. Without a session bus the player runs as before.
class DesktopIntegration : public QObject {
    Q_OBJECT

public:
    explicit DesktopIntegration(TFormMain& window, QObject* parent = nullptr);

private:
    PlayerRemote remote_;
    MprisService mpris_;
    ScreenSaverInhibitor inhibitor_;
};

}  // namespace cinevan
