#pragma once

#include <QDialog>

class QFormLayout;

namespace cinevan::mci {

// The frame of an engine's own configuration dialog: the engine's version at the top, the
// rows of the engine's options below it (form()), OK and Cancel at the bottom. OK stores what
// the rows show (store()) before the dialog closes.
class EngineOptionsDialog : public QDialog {
    Q_OBJECT

public:
    void accept() override;

protected:
    EngineOptionsDialog(const QString& title, const QString& engineVersion, QWidget* parent);

    QFormLayout& form() const { return *form_; }
    virtual void store() = 0;

private:
    QFormLayout* form_;
};

}  // namespace cinevan::mci
