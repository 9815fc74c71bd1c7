// The result list: the item store of TZorCustomFileList plus the search that fills it (one folder
// walk per Search on the list's own worker pool), the end-of-search event and the automatic
// refresh of the listed folder after a search.
#pragma once

#include "filesearch/change_notifier.h"
#include "filesearch/custom_file_list.h"
#include "filesearch/file_search_sink.h"
#include "filesearch/search_options.h"
#include "platform/tick_count.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <QPointer>
#include <QTimer>

class TCheckPool;
class TWorkerThreadPool;

// Everything here runs on the UI thread (the thread of the QCoreApplication); walkers reach the
// list only through their hand-overs, which run there while the walker waits.
class TZorFileList : public TZorCustomFileList, private IZorFileSearchSink
{
    Q_OBJECT

public:
    using TOnSearchProgress = std::function<void(const QString &Path)>;
    using TOnEndSearch = std::function<void()>;

    // The automatic refresh leaves the list alone once it holds more items than this.
    static constexpr int MaxItemsForRefresh = 5000;
    // The automatic refresh adds at most one new path per this many milliseconds.
    static constexpr uint32_t AddIfNewIntervalMs = 1000;

    explicit TZorFileList(QObject *aParent = nullptr);
    // Stops every walk (waiting for the pool's threads) without raising OnEndSearch.
    ~TZorFileList() override;

    // Progress of the walkers: a path being examined, at most every 400 ms per walk. Assign before
    // Search; a walk asks only if it was assigned when the walk was created.
    TOnSearchProgress OnSearchProgress;
    // Raised on the UI thread when the last walk of a burst has ended, or by Stop.
    TOnEndSearch OnEndSearch;
    // Milliseconds of a monotonic clock for the refresh's throttles and the walks' hand-overs
    // (GetTickCount unless replaced; walks call it on their threads). Each walk takes the one set
    // when it is created.
    TTickClock Clock = GetTickCount;

    // The criteria of the next Search; each walk takes a copy when it is created.
    TZorSearchOptions &SearchOptions() { return fSearchOptions; }

    // The content check the next walks run ahead on the list's check threads (null: none). Each
    // walk takes the one set when it is created.
    void SetContentCheck(std::shared_ptr<const TContentCheck> aCheck) { fContentCheck = std::move(aCheck); }
    // During OnAddPath of a path a walk hands over: the path's precomputed verdict, when the walk
    // computed one for exactly aText. Nothing otherwise.
    std::optional<bool> OfferedVerdict(const QString &aText) const;
    // Threads of the check pool: one per processor, and four more for extraction requests, which
    // mostly wait for the server.
    static int DefaultCheckThreads();
    // The number of check threads of later searches (DefaultCheckThreads when 0 or less). Takes
    // effect when no walk runs.
    void SetCheckThreads(int aThreads);

    // Starts one walk of Path (a folder, trailing "/" allowed; "" walks "/" and every volume mount
    // point, or with RecursiveSearch clear lists the desktop folder) and returns at once. Neither
    // clears the list nor stops other walks. The automatic refresh now watches Path.
    // Throws std::system_error only when the pool cannot start any thread.
    void Search(const QString &Path);

    // Withdraws queued walks, cancels running ones (their unhanded hits never appear) and waits
    // for the pool's threads; raises OnEndSearch exactly once before returning when a walk was
    // queued or running, nothing otherwise. Returns true.
    // Called while a hand-over is in progress (from OnAddPath or anything it runs), it cancels the
    // walks at once but leaves the waiting to the event loop after the hand-over, and returns
    // false; OnEndSearch then follows from the event loop. Never waits for its own walker.
    bool Stop();

    // UI thread. Raises OnEndSearch (through the UI-thread queue, which runs it at once here).
    void DoEndSearch();

    // True while walks are queued or running.
    bool IsSearching() const;

    // Whether the list follows changes of the last searched folder (on by default).
    bool AutomaticRefresh() const { return fAutomaticRefresh; }
    void SetAutomaticRefresh(bool pValue);
    TZorShellChangeNotifier &ChangeNotifier() { return fChangeNotifier; }

    // A change report of the notifier (public so that it can be fed directly).
    void HandleShellChange(TNotificationEvent pKind, const QString &pPath1, const QString &pPath2);
    // Adds pPath when it is not listed yet, exists, lies within what the last search covers and
    // matches the options (OnAddPath asked as usual). Not above MaxItemsForRefresh items. At most
    // one path per AddIfNewIntervalMs: a path that comes sooner is kept and tried from the event
    // loop when the interval has passed (until the next Search).
    void AddPathIfNew(const QString &pPath);
    // Queues a non-recursive walk of pFolder that hands over only unlisted paths. Not above
    // MaxItemsForRefresh items, not for the searched folder within 5000 ms of the search, not
    // before the first Search.
    void RescanFolder(const QString &pFolder);
    // Reads the items at or below pPath again and removes those whose file is gone. At most once
    // per 1000 ms, not above MaxItemsForRefresh items.
    void RecheckItemsBelow(const QString &pPath);

protected:
    void ItemAccepted(TZorFileListItem &pItem) override;

private:
    // IZorFileSearchSink: what the walks hand over. Stop defers itself while a hand-over is in
    // progress.
    void BeginHandOver() override;
    void EndHandOver() override;
    void OfferFoundPath(const QString &aPath, TContentVerdict aVerdict, const QString &aCheckedText,
                        const TMatchFinding &aFinding) override;
    bool IsPathListed(const QString &aPath) const override;
    int FoundCount() const override { return Count(); }
    void ResortFound() override { Resort(); }
    bool WantsSearchProgress() const override { return bool(OnSearchProgress); }
    void SearchProgress(const QString &aPath) override;

    void StopWhenNoHandOver();
    // Any thread. Queues OnEndSearch of pList for the UI thread, where it runs if pList still exists.
    static void QueueEndSearch(const QPointer<TZorFileList> &pList);
    void AddPathsLater();
    // Whether pPath lies where the last search would have listed it (recursion, hidden folders).
    bool IsWithinLastSearch(const QString &pPath) const;

    TZorSearchOptions fSearchOptions;
    uint32_t fLastSearchTickCount = 0;
    QString fLastSearchPath;
    bool fIgnoreNewFiles = true;
    bool fAutomaticRefresh = true;
    uint32_t fLastAddIfNotExistsSearch = 0;
    uint32_t fLastDeleteIfNotExistsSearch = 0;
    int fHandOverDepth = 0;
    bool fStopDeferred = false;
    bool fDestroying = false;
    QStringList fPathsToAddLater;
    QTimer fAddLaterTimer;
    TZorShellChangeNotifier fChangeNotifier;
    std::shared_ptr<const TContentCheck> fContentCheck;
    // The path being offered: its verdict, the text it answers for and what the check found.
    TContentVerdict fOfferedVerdict = TContentVerdict::None;
    const QString *fOfferedCheckText = nullptr;
    const TMatchFinding *fOfferedFinding = nullptr;
    // Declared before the walks' pool: walks use it until they end.
    std::unique_ptr<TCheckPool> fCheckPool;
    int fCheckThreads = 0;
    std::unique_ptr<TWorkerThreadPool> fSearchThreadPool;
};
