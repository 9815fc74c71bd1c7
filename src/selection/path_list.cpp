// TZorPathList and the class-level path tests.
#include "selection/path_list.h"

#include "platform/long_path_access.h"
#include "platform/path_routines.h"

#include <algorithm>

TZorPathList::TZorPathList() = default;

TZorPathList::TZorPathList(const QStringList &aSource)
{
    AddRange(aSource);
}

TZorPathList::TZorPathList(const QString &InitialValue)
{
    AddRange(InitialValue.split(u';'));
}

QString TZorPathList::ApplyEntryRule(const QString &aPath)
{
    const bool excluded = aPath.startsWith(u'-');
    const QString rest = excluded ? aPath.mid(1) : aPath;
    const QString entry = IsDriveRoot(rest) ? WithTrailingSeparator(rest) : WithoutTrailingSeparator(rest);
    return excluded ? u'-' + entry : entry;
}

std::pair<int, bool> TZorPathList::Find(const QString &aEntry) const
{
    const auto it = std::lower_bound(fItems.cbegin(), fItems.cend(), aEntry);
    return {int(it - fItems.cbegin()), it != fItems.cend() && *it == aEntry};
}

int TZorPathList::Add(const QString &aPath)
{
    const QString entry = ApplyEntryRule(aPath);
    if (entry.isEmpty() || (fCheckIfExists && !PathExists(entry)))
        return -1;
    const auto [index, present] = Find(entry);
    if (present)
        return index;
    fItems.insert(index, entry);
    Changed();
    if (!fContainsNetworkPath && IsNetworkPath(entry))
        fContainsNetworkPath = true;
    if (fSkipEvents <= 0 && OnAdd)
        OnAdd(entry, index);
    return index;
}

void TZorPathList::AddRange(const QStringList &pSource, int pFromIndex, int pToIndex)
{
    const int last = pToIndex < 0 ? int(pSource.size()) - 1 : std::min(pToIndex, int(pSource.size()) - 1);
    for (int i = std::max(pFromIndex, 0); i <= last; ++i)
        Add(pSource.at(i));
}

bool TZorPathList::Remove(const QString &pPath)
{
    const int index = IndexOfPath(pPath);
    if (index < 0)
        return false;
    Delete(index);
    return true;
}

bool TZorPathList::Remove(const QStringList &pPaths)
{
    bool all = true;
    for (const QString &path : pPaths)
        all = Remove(path) && all;
    return all;
}

void TZorPathList::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        return;
    if (fSkipEvents <= 0 && OnRemove)
        OnRemove(fItems.at(Index), Index);
    fItems.removeAt(Index);
    Changed();
}

void TZorPathList::Clear()
{
    while (Count() > 0)
        Delete(Count() - 1);
}

int TZorPathList::IndexOfPath(const QString &aPath) const
{
    const auto [index, present] = Find(ApplyEntryRule(aPath));
    return present ? index : -1;
}

bool TZorPathList::AllItemsSubpathOf(const QString &aPath) const
{
    const QString prefix = WithTrailingSeparator(aPath);
    return std::all_of(fItems.cbegin(), fItems.cend(),
                       [&](const QString &item) { return item.startsWith(prefix); });
}

const char16_t *TZorPathList::StringPointer()
{
    if (fWideStringBuilder.isEmpty()) {
        for (const QString &item : std::as_const(fItems)) {
            fWideStringBuilder += item;
            fWideStringBuilder += QChar(u'\0');
        }
        fWideStringBuilder += QChar(u'\0');
    }
    return reinterpret_cast<const char16_t *>(fWideStringBuilder.utf16());
}

bool TZorPathList::StartsWithDriveLetter(const QString &)
{
    return false;
}

bool TZorPathList::IsUNCPath(const QString &)
{
    return false;
}

bool TZorPathList::IsUncServer(const QString &)
{
    return false;
}

bool TZorPathList::IsSubPathOf(const QString &p_SuperiorPath, const QString &p_PossibleSubPath)
{
    return !p_PossibleSubPath.isEmpty() &&
           p_PossibleSubPath.startsWith(WithTrailingSeparator(p_SuperiorPath)) &&
           !SamePath(p_SuperiorPath, p_PossibleSubPath);
}

bool TZorPathList::ShareSameRoot(const QStringList &pPaths)
{
    return std::all_of(pPaths.cbegin(), pPaths.cend(),
                       [&](const QString &path) { return DrivePart(path) == DrivePart(pPaths.first()); });
}

QString TZorPathList::SplitPath(const QString &pFullPath, QString &pFilePath)
{
    pFilePath = FolderPart(pFullPath);
    return pFullPath.mid(pFilePath.size());
}

QStringList TZorPathList::SplitPathByDelimiter(const QString &pFullPath, const QString &pDelimiter)
{
    if (pDelimiter.isEmpty())
        return pFullPath.isEmpty() ? QStringList() : QStringList{pFullPath};
    return pFullPath.split(pDelimiter, Qt::SkipEmptyParts);
}

QString TZorPathList::GetShortcutTarget(const QString &filepath)
{
    return ResolveFolderShortcut(filepath);
}
