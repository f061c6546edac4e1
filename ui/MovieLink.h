#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QFrame;
class QPushButton;
class QToolButton;

namespace cinevan {

class TImageEx;

// The Edit Movie Link dialog: title, cover picture and selection of one movie entry.
class TFormEdit : public QDialog {
    Q_OBJECT

public:
    explicit TFormEdit(QWidget* parent = nullptr);

    QLabel* LabelImage = nullptr;
    QFrame* PanelImage = nullptr;
    TImageEx* ImageLink = nullptr;
    QPushButton* ButtonClear = nullptr;
    QPushButton* ButtonImage = nullptr;
    QLabel* LabelFileName = nullptr;
    QLineEdit* EditFileName = nullptr;
    QLabel* LabelTitle = nullptr;
    QLineEdit* EditTitle = nullptr;
    QCheckBox* CheckBoxSelection = nullptr;
    QGroupBox* GroupBoxSelection = nullptr;
    QLabel* LabelStart = nullptr;
    QLineEdit* EditStart = nullptr;
    QToolButton* SpeedButtonStart = nullptr;
    QLabel* LabelStop = nullptr;
    QLineEdit* EditStop = nullptr;
    QToolButton* SpeedButtonStop = nullptr;
    QFrame* PanelBottom = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;

private:
    void CreateControls();
    void FormCreate();
};

}  // namespace cinevan
