#pragma once

#include <QDialog>

class QCheckBox;

namespace cinevan::mci::gst {

struct GstOptions;

// The GStreamer driver's own configuration dialog: the engine's version and the driver's
// options; OK stores the options for the devices opened afterwards.
class GstConfigureDialog : public QDialog {
    Q_OBJECT
public:
    GstConfigureDialog(GstOptions& options, QWidget* parent = nullptr);

    void accept() override;

private:
    GstOptions& options_;
    QCheckBox* sound_;
    QCheckBox* smooth_;
};

}  // namespace cinevan::mci::gst
