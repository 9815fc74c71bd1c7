// The selection list: the model of what the user ticked. Paths holds one entry per ticked item,
// a folder with everything below it as "<folder>/*" (the root as "/*"), a single file as its
// path; it answers for any path whether it is checked, unchecked or grayed.
#pragma once

#include "selection/read_write_lock.h"
#include "selection/shell_item.h"

#include <atomic>
#include <functional>
#include <QString>
#include <QStringList>

class TZorShellLink;

// The entry that ticks aFolder with everything below it: "<folder>/*". Pure.
QString FolderEntry(const QString &aFolder);

enum TZorSelectionState
{
    ssUnused,    // never produced
    ssDisabled,  // cannot be ticked: empty, missing, unavailable root, or a virtual folder
    ssChecked,   // selected by its own entry or by an ancestor's folder entry
    ssUnChecked, // not selected and no entry lies below it
    ssGrayed     // not selected itself, but some entry lies below it
};

// The entries, their lock, events and the queries that need no rules.
// Threads: changes come from the UI thread; state queries, Count and IsEmpty from any thread.
class TZorBaseSelectionList
{
public:
    using TInvalidPathEvent = std::function<void(TZorBaseSelectionList &Sender, const QString &Path)>;
    using TNotifyEvent = std::function<void(TZorBaseSelectionList &Sender)>;

    explicit TZorBaseSelectionList(TZorShellLink *aParent);
    virtual ~TZorBaseSelectionList();
    TZorBaseSelectionList(const TZorBaseSelectionList &) = delete;
    TZorBaseSelectionList &operator=(const TZorBaseSelectionList &) = delete;

    // The entry at index ("" outside the list).
    virtual QString GetListItem(int index) const;
    // Replaces all entries by adding each path of Value in order.
    virtual void SetPaths(const QStringList &Value) = 0;
    virtual TZorSelectionState GetPathSelectionState(const QString &Path, bool &bIsSubItemOf) = 0;
    virtual void NotifyChange(const QString &P) = 0;
    virtual QString CompletePathSelected(const QString &sFQPath) = 0;
    virtual void AddPathToSelection(const QString &sFQPath) = 0;
    virtual void RemovePathFromSelection(const QString &sFQPath) = 0;
    virtual void Clear() = 0;

    // The entry list itself, not a copy. Writing into it bypasses every rule, the lock and all
    // notifications: UI thread only, and only while no worker thread asks for states.
    QStringList &Paths() { return fList; }
    const QStringList &Paths() const { return fList; }
    TZorShellLink *Parent() const { return fParent; }

    // Any thread: the number of entries, read under the read lock.
    int Count() const;
    bool IsEmpty() const { return Count() == 0; }

    // Raised (under the write lock, on the changing thread) when a path to add does not exist.
    TInvalidPathEvent OnInvalidPath;
    // Raised for each added or deleted entry and at the end of an update bracket.
    TNotifyEvent OnChange;

protected:
    QStringList fList;
    TZorShellLink *const fParent;
    mutable TZorReadWriteLock fLockObj;
};

// The rules of ticking and unticking: completion upwards, expansion downwards, three states.
// Every path is a full "/"-separated path; names are compared exactly (Linux names are
// case-sensitive). File-system failures never throw: they make an item disabled or stop a
// completion or expansion at the folder that failed.
class TZorSelectionList : public TZorBaseSelectionList
{
public:
    // An empty list whose changes make aParent (may be null) refresh its controls' check boxes.
    explicit TZorSelectionList(TZorShellLink *aParent = nullptr);

    // UI thread. Ticks a file or folder ("/a", "/a/" and "/a/*" are the same folder; a link to
    // a folder is replaced by the folder it leads to). A path that does not exist raises
    // OnInvalidPath and, with RemoveInvalidPaths, changes nothing.
    void AddPathToSelection(const QString &sFQPath) override;
    // UI thread. Unticks a file or folder given as a plain path.
    void RemovePathFromSelection(const QString &sFQPath) override;
    // The same for a shell item, inside one update bracket (one full refresh).
    void AddPIDLToSelection(const TZorShellItem &aItem);
    void RemovePIDLFromSelection(const TZorShellItem &aItem);

    // Any thread. The state of a path; bIsSubItemOf tells whether a checked path is checked
    // through an ancestor's folder entry rather than its own (left alone for a disabled path).
    TZorSelectionState GetPathSelectionState(const QString &Path, bool &bIsSubItemOf) override;
    TZorSelectionState IsPathSelected(const QString &Path);
    // Any thread. As GetPathSelectionState; SF_DRIVES and SF_NETWORK are grayed while some
    // entry lies below them, else disabled, and never checked.
    TZorSelectionState IsPIDLSelected(const TZorShellItem &aItem, bool &bIsSubItemOf);

    // The highest folder that is completely selected once sFQPath is, with a trailing "/";
    // sFQPath itself when none; "" when a folder on the way cannot be listed.
    QString CompletePathSelected(const QString &sFQPath) override;

    // UI thread. Deletes every entry, one change notification each.
    void Clear() override;
    void SetPaths(const QStringList &Value) override;
    void Assign(const TZorSelectionList &aSource);

    // Update bracket: inside it changes raise OnChange but refresh no check boxes; the end of the
    // outermost bracket makes one full refresh. Any thread.
    void BeginUpdate();
    void EndUpdate();

    // Some entry is an absolute path (something on the computer's drives is ticked).
    bool IsLocalPathSelected() const;
    // Some entry is a network share path: never on Linux.
    bool IsUNCPathSelected() const;
    // Some entry lies on another drive than the first: never on Linux (one tree).
    bool DifferentDrives() const;
    // UI thread. Entries equal to pOldPath become pNewPath; entries below it are moved along.
    void PathWasRenamed(const QString &pOldPath, const QString &pNewPath);
    // Every entry followed by a line break.
    QString ToString() const;

    static TZorSelectionState BoolToSelectionState(bool pValue) { return pValue ? ssChecked : ssUnChecked; }

    bool HandleShellLinks() const { return fHandleShellLinks; }
    void SetHandleShellLinks(bool aValue) { fHandleShellLinks = aValue; }
    bool RemoveInvalidPaths() const { return fRemoveInvalidPaths; }
    void SetRemoveInvalidPaths(bool aValue) { fRemoveInvalidPaths = aValue; }

    // The steps of the rules. Callers hold the lock (read for the queries, write for changes).
    void NotifyChange(const QString &P) override;
    // Brings P into entry form ("<folder>/*" or a file path) and tells whether it exists.
    virtual bool NormalizePath(QString &P) const;
    virtual bool IsCoveredBySelection(const QString &P) const;
    virtual TZorSelectionState ComputeSelectionState(const QString &P, bool &bIsSubItemOf) const;
    virtual bool IsCompletelySelected(const QString &P) const;
    virtual QString CompleteUpwards(const QString &Dir, const QString &Item) const;
    virtual QString ExpandSelectedParent(const QString &Dir, const QString &Item);
    virtual void RemoveSubPaths(const QString &P);
    void DeleteEntry(int index);

private:
    bool Contains(const QString &aEntry) const { return fList.contains(aEntry); }
    bool IsCompletelySelectedAt(const QString &P, int aDepth) const;
    void AppendEntry(const QString &aEntry);

    std::atomic<bool> fHandleShellLinks = true;
    std::atomic<bool> fRemoveInvalidPaths = true;
    std::atomic<int> fIsUpdating = 0;
};
