#pragma once

class QWidget;

namespace cinevan {

class TFormMain;
class TFormMovieList;
class TFormFullScreen;
class TFormEdit;
class TFormAbout;

// The program's five windows, one instance each, created at start-up in this order and alive
// until the program ends. Null before they are created. Only the code that creates the windows
// sets them; the windows themselves are handed the windows they work with.
extern TFormMain* FormMain;
extern TFormMovieList* FormMovieList;
extern TFormFullScreen* FormFullScreen;
extern TFormEdit* FormEdit;
extern TFormAbout* FormAbout;

// Puts the window's frame in the middle of its screen's work area.
void CentreOnScreen(QWidget& window);
// After a modal dialog that `window` opened has closed: makes `window` the active window
// again, so that the keyboard goes on where the user was (the window manager would pick the
// dialog's parent or the main window).
void ReturnActivation(QWidget& window);

}  // namespace cinevan
