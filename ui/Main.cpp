#include "ui/Main.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "app/AppInit.h"
#include "app/ApplicationTitle.h"
#include "app/StrCont.h"
#include "controls/FileCheck.h"
#include "controls/ImageEx.h"
#include "pictures/Picture.h"
#include "platform/BackgroundCall.h"
#include "platform/Numeric.h"
#include "settings/FormStorage.h"
#include "ui/About.h"
#include "ui/DroppedFiles.h"
#include "ui/ErrorDisplay.h"
#include "ui/FullScreen.h"
#include "ui/GuardedConnect.h"
#include "ui/MainLayout.h"
#include "ui/MovieList.h"

namespace cinevan {

namespace {

// A disc in the drive answers within moments, one spinning up within some seconds.
constexpr std::chrono::milliseconds kVideoCDQuickWait{500};
constexpr std::chrono::milliseconds kVideoCDGiveUp{30000};

// Changes the stay-on-top hint of a window in place. QWidget::setWindowFlag would hide the
// window and replace its native window, which a window showing video should not go through.
void SetStaysOnTop(QWidget& window, bool onTop) {
    Qt::WindowFlags flags = window.windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == onTop) {
        return;
    }
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    window.overrideWindowFlags(flags);
    if (QWindow* native = window.windowHandle()) {
        native->setFlags(flags);
    }
}

// The hint of a glyph button names its action; a screen reader reads it without the key in
// brackets, which the hint shows for sighted users.
QString AccessibleNameOf(const QString& hint) {
    QString name = hint;
    const int bracket = name.lastIndexOf(QLatin1Char('('));
    if (bracket > 0 && name.endsWith(QLatin1Char(')'))) {
        name.truncate(bracket);
    }
    return name.trimmed();
}

}  // namespace

TFormMain::TFormMain(mci::DeviceLayer& devices, QWidget* parent)
    : QWidget(parent), FPlayer(std::make_unique<PlayerController>(*this, devices)) {
    MainLayout layout(*this);
    layout.Build();
    setAcceptDrops(true);
    CreateFormStorage();
    InstallEventFilters();
    ConnectHandlers();
    Timer->start();
    TimerOpen->start();
    layout.Place();
    FormCreate();
}

void TFormMain::SetCompanions(const CompanionWindows& windows) {
    FEditor = windows.editor;
    FFullScreen = windows.fullScreen;
    FAbout = windows.about;
}

TFormMain::~TFormMain() {
    // The save at destruction asks the player for its device: run it while the player lives.
    FormStorage->OwnerDestroy();
}

// ---------------------------------------------------------------------------------------------
// Construction

// Placement, the four check boxes and the device name are kept across runs.
void TFormMain::CreateFormStorage() {
    FormStorage = new TFormStorage(this);
    FormStorage->SetIniFileName(ProgramSettingsKey());
    FormStorage->SetIniSection(QStringLiteral("Main"));
    FormStorage->SetStoredProps(
        {QStringLiteral("CheckBoxFullScreen.Checked"), QStringLiteral("CheckBoxLoop.Checked"),
         QStringLiteral("CheckBoxOnTop.Checked"), QStringLiteral("CheckBoxShuffle.Checked")});
    TFormPlacement::SetApplicationMainWindow(this);
    TFormPlacement::SetErrorDisplay(ShowErrorBox);
    connect(FormStorage, &TFormPlacement::OnSavePlacement, this,
            [this] { FormStorageSavePlacement(); });
    connect(FormStorage, &TFormPlacement::OnRestorePlacement, this,
            [this] { FormStorageRestorePlacement(); });
}

// The panels follow their sizes; the track bar tells the player when the user holds it; the
// video's page follows its size and takes double clicks.
void TFormMain::InstallEventFilters() {
    for (QObject* watched :
         {static_cast<QObject*>(TrackBar), static_cast<QObject*>(PanelTracker),
          static_cast<QObject*>(PanelChecks), static_cast<QObject*>(TabSheetMovie)}) {
        watched->installEventFilter(this);
    }
}

void TFormMain::ConnectHandlers() {
    PlayerController* player = FPlayer.get();
    ConnectGuarded(TimerOpen, &QTimer::timeout, this, &TFormMain::TimerOpenTimer);
    ConnectGuarded(Timer, &QTimer::timeout, this, [player] { player->ActiveMovieTimer(); });
    ConnectGuarded(BitBtnPlay, &QPushButton::clicked, this,
                   [player] { player->BitBtnPlayClick(); });
    ConnectGuarded(BitBtnPause, &QPushButton::clicked, this,
                   [player] { player->BitBtnPauseClick(); });
    ConnectGuarded(BitBtnStop, &QPushButton::clicked, this,
                   [player] { player->BitBtnStopClick(); });
    for (QPushButton* button : {BitBtnPrior, BitBtnNext}) {
        ConnectGuarded(button, &QPushButton::clicked, this, [player, button] {
            player->BitBtnSkipClick(button->property("Tag").toInt());
        });
    }
    ConnectGuarded(BitBtnOpen, &QPushButton::clicked, this, &TFormMain::BitBtnOpenClick);
    ConnectGuarded(ItemMovieList, &QAction::triggered, this, &TFormMain::BitBtnOpenClick);
    ConnectGuarded(BitBtnVideoCD, &QPushButton::clicked, this, &TFormMain::BitBtnVideoCDClick);
    ConnectGuarded(ItemVideoCD, &QAction::triggered, this, &TFormMain::BitBtnVideoCDClick);
    for (QAction* item : {ItemPlayPause, ItemStop, ItemPrior, ItemNext}) {
        ConnectGuarded(item, &QAction::triggered, this,
                       [player, item] { player->ItemButtonsClick(item->property("Tag").toInt()); });
    }
    ConnectGuarded(ItemAbout, &QAction::triggered, this, &TFormMain::ItemAboutClick);
    ConnectGuarded(CheckBoxLoop, &QCheckBox::toggled, this,
                   [player] { player->CheckBoxLoopClick(); });
    ConnectGuarded(CheckBoxFullScreen, &QCheckBox::toggled, this,
                   &TFormMain::CheckBoxFullScreenClick);
    ConnectGuarded(CheckBoxOnTop, &QCheckBox::toggled, this, &TFormMain::CheckBoxOnTopClick);
    ConnectGuarded(TrackBar, &QSlider::actionTriggered, this,
                   [player] { player->TrackBarChange(); });
    ConnectGuarded(TrackBar, &QSlider::sliderReleased, this,
                   [player] { player->TrackBarChange(); });
    ConnectPopupMenu();
}

void TFormMain::ConnectPopupMenu() {
    PlayerController* player = FPlayer.get();
    for (QAction* item : MenuItemScales) {
        ConnectGuarded(
            item, &QAction::triggered, this,
            [this, percent = item->property("Tag").toInt()] { MenuItemScale100Click(percent); });
    }
    ConnectGuarded(MenuItemScale1, &QAction::triggered, this, &TFormMain::MenuItemScale1Click);
    for (int i = 0; i < MenuItemDevices.size(); ++i) {
        ConnectGuarded(MenuItemDevices.at(i), &QAction::triggered, this,
                       [player, i] { player->MenuItemDeviceClick(i); });
    }
    ConnectGuarded(MenuItemConfigure, &QAction::triggered, this,
                   [this, player] { player->ConfigureClick(this); });
    ConnectGuarded(MenuItemUpdateDevice, &QAction::triggered, this,
                   [player] { player->MenuItemUpdateDeviceClick(); });
    const auto popup = [](QMenu* menu, QWidget* source) {
        return [menu, source](const QPoint& at) { menu->popup(source->mapToGlobal(at)); };
    };
    connect(ImagePreview, &QWidget::customContextMenuRequested, this,
            popup(PopupMenu, ImagePreview));
    connect(TabSheetMovie, &QWidget::customContextMenuRequested, this,
            popup(PopupMenu, TabSheetMovie));
    connect(PanelShow, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { SystemMenuPopup->popup(PanelShow->mapToGlobal(at)); });
}

template <class Handler>
void TFormMain::Guarded(Handler&& handler) {
    RunGuarded(this, std::forward<Handler>(handler));
}

void TFormMain::FormCreate() {
    try {
        StringContainer().LocalizeForm(this);
    } catch (...) {
        // The window keeps the texts it has.
    }
    FOwnCaption = windowTitle();
    UpdateAccessibleNames();
    PageControl->setCurrentWidget(TabSheetMovie);
    BitBtnPause->setGeometry(BitBtnPlay->geometry());
    FCheckSpread = static_cast<float>(mainlayout::kChecksDesignWidth) /
                   (mainlayout::kShuffleLeft - mainlayout::kFullLeft);
    AddSystemMenuItems();
    FPlayer->SetBreakOnError(ProgramOptions::ForProgram().ReadBreakOnError());
    RegisterMovieListType(QStringLiteral(".mls"));
    FPlayer->SetSetupRunner([] { return ProgramOptions::ForProgram().RunAMovieSetup(); });
    // The application title keeps the program's name until the command line is read.
    RefreshButtons();
}

void TFormMain::UpdateAccessibleNames() {
    for (QPushButton* button : {BitBtnPlay, BitBtnPause, BitBtnStop, BitBtnPrior, BitBtnNext,
                                BitBtnOpen, BitBtnVideoCD}) {
        button->setAccessibleName(AccessibleNameOf(button->toolTip()));
        button->setAccessibleDescription(button->toolTip());
    }
}

void TFormMain::AddSystemMenuItems() {
    // The places of the About item and the separator before it in the window menu.
    constexpr int kSeparatorPosition = 5;
    constexpr int kAboutPosition = 6;
    FSystemMenu.InsertSeparator(kSeparatorPosition);
    FSystemMenu.InsertItem(kAboutPosition, SystemMenu::kAboutCommand, ItemAbout->text(),
                           ItemAbout->shortcut().toString(QKeySequence::NativeText));
    SystemMenuPopup = new QMenu(this);
    SystemMenuPopup->setObjectName(QStringLiteral("SystemMenu"));
    for (const SystemMenu::Item& item : FSystemMenu.Items()) {
        if (item.commandId == 0) {
            SystemMenuPopup->addSeparator();
            continue;
        }
        QAction* action = SystemMenuPopup->addAction(item.text);
        connect(action, &QAction::triggered, this, [this, id = item.commandId] {
            if (id == SystemMenu::kAboutCommand) {
                ItemAbout->trigger();
            }
        });
    }
}

// ---------------------------------------------------------------------------------------------
// Window events

void TFormMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!FShown) {
        FShown = true;
        PageControl->setCurrentWidget(TabSheetPreview);
        // After the window is on the screen, so that getting the device ready never holds up
        // its first paint.
        QTimer::singleShot(0, this, [this] { FPlayer->PrepareDevice(); });
    }
}

void TFormMain::closeEvent(QCloseEvent* event) {
    // Saved before stopping: leaving full screen would uncheck Full.
    FormStorage->SaveOnClose();
    Guarded([&] { FPlayer->BitBtnStopClick(); });
    if (FFullScreen) {
        FFullScreen->hide();
    }
    if (FEditor) {
        FEditor->close();
    }
    event->accept();
    QApplication::quit();
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelChecks && event->type() == QEvent::Resize) {
        PanelChecksResize();
    } else if (watched == PanelTracker && event->type() == QEvent::Resize) {
        PanelTrackerResize();
    } else if (watched == TabSheetMovie && event->type() == QEvent::Resize) {
        FormResize();
    } else if (watched == TabSheetMovie && event->type() == QEvent::MouseButtonDblClick) {
        TabSheetMovieDblClick();
        return true;
    } else if (watched == TrackBar) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
                FPlayer->TrackBarMouseDown();
                break;
            case QEvent::MouseButtonRelease:
                QTimer::singleShot(0, this, [this] { FPlayer->TrackBarMouseUp(); });
                break;
            case QEvent::KeyPress:
                if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
                    FPlayer->TrackBarKeyDown();
                }
                break;
            case QEvent::KeyRelease:
                if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
                    FPlayer->TrackBarKeyUp();
                }
                break;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedLocalFiles(*event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TFormMain::dropEvent(QDropEvent* event) {
    // A drop without a local file (a web link, plain text) leaves the list and playback alone.
    const QByteArrayList names = DroppedLocalFiles(*event->mimeData());
    if (names.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Guarded([&] {
        raise();
        activateWindow();
        FPlayer->DropFilesOnMainWindow(names);
    });
}

// ---------------------------------------------------------------------------------------------
// Refresh

void TFormMain::RefreshButtons() {
    const PlayerController& player = *FPlayer;
    const bool playing = player.State() == PlayState::Playing;
    QPushButton* const shown = playing ? BitBtnPause : BitBtnPlay;
    QPushButton* const hidden = playing ? BitBtnPlay : BitBtnPause;
    // Play and Pause share one place: the focus on the one going away goes to the other, also
    // in an inactive window, rather than wherever Qt would pass it on.
    const bool focusOnHidden = focusWidget() == hidden;
    BitBtnPlay->setVisible(!playing);
    BitBtnPause->setVisible(playing);
    BitBtnPlay->setEnabled(player.PlayEnabled());
    BitBtnPause->setEnabled(player.PauseEnabled());
    if (focusOnHidden) {
        (shown->isEnabled() ? static_cast<QWidget*>(shown) : TrackBar)->setFocus();
    }
    BitBtnStop->setEnabled(player.StopEnabled());
    BitBtnPrior->setEnabled(player.PriorEnabled());
    BitBtnNext->setEnabled(player.NextEnabled());
}

void TFormMain::RefreshDisplay() {
    RefreshButtons();
    const MovieList& list = FPlayer->List();
    LabelTitle->setText(
        QString::fromLocal8Bit(list.GetMovieField(list.Current(), MovieList::kTitle)));
    LabelPositions->setText(
        list.MovieCount() < 1
            ? QString()
            : QStringLiteral("%1/%2").arg(list.Current() + 1).arg(list.MovieCount()));
    const QString title =
        LabelTitle->text().isEmpty()
            ? FOwnCaption
            : QStringLiteral("%1 - [%2]").arg(LabelTitle->text(), LabelPositions->text());
    SetApplicationTitle(title);
    setWindowTitle(title);
    emit DisplayRefreshed();
}

void TFormMain::LoadCoverPreview() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct CursorRestore {
        ~CursorRestore() { QApplication::restoreOverrideCursor(); }
    } restore;
    ImagePreview->picture()->clear();
    ImagePreview->repaint();
    if (FPlayer->NoCoverLoad()) {
        return;
    }
    const MovieList& list = FPlayer->List();
    try {
        // A cover on a share that stopped answering is passed over after a moment's wait.
        const QString cover =
            QFile::decodeName(list.GetMovieField(list.Current(), MovieList::kCover));
        if (IsLoadableFile(cover)) {
            ImagePreview->picture()->loadFromFile(cover);
        }
    } catch (const std::exception&) {
        ImagePreview->picture()->clear();
    }
}

void TFormMain::ClearCoverPreview() {
    ImagePreview->picture()->clear();
}

void TFormMain::RefreshList(bool rebuild) {
    if (FEditor) {
        FEditor->RefreshList(rebuild);
    }
}

void TFormMain::ShowPage(MoviePage page) {
    PageControl->setCurrentWidget(page == MoviePage::Movie ? TabSheetMovie : TabSheetPreview);
}

// ---------------------------------------------------------------------------------------------
// Video window, scaling and full screen

void TFormMain::FormResize() {
    if (FPlayer && !CheckBoxFullScreen->isChecked()) {
        FPlayer->FitVideo(QRect(QPoint(0, 0), TabSheetMovie->size()));
    }
}

void TFormMain::CheckBoxFullScreenClick() {
    const auto moveVideo = [this](QWidget* host) {
        // The pause around the switch briefly shows Play in place of Pause; the keyboard
        // focus must not be lost to that.
        const QPointer<QWidget> focused = QApplication::focusWidget();
        FPlayer->PlaceVideo(host, QRect(QPoint(0, 0), host->size()));
        if (focused && focused->isVisible() && focused->isEnabled()) {
            focused->setFocus();
        }
    };
    if (FPlayer->ShowsFullScreen(CheckBoxFullScreen->isChecked()) && FFullScreen) {
        FFullScreen->show();
        FFullScreen->activateWindow();
        FFullScreen->setFocus();
        moveVideo(FFullScreen);
        CheckBoxOnTopClick();
    } else {
        if (FFullScreen) {
            FFullScreen->hide();
        }
        moveVideo(TabSheetMovie);
    }
}

void TFormMain::UncheckFullScreen() {
    CheckBoxFullScreen->setChecked(false);
}

bool TFormMain::FullScreenVisible() const {
    return FFullScreen && FFullScreen->isVisible();
}

void TFormMain::CheckBoxOnTopClick() {
    QWidget* target = FullScreenVisible() ? static_cast<QWidget*>(FFullScreen) : this;
    SetStaysOnTop(*target, CheckBoxOnTop->isChecked());
    if (FShown || target != this) {
        target->show();
    }
}

void TFormMain::MenuItemScale100Click(int percent) {
    const QSize video = FPlayer->VideoSize();
    if (video.width() <= 0 || video.height() <= 0) {
        return;
    }
    const int width = roundHalfEven(video.width() * percent / 100.0);
    const int height = roundHalfEven(video.height() * percent / 100.0);
    const QSize frame = size() - TabSheetMovie->size();
    resize(width + frame.width(), height + frame.height());
    if (FullScreenVisible()) {
        CheckBoxFullScreen->toggle();
    }
}

void TFormMain::MenuItemScale1Click() {
    CheckBoxFullScreen->toggle();
}

void TFormMain::TabSheetMovieDblClick() {
    CheckBoxFullScreen->toggle();
}

void TFormMain::FormStorageSavePlacement() {
    FormStorage->WriteValue(QStringLiteral("CurrentDevice"), FPlayer->DeviceName());
}

void TFormMain::FormStorageRestorePlacement() {
    FPlayer->SetDeviceName(
        FormStorage->ReadValue(QStringLiteral("CurrentDevice"), QStringLiteral("ActiveMovie")));
}

// ---------------------------------------------------------------------------------------------
// Layout rules

void TFormMain::PanelChecksResize() {
    const double spread = PanelChecks->width() / static_cast<double>(FCheckSpread);
    const int d = roundHalfEven(spread);
    const int f = CheckBoxFullScreen->x();
    using mainlayout::kCheckTop;
    CheckBoxLoop->move(f + roundHalfEven(d * (1.0 / 3)), kCheckTop);
    CheckBoxOnTop->move(f + roundHalfEven(d * (1.0 / 3) * 2), kCheckTop);
    CheckBoxShuffle->move(f + d, kCheckTop);
}

void TFormMain::PanelTrackerResize() {
    TrackBar->setGeometry(TrackBar->x(), mainlayout::kTrackBarTop, PanelTracker->width(),
                          PanelTracker->height() - mainlayout::kTrackBarHeightLoss);
}

// ---------------------------------------------------------------------------------------------
// Other handlers

void TFormMain::SetCommandLine(const QStringList& arguments) {
    FArguments.clear();
    for (const QString& argument : arguments) {
        FArguments.append(QFile::encodeName(argument));
    }
}

void TFormMain::TimerOpenTimer() {
    TimerOpen->stop();
    FPlayer->ProcessArguments(FArguments, [this] {
        if (!FPlayer->HasMovies() && VideoCDSearch::ForProgram().IsVideoCDAutoStart()) {
            BitBtnVideoCDClick();
        }
    });
}

void TFormMain::BitBtnOpenClick() {
    FPlayer->SetCloseAtEnd(false);
    if (!FEditor) {
        return;
    }
    if (FEditor->isVisible()) {
        FEditor->hide();
        return;
    }
    // Shown from the keyboard, the editor is worked with the keyboard next.
    FEditor->show();
    FEditor->raise();
    FEditor->activateWindow();
}

void TFormMain::BitBtnVideoCDClick() {
    FPlayer->SetCloseAtEnd(false);
    // A drive that never answers finds no disc; a slow one loads the disc when it answers.
    FVideoCDSearch = std::make_unique<QObject>();
    callInBackground(
        FVideoCDSearch.get(), QDeadlineTimer(kVideoCDGiveUp),
        [search = VideoCDSearch::ForProgram()] { return search.FindVideoCD(); },
        [this](const std::optional<std::optional<QStringList>>& found) {
            if (found && *found) {
                Guarded([this, &found] { LoadVideoCDTracks(**found); });
            }
        },
        kVideoCDQuickWait);
}

void TFormMain::LoadVideoCDTracks(const QStringList& tracks) {
    QByteArrayList names;
    for (const QString& track : tracks) {
        names.append(QFile::encodeName(track));
    }
    FPlayer->LoadVideoCD(names);
}

void TFormMain::ItemAboutClick() {
    if (FAbout) {
        FAbout->exec();
    }
}

// ---------------------------------------------------------------------------------------------
// PlayerView details

bool TFormMain::LoopChecked() const {
    return CheckBoxLoop->isChecked();
}
bool TFormMain::ShuffleChecked() const {
    return CheckBoxShuffle->isChecked();
}
bool TFormMain::PlayButtonHasFocus() const {
    return BitBtnPlay->hasFocus();
}
bool TFormMain::PauseButtonHasFocus() const {
    return BitBtnPause->hasFocus();
}
void TFormMain::FocusTransportButton(TransportFocus button) {
    if (button == TransportFocus::PauseButton) {
        BitBtnPause->setFocus();
    } else if (button == TransportFocus::PlayButton) {
        BitBtnPlay->setFocus();
    }
}

// The track bar takes the focus that playback has left nowhere (a hidden Play button, no
// focus at all); a control the user is working with keeps it, so that Space on Play and
// Pause toggles playback and the Z key leaves the focus where it was.
// With nothing to play there is no toggle to follow: the track bar takes the focus.
void TFormMain::FocusTrackBar() {
    const QWidget* focused = QApplication::focusWidget();
    if (FPlayer->List().Current() >= 0 && focused && focused->window() == this &&
        focused->isVisible() && focused->isEnabled()) {
        return;
    }
    TrackBar->setFocus();
}
int TFormMain::TrackBarPosition() const {
    return TrackBar->sliderPosition();
}

void TFormMain::SetTrackBarPosition(int position) {
    const QSignalBlocker quiet(TrackBar);
    TrackBar->setValue(position);
}

void TFormMain::SetTrackBarMaximum(int maximum) {
    const QSignalBlocker quiet(TrackBar);
    TrackBar->setRange(0, maximum);
}

void TFormMain::SetTrackBarPageSize(int pageSize) {
    TrackBar->setPageStep(pageSize);
}

void TFormMain::SetTimeLabels(const QString& duration, const QString& current) {
    LabelDuration->setText(duration);
    LabelCurrent->setText(current);
}

void TFormMain::ShowDeviceItems(const QStringList& captions) {
    for (int i = 0; i < MenuItemDevices.size(); ++i) {
        QAction* item = MenuItemDevices.at(i);
        item->setVisible(i < captions.size());
        if (i < captions.size()) {
            item->setText(captions.at(i));
        }
    }
}

void TFormMain::CheckDeviceItem(int index) {
    if (index >= 0 && index < MenuItemDevices.size()) {
        MenuItemDevices.at(index)->setChecked(true);
    } else if (QAction* checked = DeviceGroup->checkedAction()) {
        checked->setChecked(false);
    }
}

QString TFormMain::MissingFileFormat() const {
    return ItemPlayPause->statusTip();
}

QString TFormMain::CatalogText(int index) const {
    return StringContainer().GetString(index);
}

bool TFormMain::AskConfirmation(const QString& text) {
    return cinevan::AskConfirmation(this, text);
}

void TFormMain::ShowError(const QString& text) {
    ShowErrorBox(this, text);
}

void TFormMain::CloseMainWindow() {
    QTimer::singleShot(0, this, [this] { close(); });
}

void TFormMain::EndProcessNow() {
    QApplication::exit(0);
}

}  // namespace cinevan
