#include "playback/mci/gst/GstConfigDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>

#include "playback/mci/gst/GstOptions.h"

namespace cinevan::mci::gst {

GstConfigDialog::GstConfigDialog(const QString& engineVersion, QWidget* parent)
    : EngineOptionsDialog(tr("MPEG Video"), engineVersion, parent),
      sound_(new QCheckBox(tr("Play the &sound track"), this)),
      smooth_(new QCheckBox(tr("S&mooth picture scaling"), this)) {
    setObjectName(QStringLiteral("GstConfigDialog"));
    const GstOptions options = GstOptions::current();
    sound_->setChecked(options.sound);
    smooth_->setChecked(options.smoothScaling);

    form().addRow(sound_);
    form().addRow(smooth_);
    form().addRow(new QLabel(tr("Changes apply to the next movie that is opened."), this));
}

void GstConfigDialog::store() {
    GstOptions options;
    options.sound = sound_->isChecked();
    options.smoothScaling = smooth_->isChecked();
    GstOptions::set(options);
}

}  // namespace cinevan::mci::gst
