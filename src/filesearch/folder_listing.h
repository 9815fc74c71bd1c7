// A folder's entries as the change watch compares them, kept small: a watch holds one for every
// entry of up to a thousand folders.
#pragma once

#include "platform/find_data.h"

#include <cstdint>
#include <QString>
#include <QStringView>
#include <vector>

// What a comparison of two listings looks at for one entry.
struct TEntryState
{
    bool fIsFolder = false;
    int64_t fSize = 0;
    TFileTime fModified = 0;
    bool operator==(const TEntryState &) const = default;
};

// The entries of one folder, sorted by name, their names packed in one string. Built by Add and
// Finish; read-only afterwards.
class TFolderListing
{
public:
    // Adds an entry; names must be distinct (as a folder's are).
    void Add(QStringView aName, const TEntryState &aState);
    // Sorts what was added; call once, after the last Add.
    void Finish();

    qsizetype Size() const { return qsizetype(fEntries.size()); }
    QStringView Name(qsizetype aIndex) const;
    const TEntryState &State(qsizetype aIndex) const { return fEntries[size_t(aIndex)].fState; }
    // The state of the entry called aName, or null when there is none. Finished listings only.
    const TEntryState *Find(QStringView aName) const;

private:
    struct TEntry
    {
        uint32_t fNameStart = 0;
        uint32_t fNameLength = 0;
        TEntryState fState;
    };
    QStringView NameOf(const TEntry &aEntry) const;

    QString fNames;
    std::vector<TEntry> fEntries;
};
