#include "tests/support/MediaFixtures.h"

#include <QProcess>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace cinevan::test {

QString fixtureDir() { return QStringLiteral(CINEVAN_FIXTURE_DIR) + "/media"; }

QString mediaFixture(const QString& name)
{
    static std::once_flag generated;
    std::call_once(generated, [] {
        const QString script = QStringLiteral(CINEVAN_SOURCE_DIR) + "/tests/fixtures/make-media.sh";
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start("bash", {script, fixtureDir()});
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            std::fprintf(stderr, "make-media.sh failed\n");
            std::abort();
        }
    });
    return fixtureDir() + "/" + name;
}

}  // namespace cinevan::test
