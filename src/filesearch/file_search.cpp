// The folder walker: enumeration, per-entry test, batched hand-over to the result list.
#include "filesearch/file_search.h"

#include "filesearch/file_list.h"
#include "filesearch/volume_roots.h"
#include "platform/tick_count.h"
#include "platform/long_path_access.h"
#include "platform/path_routines.h"
#include "threads/ui_thread.h"

#include <exception>
#include <memory>

namespace {
// Runs aAction when the scope ends, however it ends.
template <class TAction> class TFinally
{
public:
    explicit TFinally(TAction aAction) : fAction(std::move(aAction)) {}
    ~TFinally() { fAction(); }
    TFinally(const TFinally &) = delete;
    TFinally &operator=(const TFinally &) = delete;

private:
    TAction fAction;
};
} // namespace

TZorFileSearch::TZorFileSearch(const TZorSearchOptions &aSearchOptions, TZorFileList &aZorFileList,
                               const QString &aInitialPath, bool pOnlyNewFiles)
    : fSearchOptions(aSearchOptions), fZorFileList(&aZorFileList), fInitialPath(aInitialPath),
      fOnlyNewFiles(pOnlyNewFiles), fHasProgressHandler(bool(aZorFileList.OnSearchProgress))
{
    fLastResortTickCount = GetTickCount();
    fLastUpdateTickCount = GetTickCount();
}

void TZorFileSearch::DoWork()
{
    std::exception_ptr failure;
    try {
        Walk();
    } catch (...) {
        failure = std::current_exception();
    }
    fSearchComplete = true;
    try {
        RunOnUiThread([this] { AddItemsToList(); });
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TZorFileSearch::Walk()
{
    if (IsWorkItemCancelled())
        return;
    const std::vector<TMountEntry> mounts = ReadMountTable();
    fFoldersNotEntered = FoldersNeverEntered(mounts);
    if (!fInitialPath.isEmpty()) {
        WalkFolder(WithTrailingSeparator(fInitialPath), 0);
    } else if (fSearchOptions.RecursiveSearch()) {
        // Each volume gets its own walk, so none of them is entered from another.
        const QStringList roots = VolumeRoots(mounts);
        for (const QString &root : roots)
            fFoldersNotEntered.insert(root);
        for (const QString &root : roots)
            if (IsDriveAvailable(root, true))
                WalkFolder(root, 0);
    } else {
        WalkFolder(WithTrailingSeparator(DesktopFolder()), 0);
    }
}

void TZorFileSearch::WalkFolder(const QString &pFolderPath, int pDepth)
{
    // One enumeration serves both passes: the subfolders to enter are noted while the hits are
    // collected, and entered only once the whole folder has been examined.
    const bool descend = fSearchOptions.RecursiveSearch() && pDepth < MaxFolderDepth;
    QStringList subfolders;
    TWin32FindData data;
    TFindHandle handle = FindFirstFile(pFolderPath + u'*', data);
    if (!handle.IsValid())
        return;
    do {
        if (IsWorkItemCancelled())
            return;
        if (fSearchOptions.Matches(data, pFolderPath)) {
            QString hit = pFolderPath + data.cFileName;
            if (data.IsDirectory())
                hit += PathSeparator;
            std::lock_guard lock(fItemsToAddLock);
            fItemsToAdd.append(std::move(hit));
        }
        if (descend && data.IsDirectory() && !IsFolderToIgnore(data.cFileName) &&
            (!data.IsHidden() || fSearchOptions.IncludeHidden()))
            subfolders.append(data.cFileName);
        HandOverIfDue(pFolderPath, data.cFileName);
    } while (FindNextFile(handle, data));
    FindClose(handle);

    for (const QString &name : std::as_const(subfolders)) {
        if (IsWorkItemCancelled())
            return;
        const QString folder = pFolderPath + name + PathSeparator;
        if (fFoldersNotEntered.isEmpty() || !fFoldersNotEntered.contains(folder))
            WalkFolder(folder, pDepth + 1);
    }
}

void TZorFileSearch::HandOverIfDue(const QString &pFolderPath, const QString &pName)
{
    const uint32_t now = GetTickCount();
    if (TicksBetween(fLastUpdateTickCount, now) <= HandOverIntervalMs)
        return;
    bool pending = false;
    {
        std::lock_guard lock(fItemsToAddLock);
        pending = !fItemsToAdd.isEmpty();
    }
    if (pending)
        RunOnUiThread([this] { AddItemsToList(); });
    if (fHasProgressHandler) {
        fCurrentlyScannedPath = pFolderPath + pName;
        auto self = std::static_pointer_cast<TZorFileSearch>(shared_from_this());
        QueueOnUiThread([self, path = fCurrentlyScannedPath] { self->ReportSearchProgress(path); });
        // Without a hand-over the clock would stay expired and queue a report for every entry.
        if (!pending)
            fLastUpdateTickCount = now;
    }
}

void TZorFileSearch::AddItemsToList()
{
    TZorFileList *list = fZorFileList.data();
    if (IsCancellationRequested() || !list)
        return;
    {
        std::lock_guard lock(fItemsToAddLock);
        list->BeginHandOver();
        list->BeginUpdate();
        qsizetype handled = 0;
        TFinally endUpdate([&] {
            // After a failing Add, the paths up to and including the failing one are not offered
            // again by the final hand-over; the rest are.
            fItemsToAdd.remove(0, std::min(handled, fItemsToAdd.size()));
            list->EndUpdate();
            list->EndHandOver();
            fLastUpdateTickCount = GetTickCount();
        });
        const qsizetype count = fItemsToAdd.size();
        while (handled < count) {
            // A Stop asked for inside this hand-over lists nothing more.
            if (IsCancellationRequested()) {
                handled = count;
                break;
            }
            const QString path = fItemsToAdd[handled++];
            if (fOnlyNewFiles && list->ReturnItemInList(path, 0) >= 0)
                continue;
            fWereItemsAddedSinceLastSort = true;
            list->Add(path, false, -1);
        }
    }
    QueueResort();
}

void TZorFileSearch::QueueResort()
{
    TZorFileList *list = fZorFileList.data();
    if (!fWereItemsAddedSinceLastSort || !list || IsCancellationRequested())
        return;
    const uint32_t now = GetTickCount();
    if (!fSearchComplete && (TicksBetween(fLastResortTickCount, now) <= 1000 || list->Count() >= 10000))
        return;
    list->Resort();
    fLastResortTickCount = now;
    fWereItemsAddedSinceLastSort = false;
}

void TZorFileSearch::ReportSearchProgress(const QString &pPath)
{
    TZorFileList *list = fZorFileList.data();
    if (IsCancellationRequested() || !list || !list->OnSearchProgress)
        return;
    list->OnSearchProgress(pPath);
}
