#include "ui/MovieList.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/StrCont.h"
#include "playback/PlayerController.h"
#include "settings/FormStorage.h"
#include "ui/Fonts.h"

namespace cinevan {

TFormMovieList::TFormMovieList(PlayerController& player, QWidget* parent)
    : QWidget(parent, Qt::Tool), FPlayer(player) {
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

void TFormMovieList::CreateControls() {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

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
    LabelMovies->setBuddy(ListBoxMovies);
    list->addWidget(PanelCaption);
    list->addWidget(ListBoxMovies, 1);

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
        *design.button = button;
    }
    CheckBoxLink = new QCheckBox(QStringLiteral("Linked"), PanelControls);
    CheckBoxLink->setObjectName(QStringLiteral("CheckBoxLink"));
    CheckBoxLink->setGeometry(4, 264, 77, 17);
    layout->addWidget(PanelList, 1);
    layout->addWidget(PanelControls);
    connect(ButtonClose, &QPushButton::clicked, this, &QWidget::hide);
}

void TFormMovieList::FormCreate() {
    try {
        StringContainer().LocalizeForm(this);
    } catch (...) {
        // The window keeps its built-in texts.
    }
}

void TFormMovieList::RefreshList(bool rebuild) {
    const MovieList& list = FPlayer.List();
    if (rebuild) {
        QStringList titles;
        titles.reserve(list.MovieCount());
        for (int i = 0; i < list.MovieCount(); ++i) {
            titles.append(QString::fromLocal8Bit(list.GetMovieField(i, MovieList::kTitle)));
        }
        const int selected = ListBoxMovies->currentRow();
        ListBoxMovies->clear();
        ListBoxMovies->addItems(titles);
        if (!titles.isEmpty()) {
            ListBoxMovies->setCurrentRow(std::clamp(selected, 0, int(titles.size()) - 1));
        }
    } else {
        ListBoxMovies->viewport()->update();
    }
    if (CheckBoxLink->isChecked()) {
        ListBoxMovies->setCurrentRow(list.Current());
    }
    UpdateControls();
}

void TFormMovieList::UpdateControls() {
    const MovieList& list = FPlayer.List();
    const int count = ListBoxMovies->count();
    const int selected = ListBoxMovies->currentRow();
    ButtonSaveAs->setEnabled(count > 0);
    ButtonClear->setEnabled(count > 0);
    ButtonCopy->setEnabled(count > 0);
    ButtonEdit->setEnabled(selected >= 0);
    ButtonDelete->setEnabled(selected >= 0);
    ButtonSkip->setEnabled(selected >= 0 && selected != list.Current());
    ButtonUp->setEnabled(count > 0 && selected > 0);
    ButtonDown->setEnabled(count > 0 && selected < count - 1);
    LabelPositions->setText(
        CheckBoxLink->isChecked()
            ? QStringLiteral("%1/%2").arg(list.Current() + 1).arg(count)
            : QStringLiteral("%1/%2/%3").arg(selected + 1).arg(list.Current() + 1).arg(count));
}

}  // namespace cinevan
