#pragma once

#include <QString>

namespace cinevan {

// The application title: the text of the program's task-bar button. Start-up sets it to the
// program's name; the main window's refresh replaces it with the current movie's title.
const QString& ApplicationTitle();
void SetApplicationTitle(const QString& title);

}  // namespace cinevan
