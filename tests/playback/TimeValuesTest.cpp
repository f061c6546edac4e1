#include <gtest/gtest.h>

#include <QLocale>
#include <cmath>
#include <limits>

#include "playback/TimeValues.h"

namespace cinevan {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

TimeLocale usual() {
    TimeLocale locale;
    locale.amDesignator = QStringLiteral("AM");
    locale.pmDesignator = QStringLiteral("PM");
    locale.timeSeparator = u':';
    return locale;
}

double seconds(int h, int m, int s) {
    return (h * 3600 + m * 60 + s) * kSecond;
}

double read(const char* text, double fallback = 0.0) {
    return TextToTime(QString::fromUtf8(text), fallback, usual());
}

TEST(TextToTime, ReadsHoursMinutesAndSeconds) {
    EXPECT_DOUBLE_EQ(read("0:01:30"), seconds(0, 1, 30));
    EXPECT_DOUBLE_EQ(read("00:01"), seconds(0, 1, 0));
    EXPECT_DOUBLE_EQ(read("1 : 05 : 09"), seconds(1, 5, 9));
    EXPECT_DOUBLE_EQ(read("  7  "), seconds(7, 0, 0));
    EXPECT_DOUBLE_EQ(read("23:59:59"), seconds(23, 59, 59));
    EXPECT_DOUBLE_EQ(read("0001:0002:0003"), seconds(1, 2, 3));
}

TEST(TextToTime, RejectsOutOfRangeAndMalformedTexts) {
    for (const char* text :
         {"24:00:00", "0:60:00", "0:00:60", "0:01:30.5", "abc", "", "   ", "1:", "1::00", ":30",
          "1:00:00:00", "-1:00", "1:00 x", "\t1:00", "1000:00", "99999"}) {
        EXPECT_EQ(read(text), 0.0) << text;
    }
}

TEST(TextToTime, InvalidTextGivesTheFractionalPartOfTheDefault) {
    EXPECT_DOUBLE_EQ(read("abc", 2.25), 0.25);
    EXPECT_DOUBLE_EQ(read("abc", 0.75), 0.75);
    EXPECT_DOUBLE_EQ(read("abc", -1.5), -0.5);
    EXPECT_DOUBLE_EQ(read("0:00:10", 2.25), seconds(0, 0, 10)) << "a valid text ignores it";
}

TEST(TextToTime, DayHalfDesignatorBeforeOrAfterTheTime) {
    EXPECT_DOUBLE_EQ(read("12:30:00 AM"), seconds(0, 30, 0));
    EXPECT_DOUBLE_EQ(read("1:00 PM"), seconds(13, 0, 0));
    EXPECT_DOUBLE_EQ(read("12:00 pm"), seconds(12, 0, 0));
    EXPECT_DOUBLE_EQ(read("pm 3"), seconds(15, 0, 0));
    EXPECT_DOUBLE_EQ(read("AM11:15"), seconds(11, 15, 0));
    EXPECT_DOUBLE_EQ(read("1:00PM"), seconds(13, 0, 0));
    // With a designator the hours run from 1 to 12, and only one designator is allowed.
    for (const char* text : {"0:30 AM", "13:00 PM", "AM 1:00 PM", "1:00 AM PM"}) {
        EXPECT_EQ(read(text), 0.0) << text;
    }
}

TEST(TextToTime, UsesTheLocaleSeparatorAndDesignators) {
    TimeLocale german;
    german.amDesignator = QStringLiteral("vorm.");
    german.pmDesignator = QStringLiteral("nachm.");
    german.timeSeparator = u'.';
    EXPECT_DOUBLE_EQ(TextToTime("1.05.09", 0, german), seconds(1, 5, 9));
    EXPECT_DOUBLE_EQ(TextToTime("2.00 NACHM.", 0, german), seconds(14, 0, 0));
    EXPECT_DOUBLE_EQ(TextToTime("vorm. 12.10", 0, german), seconds(0, 10, 0));
    EXPECT_DOUBLE_EQ(TextToTime("2.00 PM", 0, german), seconds(14, 0, 0))
        << "the English designators are always understood";
    EXPECT_EQ(TextToTime("1:05:09", 0, german), 0.0);

    TimeLocale noDesignators = usual();
    noDesignators.amDesignator.clear();
    noDesignators.pmDesignator.clear();
    EXPECT_DOUBLE_EQ(TextToTime("1:00 am", 0, noDesignators), seconds(1, 0, 0));
    EXPECT_EQ(TextToTime("1:00 x", 0, noDesignators), 0.0);
}

TEST(TimeToText, FormatsHoursMinutesAndSeconds) {
    EXPECT_EQ(TimeToText(0.0), "0:00:00");
    EXPECT_EQ(TimeToText(SecondsToTime(75)), "0:01:15");
    EXPECT_EQ(TimeToText(SecondsToTime(3725)), "1:02:05");
    EXPECT_EQ(TimeToText(1.0 - kSecond), "23:59:59");
    EXPECT_EQ(TimeToText(SecondsToTime(59.999)), "0:00:59") << "milliseconds are dropped";
}

TEST(TimeToText, WholeDaysWrapAround) {
    EXPECT_EQ(TimeToText(1.0), "0:00:00");
    EXPECT_EQ(TimeToText(SecondsToTime(86400 + 3725)), "1:02:05");
    EXPECT_EQ(TimeToText(std::numeric_limits<double>::quiet_NaN()), "0:00:00");
}

TEST(TimeOfDayMs, RoundsToTheNearestMillisecondWithinOneDay) {
    EXPECT_EQ(TimeOfDayMs(read("0:01:00")), 60000);
    EXPECT_EQ(TimeOfDayMs(read("23:59:59")), 86399000);
    EXPECT_EQ(TimeOfDayMs(SecondsToTime(124.5)), 124500);
    EXPECT_EQ(TimeOfDayMs(0.4 / 86400000.0), 0);
    EXPECT_EQ(TimeOfDayMs(0.6 / 86400000.0), 1);
    EXPECT_EQ(TimeOfDayMs(1.0), 0);
    EXPECT_EQ(TimeOfDayMs(2.5), 43200000);
    const qint32 absurd = TimeOfDayMs(1e300);  // no overflow, still a time of day
    EXPECT_GE(absurd, 0);
    EXPECT_LT(absurd, 86400000);
    EXPECT_EQ(TimeOfDayMs(std::numeric_limits<double>::infinity()), 0);
}

TEST(TimeOfDayMs, TextsRoundTripThroughMilliseconds) {
    // Every whole second of the day survives text -> time value -> milliseconds -> text.
    for (int s = 0; s < 86400; s += 7) {
        const QString text = TimeToText(SecondsToTime(s));
        const double value = TextToTime(text, 0, usual());
        ASSERT_EQ(TimeOfDayMs(value), s * 1000) << text.toStdString();
        ASSERT_EQ(TimeToText(value), text);
    }
}

TEST(RoundedSeconds, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundedSeconds(124500), 124);
    EXPECT_EQ(RoundedSeconds(125500), 126);
    EXPECT_EQ(RoundedSeconds(124499), 124);
    EXPECT_EQ(RoundedSeconds(124501), 125);
    EXPECT_EQ(RoundedSeconds(600400), 600);
    EXPECT_EQ(RoundedSeconds(0), 0);
    EXPECT_EQ(RoundedSeconds(4294967295LL), 4294967);
}

TEST(TimeLocale, SystemConventionsFollowTheDefaultLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    const TimeLocale finnish = TimeLocale::system();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const TimeLocale english = TimeLocale::system();
    QLocale::setDefault(saved);

    EXPECT_EQ(finnish.timeSeparator, u'.');
    EXPECT_EQ(english.timeSeparator, u':');
    EXPECT_EQ(english.amDesignator, "AM");
    EXPECT_EQ(english.pmDesignator, "PM");
    EXPECT_FALSE(english.longTimeFormat.contains(u't')) << "no time-zone field";
    EXPECT_TRUE(english.longTimeFormat.contains(QStringLiteral("ss")));
    EXPECT_DOUBLE_EQ(TextToTime("1.05.09", 0, finnish), seconds(1, 5, 9));
}

}  // namespace
}  // namespace cinevan

namespace cinevan {
namespace {

TEST(FormatLongTime, ExpandsTheLocalePattern) {
    TimeLocale locale;
    locale.amDesignator = QStringLiteral("am");
    locale.pmDesignator = QStringLiteral("pm");
    const double afternoon = SecondsToTime(13 * 3600 + 5 * 60 + 9);
    const double midnight = SecondsToTime(30 * 60);

    locale.longTimeFormat = QStringLiteral("h:mm:ss AP");
    EXPECT_EQ(FormatLongTime(afternoon, locale), "1:05:09 PM");
    EXPECT_EQ(FormatLongTime(midnight, locale), "12:30:00 AM");
    locale.longTimeFormat = QStringLiteral("ap hh:mm:ss");
    EXPECT_EQ(FormatLongTime(afternoon, locale), "pm 01:05:09");
    locale.longTimeFormat = QStringLiteral("HH:mm:ss");
    EXPECT_EQ(FormatLongTime(afternoon, locale), "13:05:09");
    EXPECT_EQ(FormatLongTime(midnight, locale), "00:30:00");
    locale.longTimeFormat = QStringLiteral("H 'h' m 'min' s''");
    EXPECT_EQ(FormatLongTime(afternoon, locale), "13 h 5 min 9'");
    EXPECT_EQ(FormatLongTime(0.0, locale), "0 h 0 min 0'");
}

TEST(FormatLongTime, TextsOfCommonLocalesReadBackWithTextToTime) {
    const QLocale saved;
    for (const auto& [language, country] : {std::pair{QLocale::English, QLocale::UnitedStates},
                                            std::pair{QLocale::English, QLocale::UnitedKingdom},
                                            std::pair{QLocale::German, QLocale::Germany},
                                            std::pair{QLocale::Finnish, QLocale::Finland}}) {
        QLocale::setDefault(QLocale(language, country));
        const TimeLocale locale = TimeLocale::system();
        for (const int s : {0, 59, 3725, 12 * 3600 + 1, 13 * 3600 + 5 * 60 + 9, 86399}) {
            const QString text = FormatLongTime(SecondsToTime(s), locale);
            EXPECT_EQ(TimeOfDayMs(TextToTime(text, 0.5, locale)), s * 1000)
                << QLocale().name().toStdString() << " " << text.toStdString() << " from "
                << locale.longTimeFormat.toStdString();
        }
    }
    QLocale::setDefault(saved);
}

}  // namespace
}  // namespace cinevan
