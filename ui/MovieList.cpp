#include "ui/MovieList.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/StrCont.h"
#include "movielist/PlaylistFormats.h"
#include "movielist/VideoTypes.h"
#include "playback/PlayerController.h"
#include "playback/TimeValues.h"
#include "settings/FormStorage.h"
#include "ui/DroppedFiles.h"
#include "ui/ErrorDisplay.h"
#include "ui/FileDialogDescription.h"
#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/MovieItemDelegate.h"
#include "ui/MovieLink.h"

namespace cinevan {

namespace {

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
    : QWidget(parent, Qt::Window), FPlayer(player) {
    setObjectName(QStringLiteral("FormMovieList"));
    setWindowTitle(QStringLiteral("Movie List Editor"));
    setFont(SansFont(11));
    // Placement and the Linked state are kept across runs; the window is never dragged
    // smaller than 180 x 132.
    FormStorage = new TFormStorage(this);
    FormStorage->SetIniFileName(ProgramSettingsKey());
    FormStorage->SetIniSection(QStringLiteral("Playlist"));
    FormStorage->SetStoredProps({QStringLiteral("CheckBoxLink.Checked")});
    TWinMinMaxInfo limits;
    limits.MinTrackWidth = 180;
    limits.MinTrackHeight = 132;
    FormStorage->SetMinMaxInfo(limits);
    CreateControls();
    resize(344, 286);
    FormCreate();
}

// ---------------------------------------------------------------------------------------------
// Construction

void TFormMovieList::CreateControls() {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateListPanel();
    CreateButtons();
    layout->addWidget(PanelList, 1);
    layout->addWidget(PanelControls);
    CreateShortcuts();
    CreateDialogs();
    SetTabOrder();
    ConnectHandlers();
}

void TFormMovieList::CreateListPanel() {
    PanelList = new QFrame(this);
    PanelList->setObjectName(QStringLiteral("PanelList"));
    auto* list = new QVBoxLayout(PanelList);
    list->setContentsMargins(3, 3, 3, 3);
    list->setSpacing(0);
    PanelCaption = new QFrame(PanelList);
    PanelCaption->setObjectName(QStringLiteral("PanelCaption"));
    PanelCaption->setFixedHeight(16);
    auto* caption = new QHBoxLayout(PanelCaption);
    caption->setContentsMargins(0, 0, 0, 0);
    LabelMovies = new QLabel(QStringLiteral("&Movies"), PanelCaption);
    LabelMovies->setObjectName(QStringLiteral("LabelMovies"));
    LabelPositions = new QLabel(QStringLiteral("Positions"), PanelCaption);
    LabelPositions->setObjectName(QStringLiteral("LabelPositions"));
    caption->addWidget(LabelMovies);
    caption->addStretch(1);
    caption->addWidget(LabelPositions);

    ListBoxMovies = new QListWidget(PanelList);
    ListBoxMovies->setObjectName(QStringLiteral("ListBoxMovies"));
    ListBoxMovies->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBoxMovies->setUniformItemSizes(true);
    ListBoxMovies->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBoxMovies->setItemDelegate(
        new MovieItemDelegate([this] { return FPlayer.List().Current(); },
                              [this] { return FDragOverIndex; }, ListBoxMovies));
    // Dragging is started here and drops are handled here, not by the view.
    ListBoxMovies->setDragEnabled(false);
    ListBoxMovies->setAcceptDrops(true);
    ListBoxMovies->setDropIndicatorShown(false);
    ListBoxMovies->setContextMenuPolicy(Qt::PreventContextMenu);
    ListBoxMovies->installEventFilter(this);
    ListBoxMovies->viewport()->installEventFilter(this);
    LabelMovies->setBuddy(ListBoxMovies);
    list->addWidget(PanelCaption);
    list->addWidget(ListBoxMovies, 1);
    PanelList->installEventFilter(this);
}

void TFormMovieList::CreateButtons() {
    PanelControls = new QFrame(this);
    PanelControls->setObjectName(QStringLiteral("PanelControls"));
    PanelControls->setFixedWidth(82);
    struct ButtonDesign {
        QPushButton** button;
        const char* name;
        const char* caption;
        int left;
        int top;
    };
    const ButtonDesign designs[] = {
        {&ButtonClose, "ButtonClose", "Close", 4, 4},
        {&ButtonAdd, "ButtonAdd", "&Add from...", 4, 36},
        {&ButtonSaveAs, "ButtonSaveAs", "&Save as...", 4, 60},
        {&ButtonClear, "ButtonClear", "&Clear all", 4, 84},
        {&ButtonEdit, "ButtonEdit", "&Edit...", 4, 116},
        {&ButtonCopy, "ButtonCopy", "C&opy", 3, 140},
        {&ButtonSkip, "ButtonSkip", "S&kip to", 4, 164},
        {&ButtonDelete, "ButtonDelete", "&Delete", 4, 188},
        {&ButtonUp, "ButtonUp", "Move &Up", 4, 212},
        {&ButtonDown, "ButtonDown", "Move Do&wn", 4, 236},
    };
    for (const ButtonDesign& design : designs) {
        auto* button = new QPushButton(QString::fromLatin1(design.caption), PanelControls);
        button->setObjectName(QString::fromLatin1(design.name));
        button->setGeometry(design.left, design.top, 75, 21);
        // Enter presses the focused button; elsewhere it presses the default button.
        button->setAutoDefault(true);
        *design.button = button;
    }
    ButtonEdit->setDefault(true);
    CheckBoxLink = new QCheckBox(QStringLiteral("Linked"), PanelControls);
    CheckBoxLink->setObjectName(QStringLiteral("CheckBoxLink"));
    CheckBoxLink->setGeometry(4, 264, 77, 17);
}

void TFormMovieList::CreateShortcuts() {
    // A menu that never pops up: it only carries the list's keyboard shortcuts.
    PopupMenuShortcuts = new QMenu(this);
    PopupMenuShortcuts->setObjectName(QStringLiteral("PopupMenuShortcuts"));
    struct ShortcutDesign {
        QAction** action;
        const char* name;
        const char* caption;
        QKeySequence keys;
        void (TFormMovieList::*handler)();
    };
    const ShortcutDesign designs[] = {
        {&ShortcutDelete, "ShortcutDelete", "&Delete", QKeySequence(Qt::Key_Delete),
         &TFormMovieList::ButtonDeleteClick},
        {&ShortcutInsert, "ShortcutInsert", "&Insert", QKeySequence(Qt::Key_Insert),
         &TFormMovieList::ButtonAddClick},
        {&ShortcutSave, "ShortcutSave", "&Save", QKeySequence(Qt::Key_F2),
         &TFormMovieList::ButtonSaveAsClick},
        {&ShortcutSkip, "ShortcutSkip", "S&kip/Play", QKeySequence(Qt::Key_Space),
         &TFormMovieList::ButtonSkipClick},
        {&ShortcutMoveUp, "ShortcutMoveUp", "Move &up", QKeySequence(Qt::CTRL | Qt::Key_Up),
         &TFormMovieList::ButtonUpClick},
        {&ShortcutMoveDown, "ShortcutMoveDown", "Move do&wn", QKeySequence(Qt::CTRL | Qt::Key_Down),
         &TFormMovieList::ButtonDownClick},
    };
    for (const ShortcutDesign& design : designs) {
        auto* action = new QAction(QString::fromLatin1(design.caption), PopupMenuShortcuts);
        action->setObjectName(QString::fromLatin1(design.name));
        action->setShortcut(design.keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        PopupMenuShortcuts->addAction(action);
        ListBoxMovies->addAction(action);
        const auto handler = design.handler;
        connect(action, &QAction::triggered, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
        *design.action = action;
    }
}

void TFormMovieList::CreateDialogs() {
    OpenDialog =
        new FileDialogDescription(FileDialogDescription::Kind::Open, QStringLiteral("OpenDialog"),
                                  FileDialogDescription::AllowMultiSelect, this);
    OpenDialog->SetTitle(QStringLiteral("Open Movies"));
    OpenDialog->SetFilter(
        QStringLiteral("Movie lists (*.mls)|*.mls|"
                       "Playlists (*.m3u;*.m3u8;*.xspf)|*.m3u;*.m3u8;*.xspf|"
                       "Movie files (*.mpg;*.mpeg;*.dat)|*.mpg;*.mpeg;*.dat|All video files|") +
        videotypes::videoPatterns().join(QLatin1Char(';')) +
        QStringLiteral("|All files (*.*)|*.*"));
    SaveDialog =
        new FileDialogDescription(FileDialogDescription::Kind::Save, QStringLiteral("SaveDialog"),
                                  FileDialogDescription::OverwritePrompt, this);
    SaveDialog->SetTitle(QStringLiteral("Save Movie List as"));
    SaveDialog->SetFilter(QStringLiteral(
        "Movie lists (*.mls)|*.mls|M3U8 playlists (*.m3u8)|*.m3u8|All files (*.*)|*.*"));
    SaveDialog->SetDefaultExt(QStringLiteral("mls"));
}

void TFormMovieList::SetTabOrder() {
    const QList<QWidget*> order = {ListBoxMovies, ButtonClose, ButtonAdd,  ButtonSaveAs,
                                   ButtonClear,   ButtonEdit,  ButtonCopy, ButtonSkip,
                                   ButtonDelete,  ButtonUp,    ButtonDown, CheckBoxLink};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
}

void TFormMovieList::ConnectHandlers() {
    const auto bind = [this](QPushButton* button, void (TFormMovieList::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    bind(ButtonClose, &TFormMovieList::ButtonCloseClick);
    bind(ButtonAdd, &TFormMovieList::ButtonAddClick);
    bind(ButtonSaveAs, &TFormMovieList::ButtonSaveAsClick);
    bind(ButtonClear, &TFormMovieList::ButtonClearClick);
    bind(ButtonEdit, &TFormMovieList::ButtonEditClick);
    bind(ButtonCopy, &TFormMovieList::ButtonCopyClick);
    bind(ButtonSkip, &TFormMovieList::ButtonSkipClick);
    bind(ButtonDelete, &TFormMovieList::ButtonDeleteClick);
    bind(ButtonUp, &TFormMovieList::ButtonUpClick);
    bind(ButtonDown, &TFormMovieList::ButtonDownClick);
    // Also a checked state restored from the settings brings the selection to the current entry.
    connect(CheckBoxLink, &QCheckBox::toggled, this,
            [this] { Guarded([this] { CheckBoxLinkClick(); }); });
    connect(ListBoxMovies, &QListWidget::itemSelectionChanged, this,
            [this] { Guarded([this] { ListBoxMoviesClick(); }); });
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
        FPlayer.List().AddMovies(EncodedNames(OpenDialog->Files()), false);
    }
}

void TFormMovieList::ButtonSaveAsClick() {
    if (!SaveDialog->Execute(this)) {
        return;
    }
    const QByteArray name = QFile::encodeName(SaveDialog->FileName());
    if (playlistformats::isM3u8(name)) {
        playlistformats::writeM3u8(name, FPlayer.List(), [](const QByteArray& time) {
            return TimeOfDayMs(TextToTime(QString::fromLocal8Bit(time), 0));
        });
    } else {
        FPlayer.List().SaveMovies(name);
    }
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
