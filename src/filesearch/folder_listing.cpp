// The change watch's compact folder listing.
#include "filesearch/folder_listing.h"

#include <algorithm>

void TFolderListing::Add(QStringView aName, const TEntryState &aState)
{
    fEntries.push_back({uint32_t(fNames.size()), uint32_t(aName.size()), aState});
    fNames.append(aName);
}

void TFolderListing::Finish()
{
    std::sort(fEntries.begin(), fEntries.end(),
              [this](const TEntry &a, const TEntry &b) { return NameOf(a) < NameOf(b); });
    fNames.squeeze();
    fEntries.shrink_to_fit();
}

QStringView TFolderListing::NameOf(const TEntry &aEntry) const
{
    return QStringView(fNames).sliced(aEntry.fNameStart, aEntry.fNameLength);
}

QStringView TFolderListing::Name(qsizetype aIndex) const
{
    return NameOf(fEntries[size_t(aIndex)]);
}

const TEntryState *TFolderListing::Find(QStringView aName) const
{
    const auto at = std::lower_bound(
        fEntries.begin(), fEntries.end(), aName,
        [this](const TEntry &aEntry, QStringView aWanted) { return NameOf(aEntry) < aWanted; });
    return at != fEntries.end() && NameOf(*at) == aName ? &at->fState : nullptr;
}
