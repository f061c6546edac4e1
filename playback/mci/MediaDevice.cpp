#include "playback/mci/MediaDevice.h"

#include <QEventLoop>
#include <memory>
#include <optional>

namespace cinevan::mci {

MciError MediaDevice::openElement(const QString& element, QDeadlineTimer deadline) {
    // Shared with the answer, which a device may give after this call has gone.
    struct Wait {
        std::optional<MciError> result;
        QEventLoop loop;
    };
    const auto wait = std::make_shared<Wait>();
    beginOpen(element, deadline, [wait](MciError error) {
        wait->result = error;
        wait->loop.quit();
    });
    if (!wait->result) {
        wait->loop.exec();
    }
    return wait->result.value_or(Error::DeviceNotReady);
}

}  // namespace cinevan::mci
