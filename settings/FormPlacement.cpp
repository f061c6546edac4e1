#include "settings/FormPlacement.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "settings/PlacementText.h"
#include "settings/SettingsKey.h"

namespace cinevan {

namespace {

// How often a pending frame rectangle is tried again (50 ms apart) before it is given up.
constexpr int kFrameTries = 40;

QPointer<QWidget>& MainWindow() {
    static QPointer<QWidget> window;
    return window;
}

void ShowMessageBox(QWidget* window, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, window);
    box.exec();
}

TFormPlacement::ErrorDisplay& CurrentErrorDisplay() {
    static TFormPlacement::ErrorDisplay display = ShowMessageBox;
    return display;
}

QScreen* PrimaryScreen() {
    return QGuiApplication::primaryScreen();
}

int CurrentPixelsPerInch() {
    const QScreen* screen = PrimaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

QString CurrentSuffix() {
    const QScreen* screen = PrimaryScreen();
    return placement::ResolutionSuffix(screen ? screen->size() : QSize());
}

// A frame that does not enclose the client area is one the window manager has not told yet.
QMargins KnownOrNone(const QMargins& margins) {
    const bool known =
        margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 && margins.bottom() >= 0;
    return known ? margins : QMargins();
}

// Frame thickness around the client area: left, top, right, bottom; none while unknown.
QMargins FrameMargins(const QWidget& window) {
    if (const QWindow* handle = window.windowHandle(); handle && window.isVisible()) {
        // The platform asks the window manager; the widget's copy may be out of date.
        return KnownOrNone(handle->frameMargins());
    }
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return KnownOrNone(QMargins(client.left() - frame.left(), client.top() - frame.top(),
                                frame.right() - client.right(), frame.bottom() - client.bottom()));
}

// The window's rectangle in its normal (neither minimised nor maximised) state, frame
// included.
QRect NormalFrameRect(const QWidget& window) {
    QRect normal = window.geometry();
    if (window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
        const QRect stored = window.normalGeometry();
        if (stored.isValid()) {
            normal = stored;
        }
    }
    return normal.marginsAdded(FrameMargins(window));
}

// Like the platform's own placement, a rectangle that no screen shows is moved onto the primary
// screen, so that a placement taken with another screen layout never hides the window.
QRect OnSomeScreen(const QRect& frame) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().intersects(frame)) {
            return frame;
        }
    }
    const QScreen* primary = PrimaryScreen();
    if (!primary) {
        return frame;
    }
    const QRect area = primary->availableGeometry();
    QRect moved = frame;
    moved.moveTopLeft(QPoint(qBound(area.left(), frame.left(), area.right() - frame.width() + 1),
                             qBound(area.top(), frame.top(), area.bottom() - frame.height() + 1)));
    return moved.intersects(area) ? moved : QRect(area.topLeft(), frame.size());
}

bool IsSizeable(const QWidget& window) {
    return window.minimumSize() != window.maximumSize() &&
           !window.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint);
}

}  // namespace

// Keeps the settings key open for one save or restore, or for one value outside them. A
// batched scope that opened the key stores all values written inside it with Commit().
class TFormPlacement::KeyScope {
public:
    enum class Writes { AtOnce, Batched };

    explicit KeyScope(TFormPlacement& placement, Writes writes = Writes::AtOnce)
        : FPlacement(placement) {
        if (!placement.FKey) {
            FOwned = std::make_unique<SettingsKey>(placement.FIniFileName, placement.FUseRegistry);
            placement.FKey = FOwned.get();
            if (writes == Writes::Batched) {
                FOwned->DeferWrites();
            }
        }
    }
    ~KeyScope() {
        if (FOwned) {
            FPlacement.FKey = nullptr;
        }
    }
    KeyScope(const KeyScope&) = delete;
    KeyScope& operator=(const KeyScope&) = delete;

    SettingsKey& Key() const { return *FPlacement.FKey; }
    // An enclosing scope that opened the key commits its values itself.
    void Commit() const {
        if (FOwned) {
            FOwned->Commit();
        }
    }

private:
    TFormPlacement& FPlacement;
    std::unique_ptr<SettingsKey> FOwned;
};

TFormPlacement::TFormPlacement(QWidget* owner) : QObject(owner), FOwner(owner) {
    setObjectName(QStringLiteral("FormStorage"));
    FFrameTimer.setInterval(50);
    connect(&FFrameTimer, &QTimer::timeout, this, [this] {
        // Window managers frame a new window shortly after it is mapped; one without frames
        // never does.
        if (++FFrameTries > kFrameTries) {
            FPendingFrame = QRect();
            FFrameTimer.stop();
        } else {
            CorrectFrame();
        }
    });
    if (FOwner) {
        FOwner->installEventFilter(this);
    }
}

TFormPlacement::~TFormPlacement() {
    OwnerDestroy();
}

void TFormPlacement::SetApplicationMainWindow(QWidget* window) {
    MainWindow() = window;
}

void TFormPlacement::SetErrorDisplay(ErrorDisplay display) {
    CurrentErrorDisplay() = display ? std::move(display) : ErrorDisplay(ShowMessageBox);
}

bool TFormPlacement::IsMainWindow() const {
    return FOwner && MainWindow() == FOwner;
}

void TFormPlacement::Guarded(const std::function<void()>& step) const {
    try {
        step();
    } catch (const std::exception& error) {
        CurrentErrorDisplay()(FOwner, QString::fromUtf8(error.what()));
    }
}

// ---------------------------------------------------------------------------------------------
// Window hooks

bool TFormPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FOwner || FDestroyDone) {
        return false;
    }
    switch (event->type()) {
        case QEvent::Show:
            // A window coming back from the task bar is not being shown by the program.
            if (FActive && !event->spontaneous()) {
                Guarded([this] { RestoreWindowState(); });
            }
            return false;
        case QEvent::Close: {
            if (FDispatchingClose) {
                return false;
            }
            // The window's own close handling decides first; the placement is saved after it.
            FDispatchingClose = true;
            QCoreApplication::sendEvent(FOwner, event);
            FDispatchingClose = false;
            if (event->isAccepted() && !FWasSaved) {
                SaveOnClose();
            }
            return true;
        }
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
        case QEvent::WindowActivate:
            CorrectFrame();
            if (!FPreventResize && !FMinMaxInfo.IsDefault() && event->type() != QEvent::Paint) {
                ApplyMinMaxInfo();
            }
            return false;
        case QEvent::Hide:
            FPendingFrame = QRect();
            FFrameTimer.stop();
            return false;
        default:
            return false;
    }
}

void TFormPlacement::SaveOnClose() {
    if (FActive && FOwner && FOwner->testAttribute(Qt::WA_WState_Created)) {
        Guarded([this] { SaveWindowState(); });
    }
}

void TFormPlacement::OwnerDestroy() {
    if (FDestroyDone) {
        return;
    }
    FDestroyDone = true;
    if (FOwner) {
        FOwner->removeEventFilter(this);
    }
    if (FActive && !FWasSaved) {
        FInDestroy = true;
        Guarded([this] { SaveWindowState(); });
        FInDestroy = false;
    }
}

// ---------------------------------------------------------------------------------------------
// Saving

void TFormPlacement::SaveWindowState() {
    if (!FOwner || (FActive && !FWasRestored)) {
        return;
    }
    // One rewrite of the settings file for the whole placement.
    const KeyScope scope(*this, KeyScope::Writes::Batched);
    WritePlacement();
    WriteValue(QStringLiteral("Visible"), FInDestroy ? QStringLiteral("1") : QStringLiteral("0"));
    WriteStoredProps();
    emit OnSavePlacement();
    scope.Commit();
    FWasSaved = true;
}

void TFormPlacement::WritePlacement() {
    const QWidget& window = *FOwner;
    const Qt::WindowStates state = window.windowState();
    int showCmd = placement::kShowNormal;
    if (state & Qt::WindowMinimized) {
        showCmd = placement::kShowMinimized;
    } else if (state & Qt::WindowMaximized) {
        showCmd = placement::kShowMaximized;
    }
    const bool restoreToMaximized = (state & Qt::WindowMinimized) && (state & Qt::WindowMaximized);
    WriteValue(QStringLiteral("Flags"),
               QString::number(restoreToMaximized ? placement::kRestoreToMaximized : 0));
    WriteValue(QStringLiteral("ShowCmd"), QString::number(showCmd));
    WriteValue(QStringLiteral("PixelsPerInch"), QString::number(CurrentPixelsPerInch()));
    WriteTwice(QStringLiteral("MinMaxPos"),
               placement::FourNumbers(FMinPosition.x(), FMinPosition.y(), FMaxPosition.x(),
                                      FMaxPosition.y()));
    const QRect normal = NormalFrameRect(window);
    WriteTwice(QStringLiteral("NormPos"),
               placement::FourNumbers(normal.left(), normal.top(), normal.left() + normal.width(),
                                      normal.top() + normal.height()));
}

void TFormPlacement::WriteTwice(const QString& name, const QString& value) {
    WriteValue(name + CurrentSuffix(), value);
    WriteValue(name, value);
}

// ---------------------------------------------------------------------------------------------
// Restoring

void TFormPlacement::RestoreWindowState() {
    if (!FOwner) {
        return;
    }
    FWasSaved = false;
    {
        const KeyScope scope(*this);
        ReadPlacement();
        FWasRestored = true;
        ReadStoredProps();
        emit OnRestorePlacement();
    }
    AdjustMaximizedPosition();
    ApplyMinMaxInfo();
}

void TFormPlacement::ReadPlacement() {
    if (FOptions & fpPosition) {
        ReadPosition();
    }
    if (FOptions & fpState) {
        ReadState();
    }
    FOwner->update();
}

QString TFormPlacement::ReadPositionText(const QString& name) {
    const QString perScreen = ReadValue(name + CurrentSuffix(), QString());
    return perScreen.isEmpty() ? ReadValue(name, QString()) : perScreen;
}

void TFormPlacement::ReadPosition() {
    using placement::WordAsInt;
    FFlags = placement::ToInt(ReadValue(QStringLiteral("Flags"), QString::number(FFlags)), FFlags);
    const QString minMax = ReadPositionText(QStringLiteral("MinMaxPos"));
    if (!minMax.isEmpty()) {
        const QStringList words = placement::Words(minMax);
        FMinPosition = QPoint(WordAsInt(words, 0, 0), WordAsInt(words, 1, 0));
        FMaxPosition = QPoint(WordAsInt(words, 2, 0), WordAsInt(words, 3, 0));
    }
    const QRect current = NormalFrameRect(*FOwner);
    int left = current.left();
    int top = current.top();
    int right = left + current.width();
    int bottom = top + current.height();
    const QString norm = ReadPositionText(QStringLiteral("NormPos"));
    if (!norm.isEmpty()) {
        const QStringList words = placement::Words(norm);
        left = WordAsInt(words, 0, left);
        top = WordAsInt(words, 1, top);
        right = WordAsInt(words, 2, right);
        bottom = WordAsInt(words, 3, bottom);
    }
    const int pixelsPerInch = CurrentPixelsPerInch();
    const int storedPixelsPerInch = placement::ToInt(
        ReadValue(QStringLiteral("PixelsPerInch"), QString::number(pixelsPerInch)), pixelsPerInch);
    if ((minMax.isEmpty() && norm.isEmpty()) || storedPixelsPerInch != pixelsPerInch) {
        return;
    }
    if (!IsSizeable(*FOwner)) {
        right = left + current.width();
        bottom = top + current.height();
    }
    if (left < right) {
        ApplyNormalRect(left, top, right, bottom);
    }
}

void TFormPlacement::ApplyNormalRect(int left, int top, int right, int bottom) {
    QWidget& window = *FOwner;
    const Qt::WindowStates sized = Qt::WindowMinimized | Qt::WindowMaximized;
    if (window.windowState() & sized) {
        window.setWindowState(window.windowState() & ~sized);
    }
    const QRect frame = OnSomeScreen(QRect(QPoint(left, top), QSize(right - left, bottom - top)));
    const QMargins margins = FrameMargins(window);
    window.move(frame.topLeft());
    window.resize(frame.size().shrunkBy(margins).expandedTo(QSize(1, 1)));
    // Before the window manager has framed the window its frame is unknown: the rectangle
    // is applied again once it is.
    const bool frameUnknown = margins.isNull() && window.isWindow() &&
                              !window.windowFlags().testFlag(Qt::FramelessWindowHint);
    FPendingFrame = frameUnknown ? frame : QRect();
    if (frameUnknown) {
        FFrameTries = 0;
        FFrameTimer.start();
    }
}

void TFormPlacement::CorrectFrame() {
    const Qt::WindowStates sized = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    if (!FPendingFrame.isValid() || (FOwner->windowState() & sized)) {
        return;
    }
    const QMargins margins = FrameMargins(*FOwner);
    if (margins.isNull()) {
        return;
    }
    const QRect client = FPendingFrame.marginsRemoved(margins);
    FPendingFrame = QRect();
    FFrameTimer.stop();
    if (client.isValid() && client != FOwner->geometry()) {
        FOwner->setGeometry(client);
    }
}

void TFormPlacement::ReadState() {
    const int showCmd =
        placement::ToInt(ReadValue(QStringLiteral("ShowCmd"), QStringLiteral("0")), 0);
    QWidget& window = *FOwner;
    const Qt::WindowStates normal =
        window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    switch (placement::StateOfShowCmd(showCmd)) {
        case placement::ShowState::Normal:
            window.setWindowState(normal);
            break;
        case placement::ShowState::Maximized:
            window.setWindowState(normal | Qt::WindowMaximized);
            break;
        case placement::ShowState::Minimized:
            if (IsMainWindow()) {
                // The window appears normal and the application is minimised once it is up.
                window.setWindowState(normal);
                QTimer::singleShot(0, &window, [&window] { window.showMinimized(); });
            } else {
                const bool toMaximized = FFlags & placement::kRestoreToMaximized;
                window.setWindowState(normal | Qt::WindowMinimized |
                                      (toMaximized ? Qt::WindowMaximized : Qt::WindowNoState));
            }
            break;
    }
}

// A maximised window's frame lies just outside the screen: its maximised position is minus the
// frame thickness. Qt places maximised windows itself; the position is kept for the record.
void TFormPlacement::AdjustMaximizedPosition() {
    if (!FOwner->testAttribute(Qt::WA_WState_Created) || FPreventResize ||
        !FMinMaxInfo.IsDefault()) {
        return;
    }
    const QMargins frame = FrameMargins(*FOwner);
    FMaxPosition = QPoint(-frame.left(), -frame.bottom());
}

// ---------------------------------------------------------------------------------------------
// Size limits

void TFormPlacement::SetMinMaxInfo(const TWinMinMaxInfo& info) {
    FMinMaxInfo = info;
    ApplyMinMaxInfo();
}

void TFormPlacement::SetPreventResize(bool prevent) {
    FPreventResize = prevent;
    ApplyMinMaxInfo();
}

// Qt has no maximised size or position of its own; the tracking sizes become the window's
// minimum and maximum size. Tracking sizes count the frame, Qt's sizes do not: the frame is
// taken off once the window manager has told it, and again whenever it may have changed.
void TFormPlacement::ApplyMinMaxInfo() {
    if (!FOwner) {
        return;
    }
    if (FPreventResize) {
        FOwner->setFixedSize(FOwner->size());
        return;
    }
    const TWinMinMaxInfo& info = FMinMaxInfo;
    const QMargins frame = FrameMargins(*FOwner);
    const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    if (info.MinTrackWidth || info.MinTrackHeight) {
        const QSize minimum = FOwner->minimumSize();
        const QSize wanted(
            info.MinTrackWidth ? info.MinTrackWidth - frameSize.width() : minimum.width(),
            info.MinTrackHeight ? info.MinTrackHeight - frameSize.height() : minimum.height());
        if (wanted != minimum) {
            FOwner->setMinimumSize(wanted);
        }
    }
    if (info.MaxTrackWidth || info.MaxTrackHeight) {
        const QSize maximum = FOwner->maximumSize();
        const QSize wanted(
            info.MaxTrackWidth ? info.MaxTrackWidth - frameSize.width() : maximum.width(),
            info.MaxTrackHeight ? info.MaxTrackHeight - frameSize.height() : maximum.height());
        if (wanted != maximum) {
            FOwner->setMaximumSize(wanted);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Single values

QString TFormPlacement::ReadValue(const QString& name, const QString& fallback) {
    const KeyScope scope(*this);
    return scope.Key().Read(FIniSection, name, fallback);
}

void TFormPlacement::WriteValue(const QString& name, const QString& value) {
    const KeyScope scope(*this);
    scope.Key().Write(FIniSection, name, value);
}

}  // namespace cinevan
