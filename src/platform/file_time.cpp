// Date-time encoding and the conversion of local wall-clock time to UTC FILETIMEs.
#include "platform/file_time.h"

#include <cmath>
#include <cstdlib>
#include <QDateTime>
#include <QTimeZone>

namespace {

constexpr qint64 cMSecsPerDay = 86400000;
// Milliseconds from 1601-01-01 to 1970-01-01.
constexpr qint64 cFileTimeEpochToUnixMSecs = 11644473600000;
// A day count whose magnitude is past year 9999 on either side of 1899.
constexpr double cDaysLimit = 2958466.0;

const QDate cDateTimeEpoch(1899, 12, 30);

// The zone's offset from UTC, in milliseconds, at an instant.
qint64 OffsetAt(const QTimeZone &pZone, qint64 pUtcMSecs)
{
    return qint64(pZone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(pUtcMSecs, Qt::UTC))) * 1000;
}

} // namespace

TDateTime EncodeDateTime(const QDate &pDate, const QTime &pTime)
{
    const double days = double(cDateTimeEpoch.daysTo(pDate));
    const double fraction = double(pTime.msecsSinceStartOfDay()) / double(cMSecsPerDay);
    return days < 0 ? days - fraction : days + fraction;
}

bool DecodeDateTime(TDateTime pDateTime, QDate &aDate, QTime &aTime)
{
    if (!std::isfinite(pDateTime) || std::fabs(pDateTime) >= cDaysLimit)
        return false;
    const qint64 total = std::llround(pDateTime * double(cMSecsPerDay));
    aDate = cDateTimeEpoch.addDays(total / cMSecsPerDay);
    aTime = QTime::fromMSecsSinceStartOfDay(int(std::llabs(total % cMSecsPerDay)));
    return true;
}

int CompareFileTime(TFileTime a, TFileTime b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

std::optional<TFileTime> FileTimeFromUnixMSecs(qint64 pMSecsSinceEpoch)
{
    if (pMSecsSinceEpoch < -cFileTimeEpochToUnixMSecs)
        return std::nullopt;
    return TFileTime(pMSecsSinceEpoch + cFileTimeEpochToUnixMSecs) * 10000;
}

std::optional<TFileTime> LocalDateTimeToFileTime(TDateTime pDateTime)
{
    QDate date;
    QTime time;
    if (!DecodeDateTime(pDateTime, date, time))
        return std::nullopt;
    // The wall-clock fields counted as if they were UTC; the answer is this minus the offset.
    const qint64 wallClock = QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch();
    const QTimeZone zone = QTimeZone::systemTimeZone();
    // Offsets a day either side bracket at most one daylight-saving change.
    const qint64 offsetBefore = OffsetAt(zone, wallClock - cMSecsPerDay);
    const qint64 offsetAfter = OffsetAt(zone, wallClock + cMSecsPerDay);
    const qint64 readBefore = wallClock - offsetBefore;
    const qint64 readAfter = wallClock - offsetAfter;
    const bool fitsBefore = OffsetAt(zone, readBefore) == offsetBefore;
    const bool fitsAfter = OffsetAt(zone, readAfter) == offsetAfter;
    qint64 utc = readBefore; // also a skipped time: read with the offset before the change
    if (fitsBefore && fitsAfter)
        utc = std::max(readBefore, readAfter);
    else if (fitsAfter)
        utc = readAfter;
    return FileTimeFromUnixMSecs(utc);
}
