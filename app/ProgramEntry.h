#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "playback/PlayerView.h"

namespace cinevan {

namespace mci {
class DeviceLayer;
}
class TFormMain;
class TFormMovieList;
class TFormFullScreen;
class TFormEdit;
class TFormAbout;

// The built-in texts of the catalog's "Fatal Errors" section, indexes 0 to 2.
extern const char* const kFatalErrorTexts[catalogtext::kCount];

// Puts the built-in fatal-error texts into the catalog, then merges the catalog file next to
// the program over them. A missing or malformed catalog leaves the defaults.
void PrepareCatalog(const QString& programPath);

// The five windows, created in the order FormMain, FormMovieList, FormFullScreen, FormEdit,
// FormAbout, handed to each other and published in the process-wide window variables;
// destroyed in reverse order.
class ProgramWindows {
public:
    explicit ProgramWindows(mci::DeviceLayer& devices);
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    TFormMain& Main() { return *main_; }

private:
    std::unique_ptr<TFormMain> main_;
    std::unique_ptr<TFormMovieList> movieList_;
    std::unique_ptr<TFormFullScreen> fullScreen_;
    std::unique_ptr<TFormEdit> edit_;
    std::unique_ptr<TFormAbout> about_;
};

// The program entry after the single-instance check: application title, catalog, windows,
// message loop. Returns the process's exit code.
int RunProgram(int& argc, char** argv);

}  // namespace cinevan
