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

inline std::ostream& operator<<(std::ostream& os, const DriverParam& p)
{
    return os << p.label.toStdString();
}

class DriverContract : public ::testing::TestWithParam<DriverParam> {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens `fixture` (a generated media file name) on a fresh device; fails the test on error.
    mci::MediaDevice& openFixture(const QString& fixture);
    // Polls the position until it has not changed for `quietMs` or `timeoutMs` passed.
    quint32 waitUntilResting(int quietMs = 400, int timeoutMs = 8000);
    quint32 position();

    std::unique_ptr<mci::DeviceType> type_;
    std::unique_ptr<mci::MediaDevice> device_;
};

}  // namespace cinevan::test
