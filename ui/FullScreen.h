#pragma once

#include <QWidget>

class QAction;

namespace cinevan {

class TFormMain;

// The borderless black window that takes the video in full-screen mode. It covers the primary
// screen when shown; Esc, hiding it or a double click return the video to the main window.
// The transport keys of the main window work here as well.
class TFormFullScreen : public QWidget {
    Q_OBJECT

public:
    explicit TFormFullScreen(TFormMain& main);

    void FormShow();
    void FormHide();
    void FormDblClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ReturnVideo();
    QAction* TransportItemFor(const QKeyEvent& event) const;

    TFormMain& FMain;
};

}  // namespace cinevan
