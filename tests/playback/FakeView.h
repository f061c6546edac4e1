#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <optional>

#include "playback/PlayerController.h"
#include "playback/PlayerView.h"

namespace cinevan::test {

// A main window without widgets for the player logic: it records every call the logic makes
// and models the controls the logic reads (track bar, check boxes, focus, the full-screen
// window). Like the real window it only picks where the video goes; the player moves it, so
// the simulated devices' command log shows what the player sends.
class FakeView : public PlayerView {
public:
    static constexpr int kScreenWidth = 1024;
    static constexpr int kScreenHeight = 768;

    FakeView() {
        fullScreenWindow.setObjectName(QStringLiteral("FormFullScreen"));
        movieSheet.setObjectName(QStringLiteral("TabSheetMovie"));
        fullScreenWindow.resize(kScreenWidth, kScreenHeight);
        movieSheet.resize(352, 288);
    }

    void Attach(PlayerController& player) { player_ = &player; }

    // --- What the logic calls -------------------------------------------------------------

    void RefreshDisplay() override { events << QStringLiteral("RefreshDisplay"); }
    void LoadCoverPreview() override {
        const bool loads = !player_ || !player_->NoCoverLoad();
        if (loads) {
            ++coverLoadCount;
        }
        events << (loads ? QStringLiteral("LoadCoverPreview")
                         : QStringLiteral("LoadCoverPreview(cleared only)"));
    }
    void ClearCoverPreview() override { events << QStringLiteral("ClearCoverPreview"); }
    void RefreshList(bool rebuild) override {
        events << (rebuild ? QStringLiteral("RefreshList(rebuild)")
                           : QStringLiteral("RefreshList(repaint)"));
    }

    void ShowPage(MoviePage shown) override { page = shown; }

    void CheckBoxFullScreenClick() override {
        fullScreenVisible = player_->ShowsFullScreen(fullChecked);
        QWidget& host = fullScreenVisible ? fullScreenWindow : movieSheet;
        player_->PlaceVideo(&host, QRect(QPoint(0, 0), host.size()));
    }
    void FormResize() override {
        if (!fullChecked) {
            player_->FitVideo(QRect(QPoint(0, 0), movieSheet.size()));
        }
    }
    void UncheckFullScreen() override { SetFullChecked(false); }
    bool FullScreenVisible() const override { return fullScreenVisible; }

    bool LoopChecked() const override { return loop; }
    bool ShuffleChecked() const override { return shuffle; }

    bool PlayButtonHasFocus() const override { return playButtonFocused; }
    bool PauseButtonHasFocus() const override { return pauseButtonFocused; }
    void FocusTrackBar() override {
        ++trackBarFocusCount;
        playButtonFocused = pauseButtonFocused = false;
    }
    void FocusTransportButton(TransportFocus button) override {
        pauseButtonFocused = button == TransportFocus::PauseButton;
        playButtonFocused = button == TransportFocus::PlayButton;
        events << (pauseButtonFocused ? QStringLiteral("FocusPauseButton")
                                      : QStringLiteral("FocusPlayButton"));
    }

    int TrackBarPosition() const override { return trackPosition; }
    void SetTrackBarPosition(int position) override {
        trackPosition = std::clamp(position, 0, trackMaximum);
    }
    void SetTrackBarMaximum(int maximum) override {
        trackMaximum = std::max(0, maximum);
        trackPosition = std::clamp(trackPosition, 0, trackMaximum);
    }
    void SetTrackBarPageSize(int size) override { pageSize = size; }
    void SetTimeLabels(const QString& duration, const QString& current) override {
        labelDuration = duration;
        labelCurrent = current;
    }

    void ShowDeviceItems(const QStringList& captions) override {
        deviceCaptions = captions.mid(0, 10);
        ++deviceItemUpdates;
    }
    void CheckDeviceItem(int index) override {
        checkedDevice = index >= 0 && index < deviceCaptions.size() ? index : -1;
        events << QStringLiteral("CheckDeviceItem(%1)").arg(index);
    }

    QString MissingFileFormat() const override { return missingFileFormat; }
    QString CatalogText(int index) const override { return catalog.value(index); }
    bool AskConfirmation(const QString& text) override {
        confirmations << text;
        events << QStringLiteral("Confirm: ") + text;
        return answerYes;
    }
    void ShowError(const QString& text) override {
        errors << text;
        events << QStringLiteral("Error: ") + text;
    }

    // The real window closes itself from the event loop, after the running handler.
    void CloseMainWindow() override {
        ++closeRequests;
        events << QStringLiteral("CloseMainWindow");
    }
    void EndProcessNow() override {
        ++endProcessRequests;
        events << QStringLiteral("EndProcessNow");
    }

    // --- What the user does ---------------------------------------------------------------

    // Checking or unchecking "Full"; a change of the checked state runs its click handler.
    void SetFullChecked(bool checked) {
        if (fullChecked != checked) {
            fullChecked = checked;
            CheckBoxFullScreenClick();
        }
    }

    // Dragging the thumb with the mouse to `position` and letting go.
    void PressThumb() { player_->TrackBarMouseDown(); }
    void DragThumb(int position) {
        trackPosition = std::clamp(position, 0, trackMaximum);
        player_->TrackBarChange();
    }
    void ReleaseThumb() {
        player_->TrackBarChange();  // end-of-tracking notification
        player_->TrackBarMouseUp();
    }
    void DragThumbTo(int position) {
        PressThumb();
        DragThumb(position);
        ReleaseThumb();
    }

    // A key pressed and released on the track bar; a scrolling key moves the thumb by `step`.
    void PressKeyOnTrackBar(std::optional<int> step) {
        player_->TrackBarKeyDown();
        if (step) {
            DragThumb(trackPosition + *step);
        }
    }
    void ReleaseKeyOnTrackBar() { player_->TrackBarKeyUp(); }

    void ClearEvents() { events.clear(); }

    // --- Recorded calls and the modelled controls -----------------------------------------

    QStringList events;
    int coverLoadCount = 0;
    int trackBarFocusCount = 0;
    int closeRequests = 0;
    int endProcessRequests = 0;
    int deviceItemUpdates = 0;

    MoviePage page = MoviePage::Preview;
    bool loop = false;
    bool shuffle = false;
    bool fullChecked = false;
    bool fullScreenVisible = false;
    bool playButtonFocused = false;
    bool pauseButtonFocused = false;

    int trackPosition = 0;
    int trackMaximum = 0;
    int pageSize = 1000;
    QString labelDuration;
    QString labelCurrent;

    QStringList deviceCaptions;
    int checkedDevice = -1;

    QString missingFileFormat = QStringLiteral("Can not find/play file \"%s\"");
    QStringList catalog{
        QStringLiteral("Active Movie driver is not installed. Do you want to install it?"),
        QStringLiteral("Can not create program's forms"),
        QStringLiteral("Can not find/execute Active Movie installer.")};
    bool answerYes = false;
    QStringList confirmations;
    QStringList errors;

    QWidget fullScreenWindow;
    QWidget movieSheet;

private:
    PlayerController* player_ = nullptr;
};

}  // namespace cinevan::test
