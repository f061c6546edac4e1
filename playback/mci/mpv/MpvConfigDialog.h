#pragma once

#include "playback/mci/EngineOptionsDialog.h"

class QCheckBox;
class QComboBox;

namespace cinevan::mci {

// The libmpv devices' own settings: the engine version, hardware decoding and the audio
// output. Accepting stores them for every libmpv device of the process.
class MpvConfigDialog : public EngineOptionsDialog {
    Q_OBJECT

public:
    explicit MpvConfigDialog(const QString& engineVersion, QWidget* parent = nullptr);

private:
    void store() override;

    QCheckBox* hardwareDecoding_;
    QComboBox* audioOutput_;
};

}  // namespace cinevan::mci
