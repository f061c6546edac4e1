#include "ui/Main.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHBoxLayout>
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
#include <QVBoxLayout>
#include <QWindow>

#include "app/AppInit.h"
#include "app/ApplicationTitle.h"
#include "app/StrCont.h"
#include "controls/ImageEx.h"
#include "pictures/Picture.h"
#include "platform/Numeric.h"
#include "settings/FormStorage.h"
#include "ui/About.h"
#include "ui/ButtonGlyphs.h"
#include "ui/DroppedFiles.h"
#include "ui/ErrorDisplay.h"
#include "ui/Fonts.h"
#include "ui/FullScreen.h"
#include "ui/MovieList.h"

namespace cinevan {

namespace {

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

// Design values of the window description.
constexpr int kClientWidth = 364;
constexpr int kClientHeight = 411;
constexpr int kBottomHeight = 109;
constexpr int kButtonSize = 22;
constexpr int kCheckTop = 2;
constexpr int kCheckHeight = 17;
constexpr int kFullLeft = 13;
constexpr int kShuffleLeft = 288;
constexpr int kChecksDesignWidth = 358;

QFrame* MakePanel(const char* name, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    return panel;
}

QLabel* MakeLabel(const char* name, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

void Paint(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QAction* MakeAction(const char* name, const QString& caption, const QKeySequence& shortcut,
                    QWidget* owner, QMenu* menu, int tag = 0) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setProperty("Tag", tag);
    menu->addAction(action);
    owner->addAction(action);
    return action;
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
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("Cinevan"));
    setFont(SansFont(11));
    setAcceptDrops(true);
    CreateFormStorage();
    CreateControls();
    devices.prepareVideoWindow(*this);
    move(309, 105);
    resize(kClientWidth, kClientHeight);
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

void TFormMain::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateBottomPanel();
    CreatePages();
    layout->addWidget(PageControl, 1);
    layout->addWidget(PanelBottom);
    CreateMenus();

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(500);
    TimerOpen = new QTimer(this);
    TimerOpen->setObjectName(QStringLiteral("TimerOpen"));
    TimerOpen->setInterval(500);
    ConnectHandlers();
    Timer->start();
    TimerOpen->start();
}

void TFormMain::CreateBottomPanel() {
    PanelBottom = MakePanel("PanelBottom", this);
    PanelBottom->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelBottom->setLineWidth(1);
    PanelBottom->setFixedHeight(kBottomHeight);
    auto* bottom = new QVBoxLayout(PanelBottom);
    bottom->setContentsMargins(2, 2, 2, 2);
    bottom->setSpacing(0);

    PanelShow = MakePanel("PanelShow", PanelBottom);
    Paint(PanelShow, Qt::black, Qt::white);
    PanelShow->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* show = new QVBoxLayout(PanelShow);
    show->setContentsMargins(0, 0, 0, 0);
    show->setSpacing(0);
    LabelTitle = MakeLabel("LabelTitle", QStringLiteral("Title"), PanelShow);
    LabelTitle->setFont(SerifFont(15));
    LabelTitle->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    LabelTitle->setFixedHeight(17);
    // Long titles and narrow windows clip the texts; they never widen the window.
    LabelTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    LabelOffset = MakeLabel("LabelOffset", QString(), PanelShow);
    LabelOffset->setFixedHeight(5);
    PanelInfoBottom = MakePanel("PanelInfoBottom", PanelShow);
    PanelInfoBottom->setFixedHeight(22);
    Paint(PanelInfoBottom, Qt::black, Qt::yellow);
    auto* info = new QHBoxLayout(PanelInfoBottom);
    info->setContentsMargins(2, 2, 2, 2);
    info->setSpacing(0);
    LabelDuration = MakeLabel("LabelDuration", QStringLiteral("Duration"), PanelInfoBottom);
    LabelPositions = MakeLabel("LabelPositions", QStringLiteral("Positions"), PanelInfoBottom);
    LabelCurrent = MakeLabel("LabelCurrent", QStringLiteral("Current time"), PanelInfoBottom);
    LabelDuration->setFixedWidth(51);
    LabelPositions->setFixedWidth(80);
    for (QLabel* label : {LabelDuration, LabelPositions, LabelCurrent}) {
        label->setFont(SansFont(13));
        label->setAlignment(Qt::AlignCenter);
    }
    LabelCurrent->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    info->addWidget(LabelDuration);
    info->addWidget(LabelCurrent, 1);
    info->addWidget(LabelPositions);
    show->addWidget(LabelOffset);
    show->addWidget(LabelTitle);
    show->addStretch(1);
    show->addWidget(PanelInfoBottom);

    PanelControls = MakePanel("PanelControls", PanelBottom);
    PanelControls->setFixedHeight(30);
    auto* controls = new QHBoxLayout(PanelControls);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->setSpacing(0);
    PanelButtons = MakePanel("PanelButtons", PanelControls);
    PanelButtons->setFixedWidth(137);
    CreateButtons(PanelButtons);
    PanelTracker = MakePanel("PanelTracker", PanelControls);
    PanelTracker->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    TrackBar = new QSlider(Qt::Horizontal, PanelTracker);
    TrackBar->setObjectName(QStringLiteral("TrackBar"));
    TrackBar->setRange(0, 0);
    TrackBar->setPageStep(1000);
    TrackBar->setSingleStep(1);
    TrackBar->setTickPosition(QSlider::NoTicks);
    TrackBar->installEventFilter(this);
    PanelTracker->installEventFilter(this);
    controls->addWidget(PanelButtons);
    controls->addWidget(PanelTracker, 1);

    PanelChecks = MakePanel("PanelChecks", PanelBottom);
    PanelChecks->setFixedHeight(24);
    PanelChecks->installEventFilter(this);
    CreateChecks(PanelChecks);

    bottom->addWidget(PanelShow, 1);
    bottom->addWidget(PanelControls);
    bottom->addWidget(PanelChecks);
}

void TFormMain::CreateButtons(QWidget* parent) {
    struct ButtonDesign {
        QPushButton** button;
        const char* name;
        int left;
        Glyph glyph;
        const char* hint;
        int tag;
    };
    const ButtonDesign designs[] = {
        {&BitBtnPlay, "BitBtnPlay", 2, Glyph::Play, "Start play Movie (Z)", 0},
        {&BitBtnPause, "BitBtnPause", 17, Glyph::Pause, "Pause Movie (Z)", 0},
        {&BitBtnStop, "BitBtnStop", 24, Glyph::Stop, "Stop playing (X)", 0},
        {&BitBtnPrior, "BitBtnPrior", 46, Glyph::Prior, "Previous Movie (C)", -1},
        {&BitBtnNext, "BitBtnNext", 68, Glyph::Next, "Next Movie (V)", 1},
        {&BitBtnOpen, "BitBtnOpen", 93, Glyph::Eject, "Show/Hide Movie List Editor (Alt+E)", 0},
        {&BitBtnVideoCD, "BitBtnVideoCD", 115, Glyph::Disc, "Start VideoCD (Alt+V)", 0},
    };
    for (const ButtonDesign& design : designs) {
        auto* button = new QPushButton(parent);
        button->setObjectName(QString::fromLatin1(design.name));
        button->setGeometry(design.left, 4, kButtonSize, kButtonSize);
        button->setIcon(glyphIcon(design.glyph));
        button->setIconSize(QSize(16, 15));
        button->setToolTip(QString::fromLatin1(design.hint));
        button->setProperty("Tag", design.tag);
        button->setFocusPolicy(Qt::StrongFocus);
        *design.button = button;
    }
    // Play and Pause share one place; the refresh shows one of them at a time.
    BitBtnPause->setGeometry(BitBtnPlay->geometry());
}

void TFormMain::CreateChecks(QWidget* parent) {
    struct CheckDesign {
        QCheckBox** box;
        const char* name;
        int left;
        int width;
        const char* caption;
        const char* hint;
    };
    const CheckDesign designs[] = {
        {&CheckBoxFullScreen, "CheckBoxFullScreen", kFullLeft, 64, "&Full",
         "Turn on full screen mode"},
        {&CheckBoxLoop, "CheckBoxLoop", 162, 60, "&Loop", "Loop Movie list"},
        {&CheckBoxOnTop, "CheckBoxOnTop", 223, 60, "&On top", "Keep VantrelPlayer on top"},
        {&CheckBoxShuffle, "CheckBoxShuffle", kShuffleLeft, 69, "&Shuffle",
         "Play Movies in random order"},
    };
    for (const CheckDesign& design : designs) {
        auto* box = new QCheckBox(QString::fromLatin1(design.caption), parent);
        box->setObjectName(QString::fromLatin1(design.name));
        box->setGeometry(design.left, kCheckTop, design.width, kCheckHeight);
        box->setToolTip(QString::fromLatin1(design.hint));
        *design.box = box;
    }
}

void TFormMain::CreatePages() {
    PageControl = new QStackedWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    TabSheetPreview = new QWidget(PageControl);
    TabSheetPreview->setObjectName(QStringLiteral("TabSheetPreview"));
    TabSheetPreview->setProperty("Caption", QStringLiteral("Preview"));
    auto* preview = new QVBoxLayout(TabSheetPreview);
    preview->setContentsMargins(0, 0, 0, 0);
    PanelImage = MakePanel("PanelImage", TabSheetPreview);
    PanelImage->setFrameStyle(QFrame::Box | QFrame::Plain);
    preview->addWidget(PanelImage);
    auto* image = new QVBoxLayout(PanelImage);
    image->setContentsMargins(1, 1, 1, 1);
    ImagePreview = new TImageEx(PanelImage);
    ImagePreview->setObjectName(QStringLiteral("ImagePreview"));
    ImagePreview->setCenter(true);
    ImagePreview->setStretch(true);
    ImagePreview->setMaintainAspect(true);
    ImagePreview->setAspectColor(palette().color(QPalette::Button));
    ImagePreview->setIncrementalDisplay(true);
    ImagePreview->setContextMenuPolicy(Qt::CustomContextMenu);
    image->addWidget(ImagePreview);

    TabSheetMovie = new QWidget(PageControl);
    TabSheetMovie->setObjectName(QStringLiteral("TabSheetMovie"));
    TabSheetMovie->setProperty("Caption", QStringLiteral("Movie"));
    TabSheetMovie->setContextMenuPolicy(Qt::CustomContextMenu);
    TabSheetMovie->installEventFilter(this);
    PageControl->addWidget(TabSheetPreview);
    PageControl->addWidget(TabSheetMovie);
}

void TFormMain::CreateMenus() {
    ItemShortcuts = new QMenu(QStringLiteral("&Shortcuts"), this);
    ItemShortcuts->setObjectName(QStringLiteral("ItemShortcuts"));
    ItemMovieList = MakeAction("ItemMovieList", QStringLiteral("Toggle Movie List"),
                               QKeySequence(Qt::ALT | Qt::Key_E), this, ItemShortcuts);
    ItemVideoCD = MakeAction("ItemVideoCD", QStringLiteral("Load Video CD"),
                             QKeySequence(Qt::ALT | Qt::Key_V), this, ItemShortcuts);
    ItemShortcuts->addSeparator()->setObjectName(QStringLiteral("N1"));
    ItemPlayPause = MakeAction("ItemPlayPause", QStringLiteral("&Play/Pause"),
                               QKeySequence(Qt::Key_Z), this, ItemShortcuts, 1);
    ItemPlayPause->setStatusTip(QStringLiteral("Can not find/play file \"%s\""));
    ItemStop = MakeAction("ItemStop", QStringLiteral("&Stop"), QKeySequence(Qt::Key_X), this,
                          ItemShortcuts, 2);
    ItemPrior = MakeAction("ItemPrior", QStringLiteral("P&rior"), QKeySequence(Qt::Key_C), this,
                           ItemShortcuts, 3);
    ItemNext = MakeAction("ItemNext", QStringLiteral("&Next"), QKeySequence(Qt::Key_V), this,
                          ItemShortcuts, 4);
    ItemShortcuts->addSeparator()->setObjectName(QStringLiteral("N2"));
    ItemAbout = MakeAction("ItemAbout", QStringLiteral("&About..."), QKeySequence(Qt::Key_F1), this,
                           ItemShortcuts);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    const std::pair<const char*, int> scales[] = {{"MenuItemScale50", 50},
                                                  {"MenuItemScale75", 75},
                                                  {"MenuItemScale100", 100},
                                                  {"MenuItemScale150", 150},
                                                  {"MenuItemScale200", 200}};
    const char* scaleCaptions[] = {"&50%", "&75%", "&100%", "15&0%", "&200%"};
    for (int i = 0; i < 5; ++i) {
        QAction* item = PopupMenu->addAction(QString::fromLatin1(scaleCaptions[i]));
        item->setObjectName(QString::fromLatin1(scales[i].first));
        item->setProperty("Tag", scales[i].second);
        connect(item, &QAction::triggered, this,
                [this, percent = scales[i].second] { MenuItemScale100Click(percent); });
    }
    QAction* full = PopupMenu->addAction(QStringLiteral("&Full"));
    full->setObjectName(QStringLiteral("MenuItemScale1"));
    full->setProperty("Tag", -1);
    connect(full, &QAction::triggered, this, [this] { MenuItemScale1Click(); });
    PopupMenu->addSeparator()->setObjectName(QStringLiteral("MenuItemSeparator1"));
    MenuItemDevice = PopupMenu->addMenu(QStringLiteral("&Device"));
    MenuItemDevice->setObjectName(QStringLiteral("MenuItemDevice"));
    DeviceGroup = new QActionGroup(this);
    DeviceGroup->setExclusive(true);
    for (int i = 0; i < 10; ++i) {
        QAction* item = MenuItemDevice->addAction(QStringLiteral("Device %1").arg(i));
        item->setObjectName(QStringLiteral("MenuItemDevice%1").arg(i));
        item->setCheckable(true);
        item->setVisible(false);
        DeviceGroup->addAction(item);
        MenuItemDevices.append(item);
        connect(item, &QAction::triggered, this,
                [this, i] { Guarded([&] { FPlayer->MenuItemDeviceClick(i); }); });
    }
    MenuItemConfigure = PopupMenu->addAction(QStringLiteral("&Configure"));
    MenuItemConfigure->setObjectName(QStringLiteral("MenuItemConfigure"));
    MenuItemUpdateDevice = PopupMenu->addAction(QStringLiteral("&Update Devices"));
    MenuItemUpdateDevice->setObjectName(QStringLiteral("MenuItemUpdateDevice"));
}

void TFormMain::ConnectHandlers() {
    connect(TimerOpen, &QTimer::timeout, this, [this] { Guarded([&] { TimerOpenTimer(); }); });
    connect(Timer, &QTimer::timeout, this,
            [this] { Guarded([&] { FPlayer->ActiveMovieTimer(); }); });
    connect(BitBtnPlay, &QPushButton::clicked, this,
            [this] { Guarded([&] { FPlayer->BitBtnPlayClick(); }); });
    connect(BitBtnPause, &QPushButton::clicked, this,
            [this] { Guarded([&] { FPlayer->BitBtnPauseClick(); }); });
    connect(BitBtnStop, &QPushButton::clicked, this,
            [this] { Guarded([&] { FPlayer->BitBtnStopClick(); }); });
    connect(BitBtnPrior, &QPushButton::clicked, this,
            [this] { Guarded([&] { FPlayer->BitBtnSkipClick(-1); }); });
    connect(BitBtnNext, &QPushButton::clicked, this,
            [this] { Guarded([&] { FPlayer->BitBtnSkipClick(+1); }); });
    connect(BitBtnOpen, &QPushButton::clicked, this,
            [this] { Guarded([&] { BitBtnOpenClick(); }); });
    connect(BitBtnVideoCD, &QPushButton::clicked, this,
            [this] { Guarded([&] { BitBtnVideoCDClick(); }); });
    connect(ItemMovieList, &QAction::triggered, this,
            [this] { Guarded([&] { BitBtnOpenClick(); }); });
    connect(ItemVideoCD, &QAction::triggered, this,
            [this] { Guarded([&] { BitBtnVideoCDClick(); }); });
    for (QAction* item : {ItemPlayPause, ItemStop, ItemPrior, ItemNext}) {
        connect(item, &QAction::triggered, this, [this, item] {
            Guarded([&] { FPlayer->ItemButtonsClick(item->property("Tag").toInt()); });
        });
    }
    connect(ItemAbout, &QAction::triggered, this, [this] { Guarded([&] { ItemAboutClick(); }); });
    connect(CheckBoxLoop, &QCheckBox::toggled, this, [this] { FPlayer->CheckBoxLoopClick(); });
    connect(CheckBoxFullScreen, &QCheckBox::toggled, this,
            [this] { Guarded([&] { CheckBoxFullScreenClick(); }); });
    connect(CheckBoxOnTop, &QCheckBox::toggled, this, [this] { CheckBoxOnTopClick(); });
    connect(TrackBar, &QSlider::actionTriggered, this, [this] { FPlayer->TrackBarChange(); });
    connect(TrackBar, &QSlider::sliderReleased, this, [this] { FPlayer->TrackBarChange(); });
    connect(MenuItemConfigure, &QAction::triggered, this,
            [this] { Guarded([&] { FPlayer->ConfigureClick(this); }); });
    connect(MenuItemUpdateDevice, &QAction::triggered, this,
            [this] { Guarded([&] { FPlayer->MenuItemUpdateDeviceClick(); }); });
    const auto popup = [this](QWidget* source) {
        return [this, source](const QPoint& at) { PopupMenu->popup(source->mapToGlobal(at)); };
    };
    connect(ImagePreview, &QWidget::customContextMenuRequested, this, popup(ImagePreview));
    connect(TabSheetMovie, &QWidget::customContextMenuRequested, this, popup(TabSheetMovie));
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
    FCheckSpread = static_cast<float>(kChecksDesignWidth) / (kShuffleLeft - kFullLeft);
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
    FSystemMenu.InsertSeparator(5);
    FSystemMenu.InsertItem(6, SystemMenu::kAboutCommand, ItemAbout->text(),
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
    BitBtnPlay->setVisible(!playing);
    BitBtnPause->setVisible(playing);
    BitBtnPlay->setEnabled(player.PlayEnabled());
    BitBtnPause->setEnabled(player.PauseEnabled());
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
        const QByteArray cover = list.GetMovieField(list.Current(), MovieList::kCover);
        if (!cover.isEmpty()) {
            ImagePreview->picture()->loadFromFile(QFile::decodeName(cover));
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
    CheckBoxLoop->move(f + roundHalfEven(d * (1.0 / 3)), kCheckTop);
    CheckBoxOnTop->move(f + roundHalfEven(d * (1.0 / 3) * 2), kCheckTop);
    CheckBoxShuffle->move(f + d, kCheckTop);
}

void TFormMain::PanelTrackerResize() {
    TrackBar->setGeometry(TrackBar->x(), 1, PanelTracker->width(), PanelTracker->height() - 5);
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
    FPlayer->ProcessArguments(FArguments);
    if (!FPlayer->HasMovies() && VideoCDSearch::ForProgram().IsVideoCDAutoStart()) {
        BitBtnVideoCDClick();
    }
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
    const std::optional<QStringList> tracks = VideoCDSearch::ForProgram().FindVideoCD();
    if (!tracks) {
        return;
    }
    QByteArrayList names;
    for (const QString& track : *tracks) {
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
