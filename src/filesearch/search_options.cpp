// Search criteria: defaults, copying, filter splitting and the per-entry test.
#include "filesearch/search_options.h"

#include "platform/wildcard_match.h"

#include <algorithm>
#include <limits>

namespace {

// How much of the filter text after a separator is kept. The first piece is cut to this length
// as well, so that no mask makes matching slow.
constexpr qsizetype cMaxFilterRemainder = 10000;

const QString cEveryName = QStringLiteral("*");
const QString cNoExtensionMask = QStringLiteral("*.");
const QString cAnyExtensionMask = QStringLiteral("*.*");

// The text without leading and trailing blanks and control characters.
QStringView TrimBlanks(QStringView pText)
{
    qsizetype first = 0;
    qsizetype last = pText.size();
    while (first < last && pText[first].unicode() <= u' ')
        ++first;
    while (last > first && pText[last - 1].unicode() <= u' ')
        --last;
    return pText.sliced(first, last - first);
}

// A date bound's FILETIME. A bound that cannot be converted becomes one no time can fail: the
// latest FILETIME for an upper bound, the earliest for a lower bound.
TFileTime BoundFileTime(TDateTime pValue, bool pUpperBound)
{
    return LocalDateTimeToFileTime(pValue).value_or(pUpperBound ? std::numeric_limits<TFileTime>::max()
                                                                : TFileTime(0));
}

bool CaseInsensitiveLess(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

} // namespace

TZorSearchOptions::TZorSearchOptions()
{
    Reset();
}

TZorSearchOptions::TZorSearchOptions(const TZorSearchOptions &pSource) : TZorSearchOptions()
{
    Assign(pSource);
}

TZorSearchOptions &TZorSearchOptions::operator=(const TZorSearchOptions &pSource)
{
    if (this != &pSource)
        Assign(pSource);
    return *this;
}

void TZorSearchOptions::Assign(const TZorSearchOptions &Source)
{
    SetCreationDateMax(Source.CreationDateMax());
    SetCreationDateMin(Source.CreationDateMin());
    SetAccessDateMax(Source.AccessDateMax());
    SetAccessDateMin(Source.AccessDateMin());
    SetLastWriteDateMax(Source.LastWriteDateMax());
    SetLastWriteDateMin(Source.LastWriteDateMin());
    SetRecursiveSearch(Source.RecursiveSearch());
    SetFilesAndFolders(Source.FilesAndFolders());
    SetMaxFileSize(Source.MaxFileSize());
    SetMinFileSize(Source.MinFileSize());
    SetAutoWildcard(Source.AutoWildcard());
    SetFilter(QString(Source.Filter())); // a copy: Source may be this object
    SetIncludeHidden(Source.IncludeHidden());
    SetUseFullPathWhenComparing(Source.UseFullPathWhenComparing());
    SetExclude(QString(Source.Exclude()));
}

void TZorSearchOptions::SetExclude(const QString &pValue)
{
    fExclude = pValue;
    fExcludeMasks.clear();
    for (const QString &piece : pValue.split(u';')) {
        const QString mask = piece.trimmed();
        if (!mask.isEmpty() && !fExcludeMasks.contains(mask))
            fExcludeMasks.append(mask);
    }
}

bool TZorSearchOptions::IsExcluded(QStringView pName) const
{
    return std::any_of(fExcludeMasks.cbegin(), fExcludeMasks.cend(),
                       [pName](const QString &aMask) { return PathMatchSpec(pName, aMask); });
}

void TZorSearchOptions::Reset()
{
    fRecursiveSearch = true;
    fIncludeHidden = false;
    fMaxFileSize = -1;
    fMinFileSize = 0;
    fSplittedFilter.clear();
    fFilter = cEveryName;
    fFilesAndFolders = ffFilesAndFolders;
    fAutoWildcard = true;
    fUseFullPathWhenComparing = false;
    SetExclude(QString());
    SetAccessDateMin(0);
    SetAccessDateMax(0);
    SetCreationDateMin(0);
    SetCreationDateMax(0);
    SetLastWriteDateMin(0);
    SetLastWriteDateMax(0);
}

void TZorSearchOptions::SetCreationDateMax(TDateTime pValue)
{
    fCreationDateMax = pValue;
    fCreationDateMax_FileTime = BoundFileTime(pValue, true);
}

void TZorSearchOptions::SetCreationDateMin(TDateTime pValue)
{
    fCreationDateMin = pValue;
    fCreationDateMin_FileTime = BoundFileTime(pValue, false);
}

void TZorSearchOptions::SetAccessDateMax(TDateTime pValue)
{
    fAccessDateMax = pValue;
    fAccessDateMax_FileTime = BoundFileTime(pValue, true);
}

void TZorSearchOptions::SetAccessDateMin(TDateTime pValue)
{
    fAccessDateMin = pValue;
    fAccessDateMin_FileTime = BoundFileTime(pValue, false);
}

void TZorSearchOptions::SetLastWriteDateMax(TDateTime pValue)
{
    fLastWriteDateMax = pValue;
    fLastWriteDateMax_FileTime = BoundFileTime(pValue, true);
}

void TZorSearchOptions::SetLastWriteDateMin(TDateTime pValue)
{
    fLastWriteDateMin = pValue;
    fLastWriteDateMin_FileTime = BoundFileTime(pValue, false);
}

void TZorSearchOptions::SetFilter(const QString &pValue)
{
    fSplittedFilter.clear();
    if (pValue.isEmpty()) {
        fFilter = cEveryName;
        return;
    }
    fFilter = pValue;
    SplitFilter(pValue, u';');
}

void TZorSearchOptions::AddMask(const QString &pMask)
{
    const auto place =
        std::lower_bound(fSplittedFilter.begin(), fSplittedFilter.end(), pMask, CaseInsensitiveLess);
    if (place != fSplittedFilter.end() && QString::compare(*place, pMask, Qt::CaseInsensitive) == 0)
        return;
    fSplittedFilter.insert(place, pMask);
}

void TZorSearchOptions::SplitFilter(const QString &pText, QChar pSeparator)
{
    // Only the first piece can be longer than the cap; it is cut to it as well.
    QStringView remaining = pText;
    for (qsizetype p = remaining.indexOf(pSeparator); p >= 0; p = remaining.indexOf(pSeparator)) {
        AddMask(TrimBlanks(remaining.left(std::min(p, cMaxFilterRemainder))).toString());
        remaining = TrimBlanks(remaining.sliced(p + 1).left(cMaxFilterRemainder));
    }
    remaining = TrimBlanks(remaining.left(cMaxFilterRemainder));
    if (!remaining.isEmpty())
        AddMask(remaining.toString());

    if (!fAutoWildcard)
        return;
    // Each piece is examined once, wherever its widened form lands in the sorted list.
    const QStringList pieces = fSplittedFilter;
    for (const QString &piece : pieces) {
        if (piece.contains(u'*') || piece.contains(u'?'))
            continue;
        fSplittedFilter.removeAt(fSplittedFilter.indexOf(piece));
        AddMask(cEveryName + piece + cEveryName);
    }
}

QString TZorSearchOptions::MatcherMask(const QString &pMask)
{
    return pMask.endsWith(cAnyExtensionMask) ? pMask + QStringLiteral(".*") : pMask;
}

bool TZorSearchOptions::MatchesFileMask(const QString &pName, const QString &pMask)
{
    if (pMask == cNoExtensionMask)
        return !pName.contains(u'.') || PathMatchSpec(pName, pMask);
    return PathMatchSpec(pName, MatcherMask(pMask));
}

bool TZorSearchOptions::MatchesItemKind(uint32_t pAttributes) const
{
    const bool isDirectory = (pAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    switch (FilesAndFolders()) {
    case ffFilesAndFolders:
        return true;
    case ffFilesOnly:
        return !isDirectory;
    case ffFoldersOnly:
        return isDirectory;
    }
    return false;
}

bool TZorSearchOptions::Matches(const TWin32FindData &pWin32FindData, const QString &pFolderPath) const
{
    const QString &name = pWin32FindData.cFileName;
    if (name == u"." || name == u"..")
        return false;
    if (!MatchesItemKind(pWin32FindData.dwFileAttributes))
        return false;
    if (!fSplittedFilter.isEmpty()) {
        const QString fullPath = fUseFullPathWhenComparing ? pFolderPath + name : QString();
        const bool fits =
            std::any_of(fSplittedFilter.cbegin(), fSplittedFilter.cend(), [&](const QString &pMask) {
                return MatchesFileMask(name, pMask) ||
                       (fUseFullPathWhenComparing && MatchesFileMask(fullPath, pMask));
            });
        if (!fits)
            return false;
    }
    const int64_t size = pWin32FindData.FileSize();
    if (size < fMinFileSize)
        return false;
    if (fMaxFileSize >= 0 && size > fMaxFileSize)
        return false;
    if (pWin32FindData.IsHidden() && !fIncludeHidden)
        return false;
    return MatchesFileTimes(pWin32FindData);
}

bool TZorSearchOptions::MatchesFileTimes(const TWin32FindData &pWin32FindData) const
{
    const struct
    {
        TDateTime date;
        TFileTime bound;
        TFileTime time;
        bool upper;
    } checks[] = {
        {fCreationDateMax, fCreationDateMax_FileTime, pWin32FindData.ftCreationTime, true},
        {fCreationDateMin, fCreationDateMin_FileTime, pWin32FindData.ftCreationTime, false},
        {fAccessDateMax, fAccessDateMax_FileTime, pWin32FindData.ftLastAccessTime, true},
        {fAccessDateMin, fAccessDateMin_FileTime, pWin32FindData.ftLastAccessTime, false},
        {fLastWriteDateMax, fLastWriteDateMax_FileTime, pWin32FindData.ftLastWriteTime, true},
        {fLastWriteDateMin, fLastWriteDateMin_FileTime, pWin32FindData.ftLastWriteTime, false},
    };
    for (const auto &check : checks) {
        if (!(check.date > 1.0))
            continue;
        const int order = CompareFileTime(check.time, check.bound);
        if (check.upper ? order > 0 : order < 0)
            return false;
    }
    return true;
}
