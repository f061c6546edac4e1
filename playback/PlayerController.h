#pragma once

#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <random>

#include "movielist/MovieAdder.h"
#include "movielist/MovieList.h"
#include "movielist/MovieListListener.h"
#include "playback/EndDetector.h"
#include "playback/PlayerView.h"
#include "playback/mci/DeviceLayer.h"

class QWidget;

namespace cinevan {

// The playback state: 0 closed (no device open), 1 paused, 2 playing, 3 stopped (device open,
// resting at the track bar's position).
enum class PlayState : quint8 { Closed = 0, Paused = 1, Playing = 2, Stopped = 3 };

// The player's logic behind the main window: the movie list with its current entry, the
// playback engine and its device, position tracking with end detection and seeking, list
// navigation and device selection. It runs on the GUI thread and reaches the windows only
// through PlayerView. Operations carry the names of the window handlers that run them.
//
// Opening a movie never keeps the GUI thread waiting: the play action starts the open, which
// looks for the file and walks the device types in the background, and the player is
// "opening" (Opening()) until the answer comes back; the state stays Closed meanwhile. Stop,
// another entry, another device type, clearing the list or destroying the player abandon the
// open, and its late answers are ignored.
class PlayerController : public MovieListListener {
public:
    PlayerController(PlayerView& view, mci::DeviceLayer& devices);
    ~PlayerController() override;
    PlayerController(const PlayerController&) = delete;
    PlayerController& operator=(const PlayerController&) = delete;

    MovieList& List() { return FMovies; }
    const MovieList& List() const { return FMovies; }

    // Start-up and options.
    void ProcessCommandLine(const QStringList& arguments);
    // The same for arguments as the bytes the program was given. Names on slow storage come in
    // after this returns; playback starts, and `then` runs, once they are all in.
    void ProcessArguments(QByteArrayList names, std::function<void()> then = {});
    void SetCloseAtEnd(bool value) { FCloseAtEnd = value; }
    bool CloseAtEnd() const { return FCloseAtEnd; }
    void SetBreakOnError(bool value) { FBreakOnError = value; }
    // Starts the movie driver's installer; true when it was started.
    void SetSetupRunner(std::function<bool()> runner) { FRunSetup = std::move(runner); }

    // Playback engine.
    void SetPlayState(PlayState state);
    void BitBtnPlayClick();
    void BitBtnPauseClick();
    void BitBtnStopClick();
    void ItemButtonsClick(int tag);

    // Position tracking and seeking.
    void ActiveMovieTimer();
    void UpdateTimeLabels();
    void ResetEndDetection() {
        FEndDetector.Reset();
        FFailedPolls = 0;
    }
    void TrackBarChange();
    void TrackBarMouseDown() { FTracking = true; }
    void TrackBarKeyDown() { FTracking = true; }
    void TrackBarMouseUp();
    void TrackBarKeyUp() { TrackBarMouseUp(); }

    // List navigation and editing.
    void GoToMovie(int target);
    // `senderTag` is the Prior (-1) or Next (+1) button's tag; none for the automatic advance.
    void BitBtnSkipClick(std::optional<int> senderTag);
    int RandomMovie();
    void ClearMovies();
    void DeleteMovie(int index);
    int MoveMovie(int from, int to);
    int CopyMovie(int index);
    void AddDroppedFiles(const QByteArrayList& names);
    // Adds names to the list through the file system without holding up the window (see
    // MovieAdder); `noCover` keeps the cover preview from loading while they come in, `done`
    // runs once they are all in. Clearing the list drops names still to come.
    void AddNames(const QByteArrayList& names, bool setFolder, bool noCover = false,
                  MovieAdder::Done done = {});
    // Whether names given are still being looked at.
    bool AddingNames() const { return FAdder.Busy(); }
    // Files dropped on the main window replace the list and play.
    void DropFilesOnMainWindow(const QByteArrayList& names);
    // Loads a Video CD's track files and plays them.
    void LoadVideoCD(const QByteArrayList& names);
    void CheckBoxLoopClick() { FView.RefreshDisplay(); }

    // Device selection.
    void MenuItemUpdateDeviceClick();
    void MenuItemDeviceClick(int index);
    void ConfigureClick(QWidget* dialogParent);
    const QString& DeviceName() const { return FDeviceName; }
    void SetDeviceName(const QString& name) { FDeviceName = name; }
    // Lets the chosen device type get ready for its first movie in the background.
    void PrepareDevice() { FDeviceLayer.prepare(FDeviceName); }
    const QStringList& Devices() const { return FDevices; }

    // The video window. The windows pick the host and the rectangle; the player moves the
    // open movie's picture there. Nothing happens while no movie is open.
    // Moves the video into `host`, drawn in `rect`; a playing movie pauses around the move.
    void PlaceVideo(QWidget* host, const QRect& rect);
    // Fits the video to `rect` of the window it is in.
    void FitVideo(const QRect& rect);
    // Whether the video belongs in the full-screen window when "Full" is `fullChecked`: only
    // while a movie plays.
    bool ShowsFullScreen(bool fullChecked) const {
        return fullChecked && FPlayState == PlayState::Playing;
    }

    // State read by the windows.
    PlayState State() const { return FPlayState; }
    bool MovieOpen() const { return FDeviceId != 0; }
    // Whether the play action is waiting for the current entry's movie to open.
    bool Opening() const { return FOpening.has_value(); }
    // Length and position of the open movie in milliseconds; none while no movie is open or
    // when the device cannot tell.
    std::optional<quint32> MovieLengthMs() const;
    std::optional<quint32> MoviePositionMs() const;
    mci::MciError LastError() const { return FMciError; }
    QSize VideoSize() const { return {FVideoWidth, FVideoHeight}; }
    qint32 PositionSec() const { return FPositionSec; }
    bool NoCoverLoad() const { return FNoCoverLoad; }

    // Availability of the transport buttons, by the list and the playback state.
    bool HasMovies() const { return FMovies.MovieCount() > 0; }
    bool PlayEnabled() const {
        return HasMovies() && FPlayState != PlayState::Playing && !Opening();
    }
    bool PauseEnabled() const { return HasMovies() && FPlayState == PlayState::Playing; }
    bool StopEnabled() const;
    bool PriorEnabled() const;
    bool NextEnabled() const;

    // MovieListListener
    void PausePlayback() override { BitBtnPauseClick(); }
    // Refreshes the time labels and the main window, then hands the focus on from a Play or
    // Pause button just clicked to the button that took its place.
    void RefreshDisplay() override;
    void LoadCoverPreview() override { FView.LoadCoverPreview(); }
    void RefreshList(bool rebuild) override { FView.RefreshList(rebuild); }

private:
    void StartOpening(const QByteArray& name);
    void FileChecked(quint64 step, bool exists);
    void ShowOpening(quint64 step);
    void TryNextType();
    void DeviceOpened(quint64 step, mci::MciError error, mci::DeviceId id);
    void OpenFailed();
    void MovieOpened();
    bool OpeningOutdated() const;
    void ReopenCurrent();
    void AbandonOpening();
    void StopMovie();
    void ReportMissingDriver();
    void SkipMissingFile(const QByteArray& fileName);
    void ActiveMovieOpenComplete();
    void EndOfSelection();
    void ApplyDeviceChoice();
    // The play action for names just added: at once, or when they came in late, only if no
    // movie was opened meanwhile.
    void PlayUnlessStarted(bool late);
    void HandFocusOn();

    PlayerView& FView;
    mci::DeviceLayer& FDeviceLayer;
    MovieList FMovies;
    // Destroyed before the list it fills.
    MovieAdder FAdder;

    PlayState FPlayState = PlayState::Closed;
    mci::DeviceId FDeviceId = 0;
    mci::MciError FMciError = 0;
    QString FDeviceName;
    QStringList FDevices;
    bool FDevicesUpdated = false;
    qint32 FMissingCount = 0;
    bool FBreakOnError = false;
    TransportFocus FFocus = TransportFocus::None;
    qint32 FVideoWidth = 0;
    qint32 FVideoHeight = 0;
    qint32 FStartSec = 0;
    qint32 FStopSec = 0;
    qint32 FStopMs = 0;
    // Where the selection really ends: the stop, or the movie's end when the stop lies beyond.
    qint32 FEndMs = 0;
    struct PlayParms {
        quint32 from = 0;
        quint32 to = 0;
    } FPlayParms;

    qint32 FPositionSec = 0;
    bool FUpdatingTrackBar = false;
    bool FTracking = false;
    PlayState FSeekState = PlayState::Closed;
    EndDetector FEndDetector;
    // Ticks in a row whose position query failed; a device that cannot tell its position
    // for this long (a stream error, a file gone) has ended the entry.
    int FFailedPolls = 0;
    static constexpr int kMaxFailedPolls = 6;

    bool FCloseAtEnd = false;
    bool FNoCoverLoad = false;
    std::function<bool()> FRunSetup;
    std::mt19937 FRandom;

    // The open under way. Each step that waits for an answer (the look for the file, one
    // device type's open) gets a new number; an answer for any other number is late.
    struct PendingOpen {
        quint64 step = 0;
        QByteArray name;
        QString fileName;
        QDeadlineTimer deadline;
        QStringList types;  // still to try, in order
        bool installedListed = false;
        bool shown = false;  // the windows show the player opening
        mci::DeviceLayer::OpenTicket ticket = 0;
    };
    std::optional<PendingOpen> FOpening;
    quint64 FOpenSteps = 0;
    // Receives the answers of the look for the file; answers still on their way go with it.
    std::unique_ptr<QObject> FAnswers = std::make_unique<QObject>();
};

}  // namespace cinevan
