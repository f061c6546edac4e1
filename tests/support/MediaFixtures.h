#pragma once

#include <QString>

namespace cinevan::test {

// Full path of a generated test movie (see tests/fixtures/make-media.sh), generating the
// whole set on first use. Fails the calling test's process when the generator fails.
QString mediaFixture(const QString& name);

// The folder of the generated fixtures.
QString fixtureDir();

}  // namespace cinevan::test
