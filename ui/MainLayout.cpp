#include "ui/MainLayout.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

#include "controls/ImageEx.h"
#include "ui/ButtonGlyphs.h"
#include "ui/Fonts.h"
#include "ui/Main.h"

namespace cinevan {

using namespace mainlayout;

namespace {

// Design values of the window.
constexpr QPoint kDesignPosition(309, 105);
constexpr QSize kClientSize(364, 411);
constexpr int kBottomHeight = 109;
constexpr int kTitleHeight = 17;
constexpr int kOffsetHeight = 5;
constexpr int kInfoHeight = 22;
constexpr int kDurationWidth = 51;
constexpr int kPositionsWidth = 80;
constexpr int kControlsHeight = 30;
constexpr int kButtonsWidth = 137;
constexpr int kButtonTop = 4;
constexpr int kButtonSize = 22;
constexpr QSize kGlyphSize(16, 15);
constexpr int kChecksHeight = 24;
constexpr int kCheckHeight = 17;
constexpr int kTrackBarPageStep = 1000;
constexpr int kTimerInterval = 500;
constexpr int kMenuFontHeight = 11;
constexpr int kTitleFontHeight = 15;
constexpr int kInfoFontHeight = 13;

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

template <class Layout>
Layout* MakeLayout(QWidget* owner, int margin) {
    auto* layout = new Layout(owner);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(0);
    return layout;
}

void Paint(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace

void MainLayout::Build() {
    window_.setObjectName(QStringLiteral("FormMain"));
    window_.setWindowTitle(QStringLiteral("Cinevan"));
    window_.setFont(SansFont(kMenuFontHeight));
    auto* layout = MakeLayout<QVBoxLayout>(&window_, 0);
    CreateBottomPanel();
    CreatePages();
    layout->addWidget(window_.PageControl, 1);
    layout->addWidget(window_.PanelBottom);
    CreateShortcutMenu();
    CreatePopupMenu();
    CreateTimers();
}

void MainLayout::Place() {
    window_.move(kDesignPosition);
    window_.resize(kClientSize);
}

void MainLayout::CreateBottomPanel() {
    QFrame* panel = window_.PanelBottom = MakePanel("PanelBottom", &window_);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setFixedHeight(kBottomHeight);
    auto* bottom = MakeLayout<QVBoxLayout>(panel, 2);
    CreateShowPanel(panel);
    CreateControlsPanel(panel);
    window_.PanelChecks = MakePanel("PanelChecks", panel);
    window_.PanelChecks->setFixedHeight(kChecksHeight);
    CreateChecks(window_.PanelChecks);
    bottom->addWidget(window_.PanelShow, 1);
    bottom->addWidget(window_.PanelControls);
    bottom->addWidget(window_.PanelChecks);
}

// The black strip with the title and, in yellow, the duration, current time and position.
void MainLayout::CreateShowPanel(QWidget* parent) {
    TFormMain& w = window_;
    w.PanelShow = MakePanel("PanelShow", parent);
    Paint(w.PanelShow, Qt::black, Qt::white);
    w.PanelShow->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* show = MakeLayout<QVBoxLayout>(w.PanelShow, 0);
    w.LabelTitle = MakeLabel("LabelTitle", QStringLiteral("Title"), w.PanelShow);
    w.LabelTitle->setFont(SerifFont(kTitleFontHeight));
    w.LabelTitle->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    w.LabelTitle->setFixedHeight(kTitleHeight);
    // Long titles and narrow windows clip the texts; they never widen the window.
    w.LabelTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    w.LabelOffset = MakeLabel("LabelOffset", QString(), w.PanelShow);
    w.LabelOffset->setFixedHeight(kOffsetHeight);
    w.PanelInfoBottom = MakePanel("PanelInfoBottom", w.PanelShow);
    w.PanelInfoBottom->setFixedHeight(kInfoHeight);
    Paint(w.PanelInfoBottom, Qt::black, Qt::yellow);
    auto* info = MakeLayout<QHBoxLayout>(w.PanelInfoBottom, 2);
    w.LabelDuration = MakeLabel("LabelDuration", QStringLiteral("Duration"), w.PanelInfoBottom);
    w.LabelPositions = MakeLabel("LabelPositions", QStringLiteral("Positions"), w.PanelInfoBottom);
    w.LabelCurrent = MakeLabel("LabelCurrent", QStringLiteral("Current time"), w.PanelInfoBottom);
    w.LabelDuration->setFixedWidth(kDurationWidth);
    w.LabelPositions->setFixedWidth(kPositionsWidth);
    for (QLabel* label : {w.LabelDuration, w.LabelPositions, w.LabelCurrent}) {
        label->setFont(SansFont(kInfoFontHeight));
        label->setAlignment(Qt::AlignCenter);
    }
    w.LabelCurrent->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    info->addWidget(w.LabelDuration);
    info->addWidget(w.LabelCurrent, 1);
    info->addWidget(w.LabelPositions);
    show->addWidget(w.LabelOffset);
    show->addWidget(w.LabelTitle);
    show->addStretch(1);
    show->addWidget(w.PanelInfoBottom);
}

// The transport buttons and the track bar beside them.
void MainLayout::CreateControlsPanel(QWidget* parent) {
    TFormMain& w = window_;
    w.PanelControls = MakePanel("PanelControls", parent);
    w.PanelControls->setFixedHeight(kControlsHeight);
    auto* controls = MakeLayout<QHBoxLayout>(w.PanelControls, 0);
    w.PanelButtons = MakePanel("PanelButtons", w.PanelControls);
    w.PanelButtons->setFixedWidth(kButtonsWidth);
    CreateButtons(w.PanelButtons);
    w.PanelTracker = MakePanel("PanelTracker", w.PanelControls);
    w.PanelTracker->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    w.TrackBar = new QSlider(Qt::Horizontal, w.PanelTracker);
    w.TrackBar->setObjectName(QStringLiteral("TrackBar"));
    w.TrackBar->setRange(0, 0);
    w.TrackBar->setPageStep(kTrackBarPageStep);
    w.TrackBar->setSingleStep(1);
    w.TrackBar->setTickPosition(QSlider::NoTicks);
    controls->addWidget(w.PanelButtons);
    controls->addWidget(w.PanelTracker, 1);
}

void MainLayout::CreateButtons(QWidget* parent) {
    TFormMain& w = window_;
    struct ButtonDesign {
        QPushButton** button;
        const char* name;
        int left;
        Glyph glyph;
        const char* hint;
        int tag;
    };
    const ButtonDesign designs[] = {
        {&w.BitBtnPlay, "BitBtnPlay", 2, Glyph::Play, "Start play Movie (Z)", 0},
        {&w.BitBtnPause, "BitBtnPause", 17, Glyph::Pause, "Pause Movie (Z)", 0},
        {&w.BitBtnStop, "BitBtnStop", 24, Glyph::Stop, "Stop playing (X)", 0},
        {&w.BitBtnPrior, "BitBtnPrior", 46, Glyph::Prior, "Previous Movie (C)", kPriorStep},
        {&w.BitBtnNext, "BitBtnNext", 68, Glyph::Next, "Next Movie (V)", kNextStep},
        {&w.BitBtnOpen, "BitBtnOpen", 93, Glyph::Eject, "Show/Hide Movie List Editor (Alt+E)", 0},
        {&w.BitBtnVideoCD, "BitBtnVideoCD", 115, Glyph::Disc, "Start VideoCD (Alt+V)", 0},
    };
    for (const ButtonDesign& design : designs) {
        auto* button = new QPushButton(parent);
        button->setObjectName(QString::fromLatin1(design.name));
        button->setGeometry(design.left, kButtonTop, kButtonSize, kButtonSize);
        button->setIcon(glyphIcon(design.glyph));
        button->setIconSize(kGlyphSize);
        button->setToolTip(QString::fromLatin1(design.hint));
        button->setProperty("Tag", design.tag);
        button->setFocusPolicy(Qt::StrongFocus);
        *design.button = button;
    }
    // Play and Pause share one place; the refresh shows one of them at a time.
    w.BitBtnPause->setGeometry(w.BitBtnPlay->geometry());
}

void MainLayout::CreateChecks(QWidget* parent) {
    TFormMain& w = window_;
    struct CheckDesign {
        QCheckBox** box;
        const char* name;
        int left;
        int width;
        const char* caption;
        const char* hint;
    };
    const CheckDesign designs[] = {
        {&w.CheckBoxFullScreen, "CheckBoxFullScreen", kFullLeft, 64, "&Full",
         "Turn on full screen mode"},
        {&w.CheckBoxLoop, "CheckBoxLoop", 162, 60, "&Loop", "Loop Movie list"},
        {&w.CheckBoxOnTop, "CheckBoxOnTop", 223, 60, "&On top", "Keep VantrelPlayer on top"},
        {&w.CheckBoxShuffle, "CheckBoxShuffle", kShuffleLeft, 69, "&Shuffle",
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

// The cover preview and the video's page, one shown at a time.
void MainLayout::CreatePages() {
    TFormMain& w = window_;
    w.PageControl = new QStackedWidget(&w);
    w.PageControl->setObjectName(QStringLiteral("PageControl"));
    w.TabSheetPreview = new QWidget(w.PageControl);
    w.TabSheetPreview->setObjectName(QStringLiteral("TabSheetPreview"));
    w.TabSheetPreview->setProperty("Caption", QStringLiteral("Preview"));
    auto* preview = new QVBoxLayout(w.TabSheetPreview);
    preview->setContentsMargins(0, 0, 0, 0);
    w.PanelImage = MakePanel("PanelImage", w.TabSheetPreview);
    w.PanelImage->setFrameStyle(QFrame::Box | QFrame::Plain);
    preview->addWidget(w.PanelImage);
    auto* image = new QVBoxLayout(w.PanelImage);
    image->setContentsMargins(1, 1, 1, 1);
    w.ImagePreview = new TImageEx(w.PanelImage);
    w.ImagePreview->setObjectName(QStringLiteral("ImagePreview"));
    w.ImagePreview->setCenter(true);
    w.ImagePreview->setStretch(true);
    w.ImagePreview->setMaintainAspect(true);
    w.ImagePreview->setAspectColor(w.palette().color(QPalette::Button));
    w.ImagePreview->setIncrementalDisplay(true);
    w.ImagePreview->setContextMenuPolicy(Qt::CustomContextMenu);
    image->addWidget(w.ImagePreview);

    w.TabSheetMovie = new QWidget(w.PageControl);
    w.TabSheetMovie->setObjectName(QStringLiteral("TabSheetMovie"));
    w.TabSheetMovie->setProperty("Caption", QStringLiteral("Movie"));
    w.TabSheetMovie->setContextMenuPolicy(Qt::CustomContextMenu);
    w.PageControl->addWidget(w.TabSheetPreview);
    w.PageControl->addWidget(w.TabSheetMovie);
}

QAction* MainLayout::AddShortcut(const char* name, const QString& caption, const QKeySequence& keys,
                                 int tag) {
    auto* action = new QAction(caption, &window_);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setProperty("Tag", tag);
    window_.ItemShortcuts->addAction(action);
    window_.addAction(action);
    return action;
}

// A menu that is never shown: its items carry the window's keys.
void MainLayout::CreateShortcutMenu() {
    TFormMain& w = window_;
    w.ItemShortcuts = new QMenu(QStringLiteral("&Shortcuts"), &w);
    w.ItemShortcuts->setObjectName(QStringLiteral("ItemShortcuts"));
    w.ItemMovieList = AddShortcut("ItemMovieList", QStringLiteral("Toggle Movie List"),
                                  QKeySequence(Qt::ALT | Qt::Key_E));
    w.ItemVideoCD = AddShortcut("ItemVideoCD", QStringLiteral("Load Video CD"),
                                QKeySequence(Qt::ALT | Qt::Key_V));
    w.ItemShortcuts->addSeparator()->setObjectName(QStringLiteral("N1"));
    w.ItemPlayPause = AddShortcut("ItemPlayPause", QStringLiteral("&Play/Pause"),
                                  QKeySequence(Qt::Key_Z), kTagPlayPause);
    // The text of the error for a missing file, translated with the item.
    w.ItemPlayPause->setStatusTip(QStringLiteral("Can not find/play file \"%s\""));
    w.ItemStop =
        AddShortcut("ItemStop", QStringLiteral("&Stop"), QKeySequence(Qt::Key_X), kTagStop);
    w.ItemPrior =
        AddShortcut("ItemPrior", QStringLiteral("P&rior"), QKeySequence(Qt::Key_C), kTagPrior);
    w.ItemNext =
        AddShortcut("ItemNext", QStringLiteral("&Next"), QKeySequence(Qt::Key_V), kTagNext);
    w.ItemShortcuts->addSeparator()->setObjectName(QStringLiteral("N2"));
    w.ItemAbout = AddShortcut("ItemAbout", QStringLiteral("&About..."), QKeySequence(Qt::Key_F1));
}

// The video's pop-up menu: the scales, full screen and the devices.
void MainLayout::CreatePopupMenu() {
    TFormMain& w = window_;
    w.PopupMenu = new QMenu(&w);
    w.PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    struct ScaleDesign {
        const char* name;
        const char* caption;
        int percent;
    };
    const ScaleDesign scales[] = {{"MenuItemScale50", "&50%", 50},
                                  {"MenuItemScale75", "&75%", 75},
                                  {"MenuItemScale100", "&100%", 100},
                                  {"MenuItemScale150", "15&0%", 150},
                                  {"MenuItemScale200", "&200%", 200}};
    for (const ScaleDesign& scale : scales) {
        QAction* item = w.PopupMenu->addAction(QString::fromLatin1(scale.caption));
        item->setObjectName(QString::fromLatin1(scale.name));
        item->setProperty("Tag", scale.percent);
        w.MenuItemScales.append(item);
    }
    w.MenuItemScale1 = w.PopupMenu->addAction(QStringLiteral("&Full"));
    w.MenuItemScale1->setObjectName(QStringLiteral("MenuItemScale1"));
    w.MenuItemScale1->setProperty("Tag", -1);
    w.PopupMenu->addSeparator()->setObjectName(QStringLiteral("MenuItemSeparator1"));
    w.MenuItemDevice = w.PopupMenu->addMenu(QStringLiteral("&Device"));
    w.MenuItemDevice->setObjectName(QStringLiteral("MenuItemDevice"));
    w.DeviceGroup = new QActionGroup(&w);
    w.DeviceGroup->setExclusive(true);
    for (int i = 0; i < kDeviceItemCount; ++i) {
        QAction* item = w.MenuItemDevice->addAction(QStringLiteral("Device %1").arg(i));
        item->setObjectName(QStringLiteral("MenuItemDevice%1").arg(i));
        item->setCheckable(true);
        item->setVisible(false);
        w.DeviceGroup->addAction(item);
        w.MenuItemDevices.append(item);
    }
    w.MenuItemConfigure = w.PopupMenu->addAction(QStringLiteral("&Configure"));
    w.MenuItemConfigure->setObjectName(QStringLiteral("MenuItemConfigure"));
    w.MenuItemUpdateDevice = w.PopupMenu->addAction(QStringLiteral("&Update Devices"));
    w.MenuItemUpdateDevice->setObjectName(QStringLiteral("MenuItemUpdateDevice"));
}

void MainLayout::CreateTimers() {
    for (auto [timer, name] :
         {std::pair{&window_.Timer, "Timer"}, std::pair{&window_.TimerOpen, "TimerOpen"}}) {
        *timer = new QTimer(&window_);
        (*timer)->setObjectName(QString::fromLatin1(name));
        (*timer)->setInterval(kTimerInterval);
    }
}

}  // namespace cinevan
