#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>

#include "playback/PlayerController.h"
#include "playback/PlayerView.h"
#include "ui/SystemMenu.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class QStackedWidget;
class QTimer;

namespace cinevan {

class TFormAbout;
class TFormFullScreen;
class TFormMovieList;
class TFormStorage;
class TImageEx;

// The windows the main window shows, hides and refreshes. They are made after it (some are its
// children), so they are handed over once they exist; any of them may be missing.
struct CompanionWindows {
    TFormMovieList* editor = nullptr;
    TFormFullScreen* fullScreen = nullptr;
    TFormAbout* about = nullptr;
};

// The main window: the cover or the video above, the black information strip, the transport
// buttons with the track bar and the four mode check boxes below. It owns the player's logic
// (PlayerController) and is its view.
class TFormMain : public QWidget, public PlayerView {
    Q_OBJECT

public:
    explicit TFormMain(mci::DeviceLayer& devices, QWidget* parent = nullptr);
    ~TFormMain() override;

    PlayerController& Player() { return *FPlayer; }
    void SetCompanions(const CompanionWindows& windows);
    // Arguments given to the program, read once by the open timer. The program passes them as
    // the bytes it was given, so that any file name reaches the list unchanged.
    void SetRawCommandLine(const QByteArrayList& arguments) { FArguments = arguments; }
    void SetCommandLine(const QStringList& arguments);
    const SystemMenu& SystemMenuItems() const { return FSystemMenu; }

    // PlayerView
    void RefreshDisplay() override;
    void LoadCoverPreview() override;
    void ClearCoverPreview() override;
    void RefreshList(bool rebuild) override;
    void ShowPage(MoviePage page) override;
    void CheckBoxFullScreenClick() override;
    void FormResize() override;
    void UncheckFullScreen() override;
    bool FullScreenVisible() const override;
    bool LoopChecked() const override;
    bool ShuffleChecked() const override;
    bool PlayButtonHasFocus() const override;
    bool PauseButtonHasFocus() const override;
    void FocusTrackBar() override;
    void FocusTransportButton(TransportFocus button) override;
    int TrackBarPosition() const override;
    void SetTrackBarPosition(int position) override;
    void SetTrackBarMaximum(int maximum) override;
    void SetTrackBarPageSize(int pageSize) override;
    void SetTimeLabels(const QString& duration, const QString& current) override;
    void ShowDeviceItems(const QStringList& captions) override;
    void CheckDeviceItem(int index) override;
    QString MissingFileFormat() const override;
    QString CatalogText(int index) const override;
    bool AskConfirmation(const QString& text) override;
    void ShowError(const QString& text) override;
    void CloseMainWindow() override;
    void EndProcessNow() override;

    // Handlers named after their components.
    void TimerOpenTimer();
    void BitBtnOpenClick();
    void BitBtnVideoCDClick();
    void ItemAboutClick();
    void PanelChecksResize();
    void PanelTrackerResize();
    void CheckBoxOnTopClick();
    void MenuItemScale100Click(int percent);
    void MenuItemScale1Click();
    void TabSheetMovieDblClick();
    void FormStorageSavePlacement();
    void FormStorageRestorePlacement();

signals:
    // Sent at the end of every refresh of the display: the state, the entry or the list may
    // have changed.
    void DisplayRefreshed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void CreateFormStorage();
    void InstallEventFilters();
    void ConnectHandlers();
    void ConnectPopupMenu();
    void AddSystemMenuItems();
    void UpdateAccessibleNames();
    void RefreshButtons();
    void LoadVideoCDTracks(const QStringList& tracks);
    template <class Handler>
    void Guarded(Handler&& handler);

    // Logic and state.
    std::unique_ptr<PlayerController> FPlayer;
    QPointer<TFormMovieList> FEditor;
    QPointer<TFormFullScreen> FFullScreen;
    QPointer<TFormAbout> FAbout;
    // Looks for a Video CD without holding up the window on a drive that is slow to answer.
    // Receives the answer of the Video CD search under way; replaced to give that search up.
    std::unique_ptr<QObject> FVideoCDSearch;
    QByteArrayList FArguments;
    SystemMenu FSystemMenu;
    QString FOwnCaption;
    float FCheckSpread = 0;
    bool FShown = false;

public:
    // Components, named as in the window description.
    QFrame* PanelBottom = nullptr;
    QFrame* PanelShow = nullptr;
    QLabel* LabelTitle = nullptr;
    QLabel* LabelOffset = nullptr;
    QFrame* PanelInfoBottom = nullptr;
    QLabel* LabelDuration = nullptr;
    QLabel* LabelPositions = nullptr;
    QLabel* LabelCurrent = nullptr;
    QFrame* PanelControls = nullptr;
    QFrame* PanelButtons = nullptr;
    QPushButton* BitBtnPlay = nullptr;
    QPushButton* BitBtnPause = nullptr;
    QPushButton* BitBtnStop = nullptr;
    QPushButton* BitBtnPrior = nullptr;
    QPushButton* BitBtnNext = nullptr;
    QPushButton* BitBtnOpen = nullptr;
    QPushButton* BitBtnVideoCD = nullptr;
    QFrame* PanelTracker = nullptr;
    QSlider* TrackBar = nullptr;
    QFrame* PanelChecks = nullptr;
    QCheckBox* CheckBoxFullScreen = nullptr;
    QCheckBox* CheckBoxLoop = nullptr;
    QCheckBox* CheckBoxOnTop = nullptr;
    QCheckBox* CheckBoxShuffle = nullptr;
    QStackedWidget* PageControl = nullptr;
    QWidget* TabSheetPreview = nullptr;
    QFrame* PanelImage = nullptr;
    TImageEx* ImagePreview = nullptr;
    QWidget* TabSheetMovie = nullptr;
    QTimer* Timer = nullptr;
    QTimer* TimerOpen = nullptr;
    QMenu* ItemShortcuts = nullptr;
    QAction* ItemMovieList = nullptr;
    QAction* ItemVideoCD = nullptr;
    QAction* ItemPlayPause = nullptr;
    QAction* ItemStop = nullptr;
    QAction* ItemPrior = nullptr;
    QAction* ItemNext = nullptr;
    QAction* ItemAbout = nullptr;
    QMenu* PopupMenu = nullptr;
    QList<QAction*> MenuItemScales;  // MenuItemScale50 .. MenuItemScale200
    QAction* MenuItemScale1 = nullptr;
    QMenu* MenuItemDevice = nullptr;
    QActionGroup* DeviceGroup = nullptr;
    QList<QAction*> MenuItemDevices;  // MenuItemDevice0 .. MenuItemDevice9
    QAction* MenuItemConfigure = nullptr;
    QAction* MenuItemUpdateDevice = nullptr;
    QMenu* SystemMenuPopup = nullptr;
    TFormStorage* FormStorage = nullptr;
};

}  // namespace cinevan
