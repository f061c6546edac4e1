#pragma once

#include <memory>

#include "playback/mci/MediaDevice.h"

namespace cinevan::mci {

class MpvPlayer;

// The "WaveAudio" device: plays only the sound of a file through libmpv. It has no video,
// so the device search leaves it out of the movie devices.
class MpvSoundDevice : public MediaDevice {
public:
    MpvSoundDevice();
    ~MpvSoundDevice() override;

    using MediaDevice::openElement;
    MciError openElement(const QString& element, QDeadlineTimer deadline) override;
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

private:
    std::unique_ptr<MpvPlayer> player_;
};

}  // namespace cinevan::mci
