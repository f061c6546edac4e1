#include "playback/mci/EngineOptionsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace cinevan::mci {

EngineOptionsDialog::EngineOptionsDialog(const QString& title, const QString& engineVersion,
                                         QWidget* parent)
    : QDialog(parent), form_(new QFormLayout) {
    setWindowTitle(title);
    form_->addRow(tr("Engine:"), new QLabel(engineVersion, this));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &EngineOptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EngineOptionsDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form_);
    layout->addWidget(buttons);
}

void EngineOptionsDialog::accept() {
    store();
    QDialog::accept();
}

}  // namespace cinevan::mci
