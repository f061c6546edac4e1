#pragma once

#include <QDialog>

#include "playback/TimeValues.h"

class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QFrame;
class QPushButton;
class QToolButton;

namespace cinevan {

class MovieList;
class PlayerController;
class TFormMovieList;
class TImageEx;
class TMaskEdit;
class TOpenPictureDialog;

// The time pattern the start and stop boxes show: the locale's long time format, in its
// 24-hour form when the locale writes a day-half designator the boxes have no room for.
TimeLocale EditTimeLocale(TimeLocale locale = TimeLocale::system());

// The Edit Movie Link dialog: title, cover picture and selection of the movie entry selected
// in the Movie List Editor, written back into the player's movie list on OK. A new cover of
// the current entry goes to the main window's cover preview at once.
class TFormEdit : public QDialog {
    Q_OBJECT

public:
    TFormEdit(PlayerController& player, const TFormMovieList& editor, TImageEx& coverPreview,
              QWidget* parent = nullptr);

    // Handlers named after their components.
    void FormShow();
    void CheckBoxSelectionClick();
    void ButtonClearClick();
    void ButtonImageClick();
    void EditStartExit();
    void EditStopExit();
    void SpeedButtonStartClick();
    void SpeedButtonStopClick();
    // True when the key was taken.
    bool EditStartKeyDown(const QKeyEvent& event);
    bool EditStopKeyDown(const QKeyEvent& event);
    void ButtonOKClick();

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
    TMaskEdit* EditStart = nullptr;
    QToolButton* SpeedButtonStart = nullptr;
    QLabel* LabelStop = nullptr;
    TMaskEdit* EditStop = nullptr;
    QToolButton* SpeedButtonStop = nullptr;
    QFrame* PanelBottom = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;

    // The cover file the dialog shows and OK stores.
    const QString& CoverFileName() const { return FCoverFileName; }
    // The Browse dialog, made when it is first needed.
    TOpenPictureDialog& PictureDialog();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateSelectionGroup();
    void CreateBottomPanel();
    void CreatePictureDialog();
    void ConnectHandlers();
    void FormCreate();

    // The entry selected in the Movie List Editor, -1 for none.
    int SelectedIndex() const;
    void LoadPicture(MovieList& list, int index);
    void ShowTime(TMaskEdit* edit, double value) const;
    double TimeOf(const TMaskEdit* edit) const;
    QByteArray StoredTime(const TMaskEdit* edit) const;
    static bool IsAltEnter(const QKeyEvent& event);

    PlayerController& FPlayer;
    const TFormMovieList& FEditor;
    TImageEx& FCoverPreview;
    TOpenPictureDialog* FPictureDialog = nullptr;
    QString FCoverFileName;
};

}  // namespace cinevan
