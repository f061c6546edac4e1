#pragma once

namespace cinevan {

class TFormMain;
class TFormMovieList;
class TFormFullScreen;
class TFormEdit;
class TFormAbout;

// The program's five windows, one instance each, created at start-up in this order and alive
// until the program ends. Null before they are created.
extern TFormMain* FormMain;
extern TFormMovieList* FormMovieList;
extern TFormFullScreen* FormFullScreen;
extern TFormEdit* FormEdit;
extern TFormAbout* FormAbout;

}  // namespace cinevan
