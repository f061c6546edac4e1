#include "ui/MovieListLayout.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "movielist/VideoTypes.h"
#include "ui/FileDialogDescription.h"
#include "ui/Fonts.h"
#include "ui/MovieList.h"

namespace cinevan {

namespace {

// Design values of the window.
constexpr QSize kDesignSize(344, 286);
constexpr int kFontHeight = 11;
constexpr int kListMargin = 3;
constexpr int kCaptionHeight = 16;
constexpr int kControlsWidth = 82;
constexpr QSize kButtonSize(75, 21);
constexpr QRect kLinkGeometry(4, 264, 77, 17);

}  // namespace

void MovieListLayout::Build() {
    window_.setObjectName(QStringLiteral("FormMovieList"));
    window_.setWindowTitle(QStringLiteral("Movie List Editor"));
    window_.setFont(SansFont(kFontHeight));
    auto* layout = new QHBoxLayout(&window_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateListPanel();
    CreateButtons();
    layout->addWidget(window_.PanelList, 1);
    layout->addWidget(window_.PanelControls);
    CreateShortcuts();
    CreateDialogs();
    SetTabOrder();
}

void MovieListLayout::Place() {
    window_.resize(kDesignSize);
}

// The caption with the positions above the list of titles.
void MovieListLayout::CreateListPanel() {
    TFormMovieList& w = window_;
    w.PanelList = new QFrame(&w);
    w.PanelList->setObjectName(QStringLiteral("PanelList"));
    auto* list = new QVBoxLayout(w.PanelList);
    list->setContentsMargins(kListMargin, kListMargin, kListMargin, kListMargin);
    list->setSpacing(0);
    w.PanelCaption = new QFrame(w.PanelList);
    w.PanelCaption->setObjectName(QStringLiteral("PanelCaption"));
    w.PanelCaption->setFixedHeight(kCaptionHeight);
    auto* caption = new QHBoxLayout(w.PanelCaption);
    caption->setContentsMargins(0, 0, 0, 0);
    w.LabelMovies = new QLabel(QStringLiteral("&Movies"), w.PanelCaption);
    w.LabelMovies->setObjectName(QStringLiteral("LabelMovies"));
    w.LabelPositions = new QLabel(QStringLiteral("Positions"), w.PanelCaption);
    w.LabelPositions->setObjectName(QStringLiteral("LabelPositions"));
    caption->addWidget(w.LabelMovies);
    caption->addStretch(1);
    caption->addWidget(w.LabelPositions);

    w.ListBoxMovies = new QListWidget(w.PanelList);
    w.ListBoxMovies->setObjectName(QStringLiteral("ListBoxMovies"));
    w.ListBoxMovies->setSelectionMode(QAbstractItemView::SingleSelection);
    w.ListBoxMovies->setUniformItemSizes(true);
    w.ListBoxMovies->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Dragging is started and drops are handled by the window, not by the view.
    w.ListBoxMovies->setDragEnabled(false);
    w.ListBoxMovies->setAcceptDrops(true);
    w.ListBoxMovies->setDropIndicatorShown(false);
    w.ListBoxMovies->setContextMenuPolicy(Qt::PreventContextMenu);
    w.LabelMovies->setBuddy(w.ListBoxMovies);
    list->addWidget(w.PanelCaption);
    list->addWidget(w.ListBoxMovies, 1);
}

void MovieListLayout::CreateButtons() {
    TFormMovieList& w = window_;
    w.PanelControls = new QFrame(&w);
    w.PanelControls->setObjectName(QStringLiteral("PanelControls"));
    w.PanelControls->setFixedWidth(kControlsWidth);
    struct ButtonDesign {
        QPushButton** button;
        const char* name;
        const char* caption;
        QPoint position;
    };
    const ButtonDesign designs[] = {
        {&w.ButtonClose, "ButtonClose", "Close", {4, 4}},
        {&w.ButtonAdd, "ButtonAdd", "&Add from...", {4, 36}},
        {&w.ButtonSaveAs, "ButtonSaveAs", "&Save as...", {4, 60}},
        {&w.ButtonClear, "ButtonClear", "&Clear all", {4, 84}},
        {&w.ButtonEdit, "ButtonEdit", "&Edit...", {4, 116}},
        {&w.ButtonCopy, "ButtonCopy", "C&opy", {3, 140}},
        {&w.ButtonSkip, "ButtonSkip", "S&kip to", {4, 164}},
        {&w.ButtonDelete, "ButtonDelete", "&Delete", {4, 188}},
        {&w.ButtonUp, "ButtonUp", "Move &Up", {4, 212}},
        {&w.ButtonDown, "ButtonDown", "Move Do&wn", {4, 236}},
    };
    for (const ButtonDesign& design : designs) {
        auto* button = new QPushButton(QString::fromLatin1(design.caption), w.PanelControls);
        button->setObjectName(QString::fromLatin1(design.name));
        button->setGeometry(QRect(design.position, kButtonSize));
        // Enter presses the focused button; elsewhere it presses the default button.
        button->setAutoDefault(true);
        *design.button = button;
    }
    w.ButtonEdit->setDefault(true);
    w.CheckBoxLink = new QCheckBox(QStringLiteral("Linked"), w.PanelControls);
    w.CheckBoxLink->setObjectName(QStringLiteral("CheckBoxLink"));
    w.CheckBoxLink->setGeometry(kLinkGeometry);
}

// A menu that never pops up: it only carries the list's keyboard shortcuts.
void MovieListLayout::CreateShortcuts() {
    TFormMovieList& w = window_;
    w.PopupMenuShortcuts = new QMenu(&w);
    w.PopupMenuShortcuts->setObjectName(QStringLiteral("PopupMenuShortcuts"));
    struct ShortcutDesign {
        QAction** action;
        const char* name;
        const char* caption;
        QKeySequence keys;
    };
    const ShortcutDesign designs[] = {
        {&w.ShortcutDelete, "ShortcutDelete", "&Delete", QKeySequence(Qt::Key_Delete)},
        {&w.ShortcutInsert, "ShortcutInsert", "&Insert", QKeySequence(Qt::Key_Insert)},
        {&w.ShortcutSave, "ShortcutSave", "&Save", QKeySequence(Qt::Key_F2)},
        {&w.ShortcutSkip, "ShortcutSkip", "S&kip/Play", QKeySequence(Qt::Key_Space)},
        {&w.ShortcutMoveUp, "ShortcutMoveUp", "Move &up", QKeySequence(Qt::CTRL | Qt::Key_Up)},
        {&w.ShortcutMoveDown, "ShortcutMoveDown", "Move do&wn",
         QKeySequence(Qt::CTRL | Qt::Key_Down)},
    };
    for (const ShortcutDesign& design : designs) {
        auto* action = new QAction(QString::fromLatin1(design.caption), w.PopupMenuShortcuts);
        action->setObjectName(QString::fromLatin1(design.name));
        action->setShortcut(design.keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        w.PopupMenuShortcuts->addAction(action);
        w.ListBoxMovies->addAction(action);
        *design.action = action;
    }
}

void MovieListLayout::CreateDialogs() {
    TFormMovieList& w = window_;
    w.OpenDialog =
        new FileDialogDescription(FileDialogDescription::Kind::Open, QStringLiteral("OpenDialog"),
                                  FileDialogDescription::AllowMultiSelect, &w);
    w.OpenDialog->SetTitle(QStringLiteral("Open Movies"));
    // The video patterns come from the shared MIME database: read when the dialog first opens.
    w.OpenDialog->SetFilterMaker([] {
        return QStringLiteral(
                   "Movie lists (*.mls)|*.mls|"
                   "Playlists (*.m3u;*.m3u8;*.xspf)|*.m3u;*.m3u8;*.xspf|"
                   "Movie files (*.mpg;*.mpeg;*.dat)|*.mpg;*.mpeg;*.dat|"
                   "All video files|") +
               videotypes::videoPatterns().join(QLatin1Char(';')) +
               QStringLiteral("|All files (*.*)|*.*");
    });
    w.SaveDialog =
        new FileDialogDescription(FileDialogDescription::Kind::Save, QStringLiteral("SaveDialog"),
                                  FileDialogDescription::OverwritePrompt, &w);
    w.SaveDialog->SetTitle(QStringLiteral("Save Movie List as"));
    w.SaveDialog->SetFilter(QStringLiteral(
        "Movie lists (*.mls)|*.mls|M3U8 playlists (*.m3u8)|*.m3u8|All files (*.*)|*.*"));
    w.SaveDialog->SetDefaultExt(QStringLiteral("mls"));
}

void MovieListLayout::SetTabOrder() {
    const TFormMovieList& w = window_;
    const QList<QWidget*> order = {w.ListBoxMovies, w.ButtonClose, w.ButtonAdd,  w.ButtonSaveAs,
                                   w.ButtonClear,   w.ButtonEdit,  w.ButtonCopy, w.ButtonSkip,
                                   w.ButtonDelete,  w.ButtonUp,    w.ButtonDown, w.CheckBoxLink};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
}

}  // namespace cinevan
