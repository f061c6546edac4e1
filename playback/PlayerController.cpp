#include "playback/PlayerController.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

#include "platform/BackgroundCall.h"
#include "playback/Selection.h"
#include "playback/TimeValues.h"

namespace cinevan {

namespace {

constexpr char kActiveMovie[] = "ActiveMovie";
constexpr char kMpegVideo[] = "MPEGVideo";

// How long the play action waits for the look for the movie's file before it lets the event
// loop run: a local file answers well within it, so its open goes on at once.
constexpr std::chrono::milliseconds kQuickAnswer(250);

bool IsMovieFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

// Sets a flag for the life of the scope and restores it afterwards, also when an exception
// passes.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = saved_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    const bool saved_;
};

QByteArrayList NonEmpty(const QByteArrayList& names) {
    QByteArrayList kept;
    for (const QByteArray& name : names) {
        if (!name.isEmpty()) {
            kept.append(name);
        }
    }
    return kept;
}

// Device type names compare without regard to case.
int IndexOfName(const QStringList& names, const QString& name) {
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

}  // namespace

PlayerController::PlayerController(PlayerView& view, mci::DeviceLayer& devices)
    : FView(view),
      FDeviceLayer(devices),
      FMovies(this),
      FRandom(static_cast<std::mt19937::result_type>(
          std::chrono::system_clock::now().time_since_epoch().count())) {}

PlayerController::~PlayerController() {
    AbandonOpening();
    if (FDeviceId != 0) {
        FDeviceLayer.close(FDeviceId);
    }
}

// ---------------------------------------------------------------------------------------------
// Start-up

void PlayerController::ProcessCommandLine(const QStringList& arguments) {
    QByteArrayList names;
    for (const QString& argument : arguments) {
        names.append(QFile::encodeName(argument));
    }
    ProcessArguments(names);
}

void PlayerController::ProcessArguments(QByteArrayList names, std::function<void()> then) {
    const auto isPlaySwitch = [](const QByteArray& name) {
        return name.compare("/play", Qt::CaseInsensitive) == 0;
    };
    const auto playSwitch = std::find_if(names.begin(), names.end(), isPlaySwitch);
    SetCloseAtEnd(playSwitch != names.end());
    if (FCloseAtEnd) {
        names.erase(playSwitch);
    }
    AddNames(names, true, true, [this, then = std::move(then)](bool late) {
        if (!late || !MovieOpen()) {
            {
                FlagScope noCover(FNoCoverLoad);
                if (FView.ShuffleChecked()) {
                    const int i = RandomMovie();
                    if (i >= 0) {
                        GoToMovie(i);
                    }
                }
            }
            BitBtnPlayClick();
        }
        if (then) {
            then();
        }
    });
}

// ---------------------------------------------------------------------------------------------
// Playback engine

void PlayerController::SetPlayState(PlayState state) {
    if (state != FPlayState) {
        switch (state) {
            case PlayState::Closed:
                if (FDeviceId != 0) {
                    FMciError = FDeviceLayer.close(FDeviceId);
                    FDeviceId = 0;
                    FView.SetTrackBarMaximum(0);
                    FView.SetTrackBarPosition(0);
                    FVideoWidth = 0;
                    FVideoHeight = 0;
                    // A thumb still held refers to the movie just closed: its release must
                    // neither seek nor play a device that is gone.
                    FSeekState = PlayState::Closed;
                }
                break;
            case PlayState::Paused:
                if (FDeviceId != 0) {
                    FMciError = FDeviceLayer.pause(FDeviceId);
                }
                break;
            case PlayState::Playing:
                if (FPlayState == PlayState::Paused) {
                    FMciError = FDeviceLayer.resume(FDeviceId);
                } else if (FPlayState == PlayState::Stopped) {
                    FPlayParms.from =
                        static_cast<quint32>(FView.TrackBarPosition() + FStartSec) * 1000;
                    FPlayParms.to = static_cast<quint32>(FStopMs);
                    ResetEndDetection();
                    FMciError = FDeviceLayer.play(FDeviceId, FPlayParms.from, FPlayParms.to);
                }
                break;
            case PlayState::Stopped:
                break;
        }
    }
    FPlayState = state;
    RefreshDisplay();
}

void PlayerController::BitBtnPlayClick() {
    if (FView.PlayButtonHasFocus()) {
        FFocus = TransportFocus::PauseButton;
    }
    if (FPlayState == PlayState::Paused || FPlayState == PlayState::Stopped) {
        SetPlayState(PlayState::Playing);
        FView.CheckBoxFullScreenClick();
    } else if (FMovies.Current() >= 0 && !Opening()) {
        try {
            StartOpening(FMovies.GetMovieField(FMovies.Current(), MovieList::kFileName));
        } catch (const std::exception&) {
            // A failing list operation while opening leaves the entry unplayed.
        }
    }
    if (!FView.FullScreenVisible()) {
        FView.FocusTrackBar();
    }
}

// Looks for the file in the background: a file on a share whose server stopped answering
// counts as missing once the open's time limit has passed, and the list goes on.
void PlayerController::StartOpening(const QByteArray& name) {
    if (name.isEmpty()) {
        SkipMissingFile(name);
        return;
    }
    const quint64 step = ++FOpenSteps;
    FOpening.emplace();
    FOpening->step = step;
    FOpening->name = name;
    FOpening->fileName = QFile::decodeName(name);
    const QString path = FOpening->fileName;
    callInBackground(
        FAnswers.get(), QDeadlineTimer(mci::kOpenTimeLimitMs), [path] { return IsMovieFile(path); },
        [this, step](std::optional<bool> exists) { FileChecked(step, exists.value_or(false)); },
        kQuickAnswer);
    ShowOpening(step);
}

// An open whose answer did not come at once shows in the windows (Stop is enabled) until it
// ends.
void PlayerController::ShowOpening(quint64 step) {
    if (FOpening && FOpening->step == step && !FOpening->shown) {
        FOpening->shown = true;
        FView.RefreshDisplay();
    }
}

void PlayerController::FileChecked(quint64 step, bool exists) {
    if (!FOpening || FOpening->step != step) {
        return;
    }
    if (OpeningOutdated()) {
        ReopenCurrent();
        return;
    }
    if (!exists) {
        const QByteArray name = FOpening->name;
        const bool shown = FOpening->shown;
        FOpening.reset();
        if (shown) {
            FView.RefreshDisplay();
        }
        SkipMissingFile(name);
        return;
    }
    if (FDeviceId != 0) {
        StopMovie();
    }
    // One time limit for the whole fallback: a stalled source must not hold the open up once
    // per device type.
    FOpening->deadline = QDeadlineTimer(mci::kOpenTimeLimitMs);
    FOpening->types = QStringList{FDeviceName, QString::fromLatin1(kActiveMovie),
                                  QString::fromLatin1(kMpegVideo)};
    TryNextType();
}

// Opens the file on the next device type to try: the chosen one, "ActiveMovie", "MPEGVideo",
// then every installed type.
void PlayerController::TryNextType() {
    if (FOpening->types.isEmpty() && !FOpening->installedListed) {
        FOpening->installedListed = true;
        if (!FDevicesUpdated) {
            MenuItemUpdateDeviceClick();
        }
        FOpening->types = FDevices;
    }
    if (FOpening->types.isEmpty()) {
        OpenFailed();
        return;
    }
    FDeviceName = FOpening->types.takeFirst();
    if (FOpening->deadline.hasExpired()) {
        // The source kept an earlier attempt waiting for all the time there is.
        FMciError = mci::Error::DeviceNotReady;
        TryNextType();
        return;
    }
    const quint64 step = ++FOpenSteps;
    FOpening->step = step;
    FOpening->ticket = 0;
    const auto ticket = FDeviceLayer.beginOpen(
        FDeviceName, FOpening->fileName, FOpening->deadline,
        [this, step](mci::MciError error, mci::DeviceId id) { DeviceOpened(step, error, id); });
    if (FOpening && FOpening->step == step) {
        FOpening->ticket = ticket;
    }
    ShowOpening(step);
}

void PlayerController::DeviceOpened(quint64 step, mci::MciError error, mci::DeviceId id) {
    const bool awaited = FOpening && FOpening->step == step;
    if (!awaited || OpeningOutdated()) {
        if (id != 0) {
            FDeviceLayer.close(id);  // an answer nobody waits for any more
        }
        if (awaited) {
            ReopenCurrent();
        }
        return;
    }
    FMciError = error;
    if (error != mci::Error::None) {
        TryNextType();
        return;
    }
    FOpening.reset();
    FDeviceId = id;
    MovieOpened();
}

void PlayerController::OpenFailed() {
    if (std::exchange(FOpening, std::nullopt)->shown) {
        FView.RefreshDisplay();
    }
    if (!FDevices.contains(kActiveMovie, Qt::CaseInsensitive) &&
        !FDevices.contains(kMpegVideo, Qt::CaseInsensitive)) {
        ReportMissingDriver();
    }
}

// The entry being opened got another file name meanwhile (the list was edited): what opens
// must be the file the list now names.
bool PlayerController::OpeningOutdated() const {
    return FOpening &&
           FMovies.GetMovieField(FMovies.Current(), MovieList::kFileName) != FOpening->name;
}

void PlayerController::ReopenCurrent() {
    const bool shown = FOpening->shown;
    FOpening.reset();
    StartOpening(FMovies.GetMovieField(FMovies.Current(), MovieList::kFileName));
    if (shown && !FOpening) {
        FView.RefreshDisplay();
    }
}

void PlayerController::AbandonOpening() {
    if (!FOpening) {
        return;
    }
    const auto ticket = FOpening->ticket;
    FOpening.reset();
    if (ticket != 0) {
        FDeviceLayer.cancelOpen(ticket);
    }
}

void PlayerController::MovieOpened() {
    SetPlayState(PlayState::Playing);
    ActiveMovieOpenComplete();
    RefreshDisplay();
    FMissingCount = 0;
    const int item = IndexOfName(FDevices, FDeviceName);
    if (item >= 0) {
        FView.CheckDeviceItem(item);
    }
}

void PlayerController::ReportMissingDriver() {
    if (FView.AskConfirmation(FView.CatalogText(catalogtext::kAskInstallDriver))) {
        const bool started = FRunSetup && FRunSetup();
        if (!started) {
            FView.ShowError(FView.CatalogText(catalogtext::kCannotRunInstaller));
        }
    }
    FView.EndProcessNow();
}

void PlayerController::SkipMissingFile(const QByteArray& fileName) {
    ++FMissingCount;
    FView.ShowPage(MoviePage::Preview);
    FView.LoadCoverPreview();
    if (FBreakOnError) {
        FView.ShowError(
            FView.MissingFileFormat().replace(QStringLiteral("%s"), QFile::decodeName(fileName)));
    } else if (NextEnabled()) {
        if (FMovies.MovieCount() > FMissingCount) {
            BitBtnSkipClick(+1);
            if (PlayEnabled()) {
                BitBtnPlayClick();
            }
        } else {
            FMissingCount = 0;
        }
    }
}

void PlayerController::ActiveMovieOpenComplete() {
    FView.ShowPage(MoviePage::Movie);
    QSize source;
    const mci::MciError where = FDeviceLayer.whereSource(FDeviceId, source);
    if ((where & 0xFF) != 0) {
        SetPlayState(PlayState::Closed);
        FMciError = where;
        RefreshDisplay();
        return;
    }
    FMciError = where;
    FVideoWidth = source.width();
    FVideoHeight = source.height();
    FView.FormResize();

    const int current = FMovies.Current();
    const QString startText =
        QString::fromLocal8Bit(FMovies.GetMovieField(current, MovieList::kStart));
    const QString stopText =
        QString::fromLocal8Bit(FMovies.GetMovieField(current, MovieList::kStop));
    FMciError = FDeviceLayer.setTimeFormatMilliseconds(FDeviceId);
    quint32 lengthMs = 0;
    FMciError = FDeviceLayer.statusLength(FDeviceId, lengthMs);
    const Selection selection = Selection::FromEntry(startText, stopText, lengthMs);
    FStartSec = selection.startSec;
    FStopMs = selection.stopMs;
    // A stop beyond the movie is kept for the play range and the track bar, but the device
    // rests at the movie's end and would never reach it.
    FEndMs = lengthMs > 0 ? static_cast<qint32>(std::min<qint64>(FStopMs, lengthMs)) : FStopMs;
    FStopSec = selection.stopSec;

    FView.CheckBoxFullScreenClick();
    ResetEndDetection();
    FPlayParms.from = static_cast<quint32>(selection.startMs);
    FPlayParms.to = static_cast<quint32>(FStopMs);
    FMciError = FDeviceLayer.play(FDeviceId, FPlayParms.from, FPlayParms.to);
    FPlayState = PlayState::Playing;
    const int maximum = selection.TrackBarMaximum();
    FView.SetTrackBarMaximum(maximum);
    FView.SetTrackBarPageSize(Selection::PageSizeFor(maximum));
    RefreshDisplay();
    FView.RefreshList(false);
}

void PlayerController::BitBtnPauseClick() {
    SetCloseAtEnd(false);
    if (FPlayState == PlayState::Playing) {
        if (FView.PauseButtonHasFocus()) {
            FFocus = TransportFocus::PlayButton;
        }
        SetPlayState(PlayState::Paused);
    }
}

void PlayerController::BitBtnStopClick() {
    AbandonOpening();
    StopMovie();
}

void PlayerController::StopMovie() {
    SetCloseAtEnd(false);
    SetPlayState(PlayState::Closed);
    FView.ShowPage(MoviePage::Preview);
    FView.LoadCoverPreview();
}

void PlayerController::ItemButtonsClick(int tag) {
    switch (tag) {
        case 1:
            if (PlayEnabled()) {
                BitBtnPlayClick();
            } else if (PauseEnabled()) {
                BitBtnPauseClick();
            }
            break;
        case 2:
            if (StopEnabled()) {
                BitBtnStopClick();
            }
            break;
        case 3:
            if (PriorEnabled()) {
                BitBtnSkipClick(-1);
            }
            break;
        case 4:
            if (NextEnabled()) {
                BitBtnSkipClick(+1);
            }
            break;
        default:
            break;
    }
}

void PlayerController::RefreshDisplay() {
    UpdateTimeLabels();
    FView.RefreshDisplay();
    HandFocusOn();
}

// A click on Play or Pause swaps the two buttons; the focus follows to the one now shown,
// once, and only when that one can be used.
void PlayerController::HandFocusOn() {
    const TransportFocus focus = std::exchange(FFocus, TransportFocus::None);
    if ((focus == TransportFocus::PauseButton && PauseEnabled()) ||
        (focus == TransportFocus::PlayButton && PlayEnabled())) {
        FView.FocusTransportButton(focus);
    }
}

void PlayerController::PlaceVideo(QWidget* host, const QRect& rect) {
    if (FDeviceId == 0) {
        return;
    }
    const PlayState state = FPlayState;
    if (state == PlayState::Playing) {
        SetPlayState(PlayState::Paused);
    }
    FDeviceLayer.window(FDeviceId, host);
    FDeviceLayer.putDestination(FDeviceId, rect);
    SetPlayState(state);
}

void PlayerController::FitVideo(const QRect& rect) {
    if (FDeviceId != 0) {
        FDeviceLayer.putDestination(FDeviceId, rect);
    }
}

std::optional<quint32> PlayerController::MovieLengthMs() const {
    quint32 length = 0;
    if (FDeviceId == 0 || FDeviceLayer.statusLength(FDeviceId, length) != mci::Error::None) {
        return std::nullopt;
    }
    return length;
}

std::optional<quint32> PlayerController::MoviePositionMs() const {
    quint32 position = 0;
    if (FDeviceId == 0 || FDeviceLayer.statusPosition(FDeviceId, position) != mci::Error::None) {
        return std::nullopt;
    }
    return position;
}

bool PlayerController::StopEnabled() const {
    return HasMovies() &&
           (FPlayState == PlayState::Playing || FPlayState == PlayState::Paused || Opening());
}

bool PlayerController::PriorEnabled() const {
    return HasMovies() && (FMovies.Current() > 0 || FView.LoopChecked());
}

bool PlayerController::NextEnabled() const {
    return HasMovies() && (FMovies.Current() < FMovies.MovieCount() - 1 || FView.LoopChecked());
}

// ---------------------------------------------------------------------------------------------
// Position tracking and seeking

void PlayerController::UpdateTimeLabels() {
    if (FPlayState == PlayState::Closed) {
        FView.SetTimeLabels(QString(), QString());
        return;
    }
    FView.SetTimeLabels(TimeToText(SecondsToTime(FStopSec - FStartSec)),
                        TimeToText(SecondsToTime(FView.TrackBarPosition())));
}

void PlayerController::ActiveMovieTimer() {
    if (FPlayState != PlayState::Playing) {
        return;
    }
    quint32 pos = 0;
    FMciError = FDeviceLayer.statusPosition(FDeviceId, pos);
    if (FMciError != mci::Error::None) {
        // No position this tick: neither the thumb nor the end detection may act on it.
        if (++FFailedPolls >= kMaxFailedPolls) {
            EndOfSelection();
        }
        return;
    }
    FFailedPolls = 0;
    const auto posMs = static_cast<qint32>(pos);
    FPositionSec = posMs / 1000 + 1;
    {
        FlagScope updating(FUpdatingTrackBar);
        if (!FTracking) {
            FView.SetTrackBarPosition(FPositionSec - FStartSec);
        }
    }
    UpdateTimeLabels();
    if (FEndDetector.Tick(posMs, FEndMs)) {
        EndOfSelection();
    }
}

void PlayerController::EndOfSelection() {
    if (NextEnabled()) {
        BitBtnSkipClick(std::nullopt);
    } else {
        FView.UncheckFullScreen();
        BitBtnStopClick();
    }
}

void PlayerController::TrackBarChange() {
    SetCloseAtEnd(false);
    if (!FUpdatingTrackBar && FDeviceId != 0) {
        FSeekState = FPlayState;
        UpdateTimeLabels();
    }
}

void PlayerController::TrackBarMouseUp() {
    const quint32 thumbMs = static_cast<quint32>(FView.TrackBarPosition() + FStartSec) * 1000;
    if (FSeekState == PlayState::Playing) {
        BitBtnPauseClick();
        FPlayParms.from = thumbMs;
        FPlayParms.to = static_cast<quint32>(FStopMs);
        FPlayState = PlayState::Playing;
        if (FPlayParms.from < FPlayParms.to) {
            ResetEndDetection();
            FMciError = FDeviceLayer.play(FDeviceId, FPlayParms.from, FPlayParms.to);
        } else {
            EndOfSelection();
        }
        FSeekState = PlayState::Closed;
    } else if (FSeekState == PlayState::Paused || FSeekState == PlayState::Stopped) {
        FMciError = FDeviceLayer.seek(FDeviceId, thumbMs);
        FSeekState = PlayState::Closed;
        FPlayState = PlayState::Stopped;
    }
    FTracking = false;
    RefreshDisplay();
}

// ---------------------------------------------------------------------------------------------
// List navigation and editing

void PlayerController::GoToMovie(int target) {
    const int count = FMovies.MovieCount();
    target = count == 0 ? -1 : std::clamp(target, 0, count - 1);
    if (target == FMovies.Current() && FMovies.Current() != 0) {
        return;
    }
    // An entry that was opening was about to play: the new one opens in its place.
    const bool wasPlaying = FPlayState == PlayState::Playing || Opening();
    BitBtnStopClick();
    FMovies.SetCurrent(target);
    RefreshDisplay();
    if (wasPlaying) {
        FlagScope noCover(FNoCoverLoad);
        FView.LoadCoverPreview();
    } else {
        FView.LoadCoverPreview();
    }
    FView.RefreshList(false);
    if (wasPlaying) {
        BitBtnPlayClick();
    }
}

void PlayerController::BitBtnSkipClick(std::optional<int> senderTag) {
    const int count = FMovies.MovieCount();
    int target = 0;
    if (senderTag) {
        SetCloseAtEnd(false);
        target = FMovies.Current() + *senderTag;
    } else {
        target = FMovies.Current() + 1;
        if ((target < 0 || target >= count) && FCloseAtEnd) {
            FView.CloseMainWindow();
        }
    }
    if (FView.LoopChecked()) {
        if (target < 0) {
            target = count - 1;
        } else if (target >= count) {
            target = 0;
        }
    }
    GoToMovie(target);
}

int PlayerController::RandomMovie() {
    const int count = FMovies.MovieCount();
    if (count == 0) {
        return -1;
    }
    return std::uniform_int_distribution<int>(0, count - 1)(FRandom);
}

void PlayerController::ClearMovies() {
    FAdder.CancelAll();
    if (FMovies.MovieCount() == 0) {
        return;
    }
    BitBtnStopClick();
    FMovies.Clear();
    FView.ClearCoverPreview();
    RefreshDisplay();
    FView.LoadCoverPreview();
    FView.RefreshList(true);
}

void PlayerController::DeleteMovie(int index) {
    if (index < 0 || index >= FMovies.MovieCount()) {
        return;
    }
    const bool current = index == FMovies.Current();
    if (current) {
        BitBtnStopClick();
    }
    FMovies.Delete(index);
    RefreshDisplay();
    if (current) {
        FView.LoadCoverPreview();
    }
    FView.RefreshList(true);
}

int PlayerController::MoveMovie(int from, int to) {
    try {
        if (FMovies.MovieCount() < 2) {
            return -1;
        }
        if (!FMovies.WouldMove(from, to)) {
            return std::clamp(from, 0, FMovies.MovieCount() - 1);
        }
        BitBtnPauseClick();
        const int moved = FMovies.Move(from, to);
        RefreshDisplay();
        FView.RefreshList(true);
        return moved;
    } catch (const std::exception&) {
        return -1;
    }
}

int PlayerController::CopyMovie(int index) {
    const int copy = FMovies.Copy(index);
    if (copy < 0) {
        return -1;
    }
    RefreshDisplay();
    FView.RefreshList(true);
    return copy;
}

void PlayerController::AddNames(const QByteArrayList& names, bool setFolder, bool noCover,
                                MovieAdder::Done done) {
    auto apply = [this, noCover](const GatheredNames& gathered) {
        std::optional<FlagScope> noCoverScope;
        if (noCover) {
            noCoverScope.emplace(FNoCoverLoad);
        }
        FMovies.AppendGathered(gathered);
    };
    FAdder.Add(names, setFolder, std::move(apply), std::move(done));
}

void PlayerController::PlayUnlessStarted(bool late) {
    // Names that came in late play unless the user has opened a movie meanwhile.
    if (!late || !MovieOpen()) {
        BitBtnPlayClick();
    }
}

void PlayerController::AddDroppedFiles(const QByteArrayList& names) {
    AddNames(NonEmpty(names), FMovies.MovieCount() == 0 && !FAdder.Busy());
}

void PlayerController::DropFilesOnMainWindow(const QByteArrayList& names) {
    // A drop that names no file leaves the list and playback as they are.
    if (std::all_of(names.begin(), names.end(), [](const QByteArray& n) { return n.isEmpty(); })) {
        return;
    }
    ClearMovies();
    AddNames(NonEmpty(names), true, true, [this](bool late) { PlayUnlessStarted(late); });
}

void PlayerController::LoadVideoCD(const QByteArrayList& names) {
    ClearMovies();
    AddNames(names, false, true, [this](bool late) { PlayUnlessStarted(late); });
}

// ---------------------------------------------------------------------------------------------
// Device selection

void PlayerController::MenuItemUpdateDeviceClick() {
    const PlayState before = FPlayState;
    if (before == PlayState::Playing) {
        SetPlayState(PlayState::Paused);
    }
    FDevicesUpdated = true;
    FDevices.clear();
    QStringList captions;
    quint32 count = 0;
    FMciError = FDeviceLayer.sysinfoQuantity(count);
    for (quint32 k = 1; k <= (count & 0xFFFF) && FDevices.size() < 10; ++k) {
        QString name;
        FMciError = FDeviceLayer.sysinfoName(k, name);
        mci::DeviceId id = 0;
        FMciError = FDeviceLayer.open(name, QString(), id);
        if (FMciError != mci::Error::None) {
            continue;
        }
        quint32 hasVideo = 0;
        quint32 usesFiles = 0;
        FMciError = FDeviceLayer.getDevCaps(id, mci::DevCapsItem::HasVideo, hasVideo);
        FMciError = FDeviceLayer.getDevCaps(id, mci::DevCapsItem::UsesFiles, usesFiles);
        if ((hasVideo & 0xFF) & (usesFiles & 0xFF)) {
            QString product;
            FMciError = FDeviceLayer.infoProduct(id, product);
            FDevices.append(name);
            captions.append(product.isEmpty() ? name : product);
        }
        FMciError = FDeviceLayer.close(id);
    }
    FView.ShowDeviceItems(captions);
    ApplyDeviceChoice();
    if (before == PlayState::Playing) {
        SetPlayState(PlayState::Playing);
    }
}

void PlayerController::ApplyDeviceChoice() {
    int item = IndexOfName(FDevices, FDeviceName);
    if (item < 0) {
        for (const char* preferred : {kActiveMovie, kMpegVideo}) {
            item = IndexOfName(FDevices, QString::fromLatin1(preferred));
            if (item >= 0) {
                break;
            }
        }
        if (item < 0 && !FDevices.isEmpty()) {
            item = 0;
        }
        if (item >= 0) {
            FDeviceName = FDevices.at(item);
        }
    }
    FView.CheckDeviceItem(item);
}

void PlayerController::MenuItemDeviceClick(int index) {
    if (index < 0 || index >= FDevices.size()) {
        return;
    }
    FView.CheckDeviceItem(index);
    FDeviceName = FDevices.at(index);
    if (FPlayState == PlayState::Playing || FPlayState == PlayState::Paused || Opening()) {
        BitBtnStopClick();
        BitBtnPlayClick();
    }
}

void PlayerController::ConfigureClick(QWidget* dialogParent) {
    mci::DeviceId id = 0;
    FMciError = FDeviceLayer.open(FDeviceName, QString(), id);
    if (FMciError == mci::Error::None) {
        FMciError = FDeviceLayer.configure(id, dialogParent);
        FMciError = FDeviceLayer.close(id);
    }
    if (FPlayState == PlayState::Playing) {
        SetPlayState(PlayState::Paused);
        SetPlayState(PlayState::Playing);
    } else if (FPlayState == PlayState::Paused) {
        SetPlayState(PlayState::Playing);
        SetPlayState(PlayState::Paused);
    }
}

}  // namespace cinevan
