#pragma once

#include <QWidget>

namespace cinevan::mci {

// Readies a widget whose native window a movie engine draws into: the widget gets an X window
// of its own (its ancestors stay plain widgets), Qt never paints a background under the
// engine's picture, and clicks go through to the widgets below.
inline void makeEngineWindow(QWidget& widget) {
    widget.setAttribute(Qt::WA_TransparentForMouseEvents);
    widget.setAttribute(Qt::WA_OpaquePaintEvent);
    widget.setAttribute(Qt::WA_DontCreateNativeAncestors);
    widget.setAttribute(Qt::WA_NativeWindow);
}

}  // namespace cinevan::mci
