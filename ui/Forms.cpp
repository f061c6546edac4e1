#include "ui/Forms.h"

namespace cinevan {

TFormMain* FormMain = nullptr;
TFormMovieList* FormMovieList = nullptr;
TFormFullScreen* FormFullScreen = nullptr;
TFormEdit* FormEdit = nullptr;
TFormAbout* FormAbout = nullptr;

}  // namespace cinevan
