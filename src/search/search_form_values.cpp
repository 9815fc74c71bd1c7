// The search form record, its enabling rules and its translation into search criteria.
#include "search/search_form_values.h"

#include <QDateTime>

namespace {

constexpr double cDefaultRangeDays = 30.0;

} // namespace

TSearchFormValues::TSearchFormValues() : TSearchFormValues(CurrentDateTime()) {}

TSearchFormValues::TSearchFormValues(TDateTime aNow)
    : SearchMinDate(aNow - cDefaultRangeDays), SearchMaxDate(aNow)
{
}

TSearchFormEnabling SearchFormEnabling(const TSearchFormValues &aValues)
{
    TSearchFormEnabling enabling;
    enabling.DateRange = aValues.SearchDateRB;
    enabling.SizeLimit = aValues.chSize2;
    return enabling;
}

TDateTime CurrentDateTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    return EncodeDateTime(now.date(), now.time());
}

TDateTime WithTimeOfDay(TDateTime aDateTime, const QTime &aTime)
{
    QDate date;
    QTime time;
    if (!DecodeDateTime(aDateTime, date, time))
        return aDateTime;
    return EncodeDateTime(date, aTime);
}

std::optional<int64_t> KilobyteTextToBytes(const QString &aText)
{
    bool ok = false;
    const int kilobytes = aText.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return int64_t(kilobytes) * 1024;
}

void FillSearchOptions(const TSearchFormValues &aValues, TZorSearchOptions &aOptions)
{
    aOptions.Reset();
    aOptions.SetFilter(aValues.SearchField);
    aOptions.SetExclude(aValues.Exclude);

    if (aValues.SearchDateRB) {
        const TDateTime first = WithTimeOfDay(aValues.SearchMinDate, QTime(0, 0));
        const TDateTime last = WithTimeOfDay(aValues.SearchMaxDate, cEndOfDay);
        switch (aValues.SearchOptionsCombo) {
        case 0:
            aOptions.SetAccessDateMin(first);
            aOptions.SetAccessDateMax(last);
            break;
        case 1:
            aOptions.SetCreationDateMin(first);
            aOptions.SetCreationDateMax(last);
            break;
        default:
            aOptions.SetLastWriteDateMin(first);
            aOptions.SetLastWriteDateMax(last);
            break;
        }
    }

    if (aValues.chSize1) {
        aOptions.SetMinFileSize(0);
        aOptions.SetMaxFileSize(-1);
    } else if (!aValues.FileSize.isEmpty()) {
        const std::optional<int64_t> bytes = KilobyteTextToBytes(aValues.FileSize);
        if (aValues.FileSizeCombo == 0)
            aOptions.SetMinFileSize(bytes.value_or(0));
        else if (aValues.FileSizeCombo == 1)
            aOptions.SetMaxFileSize(bytes.value_or(-1));
    }

    aOptions.SetRecursiveSearch(aValues.chSearchInSubfolders);
    aOptions.SetFilesAndFolders(ffFilesOnly);
    aOptions.SetIncludeHidden(aValues.chkShowHidden);
}
