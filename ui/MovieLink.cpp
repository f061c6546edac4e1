#include "ui/MovieLink.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

#include "app/StrCont.h"
#include "controls/FileCheck.h"
#include "controls/ImageEx.h"
#include "controls/MaskEdit.h"
#include "controls/OpenPictureDialog.h"
#include "movielist/MovieList.h"
#include "pictures/Picture.h"
#include "pictures/WebImageDecoders.h"
#include "playback/PlayerController.h"
#include "ui/ErrorDisplay.h"
#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/MovieList.h"

namespace cinevan {

namespace {

constexpr int kWidth = 386;
constexpr int kHeight = 194;
const QString kTimeMask = QStringLiteral("!90:00:00;1;_");
const QString kPositionHint = QStringLiteral("Set current position (Alt+Enter)");
// The cover types: PNG always, WebP where Qt has a reader for it.
QString PictureFilter() {
    QString images = QStringLiteral("*.dib;*.bmp;*.jpg;*.jpeg;*.gif;*.ico;*.emf;*.wmf;*.png");
    QString kinds = QStringLiteral(
        "Bitmaps (*.bmp;*.dib)|*.bmp;*.dib|JPEG Compliant (*.jpg;*.jpeg)|*.jpg;*.jpeg|"
        "CompuServe GIF Image (*.gif)|*.gif|Icons (*.ico)|*.ico|Metafiles (*.wmf;*.emf)|"
        "*.wmf;*.emf|Portable Network Graphics (*.png)|*.png");
    if (pictures::qtReadsWebp()) {
        images += QStringLiteral(";*.webp");
        kinds += QStringLiteral("|WebP (*.webp)|*.webp");
    }
    return QStringLiteral("All Images|") + images + QLatin1Char('|') + kinds +
           QStringLiteral("|All Files (*.*)|*.*");
}

template <class Widget, class... Args>
Widget* Make(const char* name, QWidget* parent, const QRect& bounds, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)..., parent);
    widget->setObjectName(QString::fromLatin1(name));
    if (bounds.isValid()) {
        widget->setGeometry(bounds);
    } else {
        widget->move(bounds.topLeft());
    }
    return widget;
}

// A slider thumb on its track, 15 by 15 pixels, drawn in `ink` on `face`.
QPixmap SliderPixmap(const QColor& ink, const QColor& face, const QColor& light) {
    QPixmap pixmap(15, 15);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(ink);
    painter.drawLine(1, 7, 13, 7);
    painter.setPen(light);
    painter.drawLine(1, 8, 13, 8);
    const QPolygon thumb{{5, 2}, {9, 2}, {9, 10}, {7, 12}, {5, 10}};
    painter.setPen(ink);
    painter.setBrush(face);
    painter.drawPolygon(thumb);
    return pixmap;
}

QIcon SliderGlyph(const QPalette& palette) {
    QIcon icon;
    icon.addPixmap(SliderPixmap(Qt::black, palette.color(QPalette::Button), Qt::white),
                   QIcon::Normal);
    icon.addPixmap(SliderPixmap(palette.color(QPalette::Disabled, QPalette::WindowText),
                                palette.color(QPalette::Button), palette.color(QPalette::Light)),
                   QIcon::Disabled);
    return icon;
}

// Restores the normal cursor when it goes out of scope, also on failure.
class HourglassCursor {
public:
    HourglassCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~HourglassCursor() { QApplication::restoreOverrideCursor(); }
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;
};

}  // namespace

TimeLocale EditTimeLocale(TimeLocale locale) {
    if (locale.longTimeFormat.contains(QLatin1Char('a'), Qt::CaseInsensitive)) {
        locale.longTimeFormat = QStringLiteral("HH%1mm%1ss").arg(locale.timeSeparator);
    }
    return locale;
}

TFormEdit::TFormEdit(PlayerController& player, const TFormMovieList& editor, TImageEx& coverPreview,
                     QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      FPlayer(player),
      FEditor(editor),
      FCoverPreview(coverPreview) {
    setObjectName(QStringLiteral("FormEdit"));
    setWindowTitle(QStringLiteral("Edit Movie Link"));
    setFont(SansFont(11));
    setFixedSize(kWidth, kHeight);
    CreateControls();
    ConnectHandlers();
    FormCreate();
}

void TFormEdit::CreateControls() {
    LabelImage =
        Make<QLabel>("LabelImage", this, QRect(6, 4, -1, -1), QStringLiteral("Cover image"));
    PanelImage = Make<QFrame>("PanelImage", this, QRect(5, 20, 128, 109));
    PanelImage->setFrameStyle(QFrame::Box | QFrame::Plain);
    ImageLink = new TImageEx(PanelImage);
    ImageLink->setObjectName(QStringLiteral("ImageLink"));
    ImageLink->setGeometry(PanelImage->contentsRect());
    ImageLink->setCenter(true);
    ImageLink->setStretch(true);
    ImageLink->setMaintainAspect(true);
    ImageLink->setAspectColor(palette().color(QPalette::Button));
    ImageLink->setIncrementalDisplay(true);
    ButtonClear =
        Make<QPushButton>("ButtonClear", this, QRect(5, 136, 60, 21), QStringLiteral("&Clear"));
    ButtonImage = Make<QPushButton>("ButtonImage", this, QRect(73, 136, 60, 21),
                                    QStringLiteral("&Browse..."));
    LabelFileName =
        Make<QLabel>("LabelFileName", this, QRect(139, 4, -1, -1), QStringLiteral("&File name"));
    EditFileName = Make<QLineEdit>("EditFileName", this, QRect(139, 20, 242, 21));
    EditFileName->setReadOnly(true);
    QPalette readOnly = EditFileName->palette();
    readOnly.setColor(QPalette::Base, readOnly.color(QPalette::Button));
    EditFileName->setPalette(readOnly);
    LabelTitle = Make<QLabel>("LabelTitle", this, QRect(139, 44, -1, -1), QStringLiteral("&Title"));
    EditTitle = Make<QLineEdit>("EditTitle", this, QRect(139, 60, 242, 21));
    CheckBoxSelection = Make<QCheckBox>("CheckBoxSelection", this, QRect(139, 86, 65, 17),
                                        QStringLiteral("&Selection"));
    CheckBoxSelection->setChecked(true);
    CreateSelectionGroup();
    CheckBoxSelection->raise();
    CreateBottomPanel();
    LabelFileName->setBuddy(EditFileName);
    LabelTitle->setBuddy(EditTitle);
    LabelStart->setBuddy(EditStart);
    LabelStop->setBuddy(EditStop);
    setTabOrder(ButtonClear, ButtonImage);
    setTabOrder(ButtonImage, EditFileName);
    setTabOrder(EditFileName, EditTitle);
    setTabOrder(EditTitle, CheckBoxSelection);
    setTabOrder(CheckBoxSelection, EditStart);
    setTabOrder(EditStart, EditStop);
    setTabOrder(EditStop, ButtonOK);
    setTabOrder(ButtonOK, ButtonCancel);
}

void TFormEdit::CreateSelectionGroup() {
    GroupBoxSelection = Make<QGroupBox>("GroupBoxSelection", this, QRect(139, 98, 242, 59));
    LabelStart = Make<QLabel>("LabelStart", GroupBoxSelection, QRect(8, 14, -1, -1),
                              QStringLiteral("St&art"));
    EditStart = Make<TMaskEdit>("EditStart", GroupBoxSelection, QRect(8, 30, 89, 21));
    SpeedButtonStart =
        Make<QToolButton>("SpeedButtonStart", GroupBoxSelection, QRect(97, 31, 20, 20));
    LabelStop = Make<QLabel>("LabelStop", GroupBoxSelection, QRect(124, 14, -1, -1),
                             QStringLiteral("St&op"));
    EditStop = Make<TMaskEdit>("EditStop", GroupBoxSelection, QRect(124, 30, 89, 21));
    SpeedButtonStop =
        Make<QToolButton>("SpeedButtonStop", GroupBoxSelection, QRect(213, 31, 20, 20));
    const QIcon glyph = SliderGlyph(palette());
    for (QToolButton* button : {SpeedButtonStart, SpeedButtonStop}) {
        button->setToolTip(kPositionHint);
        button->setAutoRaise(true);
        button->setIcon(glyph);
        button->setIconSize(QSize(15, 15));
        button->setFocusPolicy(Qt::NoFocus);
    }
    for (TMaskEdit* edit : {EditStart, EditStop}) {
        edit->SetEditMask(kTimeMask);
        edit->SetMaskedText(FormatLongTime(0, EditTimeLocale()));
        edit->ShowError = [](QWidget* owner, const QString& text) { ShowErrorBox(owner, text); };
        edit->installEventFilter(this);
    }
}

void TFormEdit::CreateBottomPanel() {
    PanelBottom = Make<QFrame>("PanelBottom", this, QRect(0, kHeight - 29, kWidth, 29));
    auto* bevel = new QFrame(PanelBottom);
    bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevel->setGeometry(0, 0, kWidth, 2);
    ButtonOK = Make<QPushButton>("ButtonOK", PanelBottom, QRect(kWidth - 160, 4, 75, 21),
                                 QStringLiteral("OK"));
    ButtonCancel = Make<QPushButton>("ButtonCancel", PanelBottom, QRect(kWidth - 80, 4, 75, 21),
                                     QStringLiteral("Cancel"));
    ButtonOK->setDefault(true);
}

TOpenPictureDialog& TFormEdit::PictureDialog() {
    if (!FPictureDialog) {
        CreatePictureDialog();
    }
    return *FPictureDialog;
}

// The picture formats it lists come from the image plug-ins, which only Browse needs.
void TFormEdit::CreatePictureDialog() {
    FPictureDialog = new TOpenPictureDialog(this);
    FPictureDialog->setObjectName(QStringLiteral("OpenPictureDialog"));
    FPictureDialog->SetTitle(QStringLiteral("Browse Cover Image"));
    FPictureDialog->SetOptions(
        TOpenPictureDialog::ofHideReadOnly | TOpenPictureDialog::ofNoChangeDir |
        TOpenPictureDialog::ofPathMustExist | TOpenPictureDialog::ofFileMustExist);
    FPictureDialog->SetFilter(PictureFilter());
    try {
        StringContainer().LocalizeComponent(FPictureDialog, *this);
    } catch (...) {
        // The dialog keeps its built-in texts, as the window does.
    }
}

void TFormEdit::ConnectHandlers() {
    connect(CheckBoxSelection, &QCheckBox::toggled, this, &TFormEdit::CheckBoxSelectionClick);
    connect(ButtonClear, &QPushButton::clicked, this, &TFormEdit::ButtonClearClick);
    connect(ButtonImage, &QPushButton::clicked, this, &TFormEdit::ButtonImageClick);
    connect(EditStart, &TMaskEdit::Exited, this, &TFormEdit::EditStartExit);
    connect(EditStop, &TMaskEdit::Exited, this, &TFormEdit::EditStopExit);
    connect(SpeedButtonStart, &QToolButton::clicked, this, &TFormEdit::SpeedButtonStartClick);
    connect(SpeedButtonStop, &QToolButton::clicked, this, &TFormEdit::SpeedButtonStopClick);
    connect(ButtonOK, &QPushButton::clicked, this, &TFormEdit::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormEdit::FormCreate() {
    try {
        StringContainer().LocalizeForm(this);
    } catch (...) {
        // The dialog keeps its built-in texts.
    }
}

int TFormEdit::SelectedIndex() const {
    return FEditor.ListBoxMovies->currentRow();
}

void TFormEdit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    CentreOnScreen(*this);
    FormShow();
}

void TFormEdit::FormShow() {
    const HourglassCursor hourglass;
    const int index = SelectedIndex();
    MovieList& list = FPlayer.List();
    const bool current = index >= 0 && index == list.Current();
    if (current) {
        FPlayer.BitBtnPauseClick();
    }
    EditFileName->setText(QString::fromLocal8Bit(list.GetMovieField(index, MovieList::kFileName)));
    EditTitle->setText(QString::fromLocal8Bit(list.GetMovieField(index, MovieList::kTitle)));
    LoadPicture(list, index);
    const bool open = FPlayer.State() == PlayState::Paused || FPlayer.State() == PlayState::Playing;
    SpeedButtonStart->setEnabled(current && open);
    SpeedButtonStop->setEnabled(SpeedButtonStart->isEnabled());
    const TimeLocale locale = EditTimeLocale();
    ShowTime(EditStart,
             TextToTime(QString::fromLocal8Bit(list.GetMovieField(index, MovieList::kStart)), 0,
                        locale));
    ShowTime(
        EditStop,
        TextToTime(QString::fromLocal8Bit(list.GetMovieField(index, MovieList::kStop)), 0, locale));
    CheckBoxSelection->setChecked(TimeOf(EditStart) > 0 || TimeOf(EditStop) > 0);
    CheckBoxSelectionClick();
    EditTitle->setFocus();
}

void TFormEdit::LoadPicture(MovieList& list, int index) {
    const QString cover = QString::fromLocal8Bit(list.GetMovieField(index, MovieList::kCover));
    FCoverFileName = cover;
    ImageLink->picture()->clear();
    try {
        // A cover on a share that stopped answering is passed over after a moment's wait.
        if (IsLoadableFile(cover)) {
            ImageLink->picture()->loadFromFile(cover);
        }
    } catch (const std::exception&) {
        ImageLink->picture()->clear();
    }
}

void TFormEdit::CheckBoxSelectionClick() {
    GroupBoxSelection->setVisible(CheckBoxSelection->isChecked());
}

void TFormEdit::ButtonClearClick() {
    FCoverFileName.clear();
    ImageLink->picture()->clear();
}

void TFormEdit::ButtonImageClick() {
    TOpenPictureDialog& dialog = PictureDialog();
    dialog.SetFileName(FCoverFileName);
    const bool chosen = dialog.Execute();
    ReturnActivation(*this);
    if (!chosen) {
        return;
    }
    FCoverFileName = dialog.FileName();
    ImageLink->picture()->clear();
    RunGuarded(this, [this] { ImageLink->picture()->loadFromFile(FCoverFileName); });
}

void TFormEdit::ShowTime(TMaskEdit* edit, double value) const {
    edit->SetMaskedText(FormatLongTime(value, EditTimeLocale()));
}

double TFormEdit::TimeOf(const TMaskEdit* edit) const {
    return TextToTime(edit->MaskedText(), 0, EditTimeLocale());
}

void TFormEdit::EditStartExit() {
    const double start = TimeOf(EditStart);
    const double stop = TimeOf(EditStop);
    if (stop > 0 && stop < start) {
        ShowTime(EditStop, start);
    }
}

void TFormEdit::EditStopExit() {
    const double start = TimeOf(EditStart);
    const double stop = TimeOf(EditStop);
    if (stop > 0 && stop < start) {
        ShowTime(EditStart, stop);
    }
}

void TFormEdit::SpeedButtonStartClick() {
    ShowTime(EditStart, SecondsToTime(FPlayer.PositionSec()));
    EditStart->setFocus(Qt::OtherFocusReason);
}

void TFormEdit::SpeedButtonStopClick() {
    ShowTime(EditStop, SecondsToTime(FPlayer.PositionSec()));
    EditStop->setFocus(Qt::OtherFocusReason);
}

bool TFormEdit::IsAltEnter(const QKeyEvent& event) {
    const Qt::KeyboardModifiers held =
        event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
           held == Qt::AltModifier;
}

bool TFormEdit::EditStartKeyDown(const QKeyEvent& event) {
    if (!IsAltEnter(event)) {
        return false;
    }
    if (SpeedButtonStart->isEnabled()) {
        SpeedButtonStart->click();
    }
    return true;
}

bool TFormEdit::EditStopKeyDown(const QKeyEvent& event) {
    if (!IsAltEnter(event)) {
        return false;
    }
    if (SpeedButtonStop->isEnabled()) {
        SpeedButtonStop->click();
    }
    return true;
}

bool TFormEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (watched == EditStart) {
            return EditStartKeyDown(key);
        }
        if (watched == EditStop) {
            return EditStopKeyDown(key);
        }
    }
    return QDialog::eventFilter(watched, event);
}

QByteArray TFormEdit::StoredTime(const TMaskEdit* edit) const {
    return TimeOf(edit) != 0 ? edit->MaskedText().toLocal8Bit() : QByteArray();
}

void TFormEdit::ButtonOKClick() {
    // A box left incomplete by Enter is refused here as it is when the focus leaves it.
    if (CheckBoxSelection->isChecked() &&
        (!EditStart->ValidateEdit() || !EditStop->ValidateEdit())) {
        return;
    }
    const int index = SelectedIndex();
    if (index >= 0) {
        RunGuarded(this, [this, index] {
            MovieList& list = FPlayer.List();
            const bool selection = CheckBoxSelection->isChecked();
            list.SetMovieField(index, MovieList::kTitle, EditTitle->text().toLocal8Bit());
            list.SetMovieField(index, MovieList::kCover, FCoverFileName.toLocal8Bit());
            list.SetMovieField(index, MovieList::kStart,
                               selection ? StoredTime(EditStart) : QByteArray());
            list.SetMovieField(index, MovieList::kStop,
                               selection ? StoredTime(EditStop) : QByteArray());
            if (index == list.Current()) {
                FCoverPreview.setPicture(ImageLink->picture());
            }
        });
    }
    accept();
}

}  // namespace cinevan
