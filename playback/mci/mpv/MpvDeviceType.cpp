#include "playback/mci/mpv/MpvDeviceType.h"

#include <QOpenGLWidget>

#include "playback/mci/mpv/MpvDevice.h"
#include "playback/mci/mpv/MpvSurface.h"

namespace cinevan::mci {

std::unique_ptr<MediaDevice> MpvDeviceType::create() {
    return std::make_unique<MpvDevice>();
}

// The video surface is an OpenGL widget, and Qt gives a window that holds one an OpenGL native
// window. A hidden OpenGL widget in the window from the start makes Qt create it that way at
// once; otherwise the window's native window is replaced when the first movie appears.
void MpvDeviceType::prepareVideoWindow(QWidget& window) {
    const QString seedName = QStringLiteral("MpvSurfaceSeed");
    if (!MpvSurface::available() ||
        window.findChild<QOpenGLWidget*>(seedName, Qt::FindDirectChildrenOnly)) {
        return;
    }
    auto* seed = new QOpenGLWidget(&window);
    seed->setObjectName(seedName);
    seed->hide();
}

std::unique_ptr<MediaDevice> MpvSoundDeviceType::create() {
    return std::make_unique<MpvDevice>(MpvPlayer::Media::SoundOnly);
}

}  // namespace cinevan::mci
