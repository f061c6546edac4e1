#pragma once

#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

namespace cinevan {

class PlayerController;
class TFormStorage;

// The Movie List Editor: a tool window that shows the movie list as titles and edits it
// through the player's list operations.
class TFormMovieList : public QWidget {
    Q_OBJECT

public:
    TFormMovieList(PlayerController& player, QWidget* parent = nullptr);

    // Brings the window in line with the list; `rebuild` also rebuilds its items.
    void RefreshList(bool rebuild);
    void UpdateControls();

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

private:
    void FormCreate();
    void CreateControls();

    PlayerController& FPlayer;
};

}  // namespace cinevan
