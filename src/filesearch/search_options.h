// The criteria of one file search and the test that decides, for one directory entry as folder
// enumeration reports it, whether the entry is a hit.
#pragma once

#include "platform/file_time.h"
#include "platform/find_data.h"

#include <cstdint>
#include <QString>
#include <QStringList>

// Which kinds of directory entries can be hits.
enum TFilesFolders : uint8_t
{
    ffFilesOnly = 0,
    ffFoldersOnly = 1,
    ffFilesAndFolders = 2
};

// Search criteria: name masks, size bounds, hidden entries, entry kind and up to six file-time
// bounds. The result list owns one and fills it on the UI thread; each folder walk takes its own
// copy (Assign, or the copy constructor, which does the same) before it is queued and then calls
// Matches on that copy from its worker thread. The object has no lock: const members are safe
// from any number of threads as long as nobody writes the object meanwhile.
class TZorSearchOptions
{
public:
    // Every field at its default (see Reset).
    TZorSearchOptions();
    // A default object that then Assigns pSource.
    TZorSearchOptions(const TZorSearchOptions &pSource);
    // Assigns pSource.
    TZorSearchOptions &operator=(const TZorSearchOptions &pSource);
    virtual ~TZorSearchOptions() = default;

    // Copies pSource's criteria in a fixed order through the setters, so this object converts the
    // date bounds itself and rebuilds its mask list from pSource's filter text under pSource's
    // AutoWildcard. A source just Reset ("*" with no masks) gives the one-mask list "*".
    void Assign(const TZorSearchOptions &Source);

    // Restores every default: recursive, hidden entries excluded, no size bounds (max -1, min 0),
    // filter "*" with an empty mask list, files and folders, AutoWildcard on, names compared
    // without their folder, every date bound 0 (off).
    virtual void Reset();

    // True when the entry is a hit: not "." or "..", of an allowed kind, its name (or, with
    // UseFullPathWhenComparing, pFolderPath + name) fits a mask, its size within the bounds, not
    // hidden unless IncludeHidden, and its times within the date bounds, tested in that order.
    // pFolderPath is the folder being listed, ending with "/". Never raises; const and free of
    // shared state, so a walk's copy may be used from its worker thread.
    virtual bool Matches(const TWin32FindData &pWin32FindData, const QString &pFolderPath) const;

    // True when every date bound in force (date field > 1.0) holds for the entry's times; a time
    // equal to a bound passes.
    virtual bool MatchesFileTimes(const TWin32FindData &pWin32FindData) const;

    // True when the directory bit of pAttributes suits FilesAndFolders.
    bool MatchesItemKind(uint32_t pAttributes) const;

    // True when pName fits pMask. The mask "*." takes every name without a "."; a mask ending in
    // "*.*" reaches the wildcard matcher with ".*" appended (see MatcherMask).
    static bool MatchesFileMask(const QString &pName, const QString &pMask);

    // The mask that MatchesFileMask hands to the wildcard matcher: pMask + ".*" when pMask ends
    // in "*.*" ("*.*" becomes "*.*.*"), otherwise pMask unchanged.
    static QString MatcherMask(const QString &pMask);

    // Size bounds in bytes, both inclusive. A negative MaxFileSize switches the upper bound off.
    int64_t MaxFileSize() const { return fMaxFileSize; }
    void SetMaxFileSize(int64_t pValue) { fMaxFileSize = pValue; }
    int64_t MinFileSize() const { return fMinFileSize; }
    void SetMinFileSize(int64_t pValue) { fMinFileSize = pValue; }

    // Read by the folder walker: descend into subfolders. Matches ignores it.
    bool RecursiveSearch() const { return fRecursiveSearch; }
    void SetRecursiveSearch(bool pValue) { fRecursiveSearch = pValue; }

    // Date bounds in local time (day counts since 1899-12-30). A bound is in force only while it
    // is greater than 1.0. Setting one also stores its UTC FILETIME (the _FileTime reader); a
    // date that cannot be converted leaves its bound unable to reject anything.
    TDateTime CreationDateMax() const { return fCreationDateMax; }
    void SetCreationDateMax(TDateTime pValue);
    TDateTime CreationDateMin() const { return fCreationDateMin; }
    void SetCreationDateMin(TDateTime pValue);
    TDateTime AccessDateMax() const { return fAccessDateMax; }
    void SetAccessDateMax(TDateTime pValue);
    TDateTime AccessDateMin() const { return fAccessDateMin; }
    void SetAccessDateMin(TDateTime pValue);
    TDateTime LastWriteDateMax() const { return fLastWriteDateMax; }
    void SetLastWriteDateMax(TDateTime pValue);
    TDateTime LastWriteDateMin() const { return fLastWriteDateMin; }
    void SetLastWriteDateMin(TDateTime pValue);
    TFileTime CreationDateMax_FileTime() const { return fCreationDateMax_FileTime; }
    TFileTime CreationDateMin_FileTime() const { return fCreationDateMin_FileTime; }
    TFileTime AccessDateMax_FileTime() const { return fAccessDateMax_FileTime; }
    TFileTime AccessDateMin_FileTime() const { return fAccessDateMin_FileTime; }
    TFileTime LastWriteDateMax_FileTime() const { return fLastWriteDateMax_FileTime; }
    TFileTime LastWriteDateMin_FileTime() const { return fLastWriteDateMin_FileTime; }

    virtual TFilesFolders FilesAndFolders() const { return fFilesAndFolders; }
    void SetFilesAndFolders(TFilesFolders pValue) { fFilesAndFolders = pValue; }

    // Whether entries with the hidden attribute can be hits (enumeration sets it for names
    // beginning with ".").
    bool IncludeHidden() const { return fIncludeHidden; }
    void SetIncludeHidden(bool pValue) { fIncludeHidden = pValue; }

    // The filter text as last set. Setting it splits it at ";" into the mask list; an empty text
    // means "*" with no masks (every name passes).
    const QString &Filter() const { return fFilter; }
    void SetFilter(const QString &pValue);

    // Whether a mask without "*" or "?" is widened to "*mask*"; takes effect at the next SetFilter.
    bool AutoWildcard() const { return fAutoWildcard; }
    void SetAutoWildcard(bool pValue) { fAutoWildcard = pValue; }

    // Whether each mask is also tried against the folder path followed by the name.
    bool UseFullPathWhenComparing() const { return fUseFullPathWhenComparing; }
    void SetUseFullPathWhenComparing(bool pValue) { fUseFullPathWhenComparing = pValue; }

    // The masks, sorted without regard to case, no two equal without regard to case.
    const QStringList &FilterList() const { return fSplittedFilter; }

    // Names left out of a walk: masks separated by ";" (".git;node_modules;*.bak"), each fitted
    // to an entry's whole name by the wildcard matcher, with no widening. An excluded folder is
    // not entered, an excluded file is no hit. Empty: nothing is excluded.
    const QString &Exclude() const { return fExclude; }
    void SetExclude(const QString &pValue);
    // True when pName fits one of the exclusion masks. Const and free of shared state.
    bool IsExcluded(QStringView pName) const;

private:
    // Appends the trimmed pieces of pText between separators to the (emptied) mask list, then
    // widens the pieces without wildcards when AutoWildcard is on.
    void SplitFilter(const QString &pText, QChar pSeparator);
    // Inserts pMask at its sorted place unless an equal mask (ignoring case) is there already.
    void AddMask(const QString &pMask);

    int64_t fMaxFileSize = -1;
    int64_t fMinFileSize = 0;
    bool fRecursiveSearch = true;
    TDateTime fCreationDateMax = 0;
    TFileTime fCreationDateMax_FileTime = 0;
    TDateTime fCreationDateMin = 0;
    TFileTime fCreationDateMin_FileTime = 0;
    TDateTime fAccessDateMax = 0;
    TFileTime fAccessDateMax_FileTime = 0;
    TDateTime fAccessDateMin = 0;
    TFileTime fAccessDateMin_FileTime = 0;
    TDateTime fLastWriteDateMax = 0;
    TFileTime fLastWriteDateMax_FileTime = 0;
    TDateTime fLastWriteDateMin = 0;
    TFileTime fLastWriteDateMin_FileTime = 0;
    TFilesFolders fFilesAndFolders = ffFilesAndFolders;
    bool fIncludeHidden = false;
    QString fFilter;
    bool fAutoWildcard = true;
    bool fUseFullPathWhenComparing = false;
    QStringList fSplittedFilter;
    QString fExclude;
    QStringList fExcludeMasks;
};
