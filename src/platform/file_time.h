// Date-times (day counts since 1899-12-30 in local time) and FILETIMEs (100-ns ticks since
// 1601-01-01 UTC): encoding, decoding, comparison and the local-to-UTC conversion.
#pragma once

#include "platform/find_data.h"

#include <optional>
#include <QDate>
#include <QTime>

// Days since 1899-12-30 00:00 local time; the fraction is the time of day. Before that day the
// fraction still counts forward from midnight (-1.25 is 1899-12-29 06:00).
using TDateTime = double;

// The date-time of a calendar day and a time of day, in the encoding above.
TDateTime EncodeDateTime(const QDate &pDate, const QTime &pTime);

// Splits a date-time into its day and its time of day, rounded to the millisecond.
// Returns false (and leaves the arguments alone) for a value that is not finite or whose
// magnitude reaches 2958466 days (past 9999-12-31).
bool DecodeDateTime(TDateTime pDateTime, QDate &aDate, QTime &aTime);

// -1, 0 or 1 as a is earlier than, equal to or later than b.
int CompareFileTime(TFileTime a, TFileTime b);

// The FILETIME of an instant given as milliseconds since 1970-01-01 UTC; nothing for an
// instant before 1601.
std::optional<TFileTime> FileTimeFromUnixMSecs(qint64 pMSecsSinceEpoch);

// Reads the date-time as wall-clock time in the system time zone (TZ, else the system's zone) and
// returns the UTC instant as a FILETIME, with the daylight-saving offset in force on that date.
// A local time skipped by a change to daylight-saving time is read with the offset before the
// change; one that occurs twice is read as its second occurrence. Nothing for a date-time that
// cannot be decoded or lies before 1601.
// Reentrant; reads the time-zone data through Qt's QTimeZone.
std::optional<TFileTime> LocalDateTimeToFileTime(TDateTime pDateTime);
