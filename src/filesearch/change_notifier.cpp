// Folder watch on inotify with listing comparison, for the result list's automatic refresh.
#include "filesearch/change_notifier.h"

#include "platform/long_path_access.h"
#include "platform/path_routines.h"

namespace {
constexpr int kCompareDelayMs = 150;

QString Join(const QString &aFolder, const QString &aName)
{
    return WithTrailingSeparator(aFolder) + aName;
}
} // namespace

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
    fWatcher.RemoveAll();
    fListings.clear();
    fDirty.clear();
    fDelay.stop();
}

void TZorShellChangeNotifier::StartWatching()
{
    StopWatching();
    if (fRootFolder.isEmpty() || !Watch(fRootFolder))
        return;
    // Breadth first through the tree; when it holds more folders than the cap, only the root.
    QStringList below;
    for (qsizetype next = -1; next < below.size(); ++next) {
        const QString folder = next < 0 ? fRootFolder : below[next];
        const TListing *listing = next < 0 ? &fListings[fRootFolder] : nullptr;
        TListing own;
        if (!listing) {
            bool ok = false;
            own = ReadListing(folder, ok);
            listing = &own;
        }
        for (auto it = listing->constBegin(); it != listing->constEnd(); ++it) {
            if (!it->fIsFolder)
                continue;
            below.append(Join(folder, it.key()));
            if (below.size() + 1 > MaxWatchedFolders)
                return;
        }
    }
    for (const QString &folder : below)
        Watch(folder);
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
            listing.insert(data.cFileName,
                           TEntryState{data.IsDirectory(), data.FileSize(), data.ftLastWriteTime});
    } while (FindNextFile(handle, data));
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
    for (auto it = before.constBegin(); it != before.constEnd(); ++it)
        if (!now.contains(it.key()))
            gone.append(it.key());
    for (auto it = now.constBegin(); it != now.constEnd(); ++it) {
        const auto old = before.constFind(it.key());
        if (old == before.constEnd())
            come.append(it.key());
        else if (!it->fIsFolder && !(*old == *it)) {
            Report(neFileChange, Join(pFolder, it.key()));
            changed = true;
        }
    }
    changed = changed || !gone.isEmpty() || !come.isEmpty();
    for (const QString &name : std::as_const(gone)) {
        const TEntryState state = before.value(name);
        const auto twin = std::find_if(come.begin(), come.end(),
                                       [&](const QString &aNew) { return now.value(aNew) == state; });
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
        const bool isFolder = now.value(name).fIsFolder;
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
