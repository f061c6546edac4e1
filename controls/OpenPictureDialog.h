#pragma once

#include <QFlags>
#include <QFrame>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QDialog;
class QFileDialog;
class QLabel;
class QToolButton;

namespace cinevan {

class Picture;

// Rounds a * b / c to the nearest integer (halves away from zero), with a 64-bit product;
// -1 when c is 0.
int MulDiv(int a, int b, int c);

// Where the preview thumbnail of a picture of size `picture` goes inside `box`: unscaled and
// centred when it fits, otherwise its longer side fitted to the box and anchored at the
// box's top-left corner. A square-ish landscape picture may come out taller than the box.
QRect PreviewRect(const QRect& box, QSize picture);

// Converts a filter of "description|patterns|description|patterns..." pairs (patterns
// separated by ';') into the name filters of a Qt file dialog.
QStringList PictureNameFilters(const QString& filter);

// A "description|patterns|..." filter for every picture format the picture holder knows: all
// of them first, then one entry per format.
QString DefaultPictureFilter();

// The preview area shown beside the file list: the picture's size in a label, a thumbnail and
// a button that opens the picture at full size.
class TPicturePanel : public QFrame {
    Q_OBJECT

public:
    TPicturePanel(Picture& picture, QWidget* parent = nullptr);

    // Loads the file into the picture (or empties it when it is no loadable picture file) and
    // updates the label, the button and the thumbnail.
    void SelectionChange(const QString& path);
    void PaintPreview(QPainter& painter) const;
    // Opens the picture in its own modal window.
    void ShowPreviewWindow();
    // The window ShowPreviewWindow shows, sized to the picture; the caller runs and owns it.
    std::unique_ptr<QDialog> CreatePreviewWindow() const;

    QLabel* PictureLabel = nullptr;
    QToolButton* PreviewButton = nullptr;
    QFrame* PaintPanel = nullptr;
    QWidget* PaintBox = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlacePreviewButton();

    Picture& FPicture;
};

// The standard open dialog with a picture preview on its right.
class TOpenPictureDialog : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString DefaultExt MEMBER FDefaultExt)
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(QString Filter MEMBER FFilter)
    Q_PROPERTY(QString InitialDir MEMBER FInitialDir)
    Q_PROPERTY(QString Title MEMBER FTitle)
    Q_CLASSINFO("LocalizableProperties", "DefaultExt,FileName,Filter,InitialDir,Title")

public:
    enum Option {
        ofHideReadOnly = 0x1,
        ofNoChangeDir = 0x2,
        ofPathMustExist = 0x4,
        ofFileMustExist = 0x8,
        ofOldStyleDialog = 0x10,
    };
    Q_DECLARE_FLAGS(TOpenOptions, Option)

    explicit TOpenPictureDialog(QObject* parent = nullptr);
    ~TOpenPictureDialog() override;

    // Runs the dialog modally; true when the user chose a file, which FileName() then holds.
    bool Execute();

    QString DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const QString& value) { FDefaultExt = value; }
    QString FileName() const { return FFileName; }
    void SetFileName(const QString& value) { FFileName = value; }
    QString Filter() const { return FFilter; }
    void SetFilter(const QString& value) { FFilter = value; }
    // 1-based position of the filter chosen at the start, and the one chosen at the end.
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int value) { FFilterIndex = value; }
    QString InitialDir() const { return FInitialDir; }
    void SetInitialDir(const QString& value) { FInitialDir = value; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions value) { FOptions = value; }
    QString Title() const { return FTitle; }
    void SetTitle(const QString& value) { FTitle = value; }
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int value) { FHelpContext = value; }

    // The picture of the file selected last.
    const Picture& SelectedPicture() const { return *FPicture; }

signals:
    void OnShow();
    void OnClose();
    void OnFolderChange(const QString& folder);
    void OnSelectionChange(const QString& path);
    void OnTypeChange(int filterIndex);

private:
    void Configure(QFileDialog& dialog) const;
    TPicturePanel* AttachPreview(QFileDialog& dialog);
    QWidget* DialogParent() const;

    QString FDefaultExt;
    QString FFileName;
    QString FFilter;
    int FFilterIndex = 1;
    QString FInitialDir;
    TOpenOptions FOptions = ofHideReadOnly;
    QString FTitle;
    int FHelpContext = 0;
    std::unique_ptr<Picture> FPicture;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TOpenPictureDialog::TOpenOptions)

}  // namespace cinevan
