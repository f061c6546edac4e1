#pragma once

#include <QString>

namespace cinevan::test {

// Points HOME and the XDG folders at a private temporary folder for the life of the
// process, so that no test reads or writes the real user's settings.
void isolateUserFolders();

// The private folder made by isolateUserFolders().
QString privateHome();

}  // namespace cinevan::test
