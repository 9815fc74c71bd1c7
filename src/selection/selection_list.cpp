// The selection list's rules: normalisation, states, completion upwards, expansion downwards.
#include "selection/selection_list.h"

#include "platform/long_path_access.h"
#include "platform/path_routines.h"
#include "selection/path_list.h"
#include "selection/shell_link.h"

namespace {

// Folder levels below a completion candidate that are examined at most. A deeper tree counts as
// not completely selected: a hostile depth must not exhaust the stack or the open-file limit.
constexpr int kMaxCompletionDepth = 256;

// Calls aVisit(childPath, isFolder) for every entry of the folder aDir except "." and "..", in
// the order the file system gives them, until it returns false. Returns false when aDir cannot
// be listed. A link to a folder counts as no folder: it is never entered.
template <typename TVisit> bool ForEachChild(const QString &aDir, TVisit aVisit)
{
    const QString prefix = WithTrailingSeparator(aDir);
    TWin32FindData data;
    TFindHandle handle = FindFirstFile(prefix + u'*', data);
    if (!handle.IsValid())
        return false;
    do {
        if (!IsFolderToIgnore(data.cFileName) && !aVisit(prefix + data.cFileName, data.IsDirectory()))
            break;
    } while (FindNextFile(handle, data));
    return true;
}

// Ends the update bracket however the bracketed call ends.
class TUpdateBracket
{
public:
    explicit TUpdateBracket(TZorSelectionList &aList) : fList(aList) { fList.BeginUpdate(); }
    ~TUpdateBracket() { fList.EndUpdate(); }
    TUpdateBracket(const TUpdateBracket &) = delete;
    TUpdateBracket &operator=(const TUpdateBracket &) = delete;

private:
    TZorSelectionList &fList;
};

} // namespace

TZorBaseSelectionList::TZorBaseSelectionList(TZorShellLink *aParent) : fParent(aParent) {}

TZorBaseSelectionList::~TZorBaseSelectionList() = default;

QString TZorBaseSelectionList::GetListItem(int index) const
{
    TZorReadLock lock(fLockObj);
    return fList.value(index);
}

int TZorBaseSelectionList::Count() const
{
    TZorReadLock lock(fLockObj);
    return int(fList.size());
}

QString FolderEntry(const QString &aFolder)
{
    return WithTrailingSeparator(aFolder) + u'*';
}

TZorSelectionList::TZorSelectionList(TZorShellLink *aParent) : TZorBaseSelectionList(aParent) {}

bool TZorSelectionList::NormalizePath(QString &P) const
{
    if (P.isEmpty() || IsFolderToIgnore(P))
        return false;
    if (P.endsWith(u'*'))
        P.chop(1);
    if (IsFile(P))
        return true;
    if (!IsFolder(P))
        return false;
    P = FolderEntry(P);
    return true;
}

TZorSelectionState TZorSelectionList::GetPathSelectionState(const QString &Path, bool &bIsSubItemOf)
{
    if (Path.isEmpty())
        return ssDisabled;
    QString path = Path;
    bool usable = !IsDriveRoot(path) || IsDriveAvailable(path, true);
    if (usable && IsFolderShortcut(path)) {
        if (!fHandleShellLinks)
            return ssDisabled;
        path = TZorPathList::GetShortcutTarget(path);
    }
    TZorReadLock lock(fLockObj);
    usable = usable && NormalizePath(path);
    return usable ? ComputeSelectionState(path, bIsSubItemOf) : ssDisabled;
}

TZorSelectionState TZorSelectionList::IsPathSelected(const QString &Path)
{
    bool isSubItem = false;
    return GetPathSelectionState(Path, isSubItem);
}

TZorSelectionState TZorSelectionList::IsPIDLSelected(const TZorShellItem &aItem, bool &bIsSubItemOf)
{
    if (aItem.IsNull())
        return ssDisabled;
    if (aItem.IsSpecialFolder(SF_NETWORK))
        return IsUNCPathSelected() ? ssGrayed : ssDisabled;
    if (aItem.IsSpecialFolder(SF_DRIVES))
        return IsLocalPathSelected() ? ssGrayed : ssDisabled;
    return GetPathSelectionState(aItem.Path(), bIsSubItemOf);
}

bool TZorSelectionList::IsCoveredBySelection(const QString &P) const
{
    QString path = P;
    // Each step goes to the parent folder's entry: a shorter text, so the loop ends.
    while (!Contains(path)) {
        QString candidate;
        if (path.endsWith(u'*')) {
            const QString folder = path.chopped(2);
            if (folder.isEmpty())
                return false;
            candidate = FolderEntry(ParentFolder(folder));
        } else {
            candidate = FolderEntry(ParentFolder(path));
        }
        if (SameText(candidate, path))
            return false;
        path = candidate;
    }
    return true;
}

TZorSelectionState TZorSelectionList::ComputeSelectionState(const QString &P, bool &bIsSubItemOf) const
{
    if (IsCoveredBySelection(P)) {
        bIsSubItemOf = !Contains(P);
        return ssChecked;
    }
    bIsSubItemOf = false;
    if (P.isEmpty())
        return ssUnChecked;
    // An entry lies below P when it begins with P's folder prefix. (A match in the middle of an
    // entry, "/a/" inside "/x/a/b", is another folder of the same name, not one below P.)
    const QString prefix = P.endsWith(u'*') ? P.chopped(1) : WithTrailingSeparator(P);
    for (const QString &entry : fList)
        if (entry.startsWith(prefix))
            return ssGrayed;
    return ssUnChecked;
}

void TZorSelectionList::AddPathToSelection(const QString &sFQPath)
{
    if (sFQPath.isEmpty())
        return;
    TZorWriteLock lock(fLockObj);
    QString path = sFQPath;
    if (fHandleShellLinks && IsFolderShortcut(path))
        path = TZorPathList::GetShortcutTarget(path);
    if (!NormalizePath(path)) {
        if (OnInvalidPath)
            OnInvalidPath(*this, path);
        if (fRemoveInvalidPaths)
            return;
    }
    bool isSubItem = false;
    const TZorSelectionState state = GetPathSelectionState(path, isSubItem);
    if (state == ssChecked)
        return;
    if (state == ssGrayed)
        RemoveSubPaths(path);
    AppendEntry(path);

    const QString listed =
        path.endsWith(u'*') ? WithoutTrailingSeparator(path.chopped(1)) : WithoutTrailingSeparator(path);
    const QString complete = CompletePathSelected(listed);
    if (!SamePath(complete, path))
        AddPathToSelection(complete);
}

QString TZorSelectionList::CompletePathSelected(const QString &sFQPath)
{
    TZorReadLock lock(fLockObj);
    return CompleteUpwards(FolderPart(sFQPath), sFQPath);
}

QString TZorSelectionList::CompleteUpwards(const QString &Dir, const QString &Item) const
{
    const QString dir = WithoutTrailingSeparator(Dir);
    bool all = true;
    const bool listed = ForEachChild(dir, [&](const QString &aChild, bool) {
        if (!SameText(aChild, Item))
            all = IsCompletelySelected(aChild);
        return all;
    });
    if (!listed)
        return QString();
    if (!all)
        return Item;
    if (dir != Item)
        return CompleteUpwards(FolderPart(dir), dir);
    return WithTrailingSeparator(Item);
}

bool TZorSelectionList::IsCompletelySelected(const QString &P) const
{
    return IsCompletelySelectedAt(P, 0);
}

bool TZorSelectionList::IsCompletelySelectedAt(const QString &P, int aDepth) const
{
    if (P.isEmpty() || aDepth > kMaxCompletionDepth)
        return false;
    const QString path = WithoutTrailingSeparator(P);
    if (Contains(path) || Contains(FolderEntry(path)))
        return true;
    bool result = false;
    const bool listed = ForEachChild(path, [&](const QString &aChild, bool aIsFolder) {
        result = aIsFolder ? Contains(FolderEntry(aChild)) || IsCompletelySelectedAt(aChild, aDepth + 1)
                           : Contains(aChild);
        return result;
    });
    return listed && result;
}

void TZorSelectionList::RemovePathFromSelection(const QString &sFQPath)
{
    TZorWriteLock lock(fLockObj);
    QString path = sFQPath;
    if (fHandleShellLinks && IsFolderShortcut(path))
        path = TZorPathList::GetShortcutTarget(path);
    bool isSubItem = false;
    switch (GetPathSelectionState(path, isSubItem)) {
    case ssChecked:
        if (isSubItem) {
            // Expand around the item actually unticked: the link's target when a link was given.
            const QString item = WithoutTrailingSeparator(path);
            QString top = ExpandSelectedParent(FolderPart(item), item);
            NormalizePath(top);
            DeleteEntry(int(fList.indexOf(top)));
        } else {
            NormalizePath(path);
            DeleteEntry(int(fList.indexOf(path)));
        }
        break;
    case ssGrayed:
        RemoveSubPaths(path);
        break;
    case ssUnused:
    case ssDisabled:
    case ssUnChecked:
        break;
    }
}

QString TZorSelectionList::ExpandSelectedParent(const QString &Dir, const QString &Item)
{
    const QString dir = WithoutTrailingSeparator(Dir);
    if (SameText(dir, Item))
        return dir;
    const bool listed = ForEachChild(dir, [&](const QString &aChild, bool aIsFolder) {
        if (!SameText(aChild, Item))
            AppendEntry(aIsFolder ? FolderEntry(aChild) : aChild);
        return true;
    });
    if (!listed)
        return dir;
    const QString up = GetParentPathFromPath(dir);
    if (IsPathSelected(up) == ssChecked)
        return ExpandSelectedParent(up, dir);
    return dir;
}

void TZorSelectionList::RemoveSubPaths(const QString &P)
{
    if (P.isEmpty())
        return;
    const QString path = P.endsWith(u'*') ? P.chopped(1) : P;
    for (int i = int(fList.size()) - 1; i >= 0; --i)
        if (TZorPathList::IsSubPathOf(path, fList.at(i)))
            DeleteEntry(i);
}

void TZorSelectionList::AppendEntry(const QString &aEntry)
{
    fList.append(aEntry);
    NotifyChange(aEntry);
}

void TZorSelectionList::DeleteEntry(int index)
{
    if (index < 0 || index >= fList.size())
        return;
    const QString entry = fList.takeAt(index);
    NotifyChange(entry);
}

void TZorSelectionList::NotifyChange(const QString &P)
{
    if (OnChange)
        OnChange(*this);
    if (!fParent || fIsUpdating.load() != 0)
        return;
    QString itemPath = P;
    if (P.endsWith(u'*')) {
        itemPath = P.chopped(2);
        if (itemPath.isEmpty() && P.startsWith(PathSeparator))
            itemPath = QString(PathSeparator); // the root entry "/*" stands for the root folder
    }
    fParent->Refresh(nullptr, rfCheckboxes, TZorShellItem::FromPath(itemPath));
}

void TZorSelectionList::BeginUpdate()
{
    ++fIsUpdating;
}

void TZorSelectionList::EndUpdate()
{
    if (--fIsUpdating == 0)
        NotifyChange(QString());
}

void TZorSelectionList::AddPIDLToSelection(const TZorShellItem &aItem)
{
    TUpdateBracket bracket(*this);
    AddPathToSelection(aItem.Path());
}

void TZorSelectionList::RemovePIDLFromSelection(const TZorShellItem &aItem)
{
    TUpdateBracket bracket(*this);
    RemovePathFromSelection(aItem.Path());
}

void TZorSelectionList::Clear()
{
    TZorWriteLock lock(fLockObj);
    while (!fList.isEmpty())
        DeleteEntry(0);
}

void TZorSelectionList::SetPaths(const QStringList &Value)
{
    const QStringList paths = Value; // Value may be this list's own entries
    TZorWriteLock lock(fLockObj);
    fList.clear();
    for (const QString &path : paths)
        AddPathToSelection(path);
}

void TZorSelectionList::Assign(const TZorSelectionList &aSource)
{
    QStringList paths;
    {
        TZorReadLock lock(aSource.fLockObj);
        paths = aSource.fList;
    }
    SetPaths(paths);
}

bool TZorSelectionList::IsLocalPathSelected() const
{
    TZorReadLock lock(fLockObj);
    for (const QString &entry : fList)
        if (entry.startsWith(PathSeparator))
            return true;
    return false;
}

bool TZorSelectionList::IsUNCPathSelected() const
{
    return false;
}

bool TZorSelectionList::DifferentDrives() const
{
    TZorReadLock lock(fLockObj);
    for (qsizetype i = 1; i < fList.size(); ++i)
        if (!SamePath(DrivePart(fList.at(i)), DrivePart(fList.first())))
            return true;
    return false;
}

void TZorSelectionList::PathWasRenamed(const QString &pOldPath, const QString &pNewPath)
{
    TZorWriteLock lock(fLockObj);
    const QString oldFolder = WithTrailingSeparator(pOldPath);
    for (QString &entry : fList) {
        if (SamePath(entry, pOldPath))
            entry = pNewPath;
        else if (entry.startsWith(oldFolder))
            entry = pNewPath + entry.mid(pOldPath.size());
    }
}

QString TZorSelectionList::ToString() const
{
    TZorReadLock lock(fLockObj);
    QString text;
    for (const QString &entry : fList)
        text += entry + u'\n';
    return text;
}
