#pragma once

namespace cinevan {

// What the movie list needs from the windows and the playback around it. The main window's
// controller implements it; tests use a mock.
class MovieListListener {
public:
    virtual ~MovieListListener() = default;

    // The pause action: pauses the movie only if one is playing.
    virtual void PausePlayback() = 0;
    // Refreshes the main window's labels, buttons and title.
    virtual void RefreshDisplay() = 0;
    // Reloads the current entry's cover in the main window's preview.
    virtual void LoadCoverPreview() = 0;
    // Refreshes the Movie List Editor; `rebuild` also rebuilds its items.
    virtual void RefreshList(bool rebuild) = 0;
};

}  // namespace cinevan
