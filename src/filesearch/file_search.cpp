// The folder walker: enumeration, per-entry test, batched hand-over to its sink.
#include "filesearch/file_search.h"

#include "filesearch/volume_roots.h"
#include "platform/long_path_access.h"
#include "platform/path_routines.h"
#include "platform/tick_count.h"
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

TZorFileSearch::TZorFileSearch(const TZorSearchOptions &aSearchOptions, IZorFileSearchSink &aSink,
                               QObject &aSinkOwner, const QString &aInitialPath, bool pOnlyNewFiles)
    : fSearchOptions(aSearchOptions), fSink(aSink), fSinkOwner(&aSinkOwner), fInitialPath(aInitialPath),
      fOnlyNewFiles(pOnlyNewFiles), fHasProgressHandler(aSink.WantsSearchProgress())
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
        RunOnUiThread([this] { HandOverToSink(); });
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
        RunOnUiThread([this] { HandOverToSink(); });
    if (fHasProgressHandler) {
        fCurrentlyScannedPath = pFolderPath + pName;
        auto self = std::static_pointer_cast<TZorFileSearch>(shared_from_this());
        QueueOnUiThread([self, path = fCurrentlyScannedPath] { self->ReportSearchProgress(path); });
        // Without a hand-over the clock would stay expired and queue a report for every entry.
        if (!pending)
            fLastUpdateTickCount = now;
    }
}

void TZorFileSearch::HandOverToSink()
{
    IZorFileSearchSink *sink = Sink();
    if (IsCancellationRequested() || !sink)
        return;
    {
        std::lock_guard lock(fItemsToAddLock);
        sink->BeginHandOver();
        qsizetype handled = 0;
        TFinally endUpdate([&] {
            // After a failing Add, the paths up to and including the failing one are not offered
            // again by the final hand-over; the rest are.
            fItemsToAdd.remove(0, std::min(handled, fItemsToAdd.size()));
            sink->EndHandOver();
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
            if (fOnlyNewFiles && sink->IsPathListed(path))
                continue;
            fWereItemsAddedSinceLastSort = true;
            sink->OfferFoundPath(path);
        }
    }
    QueueResort();
}

void TZorFileSearch::QueueResort()
{
    IZorFileSearchSink *sink = Sink();
    if (!fWereItemsAddedSinceLastSort || !sink || IsCancellationRequested())
        return;
    const uint32_t now = GetTickCount();
    if (!fSearchComplete && (TicksBetween(fLastResortTickCount, now) <= 1000 || sink->FoundCount() >= 10000))
        return;
    sink->ResortFound();
    fLastResortTickCount = now;
    fWereItemsAddedSinceLastSort = false;
}

void TZorFileSearch::ReportSearchProgress(const QString &pPath)
{
    IZorFileSearchSink *sink = Sink();
    if (IsCancellationRequested() || !sink)
        return;
    sink->SearchProgress(pPath);
}
