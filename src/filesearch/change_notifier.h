// Change notification for the result list's automatic refresh: watches a folder and the folders
// below it through inotify (TFolderWatch) and reports what changed as kinds with paths.
#pragma once

#include "filesearch/folder_listing.h"
#include "platform/find_data.h"
#include "platform/folder_watch.h"

#include <atomic>
#include <functional>
#include <memory>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <vector>

// The kinds of change reported, numbered as the list's event filter counts them.
enum TNotificationEvent : int
{
    neFileChange = 2,
    neFileCreate = 3,
    neFileDelete = 4,
    neFileRename = 5,
    neFolderCreate = 12,
    neFolderDelete = 13,
    neFolderRename = 14,
    neFolderUpdate = 15,
};

// Starts switched off. Once on, it watches RootFolder and, when the tree below it holds at most
// MaxWatchedFolders folders in all, every folder below it (symbolic links are not followed);
// above the cap only RootFolder itself. The folders are listed on a pool thread, so a large tree
// never holds up the window; the watch begins once they are. inotify only says that a folder changed: the
// notifier keeps the last listing of each watched folder and compares it with a new one, 150 ms after the
// first report of a burst, so a burst of changes is read once. Reports arrive on the thread that
// owns the object (the UI thread): for each created, deleted or changed (size or date) entry one
// report with its full path (folders without a trailing "/"), a rename (an entry gone and one
// come with the same kind, size and date in one comparison) as one report with old and new path,
// then neFolderUpdate with the folder. New folders join the watch while the cap allows.
class TZorShellChangeNotifier : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxWatchedFolders = 1000;

    explicit TZorShellChangeNotifier(QObject *aParent = nullptr);
    // A listing still being read for the watch is abandoned.
    ~TZorShellChangeNotifier() override;

    // (kind, path, second path or "").
    std::function<void(TNotificationEvent, const QString &, const QString &)> OnChange;

    // Forgets every watched folder and takes pFolder (with or without trailing "/"; "" watches
    // nothing). When the notifier is on, the watch is built as soon as the event loop runs.
    void SetRootFolder(const QString &pFolder);
    const QString &RootFolder() const { return fRootFolder; }

    bool Active() const { return fActive; }
    // Switching on builds the watch of RootFolder as soon as the event loop runs; switching off
    // drops it. Never raises; folders that cannot be listed or watched are left out.
    void SetActive(bool pActive);

    // The folders watched now, without trailing "/".
    QStringList WatchedFolders() const;

private:
    using TListing = TFolderListing;

    // The folders to watch with their listings, as read by a pool thread.
    struct TTreeListing
    {
        QStringList fFolders;
        std::vector<TListing> fListings;
    };
    // Reads the listings of aRoot and, up to the cap, of every folder below it; stops early once
    // aCancel is set. Any thread.
    static TTreeListing ReadTree(const QString &aRoot, const std::atomic<bool> &aCancel);
    void StartWatching();
    void StopWatching();
    void InstallWatch(TTreeListing &aTree);
    bool Watch(const QString &pFolder);
    static TListing ReadListing(const QString &pFolder, bool &aOk);
    void FolderChanged(const QString &pFolder);
    void CompareDirtyFolders();
    void CompareFolder(const QString &pFolder);
    void Report(TNotificationEvent pKind, const QString &pPath, const QString &pSecond = QString());

    TFolderWatch fWatcher;
    QTimer fDelay;
    QTimer fStart; // builds the watch from the event loop, not inside the caller
    // Set when the listing being read for the watch is no longer wanted.
    std::shared_ptr<std::atomic<bool>> fReadCancel;
    QString fRootFolder;
    bool fActive = false;
    QHash<QString, TListing> fListings; // watched folder -> its last listing
    QSet<QString> fDirty;
};
