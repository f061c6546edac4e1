#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <memory>

#include "playback/mci/DeviceType.h"

namespace cinevan::test {

// What every real engine driver must do for the playback engine. A driver's test file
// instantiates the suite with its type:
//
//   INSTANTIATE_TEST_SUITE_P(Mpv, DriverContract, ::testing::Values(DriverParam{
//       "ActiveMovie", [] { return std::make_unique<MpvDeviceType>(); }}));
struct DriverParam {
    QString label;
    std::function<std::unique_ptr<mci::DeviceType>()> makeType;
};

inline std::ostream& operator<<(std::ostream& os, const DriverParam& p) {
    return os << p.label.toStdString();
}

// Whether `actual` lies within `tolerance` ms of `expected`.
::testing::AssertionResult near(quint32 actual, quint32 expected, quint32 tolerance);

class DriverContract : public ::testing::TestWithParam<DriverParam> {
protected:
    void SetUp() override;
    void TearDown() override;

    static constexpr quint32 kFrameMs = 40;  // 25 fps

    // Opens `fixture` (a generated media file name) on a fresh device; fails the test on error.
    mci::MediaDevice& openFixture(const QString& fixture);
    // Opens the file at `path` on a fresh device; fails the test on error.
    mci::MediaDevice& openPath(const QString& path);
    // Polls the position until it has not changed for `quietMs` or `timeoutMs` passed.
    quint32 waitUntilResting(int quietMs = 400, int timeoutMs = 8000);
    quint32 position();
    quint32 length();
    // Plays `fromMs`..`toMs`, checks that it is under way midway and rests at `toMs`.
    void expectRangePlaysAndRests(quint32 fromMs, quint32 toMs);

    std::unique_ptr<mci::DeviceType> type_;
    std::unique_ptr<mci::MediaDevice> device_;
};

}  // namespace cinevan::test
