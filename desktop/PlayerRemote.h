#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

namespace cinevan {

class TFormMain;

// The main window as the desktop's media controls see it: its state read back, and every
// command carried out through the button, key or track bar that a user would use, so that a
// command does exactly what that control does (and nothing when the control is disabled).
class PlayerRemote : public QObject {
    Q_OBJECT

public:
    enum class Status { Stopped, Paused, Playing };

    explicit PlayerRemote(TFormMain& window, QObject* parent = nullptr);

    Status PlaybackStatus() const;
    // The current entry: -1 when the list is empty.
    int CurrentIndex() const;
    QString Title() const;
    QString FileName() const;
    QString Cover() const;
    // The length of the selection that plays; -1 while no movie is open.
    qint64 SelectionLengthMs() const;
    // The position from the selection's start; 0 while no movie is open.
    qint64 PositionMs() const;

    bool CanPlay() const;
    bool CanPause() const;
    bool CanSeek() const;
    bool CanGoNext() const;
    bool CanGoPrevious() const;

    void Raise();
    void Quit();
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    // Moves the track bar to `positionMs` from the selection's start, as a drag would.
    void SeekTo(qint64 positionMs);
    // Acts as a drop of the file on the main window: it replaces the list and plays.
    void Open(const QString& fileName);

signals:
    // The window has refreshed its display: state, entry or list may have changed.
    void Changed();

private:
    QByteArray Field(int field) const;
    qint64 SelectionStartMs() const;

    TFormMain& FWindow;
};

}  // namespace cinevan
