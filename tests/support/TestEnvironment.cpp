#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

namespace cinevan::test {

namespace {

QTemporaryDir& homeDir()
{
    static QTemporaryDir dir(QDir::tempPath() + "/cinevan-test-XXXXXX");
    return dir;
}

void setFolder(const char* variable, const QString& path)
{
    QDir().mkpath(path);
    ::setenv(variable, QFile::encodeName(path).constData(), 1);
}

}  // namespace

void isolateUserFolders()
{
    const QString home = homeDir().path();
    setFolder("HOME", home);
    setFolder("XDG_CONFIG_HOME", home + "/config");
    setFolder("XDG_DATA_HOME", home + "/data");
    setFolder("XDG_STATE_HOME", home + "/state");
    setFolder("XDG_RUNTIME_DIR", home + "/runtime");
    QFile::setPermissions(home + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString privateHome() { return homeDir().path(); }

}  // namespace cinevan::test
