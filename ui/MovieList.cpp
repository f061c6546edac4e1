#include "ui/MovieList.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>
#include <algorithm>
#include <utility>

#include "app/StrCont.h"
#include "movielist/ListSaver.h"
#include "movielist/MovieListFile.h"
#include "movielist/PlaylistFormats.h"
#include "playback/PlayerController.h"
#include "playback/TimeValues.h"
#include "settings/FormStorage.h"
#include "ui/DroppedFiles.h"
#include "ui/ErrorDisplay.h"
#include "ui/FileDialogDescription.h"
#include "ui/Forms.h"
#include "ui/GuardedConnect.h"
#include "ui/MovieItemDelegate.h"
#include "ui/MovieLink.h"
#include "ui/MovieListLayout.h"

namespace cinevan {

namespace {

// The smallest size the user can drag the window to.
constexpr QSize kMinimumSize(180, 132);

// Carries the dragged row of a drag inside the list.
const QString kRowMimeType = QStringLiteral("application/x-cinevan-movie-row");

QByteArrayList EncodedNames(const QStringList& names) {
    QByteArrayList encoded;
    for (const QString& name : names) {
        encoded.append(QFile::encodeName(name));
    }
    return encoded;
}

}  // namespace

TFormMovieList::TFormMovieList(PlayerController& player, QWidget* parent)
    // A window of its own that stays with the main window. Not a tool window: Qt lets the
    // shortcuts and mnemonics of a tool window's parent work inside it, and the main window's
    // keys (Alt+E, Alt+S, X ...) must not act while the editor is being typed in.
    : QWidget(parent, Qt::Window), FPlayer(player), FSaver(new ListSaver(this)) {
    MovieListLayout layout(*this);
    layout.Build();
    CreateFormStorage();
    ListBoxMovies->setItemDelegate(
        new MovieItemDelegate([this] { return FPlayer.List().Current(); },
                              [this] { return FDragOverIndex; }, ListBoxMovies));
    InstallEventFilters();
    ConnectHandlers();
    layout.Place();
    FormCreate();
}

// ---------------------------------------------------------------------------------------------
// Construction

// Placement and the Linked state are kept across runs; the window is never dragged smaller
// than its smallest design size.
void TFormMovieList::CreateFormStorage() {
    FormStorage = new TFormStorage(this);
    FormStorage->SetIniFileName(ProgramSettingsKey());
    FormStorage->SetIniSection(QStringLiteral("Playlist"));
    FormStorage->SetStoredProps({QStringLiteral("CheckBoxLink.Checked")});
    TWinMinMaxInfo limits;
    limits.MinTrackWidth = kMinimumSize.width();
    limits.MinTrackHeight = kMinimumSize.height();
    FormStorage->SetMinMaxInfo(limits);
}

// The list's mouse, keys and drags, and the list panel's size, pass through the window.
void TFormMovieList::InstallEventFilters() {
    ListBoxMovies->installEventFilter(this);
    ListBoxMovies->viewport()->installEventFilter(this);
    PanelList->installEventFilter(this);
}

void TFormMovieList::ConnectHandlers() {
    using Handler = void (TFormMovieList::*)();
    const std::pair<QPushButton*, Handler> buttons[] = {
        {ButtonClose, &TFormMovieList::ButtonCloseClick},
        {ButtonAdd, &TFormMovieList::ButtonAddClick},
        {ButtonSaveAs, &TFormMovieList::ButtonSaveAsClick},
        {ButtonClear, &TFormMovieList::ButtonClearClick},
        {ButtonEdit, &TFormMovieList::ButtonEditClick},
        {ButtonCopy, &TFormMovieList::ButtonCopyClick},
        {ButtonSkip, &TFormMovieList::ButtonSkipClick},
        {ButtonDelete, &TFormMovieList::ButtonDeleteClick},
        {ButtonUp, &TFormMovieList::ButtonUpClick},
        {ButtonDown, &TFormMovieList::ButtonDownClick},
    };
    for (const auto& [button, handler] : buttons) {
        ConnectGuarded(button, &QPushButton::clicked, this, handler);
    }
    // The shortcuts run their handlers whatever the state of the buttons.
    const std::pair<QAction*, Handler> shortcuts[] = {
        {ShortcutDelete, &TFormMovieList::ButtonDeleteClick},
        {ShortcutInsert, &TFormMovieList::ButtonAddClick},
        {ShortcutSave, &TFormMovieList::ButtonSaveAsClick},
        {ShortcutSkip, &TFormMovieList::ButtonSkipClick},
        {ShortcutMoveUp, &TFormMovieList::ButtonUpClick},
        {ShortcutMoveDown, &TFormMovieList::ButtonDownClick},
    };
    for (const auto& [action, handler] : shortcuts) {
        ConnectGuarded(action, &QAction::triggered, this, handler);
    }
    // Also a checked state restored from the settings brings the selection to the current entry.
    ConnectGuarded(CheckBoxLink, &QCheckBox::toggled, this, &TFormMovieList::CheckBoxLinkClick);
    ConnectGuarded(ListBoxMovies, &QListWidget::itemSelectionChanged, this,
                   &TFormMovieList::ListBoxMoviesClick);
}

void TFormMovieList::FormCreate() {
    try {
        StringContainer().LocalizeForm(this);
    } catch (...) {
        // The window keeps its built-in texts.
    }
    setAcceptDrops(true);
}

template <class Handler>
void TFormMovieList::Guarded(Handler&& handler) {
    RunGuarded(this, std::forward<Handler>(handler));
}

// ---------------------------------------------------------------------------------------------
// Refresh

void TFormMovieList::RefreshList(bool rebuild) {
    const MovieList& list = FPlayer.List();
    if (rebuild) {
        FTitles.clear();
        for (int i = 0; i < list.MovieCount(); ++i) {
            FTitles.append(QString::fromLocal8Bit(list.GetMovieField(i, MovieList::kTitle)));
        }
        const int selected = SelectedIndex();
        {
            const QSignalBlocker blocker(ListBoxMovies);
            ListBoxMovies->clear();
            ListBoxMovies->addItems(FTitles);
        }
        FDragOverIndex = -1;
        if (!FTitles.isEmpty()) {
            SetSelection(std::clamp(selected, 0, int(FTitles.size()) - 1));
        }
    } else {
        ListBoxMovies->viewport()->update();
    }
    if (CheckBoxLink->isChecked()) {
        SetSelection(list.Current());
    }
    UpdateControls();
}

void TFormMovieList::UpdateControls() {
    const int current = FPlayer.List().Current();
    const int count = ListBoxMovies->count();
    const int selected = SelectedIndex();
    ButtonSaveAs->setEnabled(count > 0);
    ButtonClear->setEnabled(count > 0);
    ButtonCopy->setEnabled(count > 0);
    ButtonEdit->setEnabled(selected >= 0);
    ButtonDelete->setEnabled(selected >= 0);
    ButtonSkip->setEnabled(selected >= 0 && selected != current);
    ButtonUp->setEnabled(count > 0 && selected > 0);
    ButtonDown->setEnabled(count > 0 && selected < count - 1);
    LabelPositions->setText(
        CheckBoxLink->isChecked()
            ? QStringLiteral("%1/%2").arg(current + 1).arg(count)
            : QStringLiteral("%1/%2/%3").arg(selected + 1).arg(current + 1).arg(count));
}

int TFormMovieList::SelectedIndex() const {
    const QList<QListWidgetItem*> selected = ListBoxMovies->selectedItems();
    return selected.isEmpty() ? -1 : ListBoxMovies->row(selected.first());
}

void TFormMovieList::SetSelection(int row) {
    const QSignalBlocker blocker(ListBoxMovies);
    if (row < 0 || row >= ListBoxMovies->count()) {
        ListBoxMovies->clearSelection();
        ListBoxMovies->setCurrentRow(-1);
    } else {
        ListBoxMovies->setCurrentRow(row);
    }
}

void TFormMovieList::SelectItem(int row) {
    SetSelection(CheckBoxLink->isChecked() ? FPlayer.List().Current() : row);
    UpdateControls();
}

// ---------------------------------------------------------------------------------------------
// Selection

void TFormMovieList::ListBoxMoviesClick() {
    if (CheckBoxLink->isChecked()) {
        const int selected = SelectedIndex();
        if (FUserInput && selected >= 0) {
            FPlayer.GoToMovie(selected);
        } else {
            SetSelection(FPlayer.List().Current());
        }
    }
    UpdateControls();
}

void TFormMovieList::CheckBoxLinkClick() {
    if (CheckBoxLink->isChecked()) {
        SetSelection(FPlayer.List().Current());
    }
    UpdateControls();
}

// ---------------------------------------------------------------------------------------------
// Buttons

void TFormMovieList::ButtonCloseClick() {
    close();
}

void TFormMovieList::ButtonAddClick() {
    if (OpenDialog->Execute(this)) {
        FPlayer.AddNames(EncodedNames(OpenDialog->Files()), false);
    }
}

void TFormMovieList::ButtonSaveAsClick() {
    if (!SaveDialog->Execute(this)) {
        return;
    }
    const QByteArray name = QFile::encodeName(SaveDialog->FileName());
    const QByteArray text =
        playlistformats::isM3u8(name)
            ? playlistformats::formatM3u8(
                  FPlayer.List(),
                  [](const QByteArray& time) {
                      return TimeOfDayMs(TextToTime(QString::fromLocal8Bit(time), 0));
                  })
            : movielistfile::text(FPlayer.List().Lines());
    // A save that takes long is reported when it ends, the window answering meanwhile.
    FSaver->Save(name, text, [this](const QString& message) { ShowErrorBox(this, message); });
}

void TFormMovieList::ButtonClearClick() {
    FPlayer.ClearMovies();
}

void TFormMovieList::SetEditDialog(TFormEdit& dialog) {
    FEditDialog = &dialog;
}

void TFormMovieList::ButtonEditClick() {
    // The dialog edits the entry selected here.
    if (FEditDialog && SelectedIndex() >= 0) {
        FEditDialog->exec();
        // The keyboard goes back to where the dialog was opened, not to the main window.
        ReturnActivation(*this);
    }
}

void TFormMovieList::ButtonSkipClick() {
    const int selected = SelectedIndex();
    // Without a selection there is nowhere to go; going to "none" would restart entry 0.
    if (selected < 0) {
        return;
    }
    if (selected != FPlayer.List().Current()) {
        FPlayer.GoToMovie(selected);
    } else if (FPlayer.PlayEnabled()) {
        FPlayer.BitBtnPlayClick();
    }
}

void TFormMovieList::ButtonDeleteClick() {
    FPlayer.DeleteMovie(SelectedIndex());
}

void TFormMovieList::ButtonUpClick() {
    const int selected = SelectedIndex();
    const int moved = FPlayer.MoveMovie(selected, selected - 1);
    // A list too short to move in keeps its selection.
    if (moved >= 0) {
        SelectItem(moved);
    }
    UpdateControls();
}

void TFormMovieList::ButtonDownClick() {
    const int selected = SelectedIndex();
    const int moved = FPlayer.MoveMovie(selected, selected + 2);
    if (moved >= 0) {
        SelectItem(moved);
    }
    UpdateControls();
}

void TFormMovieList::ButtonCopyClick() {
    const int copy = FPlayer.CopyMovie(SelectedIndex());
    // The copy is selected also in Linked mode; it becomes current only when chosen.
    if (copy >= 0) {
        SetSelection(copy);
        UpdateControls();
    }
}

// ---------------------------------------------------------------------------------------------
// Dragging inside the list and files from the shell

int TFormMovieList::ItemAt(const QPoint& position) const {
    const QModelIndex index = ListBoxMovies->indexAt(position);
    return index.isValid() ? index.row() : -1;
}

void TFormMovieList::SetDragOverIndex(int row) {
    if (row == FDragOverIndex) {
        return;
    }
    FDragOverIndex = row;
    ListBoxMovies->viewport()->update();
}

bool TFormMovieList::ListBoxMoviesDragOver(const QObject* source, const QPoint& position) {
    const int item = ItemAt(position);
    SetDragOverIndex(item);
    return source == ListBoxMovies && item != SelectedIndex();
}

void TFormMovieList::ListBoxMoviesDragLeave() {
    SetDragOverIndex(-1);
}

void TFormMovieList::ListBoxMoviesDragDrop(const QObject* source, const QPoint& position) {
    SetDragOverIndex(-1);
    const int target = ItemAt(position);
    const int dragged = SelectedIndex();
    if (source != ListBoxMovies || dragged < 0 || target == dragged) {
        return;
    }
    // Below an item further down the entry goes after it, above one it goes before it; dropped
    // below the last item it goes last.
    int to = target + 1;
    if (target < 0) {
        to = ListBoxMovies->count();
    } else if (target < dragged) {
        to = target;
    }
    const int moved = FPlayer.MoveMovie(dragged, to);
    if (moved >= 0) {
        SelectItem(moved);
    }
}

void TFormMovieList::WMDropFiles(const QByteArrayList& names) {
    FPlayer.AddDroppedFiles(names);
}

void TFormMovieList::StartDrag() {
    auto* data = new QMimeData;
    data->setData(kRowMimeType, QByteArray::number(FPressRow));
    // Deleted by Qt when the drag is over.
    auto* drag = new QDrag(ListBoxMovies);
    drag->setMimeData(data);
    FPressRow = -1;
    drag->exec(Qt::MoveAction);
    // The button was released inside the drag, where the list never saw it.
    FUserInput = false;
    ListBoxMoviesDragLeave();
}

// ---------------------------------------------------------------------------------------------
// Events

bool TFormMovieList::ListBoxMoviesMouseEvent(QEvent* event) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            FUserInput = true;
            if (mouse->button() == Qt::LeftButton) {
                FPressPosition = mouse->position().toPoint();
                FPressRow = ItemAt(FPressPosition);
            }
            return false;
        case QEvent::MouseButtonDblClick:
            FUserInput = true;
            Guarded([this] { ButtonSkipClick(); });
            return false;
        case QEvent::MouseButtonRelease:
            FUserInput = false;
            FPressRow = -1;
            return false;
        case QEvent::MouseMove:
            if (FPressRow < 0 || !mouse->buttons().testFlag(Qt::LeftButton)) {
                return false;
            }
            if ((mouse->position().toPoint() - FPressPosition).manhattanLength() >=
                QApplication::startDragDistance()) {
                StartDrag();
            }
            // While the button is held on an item, moving the mouse drags; it never selects.
            return true;
        default:
            return false;
    }
}

bool TFormMovieList::ListBoxMoviesDragEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->mimeData()->hasFormat(kRowMimeType)) {
                const bool accepted =
                    ListBoxMoviesDragOver(drag->source(), drag->position().toPoint());
                drag->setDropAction(Qt::MoveAction);
                // The enter is always taken so that the moves that follow arrive here.
                if (accepted || event->type() == QEvent::DragEnter) {
                    drag->accept();
                } else {
                    drag->ignore();
                }
            } else {
                drag->setAccepted(!DroppedLocalFiles(*drag->mimeData()).isEmpty());
            }
            return true;
        }
        case QEvent::DragLeave:
            ListBoxMoviesDragLeave();
            return true;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (drop->mimeData()->hasFormat(kRowMimeType)) {
                drop->setDropAction(Qt::MoveAction);
                drop->accept();
                Guarded([&] { ListBoxMoviesDragDrop(drop->source(), drop->position().toPoint()); });
            } else {
                DropFiles(drop);
            }
            return true;
        }
        default:
            return false;
    }
}

bool TFormMovieList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBoxMovies->viewport()) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseMove:
                return ListBoxMoviesMouseEvent(event);
            default:
                return ListBoxMoviesDragEvent(event);
        }
    }
    if (watched == ListBoxMovies) {
        switch (event->type()) {
            case QEvent::KeyPress:
                FUserInput = true;
                break;
            case QEvent::KeyRelease:
            case QEvent::FocusOut:
                // A key released elsewhere never reaches the list.
                FUserInput = false;
                break;
            default:
                break;
        }
    } else if (watched == PanelList && event->type() == QEvent::Resize) {
        // The ellipses follow the new width.
        ListBoxMovies->viewport()->update();
    }
    return QWidget::eventFilter(watched, event);
}

void TFormMovieList::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateControls();
    ListBoxMovies->setFocus();
}

void TFormMovieList::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            Guarded([this] { ButtonCloseClick(); });
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (ButtonEdit->isEnabled()) {
                Guarded([this] { ButtonEditClick(); });
            }
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void TFormMovieList::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedLocalFiles(*event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TFormMovieList::dropEvent(QDropEvent* event) {
    DropFiles(event);
}

void TFormMovieList::DropFiles(QDropEvent* event) {
    // A drop without a local file (a web link, plain text) changes nothing.
    const QByteArrayList names = DroppedLocalFiles(*event->mimeData());
    if (names.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Guarded([&] { WMDropFiles(names); });
}

}  // namespace cinevan
