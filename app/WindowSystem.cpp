#include "app/WindowSystem.h"

#include <QByteArray>
#include <QtGlobal>

namespace cinevan {

void PreferX11Windows() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (!qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
#endif
}

}  // namespace cinevan
