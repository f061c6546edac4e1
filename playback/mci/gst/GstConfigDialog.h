#pragma once

#include "playback/mci/EngineOptionsDialog.h"

class QCheckBox;

namespace cinevan::mci::gst {

// The GStreamer driver's own settings: the engine version, the sound track and the picture's
// scaling. Accepting stores them for the devices opened afterwards.
class GstConfigDialog : public EngineOptionsDialog {
    Q_OBJECT

public:
    explicit GstConfigDialog(const QString& engineVersion, QWidget* parent = nullptr);

private:
    void store() override;

    QCheckBox* sound_;
    QCheckBox* smooth_;
};

}  // namespace cinevan::mci::gst
