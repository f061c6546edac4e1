#pragma once

class QWidget;

namespace cinevan {

class TFormMovieList;

// Creates the Movie List Editor's list, buttons, keyboard shortcuts and file dialogs, names
// them, places them as the window's design has them and sets the tab order. What they do is
// connected by the window.
class MovieListLayout {
public:
    explicit MovieListLayout(TFormMovieList& window) : window_(window) {}

    // Creates, names and lays out the children; the window keeps its default size.
    void Build();
    // Gives the window its design size.
    void Place();

private:
    void CreateListPanel();
    void CreateButtons();
    void CreateShortcuts();
    void CreateDialogs();
    void SetTabOrder();

    TFormMovieList& window_;
};

}  // namespace cinevan
