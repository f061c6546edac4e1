#include "ui/Forms.h"

#include <QRect>
#include <QScreen>
#include <QWidget>

namespace cinevan {

TFormMain* FormMain = nullptr;
TFormMovieList* FormMovieList = nullptr;
TFormFullScreen* FormFullScreen = nullptr;
TFormEdit* FormEdit = nullptr;
TFormAbout* FormAbout = nullptr;

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) {
        return;
    }
    QRect bounds(QPoint(), window.frameGeometry().size());
    bounds.moveCenter(screen->availableGeometry().center());
    window.move(bounds.topLeft());
}

void ReturnActivation(QWidget& window) {
    if (window.isVisible()) {
        window.raise();
        window.activateWindow();
    }
}

}  // namespace cinevan
