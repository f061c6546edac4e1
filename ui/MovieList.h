#pragma once

#include <QByteArrayList>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

namespace cinevan {

class FileDialogDescription;
class ListSaver;
class PlayerController;
class TFormEdit;
class TFormStorage;

// The Movie List Editor: a tool window that shows the movie list as titles and edits it
// through the player's list operations.
class TFormMovieList : public QWidget {
    Q_OBJECT

public:
    TFormMovieList(PlayerController& player, QWidget* parent = nullptr);

    // The Edit Movie Link dialog opened by Edit; made after the editor, whose child it is.
    void SetEditDialog(TFormEdit& dialog);

    // Brings the window in line with the list; `rebuild` also rebuilds its items.
    void RefreshList(bool rebuild);
    void UpdateControls();
    // The selected item, -1 for none.
    int SelectedIndex() const;
    // The item under the cursor during a drag inside the list, -1 for none.
    int DragOverIndex() const { return FDragOverIndex; }

    // Handlers named after their components. The shortcuts run them whatever the state of
    // their buttons; the list operations absorb what makes no sense.
    void ButtonCloseClick();
    void ButtonAddClick();
    void ButtonSaveAsClick();
    void ButtonClearClick();
    void ButtonEditClick();
    void ButtonSkipClick();
    void ButtonDeleteClick();
    void ButtonUpClick();
    void ButtonDownClick();
    void ButtonCopyClick();
    void CheckBoxLinkClick();
    // The list's selection has changed, by the user or by the program.
    void ListBoxMoviesClick();
    // A drag at `position` (list viewport coordinates) coming from `source`; true when a drop
    // there is accepted.
    bool ListBoxMoviesDragOver(const QObject* source, const QPoint& position);
    void ListBoxMoviesDragLeave();
    void ListBoxMoviesDragDrop(const QObject* source, const QPoint& position);
    // Files dropped from the shell are appended; playback is left alone.
    void WMDropFiles(const QByteArrayList& names);

    QFrame* PanelList = nullptr;
    QFrame* PanelCaption = nullptr;
    QLabel* LabelMovies = nullptr;
    QLabel* LabelPositions = nullptr;
    QListWidget* ListBoxMovies = nullptr;
    QFrame* PanelControls = nullptr;
    QPushButton* ButtonClose = nullptr;
    QPushButton* ButtonAdd = nullptr;
    QPushButton* ButtonSaveAs = nullptr;
    QPushButton* ButtonClear = nullptr;
    QPushButton* ButtonEdit = nullptr;
    QPushButton* ButtonCopy = nullptr;
    QPushButton* ButtonSkip = nullptr;
    QPushButton* ButtonDelete = nullptr;
    QPushButton* ButtonUp = nullptr;
    QPushButton* ButtonDown = nullptr;
    QCheckBox* CheckBoxLink = nullptr;
    TFormStorage* FormStorage = nullptr;
    QMenu* PopupMenuShortcuts = nullptr;
    QAction* ShortcutDelete = nullptr;
    QAction* ShortcutInsert = nullptr;
    QAction* ShortcutSave = nullptr;
    QAction* ShortcutSkip = nullptr;
    QAction* ShortcutMoveUp = nullptr;
    QAction* ShortcutMoveDown = nullptr;
    FileDialogDescription* OpenDialog = nullptr;
    FileDialogDescription* SaveDialog = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shell drops on the window or on the list.
    void DropFiles(QDropEvent* event);
    void FormCreate();
    void CreateFormStorage();
    void InstallEventFilters();
    void ConnectHandlers();

    // Selects `row` for the program; in Linked mode the selection stays on the current entry.
    void SelectItem(int row);
    void SetSelection(int row);
    int ItemAt(const QPoint& position) const;
    void SetDragOverIndex(int row);
    bool ListBoxMoviesMouseEvent(QEvent* event);
    bool ListBoxMoviesDragEvent(QEvent* event);
    void StartDrag();
    template <class Handler>
    void Guarded(Handler&& handler);

    PlayerController& FPlayer;
    // Saves the list without holding up the window.
    ListSaver* FSaver = nullptr;
    QPointer<TFormEdit> FEditDialog;
    QStringList FTitles;
    int FDragOverIndex = -1;
    bool FUserInput = false;
    // Where the mouse button went down on an item, until it is released or a drag starts.
    QPoint FPressPosition;
    int FPressRow = -1;
};

}  // namespace cinevan
