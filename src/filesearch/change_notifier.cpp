// Folder watch on inotify with listing comparison, for the result list's automatic refresh.
#include "filesearch/change_notifier.h"

#include "platform/long_path_access.h"
#include "platform/path_routines.h"
#include "threads/ui_thread.h"

#include <QPointer>
#include <QThreadPool>

namespace {
constexpr int kCompareDelayMs = 150;

QString Join(const QString &aFolder, const QString &aName)
{
    return WithTrailingSeparator(aFolder) + aName;
}
} // namespace

TZorShellChangeNotifier::~TZorShellChangeNotifier()
{
    if (fReadCancel)
        *fReadCancel = true;
}

TZorShellChangeNotifier::TZorShellChangeNotifier(QObject *aParent) : QObject(aParent)
{
    fDelay.setSingleShot(true);
    fDelay.setInterval(kCompareDelayMs);
    fWatcher.OnFolderChanged = [this](const QString &aFolder) { FolderChanged(aFolder); };
    connect(&fDelay, &QTimer::timeout, this, &TZorShellChangeNotifier::CompareDirtyFolders);
    fStart.setSingleShot(true);
    fStart.setInterval(0);
    connect(&fStart, &QTimer::timeout, this, [this] {
        if (fActive)
            StartWatching();
    });
}

void TZorShellChangeNotifier::SetRootFolder(const QString &pFolder)
{
    StopWatching();
    fRootFolder = pFolder.isEmpty() ? QString() : WithoutTrailingSeparator(pFolder);
    if (fActive)
        fStart.start();
}

void TZorShellChangeNotifier::SetActive(bool pActive)
{
    if (pActive == fActive)
        return;
    fActive = pActive;
    if (fActive) {
        fStart.start();
    } else {
        fStart.stop();
        StopWatching();
    }
}

QStringList TZorShellChangeNotifier::WatchedFolders() const
{
    return fWatcher.Folders();
}

void TZorShellChangeNotifier::StopWatching()
{
    if (fReadCancel)
        *fReadCancel = true;
    fWatcher.RemoveAll();
    fListings.clear();
    fDirty.clear();
    fDelay.stop();
}

TZorShellChangeNotifier::TTreeListing TZorShellChangeNotifier::ReadTree(const QString &aRoot,
                                                                        const std::atomic<bool> &aCancel)
{
    TTreeListing tree;
    // Breadth first through the tree; when it holds more folders than the cap, only the root.
    QStringList queue{aRoot};
    for (qsizetype next = 0; next < queue.size(); ++next) {
        if (aCancel.load())
            return {};
        bool ok = false;
        TListing listing = ReadListing(queue[next], ok);
        if (!ok) {
            if (next == 0)
                return {};
            continue; // gone or unreadable meanwhile: not watched
        }
        for (qsizetype i = 0; i < listing.Size(); ++i)
            if (listing.State(i).fIsFolder)
                queue.append(Join(queue[next], listing.Name(i).toString()));
        tree.fFolders.append(queue[next]);
        tree.fListings.push_back(std::move(listing));
        if (queue.size() > MaxWatchedFolders) {
            tree.fFolders = {aRoot};
            tree.fListings.resize(1);
            return tree;
        }
    }
    return tree;
}

void TZorShellChangeNotifier::StartWatching()
{
    StopWatching();
    if (fRootFolder.isEmpty())
        return;
    fReadCancel = std::make_shared<std::atomic<bool>>(false);
    QThreadPool::globalInstance()->start(
        [self = QPointer<TZorShellChangeNotifier>(this), root = fRootFolder, cancel = fReadCancel] {
            auto tree = std::make_shared<TTreeListing>(ReadTree(root, *cancel));
            if (cancel->load())
                return;
            // The pointer is looked at on the UI thread only, where the notifier lives.
            QueueOnUiThread([self, cancel, tree] {
                if (self && !cancel->load())
                    self->InstallWatch(*tree);
            });
        });
}

void TZorShellChangeNotifier::InstallWatch(TTreeListing &aTree)
{
    for (qsizetype i = 0; i < aTree.fFolders.size() && size_t(i) < aTree.fListings.size(); ++i) {
        const QString &folder = aTree.fFolders[i];
        if (fListings.contains(folder) || fListings.size() >= MaxWatchedFolders ||
            !fWatcher.AddFolder(folder))
            continue;
        fListings.insert(folder, std::move(aTree.fListings[size_t(i)]));
    }
}

bool TZorShellChangeNotifier::Watch(const QString &pFolder)
{
    if (fListings.contains(pFolder) || fListings.size() >= MaxWatchedFolders)
        return false;
    bool ok = false;
    TListing listing = ReadListing(pFolder, ok);
    if (!ok || !fWatcher.AddFolder(pFolder))
        return false;
    fListings.insert(pFolder, std::move(listing));
    return true;
}

TZorShellChangeNotifier::TListing TZorShellChangeNotifier::ReadListing(const QString &pFolder, bool &aOk)
{
    TListing listing;
    TWin32FindData data;
    TFindHandle handle = FindFirstFile(WithTrailingSeparator(pFolder) + u'*', data);
    aOk = handle.IsValid();
    if (!aOk)
        return listing;
    do {
        if (!IsFolderToIgnore(data.cFileName))
            listing.Add(data.cFileName,
                        TEntryState{data.IsDirectory(), data.FileSize(), data.ftLastWriteTime});
    } while (FindNextFile(handle, data));
    listing.Finish();
    return listing;
}

void TZorShellChangeNotifier::FolderChanged(const QString &pFolder)
{
    if (!fActive)
        return;
    fDirty.insert(pFolder);
    if (!fDelay.isActive())
        fDelay.start();
}

void TZorShellChangeNotifier::CompareDirtyFolders()
{
    const QSet<QString> dirty = std::exchange(fDirty, {});
    for (const QString &folder : dirty)
        if (fActive && fListings.contains(folder))
            CompareFolder(folder);
}

void TZorShellChangeNotifier::CompareFolder(const QString &pFolder)
{
    bool ok = false;
    TListing now = ReadListing(pFolder, ok);
    if (!ok) {
        // The folder itself went; its parent's comparison reports it.
        fListings.remove(pFolder);
        fWatcher.RemoveFolder(pFolder);
        return;
    }
    const TListing before = std::exchange(fListings[pFolder], now);

    QStringList gone, come;
    bool changed = false;
    for (qsizetype i = 0; i < before.Size(); ++i)
        if (!now.Find(before.Name(i)))
            gone.append(before.Name(i).toString());
    for (qsizetype i = 0; i < now.Size(); ++i) {
        const TEntryState *old = before.Find(now.Name(i));
        if (!old)
            come.append(now.Name(i).toString());
        else if (!now.State(i).fIsFolder && !(*old == now.State(i))) {
            Report(neFileChange, Join(pFolder, now.Name(i).toString()));
            changed = true;
        }
    }
    changed = changed || !gone.isEmpty() || !come.isEmpty();
    for (const QString &name : std::as_const(gone)) {
        const TEntryState state = *before.Find(name);
        const auto twin = std::find_if(come.begin(), come.end(),
                                       [&](const QString &aNew) { return *now.Find(aNew) == state; });
        if (twin != come.end()) {
            const QString newName = *twin;
            come.erase(twin);
            if (state.fIsFolder) {
                const QString oldPath = Join(pFolder, name);
                if (fListings.remove(oldPath) > 0)
                    fWatcher.RemoveFolder(oldPath);
                Watch(Join(pFolder, newName));
            }
            Report(state.fIsFolder ? neFolderRename : neFileRename, Join(pFolder, name),
                   Join(pFolder, newName));
            continue;
        }
        const QString path = Join(pFolder, name);
        if (state.fIsFolder && fListings.remove(path) > 0)
            fWatcher.RemoveFolder(path);
        Report(state.fIsFolder ? neFolderDelete : neFileDelete, path);
    }
    for (const QString &name : std::as_const(come)) {
        const bool isFolder = now.Find(name)->fIsFolder;
        if (isFolder)
            Watch(Join(pFolder, name));
        Report(isFolder ? neFolderCreate : neFileCreate, Join(pFolder, name));
    }
    if (changed)
        Report(neFolderUpdate, pFolder);
}

void TZorShellChangeNotifier::Report(TNotificationEvent pKind, const QString &pPath, const QString &pSecond)
{
    if (OnChange)
        OnChange(pKind, pPath, pSecond);
}
