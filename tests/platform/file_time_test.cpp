// Date-time encoding and the local-time to UTC FILETIME conversion, across daylight-saving days.
#include "platform/file_time.h"
#include "support/scoped_time_zone.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <QDateTime>

namespace {

TFileTime UtcFileTime(const QDate &pDate, const QTime &pTime)
{
    return *FileTimeFromUnixMSecs(QDateTime(pDate, pTime, Qt::UTC).toMSecsSinceEpoch());
}

TEST(FileTime, EncodeAndDecodeDateTime)
{
    EXPECT_EQ(EncodeDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0);
    EXPECT_EQ(EncodeDateTime(QDate(1899, 12, 31), QTime(0, 0)), 1.0);
    EXPECT_EQ(EncodeDateTime(QDate(1900, 1, 1), QTime(18, 0)), 2.75);
    EXPECT_EQ(EncodeDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25);

    QDate date;
    QTime time;
    ASSERT_TRUE(DecodeDateTime(-1.25, date, time));
    EXPECT_EQ(date, QDate(1899, 12, 29));
    EXPECT_EQ(time, QTime(6, 0));

    const TDateTime lastMilli = EncodeDateTime(QDate(2026, 3, 29), QTime(23, 59, 59, 999));
    ASSERT_TRUE(DecodeDateTime(lastMilli, date, time));
    EXPECT_EQ(date, QDate(2026, 3, 29));
    EXPECT_EQ(time, QTime(23, 59, 59, 999));

    EXPECT_FALSE(DecodeDateTime(std::numeric_limits<double>::infinity(), date, time));
    EXPECT_FALSE(DecodeDateTime(std::nan(""), date, time));
    EXPECT_FALSE(DecodeDateTime(1e300, date, time));
}

TEST(FileTime, CompareAndEpochs)
{
    EXPECT_EQ(CompareFileTime(1, 2), -1);
    EXPECT_EQ(CompareFileTime(2, 2), 0);
    EXPECT_EQ(CompareFileTime(~TFileTime(0), 2), 1);
    EXPECT_EQ(*FileTimeFromUnixMSecs(0), 116444736000000000ULL);
    EXPECT_EQ(*FileTimeFromUnixMSecs(-11644473600000), 0u);
    EXPECT_FALSE(FileTimeFromUnixMSecs(-11644473600001).has_value());
}

TEST(FileTime, LocalTimeInUtcZone)
{
    TScopedTimeZone zone("UTC");
    EXPECT_EQ(LocalDateTimeToFileTime(EncodeDateTime(QDate(2026, 7, 1), QTime(12, 0))),
              UtcFileTime(QDate(2026, 7, 1), QTime(12, 0)));
    EXPECT_EQ(LocalDateTimeToFileTime(EncodeDateTime(QDate(1601, 1, 1), QTime(0, 0))), 0u);
    EXPECT_FALSE(LocalDateTimeToFileTime(EncodeDateTime(QDate(1600, 12, 31), QTime(0, 0))));
    EXPECT_FALSE(LocalDateTimeToFileTime(std::numeric_limits<double>::infinity()));
}

struct TLocalCase
{
    const char *zone;
    QDate date;
    QTime localTime;
    QDate utcDate;
    QTime utcTime;
};

void PrintTo(const TLocalCase &pCase, std::ostream *aStream)
{
    *aStream << pCase.zone << ' ' << pCase.date.toString(Qt::ISODate).toStdString() << ' '
             << pCase.localTime.toString(Qt::ISODateWithMs).toStdString();
}

class LocalToUtcTest : public ::testing::TestWithParam<TLocalCase>
{
};

// The offset is the one in force at that local time on that date, not today's.
TEST_P(LocalToUtcTest, UsesTheOffsetOfThatDate)
{
    const TLocalCase &c = GetParam();
    TScopedTimeZone zone(c.zone);
    EXPECT_EQ(LocalDateTimeToFileTime(EncodeDateTime(c.date, c.localTime)),
              UtcFileTime(c.utcDate, c.utcTime));
}

INSTANTIATE_TEST_SUITE_P(
    DaylightSaving, LocalToUtcTest,
    ::testing::Values(
        // winter and summer
        TLocalCase{"Europe/Berlin", {2026, 1, 15}, {12, 0}, {2026, 1, 15}, {11, 0}},
        TLocalCase{"Europe/Berlin", {2026, 7, 15}, {12, 0}, {2026, 7, 15}, {10, 0}},
        // the spring change day: the day starts in winter time and ends in summer time
        TLocalCase{"Europe/Berlin", {2026, 3, 29}, {0, 0}, {2026, 3, 28}, {23, 0}},
        TLocalCase{"Europe/Berlin", {2026, 3, 29}, {23, 59, 59, 999}, {2026, 3, 29}, {21, 59, 59, 999}},
        // a skipped local time is read with the winter offset
        TLocalCase{"Europe/Berlin", {2026, 3, 29}, {2, 30}, {2026, 3, 29}, {1, 30}},
        // the autumn change day; a doubled local time is read as its second occurrence
        TLocalCase{"Europe/Berlin", {2026, 10, 25}, {0, 0}, {2026, 10, 24}, {22, 0}},
        TLocalCase{"Europe/Berlin", {2026, 10, 25}, {2, 30}, {2026, 10, 25}, {1, 30}},
        TLocalCase{"Europe/Berlin", {2026, 10, 25}, {23, 59, 59, 999}, {2026, 10, 25}, {22, 59, 59, 999}},
        // west of UTC, and a zone whose rules changed: Moscow kept +4 all year in 2012
        TLocalCase{"America/New_York", {2026, 3, 8}, {23, 59, 59, 999}, {2026, 3, 9}, {3, 59, 59, 999}},
        TLocalCase{"Europe/Moscow", {2012, 1, 15}, {12, 0}, {2012, 1, 15}, {8, 0}},
        TLocalCase{"Europe/Moscow", {2016, 1, 15}, {12, 0}, {2016, 1, 15}, {9, 0}}));

} // namespace
