#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "platform/MemoryStatus.h"

class QFrame;
class QLabel;
class QPushButton;

namespace cinevan {

class TSecretPanel;
class TStrHolder;

// Where the About window takes what it shows about the program and the machine.
struct AboutSources {
    // The program file whose version block names the version and copyright.
    QString programFile;
    std::function<MemoryStatus()> memoryStatus;
    // Free system resources in percent, or nothing when they cannot be measured.
    std::function<std::optional<int>()> freeResources;

    // The running program, the kernel's memory status, and no system resources: Linux has no
    // such measure, so the memory-load fallback always applies.
    static AboutSources System();
};

// The About window: the program's name, version and copyright, and the machine's memory.
// A double click on the icon scrolls the credits until the window is hidden.
class TFormAbout : public QDialog {
    Q_OBJECT

public:
    explicit TFormAbout(QWidget* parent = nullptr, AboutSources sources = AboutSources::System());

    QFrame* PanelIcon = nullptr;
    QLabel* ImageIcon = nullptr;
    QFrame* PanelMain = nullptr;
    QLabel* LabelPrgName = nullptr;
    QLabel* LabelPrgVersion = nullptr;
    QLabel* LabelCopyright = nullptr;
    TSecretPanel* SecretPanel = nullptr;
    QFrame* Bevel = nullptr;
    QLabel* LabelMemory = nullptr;
    QLabel* LabelResources = nullptr;
    QFrame* PanelValues = nullptr;
    QLabel* LabelMemFree = nullptr;
    QLabel* LabelResFree = nullptr;
    QPushButton* ButtonOK = nullptr;
    TStrHolder* StrHolder = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    void CreateSecretPanel();
    void FormCreate();
    void FormShow();
    void FormHide();
    void ImageIconDblClick();
    void ShowResources();
    void SetLabel(QLabel* label, const QString& text);

    AboutSources FSources;
};

}  // namespace cinevan
