// TZorPathList: a sorted, duplicate-free list of paths with add and remove events, and the
// class-level path tests (sub-path, same root, splitting, shortcut target) that go with it.
#pragma once

#include <functional>
#include <QString>
#include <QStringList>

// Raised with the path and its index in the list.
using TZorPathListOperation = std::function<void(const QString &aPath, int Index)>;

// Not thread-safe: one thread at a time. The class-level operations may run on any thread.
class TZorPathList
{
public:
    // Empty.
    TZorPathList();
    // The paths of a string list (each passes the entry rule and the CheckIfExists test).
    explicit TZorPathList(const QStringList &aSource);
    // The paths of InitialValue split at ";".
    explicit TZorPathList(const QString &InitialValue);

    // Applies the entry rule and inserts the path at its sorted place. Returns its index; an
    // equal entry already present is not added again and its index is returned. Returns -1 for
    // an empty path, and for a path that does not exist while CheckIfExists is set.
    int Add(const QString &aPath);
    // Adds the strings pFromIndex..pToIndex of pSource (pToIndex -1: to the last).
    void AddRange(const QStringList &pSource, int pFromIndex = 0, int pToIndex = -1);
    // True when the path was found and deleted.
    bool Remove(const QString &pPath);
    // True only when every path was found and deleted (all are tried).
    bool Remove(const QStringList &pPaths);
    // Deletes the entry at Index; an index outside the list does nothing.
    void Delete(int Index);
    // Deletes every entry, raising OnRemove for each.
    void Clear();

    // The index of the path after the entry rule, or -1.
    int IndexOfPath(const QString &aPath) const;
    bool ContainsPath(const QString &aPath) const { return IndexOfPath(aPath) >= 0; }
    // Every entry begins with aPath with trailing separator (true for an empty list).
    bool AllItemsSubpathOf(const QString &aPath) const;

    int Count() const { return int(fItems.size()); }
    const QString &operator[](int Index) const { return fItems.at(Index); }
    const QStringList &Items() const { return fItems; }
    // The entries joined by ";".
    QString DelimitedText() const { return fItems.join(u';'); }

    // Every entry followed by a NUL character, then one more NUL (a double-NUL-terminated
    // list for APIs that want one). Valid until the list changes.
    const char16_t *StringPointer();

    bool CheckIfExists() const { return fCheckIfExists; }
    void SetCheckIfExists(bool aValue) { fCheckIfExists = aValue; }
    // Becomes true, and stays true, once a path on a network file system has been added.
    bool ContainsNetworkPath() const { return fContainsNetworkPath; }

    // While more Begin than End calls were made, OnAdd and OnRemove are silent.
    void BeginSkipEvents() { ++fSkipEvents; }
    void EndSkipEvents() { --fSkipEvents; }

    // After an insertion, with the new index.
    TZorPathListOperation OnAdd;
    // Before a deletion, with the index the entry still has.
    TZorPathListOperation OnRemove;

    // The entry rule: a leading "-" is set aside; the root keeps its "/", any other path loses
    // one trailing "/"; then the "-" is put back.
    static QString ApplyEntryRule(const QString &aPath);

    // Class-level path tests. Linux has no drive letters and no UNC paths: those tests answer
    // false; they are kept so that callers read as everywhere else.
    static bool StartsWithDriveLetter(const QString &pPath);
    static bool IsUNCPath(const QString &pFullPath);
    static bool IsUncServer(const QString &pPath);
    // p_PossibleSubPath is not empty, begins with p_SuperiorPath with trailing separator and is
    // not the same path ("/a" holds "/a/b" but not "/ab/x" or "/a/").
    static bool IsSubPathOf(const QString &p_SuperiorPath, const QString &p_PossibleSubPath);
    // All paths have the same drive part; on Linux always true.
    static bool ShareSameRoot(const QStringList &pPaths);
    // Returns the name after the last "/" and puts the text up to and including it into
    // pFilePath ("" when there is no "/").
    static QString SplitPath(const QString &pFullPath, QString &pFilePath);
    // The non-empty parts between occurrences of pDelimiter (an empty delimiter splits nothing).
    static QStringList SplitPathByDelimiter(const QString &pFullPath, const QString &pDelimiter);
    // The folder that a folder shortcut (a symbolic link to a folder) leads to, "" when it
    // cannot be resolved. See ResolveFolderShortcut.
    static QString GetShortcutTarget(const QString &filepath);

private:
    // The sorted place of aEntry and whether it is there already.
    std::pair<int, bool> Find(const QString &aEntry) const;
    void Changed() { fWideStringBuilder.clear(); }

    QStringList fItems;
    QString fWideStringBuilder;
    bool fCheckIfExists = false;
    bool fContainsNetworkPath = false;
    int fSkipEvents = 0;
};
