#include "desktop/PlayerRemote.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <algorithm>
#include <cmath>

#include "playback/Selection.h"
#include "ui/ErrorDisplay.h"
#include "ui/Main.h"

namespace cinevan {

namespace {

// The selection of the open movie, as the player computed it when it opened the movie.
std::optional<Selection> OpenSelection(TFormMain& window) {
    const PlayerController& player = window.Player();
    const std::optional<quint32> lengthMs = player.MovieLengthMs();
    if (!lengthMs) {
        return std::nullopt;
    }
    const MovieList& list = player.List();
    return Selection::FromEntry(
        QString::fromLocal8Bit(list.GetMovieField(list.Current(), MovieList::kStart)),
        QString::fromLocal8Bit(list.GetMovieField(list.Current(), MovieList::kStop)), *lengthMs);
}

}  // namespace

PlayerRemote::PlayerRemote(TFormMain& window, QObject* parent) : QObject(parent), FWindow(window) {
    connect(&window, &TFormMain::DisplayRefreshed, this, &PlayerRemote::Changed);
}

PlayerRemote::Status PlayerRemote::PlaybackStatus() const {
    switch (FWindow.Player().State()) {
        case PlayState::Playing:
            return Status::Playing;
        case PlayState::Paused:
        case PlayState::Stopped:  // open and resting at the track bar's position
            return Status::Paused;
        case PlayState::Closed:
            break;
    }
    return Status::Stopped;
}

int PlayerRemote::CurrentIndex() const {
    return FWindow.Player().List().Current();
}

QByteArray PlayerRemote::Field(int field) const {
    const MovieList& list = FWindow.Player().List();
    try {
        return list.Current() < 0 ? QByteArray() : list.GetMovieField(list.Current(), field);
    } catch (const std::exception&) {
        return {};
    }
}

QString PlayerRemote::Title() const {
    return QString::fromLocal8Bit(Field(MovieList::kTitle));
}

QString PlayerRemote::FileName() const {
    return QFile::decodeName(Field(MovieList::kFileName));
}

QString PlayerRemote::Cover() const {
    return QFile::decodeName(Field(MovieList::kCover));
}

qint64 PlayerRemote::SelectionLengthMs() const {
    const std::optional<Selection> selection = OpenSelection(FWindow);
    return selection ? std::max(0, selection->stopMs - selection->startMs) : -1;
}

qint64 PlayerRemote::SelectionStartMs() const {
    const std::optional<Selection> selection = OpenSelection(FWindow);
    return selection ? selection->startMs : 0;
}

qint64 PlayerRemote::PositionMs() const {
    const std::optional<quint32> position = FWindow.Player().MoviePositionMs();
    if (!position) {
        return 0;
    }
    return std::max<qint64>(0, *position - SelectionStartMs());
}

bool PlayerRemote::CanPlay() const {
    return FWindow.Player().HasMovies();
}

bool PlayerRemote::CanPause() const {
    return FWindow.Player().HasMovies();
}

bool PlayerRemote::CanSeek() const {
    return FWindow.Player().MovieOpen();
}

bool PlayerRemote::CanGoNext() const {
    return FWindow.Player().NextEnabled();
}

bool PlayerRemote::CanGoPrevious() const {
    return FWindow.Player().PriorEnabled();
}

void PlayerRemote::Raise() {
    if (FWindow.isMinimized()) {
        FWindow.showNormal();
    }
    FWindow.show();
    FWindow.raise();
    FWindow.activateWindow();
}

void PlayerRemote::Quit() {
    FWindow.close();
}

// A click on a disabled button does nothing, as for the user.
void PlayerRemote::Play() {
    FWindow.BitBtnPlay->click();
}

void PlayerRemote::Pause() {
    FWindow.BitBtnPause->click();
}

void PlayerRemote::PlayPause() {
    FWindow.ItemPlayPause->trigger();
}

void PlayerRemote::Stop() {
    FWindow.BitBtnStop->click();
}

void PlayerRemote::Next() {
    FWindow.BitBtnNext->click();
}

void PlayerRemote::Previous() {
    FWindow.BitBtnPrior->click();
}

void PlayerRemote::SeekTo(qint64 positionMs) {
    if (!CanSeek()) {
        return;
    }
    RunGuarded(&FWindow, [&] {
        PlayerController& player = FWindow.Player();
        QSlider& bar = *FWindow.TrackBar;
        const auto seconds = static_cast<int>(std::llround(positionMs / 1000.0));
        player.TrackBarMouseDown();
        bar.setSliderPosition(std::clamp(seconds, bar.minimum(), bar.maximum()));
        player.TrackBarChange();
        player.TrackBarMouseUp();
    });
}

void PlayerRemote::Open(const QString& fileName) {
    RunGuarded(&FWindow,
               [&] { FWindow.Player().DropFilesOnMainWindow({QFile::encodeName(fileName)}); });
}

}  // namespace cinevan
