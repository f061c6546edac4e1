#include "app/ApplicationTitle.h"

namespace cinevan {

namespace {
QString& Title() {
    static QString title;
    return title;
}
}  // namespace

const QString& ApplicationTitle() {
    return Title();
}

void SetApplicationTitle(const QString& title) {
    Title() = title;
}

}  // namespace cinevan
