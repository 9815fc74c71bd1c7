// The result list's search: walks on the list's pool, end of search, Stop, automatic refresh.
#include "filesearch/file_list.h"

#include "filesearch/file_search.h"
#include "platform/long_path_access.h"
#include "platform/path_routines.h"
#include "platform/tick_count.h"
#include "threads/check_pool.h"
#include "threads/ui_thread.h"
#include "threads/worker_thread_pool.h"

#include <QScopedValueRollback>
#include <thread>

namespace {
bool IsAtOrBelow(const QString &aPath, const QString &aFolder)
{
    return SamePath(aPath, aFolder) ||
           WithoutTrailingSeparator(aPath).startsWith(WithTrailingSeparator(aFolder));
}
} // namespace

TZorFileList::TZorFileList(QObject *aParent) : TZorCustomFileList(aParent)
{
    SetAllowDuplicates(true);
    fAddLaterTimer.setSingleShot(true);
    connect(&fAddLaterTimer, &QTimer::timeout, this, &TZorFileList::AddPathsLater);
    fChangeNotifier.OnChange = [this](TNotificationEvent aKind, const QString &aPath1,
                                      const QString &aPath2) { HandleShellChange(aKind, aPath1, aPath2); };
}

TZorFileList::~TZorFileList()
{
    fDestroying = true;
    fChangeNotifier.OnChange = nullptr;
    fSearchThreadPool.reset();
}

void TZorFileList::Search(const QString &Path)
{
    fIgnoreNewFiles = false;
    fPathsToAddLater.clear();
    fChangeNotifier.SetRootFolder(Path);
    fLastSearchPath = Path;
    fLastSearchTickCount = Clock();
    if (!fSearchThreadPool) {
        fSearchThreadPool = std::make_unique<TWorkerThreadPool>(true);
        // Runs on whichever thread ends the last walk: it only queues, through a pointer made here.
        fSearchThreadPool->OnAllWorkItemsDone = [self = QPointer<TZorFileList>(this)](bool) {
            QueueEndSearch(self);
        };
    }
    auto walk = std::make_shared<TZorFileSearch>(fSearchOptions, static_cast<IZorFileSearchSink &>(*this),
                                                 *this, Path, false, Clock);
    if (fContentCheck) {
        if (!fCheckPool)
            fCheckPool =
                std::make_unique<TCheckPool>(fCheckThreads > 0 ? fCheckThreads : DefaultCheckThreads());
        walk->SetContentCheck(fContentCheck, *fCheckPool);
    }
    fSearchThreadPool->AddWorkItem(walk);
}

int TZorFileList::DefaultCheckThreads()
{
    return int(std::max(std::thread::hardware_concurrency(), 1u)) + 4;
}

void TZorFileList::SetCheckThreads(int aThreads)
{
    fCheckThreads = aThreads;
    if (!IsSearching())
        fCheckPool.reset();
}

void TZorFileList::DoEndSearch()
{
    QueueEndSearch(QPointer<TZorFileList>(this));
}

void TZorFileList::QueueEndSearch(const QPointer<TZorFileList> &pList)
{
    QueueOnUiThread([pList] {
        if (pList && !pList->fDestroying && pList->OnEndSearch)
            pList->OnEndSearch();
    });
}

void TZorFileList::BeginHandOver()
{
    ++fHandOverDepth;
    BeginUpdate();
}

void TZorFileList::EndHandOver()
{
    EndUpdate();
    --fHandOverDepth;
}

void TZorFileList::OfferFoundPath(const QString &aPath, TContentVerdict aVerdict, const QString &aCheckedText,
                                  const TMatchFinding &aFinding)
{
    // Another walk's hand-over may run inside the acceptance: each offer sees its own verdict.
    const QScopedValueRollback verdict(fOfferedVerdict, aVerdict);
    const QScopedValueRollback text(fOfferedCheckText, &aCheckedText);
    const QScopedValueRollback finding(fOfferedFinding, &aFinding);
    Add(aPath, false, -1);
}

std::optional<bool> TZorFileList::OfferedVerdict(const QString &aText) const
{
    if (fOfferedVerdict == TContentVerdict::None || !fOfferedCheckText || *fOfferedCheckText != aText)
        return std::nullopt;
    return fOfferedVerdict == TContentVerdict::Present;
}

bool TZorFileList::IsPathListed(const QString &aPath) const
{
    return ReturnItemInList(aPath, 0) >= 0;
}

void TZorFileList::SearchProgress(const QString &aPath)
{
    if (OnSearchProgress)
        OnSearchProgress(aPath);
}

bool TZorFileList::IsSearching() const
{
    return fSearchThreadPool && fSearchThreadPool->WorkItemsCount() > 0;
}

bool TZorFileList::Stop()
{
    if (!fSearchThreadPool)
        return true;
    // The walks are cancelled first, so that no verdict of a withdrawn check is handed over.
    fSearchThreadPool->TerminateWorkItems();
    if (fCheckPool)
        fCheckPool->Withdraw(nullptr);
    if (fHandOverDepth > 0) {
        // The walker of the hand-over in progress cannot end before the hand-over returns.
        if (!fStopDeferred) {
            fStopDeferred = true;
            QTimer::singleShot(0, this, &TZorFileList::StopWhenNoHandOver);
        }
        return false;
    }
    fStopDeferred = false;
    fSearchThreadPool->TerminateThreads(true);
    Resort();
    return true;
}

void TZorFileList::StopWhenNoHandOver()
{
    if (!fStopDeferred)
        return;
    if (fHandOverDepth > 0) {
        // The timer fired in events processed inside a hand-over: try again later.
        QTimer::singleShot(0, this, &TZorFileList::StopWhenNoHandOver);
        return;
    }
    Stop();
}

void TZorFileList::SetAutomaticRefresh(bool pValue)
{
    fAutomaticRefresh = pValue;
    if (!pValue)
        fChangeNotifier.SetActive(false);
}

void TZorFileList::ItemAccepted(TZorFileListItem &pItem)
{
    // Accepted as holding the text: its columns show what the check found.
    if (fOfferedFinding && fOfferedVerdict == TContentVerdict::Present)
        pItem.SetFinding(*fOfferedFinding);
    fChangeNotifier.SetActive(fAutomaticRefresh);
}

void TZorFileList::HandleShellChange(TNotificationEvent pKind, const QString &pPath1, const QString &pPath2)
{
    if (pKind == neFileDelete || pKind == neFolderDelete) {
        Delete(ReturnItemInList(pPath1, 0));
    } else if (pKind == neFileRename || pKind == neFolderRename) {
        const int index = ReturnItemInList(pPath1, 0);
        if (index >= 0 && !pPath2.isEmpty())
            RenameItem(index, pPath2);
    }
    if (!fIgnoreNewFiles) {
        if (pKind == neFileCreate || pKind == neFolderCreate)
            AddPathIfNew(pPath1);
        else if (pKind == neFileChange &&
                 !fChangeNotifier.WatchedFolders().contains(WithoutTrailingSeparator(pPath1)))
            AddPathIfNew(pPath1);
        else if (pKind == neFolderUpdate && !pPath1.isEmpty())
            RescanFolder(pPath1);
    }
    if (pKind == neFileChange || pKind == neFolderDelete)
        RecheckItemsBelow(pPath1);
    if (Count() <= MaxItemsForRefresh) {
        int index = ReturnItemInList(pPath1, 0);
        if (index < 0)
            index = ReturnItemInList(pPath2, 0);
        RefreshItem(index);
    }
}

bool TZorFileList::IsWithinLastSearch(const QString &pPath) const
{
    if (fLastSearchPath.isEmpty())
        return true;
    const QString root = WithTrailingSeparator(fLastSearchPath);
    const QString path = WithoutTrailingSeparator(pPath);
    if (!path.startsWith(root))
        return false;
    // The folders between the searched folder and the entry.
    QStringList between = path.mid(root.size()).split(PathSeparator);
    between.removeLast();
    if (!fSearchOptions.RecursiveSearch() && !between.isEmpty())
        return false;
    if (!fSearchOptions.IncludeHidden())
        for (const QString &folder : std::as_const(between))
            if (folder.startsWith(u'.'))
                return false;
    return true;
}

void TZorFileList::AddPathIfNew(const QString &pPath)
{
    const uint32_t now = Clock();
    if (Count() > MaxItemsForRefresh || pPath.isEmpty())
        return;
    const uint32_t since = TicksBetween(fLastAddIfNotExistsSearch, now);
    if (since < AddIfNewIntervalMs) {
        // Kept for later rather than lost: files saved together all arrive, one per interval.
        if (!fPathsToAddLater.contains(pPath) && fPathsToAddLater.size() < MaxItemsForRefresh)
            fPathsToAddLater.append(pPath);
        if (!fAddLaterTimer.isActive())
            fAddLaterTimer.start(int(AddIfNewIntervalMs - since));
        return;
    }
    fLastAddIfNotExistsSearch = now;
    fPathsToAddLater.removeAll(pPath);
    if (ReturnItemInList(pPath, 0) >= 0 || !IsWithinLastSearch(pPath))
        return;
    const QString path = WithoutTrailingSeparator(pPath);
    TWin32FindData data;
    if (!FindFirstFile(path, data).IsValid() || !fSearchOptions.Matches(data, FolderPart(path)))
        return;
    Add(data.IsDirectory() ? WithTrailingSeparator(path) : path, false, -1);
}

void TZorFileList::AddPathsLater()
{
    if (!fPathsToAddLater.isEmpty())
        AddPathIfNew(fPathsToAddLater.takeFirst());
    if (!fPathsToAddLater.isEmpty() && !fAddLaterTimer.isActive())
        fAddLaterTimer.start(int(AddIfNewIntervalMs));
}

void TZorFileList::RescanFolder(const QString &pFolder)
{
    if (Count() > MaxItemsForRefresh || !fSearchThreadPool)
        return;
    if (TicksBetween(fLastSearchTickCount, Clock()) < 5000 && SamePath(pFolder, fLastSearchPath))
        return;
    if (!SamePath(pFolder, fLastSearchPath) && !IsWithinLastSearch(WithTrailingSeparator(pFolder) + u'x'))
        return;
    TZorSearchOptions options(fSearchOptions);
    options.SetRecursiveSearch(false);
    fSearchThreadPool->AddWorkItem(std::make_shared<TZorFileSearch>(
        options, static_cast<IZorFileSearchSink &>(*this), *this, pFolder, true, Clock));
}

void TZorFileList::RecheckItemsBelow(const QString &pPath)
{
    const uint32_t now = Clock();
    if (Count() > MaxItemsForRefresh || TicksBetween(fLastDeleteIfNotExistsSearch, now) < 1000)
        return;
    fLastDeleteIfNotExistsSearch = now;
    BeginUpdate();
    for (int i = Count() - 1; i >= 0; --i) {
        TZorFileListItem &item = Item(i);
        if (item.Path().isEmpty() || !IsAtOrBelow(item.Path(), pPath))
            continue;
        RefreshItem(i);
        if (!item.Exists())
            Delete(i);
    }
    EndUpdate();
}
