#include "playback/mci/mpv/MpvConfigDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>

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
    : QDialog(parent),
      hardwareDecoding_(new QCheckBox(tr("Use hardware decoding when available"), this)),
      audioOutput_(new QComboBox(this)) {
    setWindowTitle(tr("Movie Player Settings"));
    const MpvOptions options = MpvOptions::current();
    hardwareDecoding_->setChecked(options.hardwareDecoding);
    for (const AudioChoice& choice : kAudioChoices) {
        audioOutput_->addItem(tr(choice.label), QString::fromLatin1(choice.value));
    }
    audioOutput_->setCurrentIndex(qMax(0, audioOutput_->findData(options.audioOutput)));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &MpvConfigDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MpvConfigDialog::reject);

    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Engine:"), new QLabel(engineVersion, this));
    layout->addRow(hardwareDecoding_);
    layout->addRow(tr("Audio output:"), audioOutput_);
    layout->addRow(buttons);
}

void MpvConfigDialog::accept() {
    MpvOptions options;
    options.hardwareDecoding = hardwareDecoding_->isChecked();
    options.audioOutput = audioOutput_->currentData().toString();
    MpvOptions::set(options);
    QDialog::accept();
}

}  // namespace cinevan::mci
