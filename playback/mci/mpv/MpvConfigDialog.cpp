#include "playback/mci/mpv/MpvConfigDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

#include "playback/mci/mpv/MpvOptions.h"

namespace cinevan::mci {

namespace {

struct AudioChoice {
    const char* label;
    const char* value;
};

constexpr AudioChoice kAudioChoices[] = {
    {"Automatic", ""}, {"PulseAudio", "pulse"}, {"PipeWire", "pipewire"},
    {"ALSA", "alsa"},  {"No sound", "null"},
};

}  // namespace

MpvConfigDialog::MpvConfigDialog(const QString& engineVersion, QWidget* parent)
    : EngineOptionsDialog(tr("Movie Player Settings"), engineVersion, parent),
      hardwareDecoding_(new QCheckBox(tr("Use hardware decoding when available"), this)),
      audioOutput_(new QComboBox(this)) {
    setObjectName(QStringLiteral("MpvConfigDialog"));
    const MpvOptions options = MpvOptions::current();
    hardwareDecoding_->setChecked(options.hardwareDecoding);
    for (const AudioChoice& choice : kAudioChoices) {
        audioOutput_->addItem(tr(choice.label), QString::fromLatin1(choice.value));
    }
    audioOutput_->setCurrentIndex(qMax(0, audioOutput_->findData(options.audioOutput)));

    form().addRow(hardwareDecoding_);
    form().addRow(tr("Audio output:"), audioOutput_);
}

void MpvConfigDialog::store() {
    MpvOptions options;
    options.hardwareDecoding = hardwareDecoding_->isChecked();
    options.audioOutput = audioOutput_->currentData().toString();
    MpvOptions::set(options);
}

}  // namespace cinevan::mci
