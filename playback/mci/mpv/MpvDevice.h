#pragma once

#include <QPointer>
#include <memory>

#include "playback/mci/MediaDevice.h"
#include "playback/mci/mpv/MpvPlayer.h"
#include "playback/mci/mpv/MpvSurface.h"

namespace cinevan::mci {

// A device played by libmpv. With video ("ActiveMovie") the movie is drawn into a surface
// widget that the window command places inside a host widget; sound only ("WaveAudio") it has
// no window and answers that it has no video.
class MpvDevice : public MediaDevice {
public:
    explicit MpvDevice(MpvPlayer::Media media = MpvPlayer::Media::Video);
    ~MpvDevice() override;

    void beginOpen(const QString& element, QDeadlineTimer deadline, OpenDone done) override;
    MciError whereSource(QSize& size) override;
    MciError setTimeFormatMilliseconds() override;
    MciError statusLength(quint32& ms) override;
    MciError statusPosition(quint32& ms) override;
    MciError play(quint32 fromMs, quint32 toMs) override;
    MciError pause() override;
    MciError resume() override;
    MciError seek(quint32 toMs) override;
    MciError window(QWidget* host) override;
    MciError putDestination(const QRect& rect) override;
    MciError getDevCaps(DevCapsItem item, quint32& answer) override;
    MciError infoProduct(QString& text) override;
    MciError configure(QWidget* parent) override;

    // The widget the video is drawn into, once a host has been given.
    MpvSurface* surface() const { return surface_; }

private:
    bool hasVideo() const { return media_ == MpvPlayer::Media::Video; }

    const MpvPlayer::Media media_;
    std::unique_ptr<MpvPlayer> player_;
    QPointer<MpvSurface> surface_;
    QRect destination_;
};

}  // namespace cinevan::mci
