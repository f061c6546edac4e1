#include "pictures/Graphic.h"

namespace cinevan {

void Graphic::reportProgress(const ProgressInfo& info) const {
    if (m_progress) {
        m_progress(*this, info);
    }
}

}  // namespace cinevan
