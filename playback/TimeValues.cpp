#include "playback/TimeValues.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "platform/Numeric.h"

namespace cinevan {

namespace {

constexpr double kMsPerDay = 86'400'000.0;

// Reads a time text from left to right; every step skips the blanks (spaces) in front of it.
class TimeTextScanner {
public:
    TimeTextScanner(const QString& text, const TimeLocale& locale) : text_(text), locale_(locale) {}

    // Hour offset of a day-half designator at the scan position: 0 for AM, 12 for PM.
    std::optional<int> designator() {
        if (word(locale_.amDesignator) || word(QStringLiteral("AM"))) {
            return 0;
        }
        if (word(locale_.pmDesignator) || word(QStringLiteral("PM"))) {
            return 12;
        }
        return std::nullopt;
    }

    // A run of at least one decimal digit; reading stops once the value reaches 1000.
    std::optional<int> number() {
        skipBlanks();
        int value = 0;
        const qsizetype start = pos_;
        while (pos_ < text_.size() && isDigit(text_[pos_]) && value < 1000) {
            value = value * 10 + (text_[pos_].unicode() - u'0');
            ++pos_;
        }
        return pos_ > start ? std::optional<int>(value) : std::nullopt;
    }

    bool separator() {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == locale_.timeSeparator) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool atEnd() {
        skipBlanks();
        return pos_ == text_.size();
    }

private:
    static bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

    void skipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == u' ') {
            ++pos_;
        }
    }

    bool word(const QString& symbol) {
        skipBlanks();
        if (symbol.isEmpty() ||
            QStringView(text_).mid(pos_, symbol.size()).compare(symbol, Qt::CaseInsensitive) != 0) {
            return false;
        }
        pos_ += symbol.size();
        return true;
    }

    const QString& text_;
    const TimeLocale& locale_;
    qsizetype pos_ = 0;
};

struct ClockTime {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

std::optional<ClockTime> scanTime(const QString& text, const TimeLocale& locale) {
    TimeTextScanner scan(text, locale);
    std::optional<int> dayHalf = scan.designator();
    ClockTime time;
    const auto hours = scan.number();
    if (!hours) {
        return std::nullopt;
    }
    time.hours = *hours;
    if (scan.separator()) {
        const auto minutes = scan.number();
        if (!minutes) {
            return std::nullopt;
        }
        time.minutes = *minutes;
        if (scan.separator()) {
            const auto seconds = scan.number();
            if (!seconds) {
                return std::nullopt;
            }
            time.seconds = *seconds;
        }
    }
    if (!dayHalf) {
        dayHalf = scan.designator();
    }
    if (dayHalf) {
        if (time.hours < 1 || time.hours > 12) {
            return std::nullopt;
        }
        time.hours = time.hours % 12 + *dayHalf;
    }
    if (!scan.atEnd()) {
        return std::nullopt;
    }
    return time;
}

bool isValid(const ClockTime& time) {
    return time.hours <= 23 && time.minutes <= 59 && time.seconds <= 59;
}

// The separator that follows the hours in a QLocale time pattern such as "HH:mm" or "h.mm".
QChar separatorOf(const QString& pattern) {
    const qsizetype hour = pattern.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    if (hour < 0) {
        return u':';
    }
    for (qsizetype i = hour; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'h' || c == u'H' || c == u'\'' || c == u' ') {
            continue;
        }
        return c == u'm' ? QChar(u':') : c;
    }
    return u':';
}

// `pattern` without its time-zone fields ('t' outside quotes).
QString withoutTimeZone(const QString& pattern) {
    QString result;
    bool quoted = false;
    for (const QChar c : pattern) {
        if (c == u'\'') {
            quoted = !quoted;
        }
        if (quoted || c != u't') {
            result += c;
        }
    }
    return result.trimmed();
}

qsizetype runLength(const QString& pattern, qsizetype pos) {
    qsizetype end = pos;
    while (end < pattern.size() && pattern[end] == pattern[pos]) {
        ++end;
    }
    return end - pos;
}

QString twoDigits(int value, bool padded) {
    return padded ? QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'))
                  : QString::number(value);
}

bool hasDayHalf(const QString& pattern) {
    bool quoted = false;
    for (const QChar c : pattern) {
        quoted = c == u'\'' ? !quoted : quoted;
        if (!quoted && (c == u'a' || c == u'A')) {
            return true;
        }
    }
    return false;
}

// Expands a QTime-style pattern (h, hh, H, HH, m, mm, s, ss, AP, ap, 'quoted text') with the
// designators of `locale`; the hours run from 1 to 12 when the pattern has a designator.
QString expandPattern(const QString& pattern, const ClockTime& time, const TimeLocale& locale) {
    const bool twelveHours = hasDayHalf(pattern);
    const int hour12 = time.hours % 12 == 0 ? 12 : time.hours % 12;
    QString text;
    for (qsizetype pos = 0; pos < pattern.size();) {
        const QChar c = pattern[pos];
        qsizetype run = runLength(pattern, pos);
        if (c == u'\'') {
            const qsizetype close = pattern.indexOf(u'\'', pos + 1);
            const qsizetype end = close < 0 ? pattern.size() : close;
            text += run >= 2 ? QStringLiteral("'") : pattern.mid(pos + 1, end - pos - 1);
            run = run >= 2 ? 2 : end - pos + 1;
        } else if (c == u'h' || c == u'H') {
            run = std::min<qsizetype>(run, 2);
            text += twoDigits(c == u'h' && twelveHours ? hour12 : time.hours, run == 2);
        } else if (c == u'm' || c == u's') {
            run = std::min<qsizetype>(run, 2);
            text += twoDigits(c == u'm' ? time.minutes : time.seconds, run == 2);
        } else if (c == u'a' || c == u'A') {
            const QString& designator = time.hours < 12 ? locale.amDesignator : locale.pmDesignator;
            text += c == u'a' ? designator.toLower() : designator.toUpper();
            run = pos + 1 < pattern.size() && pattern[pos + 1].toLower() == u'p' ? 2 : 1;
        } else {
            text += QStringView(pattern).mid(pos, run);
        }
        pos += run;
    }
    return text;
}

}  // namespace

TimeLocale TimeLocale::system() {
    const QLocale locale;
    TimeLocale result;
    result.amDesignator = locale.amText();
    result.pmDesignator = locale.pmText();
    result.timeSeparator = separatorOf(locale.timeFormat(QLocale::ShortFormat));
    result.longTimeFormat = withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    return result;
}

double SecondsToTime(double seconds) {
    return seconds / 86400.0;
}

double TextToTime(const QString& text, double defaultValue, const TimeLocale& locale) {
    const auto time = scanTime(text, locale);
    if (!time || !isValid(*time)) {
        return defaultValue - std::trunc(defaultValue);
    }
    const qint64 ms = time->hours * 3'600'000LL + time->minutes * 60'000LL + time->seconds * 1000LL;
    return static_cast<double>(ms) / kMsPerDay;
}

QString TimeToText(double value) {
    const qint32 ms = TimeOfDayMs(value);
    const qint32 seconds = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString FormatLongTime(double value, const TimeLocale& locale) {
    const qint32 seconds = TimeOfDayMs(value) / 1000;
    const ClockTime time{seconds / 3600, seconds / 60 % 60, seconds % 60};
    return expandPattern(locale.longTimeFormat, time, locale);
}

qint32 TimeOfDayMs(double value) {
    const double ms = std::nearbyint(value * kMsPerDay);
    if (!std::isfinite(ms)) {
        return 0;
    }
    double ofDay = std::fmod(ms, kMsPerDay);
    if (ofDay < 0) {
        ofDay += kMsPerDay;
    }
    return static_cast<qint32>(ofDay);
}

qint32 RoundedSeconds(qint64 ms) {
    constexpr double lowest = std::numeric_limits<qint32>::min();
    constexpr double highest = std::numeric_limits<qint32>::max();
    return roundHalfEven(std::clamp(static_cast<double>(ms) / 1000.0, lowest, highest));
}

}  // namespace cinevan
