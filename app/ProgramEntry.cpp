#include "app/ProgramEntry.h"

#include <QApplication>
#include <QFileInfo>
#include <clocale>

#include "app/AlterEgo.h"
#include "app/ApplicationTitle.h"
#include "app/StrCont.h"
#include "app/TerminationSignals.h"
#include "app/WindowSystem.h"
#include "desktop/DesktopIntegration.h"
#include "playback/mci/InstalledDevices.h"
#include "ui/About.h"
#include "ui/Forms.h"
#include "ui/FullScreen.h"
#include "ui/Main.h"
#include "ui/MovieLink.h"
#include "ui/MovieList.h"
#include "ui/ProgramIcon.h"

namespace cinevan {

const char* const kFatalErrorTexts[catalogtext::kCount] = {
    "Active Movie driver is not installed. Do you want to install it?",
    "Can not create program's forms",
    "Can not find/execute Active Movie installer.",
};

void PrepareCatalog(const QString& programPath) {
    TStringContainer& catalog = StringContainer();
    for (int i = 0; i < catalogtext::kCount; ++i) {
        catalog.SetString(i, QString::fromLatin1(kFatalErrorTexts[i]));
    }
    try {
        catalog.SetFileName(CompanionFile(programPath, QStringLiteral(".str")));
        catalog.AddSection(QStringLiteral("Fatal Errors"));
    } catch (...) {
        // Whatever was merged before the failure stays; the rest keeps the defaults.
    }
}

ProgramWindows::ProgramWindows(mci::DeviceLayer& devices) {
    main_ = std::make_unique<TFormMain>(devices);
    FormMain = main_.get();
    movieList_ = std::make_unique<TFormMovieList>(main_->Player(), main_.get());
    FormMovieList = movieList_.get();
    fullScreen_ = std::make_unique<TFormFullScreen>(*main_);
    FormFullScreen = fullScreen_.get();
    // The dialog belongs to the editor that opens it.
    edit_ = std::make_unique<TFormEdit>(main_->Player(), *movieList_, *main_->ImagePreview,
                                        movieList_.get());
    FormEdit = edit_.get();
    about_ = std::make_unique<TFormAbout>(main_.get());
    FormAbout = about_.get();
    movieList_->SetEditDialog(*edit_);
    main_->SetCompanions({movieList_.get(), fullScreen_.get(), about_.get()});
}

ProgramWindows::~ProgramWindows() {
    FormAbout = nullptr;
    about_.reset();
    FormEdit = nullptr;
    edit_.reset();
    FormFullScreen = nullptr;
    fullScreen_.reset();
    FormMovieList = nullptr;
    movieList_.reset();
    FormMain = nullptr;
    main_.reset();
}

int RunProgram(int& argc, char** argv) {
    PreferX11Windows();
    QApplication application(argc, argv);
    // A logout, a closed terminal or kill end the program as closing its window does; one
    // that comes while the windows are being made waits for the message loop.
    const TerminationSignals termination;
    // libmpv needs the C numeric locale; QApplication has just set it from the environment.
    std::setlocale(LC_NUMERIC, "C");
    SetApplicationTitle(QStringLiteral("Cinevanm"));
    QApplication::setWindowIcon(ProgramIcon());
    PrepareCatalog(ProgramFilePath());

    const std::unique_ptr<mci::DeviceLayer> devices = mci::makeInstalledDeviceLayer();
    ProgramWindows windows(*devices);
    // argv as QApplication left it (its own options taken out), as bytes: decoding would
    // change file names that are not valid in the locale's encoding.
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QByteArray(argv[i]));
    }
    windows.Main().SetRawCommandLine(arguments);
    windows.Main().show();
    QObject::connect(&termination, &TerminationSignals::Received, &windows.Main(),
                     [&windows] { windows.Main().close(); });
    const DesktopIntegration desktop(windows.Main());
    return QApplication::exec();
}

}  // namespace cinevan
