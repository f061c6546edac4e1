#pragma once

#include <QIcon>
#include <QPixmap>

namespace cinevan {

// The program's icon: a film reel, drawn at any size.
QPixmap ProgramIconPixmap(int size);
// The icon at the usual window sizes (16 to 64 pixels).
QIcon ProgramIcon();

}  // namespace cinevan
