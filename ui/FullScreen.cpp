#include "ui/FullScreen.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>

#include "ui/Main.h"

namespace cinevan {

TFormFullScreen::TFormFullScreen(TFormMain& main)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), FMain(main) {
    setObjectName(QStringLiteral("FormFullScreen"));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    resize(357, 324);
}

void TFormFullScreen::FormShow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->geometry());
    }
}

// However the window disappears, the preference is cleared and the video goes back.
void TFormFullScreen::FormHide() {
    ReturnVideo();
}

void TFormFullScreen::FormDblClick() {
    FMain.CheckBoxFullScreen->toggle();
}

void TFormFullScreen::ReturnVideo() {
    FMain.UncheckFullScreen();
    FMain.CheckBoxFullScreenClick();
}

void TFormFullScreen::showEvent(QShowEvent* event) {
    FormShow();
    QWidget::showEvent(event);
}

void TFormFullScreen::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        FormHide();
    }
}

void TFormFullScreen::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        ReturnVideo();
        return;
    }
    if (QAction* item = TransportItemFor(*event)) {
        item->trigger();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The main window's transport keys (Play/Pause, Stop, Prior, Next, as the catalog names them)
// work here too; Space plays and pauses as it does on the main window's Play and Pause.
QAction* TFormFullScreen::TransportItemFor(const QKeyEvent& event) const {
    if (event.key() == Qt::Key_Space && event.modifiers() == Qt::NoModifier) {
        return FMain.ItemPlayPause;
    }
    const QKeySequence pressed(event.keyCombination());
    for (QAction* item : {FMain.ItemPlayPause, FMain.ItemStop, FMain.ItemPrior, FMain.ItemNext}) {
        if (!item->shortcut().isEmpty() &&
            item->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
            return item;
        }
    }
    return nullptr;
}

void TFormFullScreen::mouseDoubleClickEvent(QMouseEvent*) {
    FormDblClick();
}

void TFormFullScreen::contextMenuEvent(QContextMenuEvent* event) {
    FMain.PopupMenu->popup(event->globalPos());
}

}  // namespace cinevan
