#include "playback/mci/gst/GstConfigureDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "playback/mci/gst/GstOptions.h"
#include "playback/mci/gst/GstRuntime.h"

namespace cinevan::mci::gst {

GstConfigureDialog::GstConfigureDialog(GstOptions& options, QWidget* parent)
    : QDialog(parent),
      options_(options),
      sound_(new QCheckBox(tr("Play the &sound track"), this)),
      smooth_(new QCheckBox(tr("S&mooth picture scaling"), this)) {
    setObjectName(QStringLiteral("GstConfigureDialog"));
    setWindowTitle(tr("MPEG Video"));
    auto* engine = new QLabel(tr("Engine: %1").arg(versionText()), this);
    auto* note = new QLabel(tr("Changes apply to the next movie that is opened."), this);
    sound_->setChecked(options.sound);
    smooth_->setChecked(options.smoothScaling);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(engine);
    layout->addWidget(sound_);
    layout->addWidget(smooth_);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

void GstConfigureDialog::accept() {
    options_.sound = sound_->isChecked();
    options_.smoothScaling = smooth_->isChecked();
    QDialog::accept();
}

}  // namespace cinevan::mci::gst
