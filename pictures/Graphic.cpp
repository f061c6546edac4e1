#include "pictures/Graphic.h"

namespace cinevan {

void Graphic::reportProgress(const ProgressInfo& info) const {
    if (progress_) {
        progress_(*this, info);
    }
}

}  // namespace cinevan
