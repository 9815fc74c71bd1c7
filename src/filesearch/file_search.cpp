// The folder walker: enumeration, per-entry test, batched hand-over to its sink.
#include "filesearch/file_search.h"

#include "filesearch/volume_roots.h"
#include "platform/long_path_access.h"
#include "platform/path_routines.h"
#include "platform/tick_count.h"
#include "threads/check_pool.h"
#include "threads/ui_thread.h"

#include <chrono>
#include <exception>
#include <memory>
#include <vector>

namespace {

// How many of the innermost folders of the walk's path keep their descriptor open.
constexpr size_t kOpenFolders = 16;
// Checks are queued at the end of each folder, or sooner once this many are waiting.
constexpr qsizetype kChecksPerPost = 256;
// The walk waits for checks to end once it holds this many hits not yet handed over.
constexpr qsizetype kHitsHeldAtMost = 100000;
// How long the walk waits for a check to end before it looks at cancellation and hand-overs again.
constexpr std::chrono::milliseconds kCheckWaitStep{50};

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
                               QObject &aSinkOwner, const QString &aInitialPath, bool pOnlyNewFiles,
                               TTickClock aClock)
    : fSearchOptions(aSearchOptions), fSink(aSink), fSinkOwner(&aSinkOwner), fInitialPath(aInitialPath),
      fClock(aClock ? std::move(aClock) : TTickClock(GetTickCount)), fOnlyNewFiles(pOnlyNewFiles),
      fHasProgressHandler(aSink.WantsSearchProgress())
{
    fLastResortTickCount = fClock();
    fLastUpdateTickCount = fLastResortTickCount;
}

void TZorFileSearch::SetContentCheck(std::shared_ptr<const TContentCheck> aCheck, TCheckPool &aPool)
{
    fContentCheck = std::move(aCheck);
    fCheckPool = fContentCheck ? &aPool : nullptr;
}

void TZorFileSearch::DoWork()
{
    std::exception_ptr failure;
    try {
        Walk();
    } catch (...) {
        failure = std::current_exception();
    }
    // Whatever ended the walk, no check may outlive it.
    try {
        FinishChecks();
    } catch (...) {
        if (!failure)
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
        WalkFolder(WithTrailingSeparator(fInitialPath));
    } else if (fSearchOptions.RecursiveSearch()) {
        // Each volume gets its own walk, so none of them is entered from another.
        const QStringList roots = VolumeRoots(mounts);
        for (const QString &root : roots)
            fFoldersNotEntered.insert(root);
        for (const QString &root : roots)
            if (IsDriveAvailable(root, true))
                WalkFolder(root);
    } else {
        WalkFolder(WithTrailingSeparator(DesktopFolder()));
    }
}

// The walk keeps its own stack, one level per folder whose subfolders are still being entered,
// instead of recursing, so no depth can exhaust the thread's stack. A subfolder is opened by name
// relative to its parent's open descriptor, so entering a folder costs one open at any depth (a
// path from "/" would cost one per level and make a deep walk quadratic). Only the kOpenFolders
// innermost levels keep their descriptor; when the walk climbs back to a level that gave its
// descriptor up, it reopens it as ".." of the level it leaves, accepted only when that is the
// same folder (device and inode) as before, else by its path. So a walk holds at most
// kOpenFolders + 2 descriptors at any depth, and a tree less than kOpenFolders levels deep
// reopens nothing.
void TZorFileSearch::WalkFolder(const QString &pRootPath)
{
    struct TLevel
    {
        QString fPath; // with trailing "/"
        TFolderId fId;
        TFolderHandle fFolder;   // invalid outside the innermost kOpenFolders levels
        QStringList fSubfolders; // to enter, in the order the enumeration gave them
        qsizetype fNext = 0;
    };
    std::vector<TLevel> levels;
    QString path = pRootPath;
    TFolderHandle folder = OpenFolder(pRootPath);
    for (;;) {
        // One enumeration serves both passes: the subfolders to enter are noted while the hits are
        // collected, and entered only once the whole folder has been examined.
        if (folder.IsValid()) {
            QStringList subfolders;
            if (!ExamineFolder(folder, path, subfolders))
                return;
            if (!subfolders.isEmpty()) {
                const TFolderId id = folder.Id();
                levels.push_back({std::move(path), id, std::move(folder), std::move(subfolders)});
                if (levels.size() > kOpenFolders)
                    levels[levels.size() - kOpenFolders - 1].fFolder = TFolderHandle();
            }
        }

        // Climb back to the innermost level with a subfolder left to enter.
        while (!levels.empty() && levels.back().fNext == levels.back().fSubfolders.size()) {
            const TFolderHandle left = std::move(levels.back().fFolder);
            levels.pop_back();
            if (levels.empty() || levels.back().fFolder.IsValid())
                continue;
            TLevel &parent = levels.back();
            parent.fFolder = OpenParentFolder(left, parent.fId);
            if (!parent.fFolder.IsValid())
                parent.fFolder = OpenFolder(parent.fPath);
        }
        if (levels.empty() || IsWorkItemCancelled())
            return;

        TLevel &level = levels.back();
        const QString &name = level.fSubfolders[level.fNext++];
        path = level.fPath + name + PathSeparator;
        folder = TFolderHandle();
        if (fFoldersNotEntered.isEmpty() || !fFoldersNotEntered.contains(path))
            folder = OpenSubfolder(level.fFolder, name);
    }
}

bool TZorFileSearch::ExamineFolder(const TFolderHandle &aFolder, const QString &pFolderPath,
                                   QStringList &aSubfolders)
{
    const bool descend = fSearchOptions.RecursiveSearch();
    TWin32FindData data;
    TFindHandle handle = FindFirstFileIn(aFolder, data);
    if (!handle.IsValid())
        return true;
    do {
        if (IsWorkItemCancelled())
            return false;
        // An excluded entry is neither a hit nor, being a folder, entered.
        if (fSearchOptions.IsExcluded(data.cFileName))
            continue;
        // With a text to find, an empty file is never listed: it holds no text, and anything else the
        // enumeration gives size 0 (a device, a pipe, an entry it could not look at) cannot be read
        // either. It is not held nor handed over.
        const bool mayHoldText = !fContentCheck || data.IsDirectory() || data.FileSize() > 0;
        if (mayHoldText && fSearchOptions.Matches(data, pFolderPath)) {
            QString hit = pFolderPath + data.cFileName;
            if (data.IsDirectory())
                hit += PathSeparator;
            qsizetype held = 0;
            {
                std::lock_guard lock(fItemsToAddLock);
                THit &added = fItemsToAdd.emplace_back(std::move(hit));
                added.fChecked = fContentCheck && !data.IsDirectory();
                held = qsizetype(fItemsToAdd.size());
            }
            if (fContentCheck && held - fFirstUnposted >= kChecksPerPost)
                PostChecks();
            while (fContentCheck && held >= kHitsHeldAtMost && !IsWorkItemCancelled()) {
                // Checks fall behind: hand over what is ready rather than hold without bound.
                {
                    std::unique_lock lock(fChecksLock);
                    fCheckEnded.wait_for(lock, kCheckWaitStep);
                }
                HandOverReadyHits();
                std::lock_guard lock(fItemsToAddLock);
                held = qsizetype(fItemsToAdd.size());
            }
        }
        if (descend && data.IsDirectory() && !IsFolderToIgnore(data.cFileName) &&
            (!data.IsHidden() || fSearchOptions.IncludeHidden()))
            aSubfolders.append(data.cFileName);
        HandOverIfDue(pFolderPath, data.cFileName);
    } while (FindNextFile(handle, data));
    if (fContentCheck)
        PostChecks();
    return true;
}

void TZorFileSearch::PostChecks()
{
    std::vector<TCheckPool::TJob> jobs;
    {
        std::lock_guard lock(fItemsToAddLock);
        const qsizetype count = qsizetype(fItemsToAdd.size());
        for (; fFirstUnposted < count; ++fFirstUnposted) {
            THit &hit = fItemsToAdd[size_t(fFirstUnposted)];
            if (!hit.fChecked)
                continue;
            // The hit stays where it is until its verdict is known: the hand-over stops before it.
            jobs.emplace_back([this, &hit](bool aRun) {
                bool holds = false;
                try {
                    if (aRun && !IsCancellationRequested())
                        holds = fContentCheck->fContains(hit.fPath, *this, hit.fFinding);
                } catch (...) {
                    // A check that fails finds nothing, as FileContainsText does.
                }
                hit.fVerdict = holds ? TContentVerdict::Present : TContentVerdict::Absent;
                // Notified under the lock: once it is released the walk may end and go, and this
                // job touches nothing of it any more.
                std::lock_guard checks(fChecksLock);
                --fChecksRunning;
                fCheckEnded.notify_all();
            });
        }
    }
    if (jobs.empty())
        return;
    {
        std::lock_guard checks(fChecksLock);
        fChecksRunning += int(jobs.size());
    }
    fCheckPool->Post(this, std::move(jobs));
}

qsizetype TZorFileSearch::ReadyHitCount() const
{
    std::lock_guard lock(fItemsToAddLock);
    qsizetype ready = 0;
    for (const THit &hit : fItemsToAdd) {
        if (hit.fChecked && hit.fVerdict.load() == TContentVerdict::None)
            break;
        ++ready;
    }
    return ready;
}

void TZorFileSearch::HandOverReadyHits()
{
    const qsizetype ready = ReadyHitCount();
    if (ready > 0)
        RunOnUiThread([this, ready] { AddItemsToList(ready); });
}

void TZorFileSearch::FinishChecks()
{
    if (!fContentCheck)
        return;
    PostChecks();
    bool withdrawn = false;
    for (;;) {
        if (!withdrawn && IsCancellationRequested()) {
            // Withdrawn jobs end at once (unrun); running ones give up between chunks.
            fCheckPool->Withdraw(this);
            withdrawn = true;
        }
        {
            std::unique_lock lock(fChecksLock);
            if (fChecksRunning == 0)
                return;
            fCheckEnded.wait_for(lock, kCheckWaitStep);
            if (fChecksRunning == 0)
                return;
        }
        // Results keep coming while the last checks (documents, large files) run.
        if (!withdrawn && HandOverDue(fClock()))
            HandOverReadyHits();
    }
}

bool TZorFileSearch::HandOverDue(uint32_t aNow) const
{
    const uint32_t interval = fSinkListsAny.load() ? HandOverIntervalMs : FirstHandOverIntervalMs;
    return TicksBetween(fLastUpdateTickCount, aNow) > interval;
}

void TZorFileSearch::HandOverIfDue(const QString &pFolderPath, const QString &pName)
{
    const uint32_t now = fClock();
    if (!HandOverDue(now))
        return;
    const qsizetype ready = ReadyHitCount();
    const bool pending = ready > 0;
    if (pending)
        RunOnUiThread([this, ready] { AddItemsToList(ready); });
    if (fHasProgressHandler) {
        fCurrentlyScannedPath = pFolderPath + pName;
        auto self = std::static_pointer_cast<TZorFileSearch>(shared_from_this());
        QueueOnUiThread([self, path = fCurrentlyScannedPath] { self->ReportSearchProgress(path); });
        // Without a hand-over the clock would stay expired and queue a report for every entry.
        if (!pending)
            fLastUpdateTickCount = now;
    }
}

void TZorFileSearch::AddItemsToList(qsizetype aCount)
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
            const qsizetype taken = std::min(handled, qsizetype(fItemsToAdd.size()));
            for (qsizetype i = 0; i < taken; ++i)
                fItemsToAdd.pop_front();
            fFirstUnposted = std::max<qsizetype>(fFirstUnposted - taken, 0);
            sink->EndHandOver();
            fSinkListsAny = sink->FoundCount() > 0;
            fLastUpdateTickCount = fClock();
        });
        const qsizetype count =
            aCount < 0 ? qsizetype(fItemsToAdd.size()) : std::min(aCount, qsizetype(fItemsToAdd.size()));
        while (handled < count) {
            // A Stop asked for inside this hand-over lists nothing more.
            if (IsCancellationRequested()) {
                handled = count;
                break;
            }
            const THit &hit = fItemsToAdd[size_t(handled++)];
            // A file its check found not to hold the text would only be refused.
            if (hit.fVerdict.load() == TContentVerdict::Absent)
                continue;
            const QString path = hit.fPath;
            if (fOnlyNewFiles && sink->IsPathListed(path))
                continue;
            fWereItemsAddedSinceLastSort = true;
            const TMatchFinding finding = hit.fFinding;
            sink->OfferFoundPath(path, hit.fVerdict.load(), fContentCheck ? fContentCheck->fText : QString(),
                                 finding);
        }
    }
    QueueResort();
}

void TZorFileSearch::QueueResort()
{
    IZorFileSearchSink *sink = Sink();
    if (!fWereItemsAddedSinceLastSort || !sink || IsCancellationRequested())
        return;
    const uint32_t now = fClock();
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
