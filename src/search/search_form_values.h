// The search form as one plain record, the form's enabling rules, and the translation of the
// form into search criteria. No widgets: the main window copies its controls into the record.
#pragma once

#include "filesearch/search_options.h"
#include "platform/file_time.h"

#include <cstdint>
#include <optional>
#include <QString>
#include <QTime>

// One field per control of the search form, named after the control, with the values of a first
// start. Plain value; any thread.
struct TSearchFormValues
{
    // Defaults with the date range ending at the current local time.
    TSearchFormValues();
    // Defaults with the date range ending at aNow: SearchMinDate is aNow minus 30 days.
    explicit TSearchFormValues(TDateTime aNow);

    QString SearchField = QStringLiteral("*.*"); // "File Name Filter:"
    QString edtTextToFind;                       // "Text to find:"
    bool SearchAllRB = true;                     // date radio "All files"
    bool SearchDateRB = false;                   // date radio "Find files"
    int SearchOptionsCombo = 2;                  // 0 Accessed, 1 Created, 2 Modified, -1 none
    TDateTime SearchMinDate = 0;                 // "between"
    TDateTime SearchMaxDate = 0;                 // "and"
    bool chSize1 = true;                         // size radio "All files"
    bool chSize2 = false;                        // size radio "Size is:"
    int FileSizeCombo = 0;                       // 0 greater or equals, 1 less or equals
    QString FileSize = QStringLiteral("0");      // kilobytes
    bool chkShowHidden = false;                  // "Show hidden objects in result"
    bool chSearchInSubfolders = true;            // "Search in subfolders"
    bool CheckBox1 = false;                      // "Search in unrecognized formats ..."
    QString Exclude;                             // "Exclude:" masks separated by ";"
    bool MatchCase = false;                      // "Match case"
    bool WholeWords = false;                     // "Whole words only"
    bool RegularExpression = false;              // "Regular expression"
};

// Which groups of the form's controls are enabled for given form values.
struct TSearchFormEnabling
{
    // SearchMinDate, SearchMaxDate, SearchOptionsCombo and the labels "between" and "and".
    bool DateRange = false;
    // FileSizeCombo, FileSize, UpDown1 and the label "KB".
    bool SizeLimit = false;
};

// The date controls are enabled exactly while "Find files" is checked, the size controls exactly
// while "Size is:" is checked (so both groups start disabled). Pure.
TSearchFormEnabling SearchFormEnabling(const TSearchFormValues &aValues);

// The current local date and time as a date-time. Any thread.
TDateTime CurrentDateTime();

// aDateTime's day at the time of day aTime; aDateTime unchanged when it cannot be decoded
// (not finite, or past year 9999). Pure.
TDateTime WithTimeOfDay(TDateTime aDateTime, const QTime &aTime);

// The last millisecond of a day, the upper end of a date range.
inline const QTime cEndOfDay{23, 59, 59, 999};

// A size text read as a signed 32-bit decimal integer (surrounding white space allowed), times
// 1024, in 64 bits; nothing when the text is no such integer. Pure.
std::optional<int64_t> KilobyteTextToBytes(const QString &aText);

// Resets aOptions and fills them from the form: filter as typed, the date range (its first day
// from 00:00:00.000, its last day to 23:59:59.999) on the file time the combo names (anything
// but Accessed or Created means Modified), the size limit in bytes (a text that is no number
// gives no limit), recursion, hidden entries, files only. Pure apart from writing aOptions.
void FillSearchOptions(const TSearchFormValues &aValues, TZorSearchOptions &aOptions);
