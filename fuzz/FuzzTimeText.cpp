// libFuzzer entry for the time texts: the input gives the locale's day-half designators and
// separator, then a time text; the text is read, and the value it gives is written and read
// back. The raw bytes are also taken as a time value.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fuzz/FuzzSupport.h"
#include "playback/TimeValues.h"

using namespace cinevan;

namespace {

TimeLocale localeOf(QByteArray& rest) {
    TimeLocale locale;
    auto [am, afterAm] = fuzz::splitOnce(rest, '\n');
    auto [pm, afterPm] = fuzz::splitOnce(afterAm, '\n');
    locale.amDesignator = QString::fromUtf8(am);
    locale.pmDesignator = QString::fromUtf8(pm);
    if (!afterPm.isEmpty()) {
        locale.timeSeparator = QChar(uchar(afterPm.front()));
        locale.longTimeFormat = QStringLiteral("h%1mm%1ss AP").arg(locale.timeSeparator);
        afterPm.remove(0, 1);
    }
    rest = afterPm;
    return locale;
}

void checkValue(double value) {
    const qint32 ms = TimeOfDayMs(value);
    fuzz::require(ms >= 0 && ms < 86'400'000, "time of day within one day");
    const QString text = TimeToText(value);
    const double back = TextToTime(text, -1, TimeLocale{});
    fuzz::require(back >= 0 && back < 1, "written time reads back");
    fuzz::require(std::abs(TimeOfDayMs(back) - ms / 1000 * 1000) <= 1,
                  "written time reads back to the second");
    FormatLongTime(value, TimeLocale{});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray rest = fuzz::bytesOf(data, size);
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        checkValue(raw);
        checkValue(SecondsToTime(raw));
        qint64 ms;
        std::memcpy(&ms, data, sizeof ms);
        RoundedSeconds(ms);
    }
    const TimeLocale locale = localeOf(rest);
    const double value = TextToTime(QString::fromUtf8(rest), 0.25, locale);
    fuzz::require(std::isfinite(value) && value >= 0 && value < 1, "a read time is a time of day");
    checkValue(value);
    FormatLongTime(value, locale);
    return 0;
}
