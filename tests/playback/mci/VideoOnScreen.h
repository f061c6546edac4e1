#pragma once

#include <QDeadlineTimer>
#include <QImage>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>

namespace cinevan::test {

// Helpers for tests that look at a video engine drawing into native windows on a real X
// display (Xvfb will do): the offscreen platform has no native windows.
inline bool haveDisplay() {
    return qEnvironmentVariableIsSet("CINEVAN_TEST_DISPLAY");
}

// What the screen shows of `widget`, as a user sees it (the engine's window included).
inline QImage shownOn(const QWidget& widget) {
    const QPoint origin = widget.mapToGlobal(QPoint(0, 0));
    return widget.screen()
        ->grabWindow(0, origin.x(), origin.y(), widget.width(), widget.height())
        .toImage();
}

inline bool mostlyBlack(const QImage& image) {
    int dark = 0;
    int samples = 0;
    for (int y = 0; y < image.height(); y += 8) {
        for (int x = 0; x < image.width(); x += 8) {
            ++samples;
            dark += qGray(image.pixel(x, y)) < 24 ? 1 : 0;
        }
    }
    return samples == 0 || dark * 10 > samples * 9;
}

// True once the widget's place on the screen shows a picture that changes: a playing movie.
inline bool showsPlayingMovie(const QWidget& widget) {
    QDeadlineTimer deadline(8000);
    QImage previous;
    while (!deadline.hasExpired()) {
        QTest::qWait(120);
        const QImage now = shownOn(widget);
        if (!mostlyBlack(now) && !previous.isNull() && now != previous) {
            return true;
        }
        previous = now;
    }
    return false;
}

// Clicks the middle of `widget` as a user does, through the X server; xdotool's exit status,
// negative when it is not installed.
inline int clickMiddleOf(const QWidget& widget) {
    const QPoint middle = widget.mapToGlobal(widget.rect().center());
    return QProcess::execute(
        QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(middle.x()), QString::number(middle.y()),
         QStringLiteral("click"), QStringLiteral("1")});
}

class ClickCounter : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent* /*event*/) override { ++presses; }
};

}  // namespace cinevan::test
