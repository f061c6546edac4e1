#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace cinevan {

// The About window: the program's name, version and copyright, and the machine's memory.
class TFormAbout : public QDialog {
    Q_OBJECT

public:
    explicit TFormAbout(QWidget* parent = nullptr);

    QFrame* PanelIcon = nullptr;
    QLabel* ImageIcon = nullptr;
    QFrame* PanelMain = nullptr;
    QLabel* LabelPrgName = nullptr;
    QLabel* LabelPrgVersion = nullptr;
    QLabel* LabelCopyright = nullptr;
    QLabel* LabelMemory = nullptr;
    QLabel* LabelResources = nullptr;
    QFrame* PanelValues = nullptr;
    QLabel* LabelMemFree = nullptr;
    QLabel* LabelResFree = nullptr;
    QPushButton* ButtonOK = nullptr;

private:
    void CreateControls();
    void FormCreate();
};

}  // namespace cinevan
