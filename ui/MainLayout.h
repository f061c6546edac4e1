#pragma once

class QAction;
class QKeySequence;
class QMenu;
class QString;
class QWidget;

namespace cinevan {

class TFormMain;

namespace mainlayout {

// Tags of the shortcut menu's transport items, which tell the player which one was chosen.
constexpr int kTagPlayPause = 1;
constexpr int kTagStop = 2;
constexpr int kTagPrior = 3;
constexpr int kTagNext = 4;

// How far the Prior and Next buttons step through the list (their tags).
constexpr int kPriorStep = -1;
constexpr int kNextStep = +1;

// The number of device items in the pop-up menu, of which the player shows those it has.
constexpr int kDeviceItemCount = 10;

// The check boxes' row: Loop, On top and Shuffle keep their design spread between Full's left
// edge and Shuffle's over any width of the row.
constexpr int kCheckTop = 2;
constexpr int kFullLeft = 13;
constexpr int kShuffleLeft = 288;
constexpr int kChecksDesignWidth = 358;

// The track bar fills its panel but for a line above it and four below.
constexpr int kTrackBarTop = 1;
constexpr int kTrackBarHeightLoss = 5;

}  // namespace mainlayout

// Creates the main window's child widgets, menus and timers, names them and places them as the
// window's design has them. What they do is connected by the window.
class MainLayout {
public:
    explicit MainLayout(TFormMain& window) : window_(window) {}

    // Creates, names and lays out the children; the window keeps its default place and size.
    void Build();
    // Gives the window its design place and size.
    void Place();

private:
    void CreateBottomPanel();
    void CreateShowPanel(QWidget* parent);
    void CreateControlsPanel(QWidget* parent);
    void CreateButtons(QWidget* parent);
    void CreateChecks(QWidget* parent);
    void CreatePages();
    void CreateShortcutMenu();
    void CreatePopupMenu();
    void CreateTimers();
    QAction* AddShortcut(const char* name, const QString& caption, const QKeySequence& keys,
                         int tag = 0);

    TFormMain& window_;
};

}  // namespace cinevan
