#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

namespace cinevan {

// The locale's time conventions that time texts are read and written with.
struct TimeLocale {
    QString amDesignator;  // e.g. "AM"; may be empty
    QString pmDesignator;  // e.g. "PM"; may be empty
    QChar timeSeparator{u':'};
    // Pattern of hours, minutes and seconds in QTime::toString() notation, e.g. "h:mm:ss AP".
    QString longTimeFormat{QStringLiteral("HH:mm:ss")};

    // The conventions of the default QLocale (the system's unless a program has changed it).
    static TimeLocale system();
};

// A time value is a time of day as a fraction of a day: one second is 1/86400.

// The time value of `seconds`.
double SecondsToTime(double seconds);

// The time value of a time text such as "1:05:09" or "12:30 AM"; when the text is not a valid
// time, the fractional part of `defaultValue`.
double TextToTime(const QString& text, double defaultValue,
                  const TimeLocale& locale = TimeLocale::system());

// "H:MM:SS" of the time of day of `value`; milliseconds are dropped, whole days wrap around.
QString TimeToText(double value);

// The time of day of `value` in the locale's long time format, e.g. "1:05:09 PM".
QString FormatLongTime(double value, const TimeLocale& locale = TimeLocale::system());

// The time of day of `value` in milliseconds, 0 to 86 399 999.
qint32 TimeOfDayMs(double value);

// `ms` in whole seconds, rounded to the nearest integer with halves to the even neighbour.
qint32 RoundedSeconds(qint64 ms);

}  // namespace cinevan
