#pragma once

#include <QString>
#include <QStringList>

namespace cinevan {

// The transport button that takes the keyboard focus after a refresh: the one that replaced
// the Play or Pause button just clicked.
enum class TransportFocus : quint8 { None, PlayButton, PauseButton };

// Indexes of the texts in the message catalog's table of fatal errors.
namespace catalogtext {
constexpr int kAskInstallDriver = 0;
constexpr int kCannotCreateForms = 1;
constexpr int kCannotRunInstaller = 2;
constexpr int kCount = 3;
}  // namespace catalogtext

// The two pages of the main window's upper area.
enum class MoviePage { Preview, Movie };

// What the player logic needs of its windows. The main window implements it; tests implement
// it without any window. The logic reaches the windows only through these calls.
class PlayerView {
public:
    virtual ~PlayerView() = default;

    // Refreshes named after the main window's and the editor's operations.
    virtual void RefreshDisplay() = 0;
    virtual void LoadCoverPreview() = 0;
    virtual void ClearCoverPreview() = 0;
    virtual void RefreshList(bool rebuild) = 0;

    // Pages and the video window.
    virtual void ShowPage(MoviePage page) = 0;
    virtual void CheckBoxFullScreenClick() = 0;
    virtual void FormResize() = 0;
    // Unchecks "Full"; a change of the checked state runs its click handler.
    virtual void UncheckFullScreen() = 0;
    virtual bool FullScreenVisible() const = 0;

    // Check boxes read by the logic.
    virtual bool LoopChecked() const = 0;
    virtual bool ShuffleChecked() const = 0;

    // Keyboard focus.
    virtual bool PlayButtonHasFocus() const = 0;
    virtual bool PauseButtonHasFocus() const = 0;
    virtual void FocusTrackBar() = 0;
    // Gives the keyboard focus to the Play or Pause button.
    virtual void FocusTransportButton(TransportFocus button) = 0;

    // The track bar: whole seconds counted from the selection start. Setting the position
    // from the program raises no change event; the bar keeps it within its range.
    virtual int TrackBarPosition() const = 0;
    virtual void SetTrackBarPosition(int position) = 0;
    virtual void SetTrackBarMaximum(int maximum) = 0;
    virtual void SetTrackBarPageSize(int pageSize) = 0;
    virtual void SetTimeLabels(const QString& duration, const QString& current) = 0;

    // Device submenu: captions of the listed devices (at most ten shown) and the checked one
    // (-1 for none).
    virtual void ShowDeviceItems(const QStringList& captions) = 0;
    virtual void CheckDeviceItem(int index) = 0;

    // Messages. The format of the missing-file message is a menu item's hint, so that the
    // message catalog can translate it.
    virtual QString MissingFileFormat() const = 0;
    // Text `index` of the message catalog's indexed table (see catalogtext).
    virtual QString CatalogText(int index) const = 0;
    virtual bool AskConfirmation(const QString& text) = 0;
    virtual void ShowError(const QString& text) = 0;

    // Ends the program by closing the main window, or at once.
    virtual void CloseMainWindow() = 0;
    virtual void EndProcessNow() = 0;
};

}  // namespace cinevan
