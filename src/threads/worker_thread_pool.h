// The worker pool: a queue of work items and threads, started on demand, that run them. Counts the
// items given and not yet finished and reports when that count falls to zero.
#pragma once

#include "platform/processor_load.h"
#include "threads/auto_reset_event.h"
#include "threads/thread_pool.h"
#include "threads/work_item_filter.h"
#include "threads/work_items_queue.h"
#include "threads/worker_thread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

enum class TPriority
{
    Highest,
    Normal
};

// Threads are created on demand: MinWorkerThreads without regard to processor load, further ones
// while the system load is below MaxCpuUsage, at most one per 400 ms, never more than
// MaxRunningThreads. A thread that finds no work for MaxIdleTime ms ends.
//
// Use: create (one per owner, or the process-wide Instance), assign the events, AddWorkItem; to
// stop, TerminateThreads(true) from the UI thread (not from inside a UI call of one of its items).
class TWorkerThreadPool : public TCustomThreadPool
{
public:
    // aInitializeCOM is kept for callers that ask; Linux has no per-thread component runtime.
    explicit TWorkerThreadPool(bool aInitializeCOM = false);
    ~TWorkerThreadPool() override;

    // The shared pool of this run for short queries (e.g. the folder tree's check-box states),
    // created on first use (on the UI thread) and ended with the run's context. Its users do not
    // stop it; they cancel their own items (through tokens or TerminateWorkItems with their tag).
    static TWorkerThreadPool &Instance();
    // A new pool of the kind Instance gives (its threads are named as the shared pool's).
    static std::unique_ptr<TWorkerThreadPool> CreateShared();

    // Raised when the count of unfinished items falls to zero, with the pool's Terminated, on the
    // thread that brought it there (a worker, or the thread stopping the pool). Not raised again
    // while it runs; while it runs no thread takes a new item. Its exceptions are logged.
    std::function<void(bool pTerminated)> OnAllWorkItemsDone;
    // Raised on each new worker thread when it starts.
    std::function<void(TWorkerThread &)> OnNewThread;

    // Queues pWorkItem (served first in, first out; next when UseLIFO is set or aPriority is
    // Highest) and starts a thread if needed. Ignored while TerminateWorkItems withdraws all items.
    // Throws std::system_error only when no thread can be created and the pool has none.
    void AddWorkItem(const std::shared_ptr<IWorkItem> &pWorkItem);
    void AddWorkItem(const std::shared_ptr<IWorkItem> &pWorkItem, TPriority aPriority);
    // The same for many items, waking the threads once.
    void AddWorkItems(const std::vector<std::shared_ptr<IWorkItem>> &pWorkItems,
                      TPriority aPriority = TPriority::Normal);

    // Withdraws the queued items and cancels the running ones, then ends every thread (see the
    // base). With pForce the queue is emptied (items added meanwhile are withdrawn too) and the
    // items of abandoned threads are counted down; OnAllWorkItemsDone is raised when that brings
    // the count to zero. On the UI thread, runs the pending UI calls at the end.
    void TerminateThreads(bool pForce) override;
    // Withdraws the queued items matching aFilter (all when empty; they become Canceled and are
    // released) and cancels the matching running ones. Returns how many items that touched.
    int TerminateWorkItems(const TWorkItemFilter &aFilter = {});

    int QueueLength() const { return fWorkerItemsQueue.Count(); }
    // Items added and not yet finished (queued plus running).
    int WorkItemsCount() const { return fWorkItemsCount.load(); }
    // True while items are unfinished. Throws std::runtime_error when there are some but the pool
    // has no thread to run them.
    bool WorkItemsActive() const;
    // Threads that hold an item.
    int ActiveThreadCount() const;
    // Whether an item (queued or running) has the tag / meets the filter / is pWorkItem.
    bool ContainsWorkItem(intptr_t aTag) const;
    bool ContainsWorkItem(const TWorkItemFilter &aFilter) const;
    bool ContainsWorkItem(const std::shared_ptr<IWorkItem> &pWorkItem) const;

    uint32_t MaxIdleTime() const { return fMaxIdleTime.load(); }
    void SetMaxIdleTime(uint32_t aValue) { fMaxIdleTime.store(aValue); }
    int MaxCpuUsage() const { return fMaxCpuUsage.load(); }
    // Clamped to 0..100.
    void SetMaxCpuUsage(int aValue);
    int MinWorkerThreads() const { return fMinWorkerThreads.load(); }
    void SetMinWorkerThreads(int aValue) { fMinWorkerThreads.store(aValue); }
    bool UseLIFO() const { return fUseLIFO.load(); }
    void SetUseLIFO(bool aValue) { fUseLIFO.store(aValue); }
    bool InitializeCOM() const { return fInitializeCOM; }

protected:
    void ThreadLeaving(TZorThread &aThread) override;
    void ThreadAbandoned(TZorThread &aThread) override;
    void LastThreadLeftLocked() override;

private:
    friend class TWorkerThread;
    struct TGlobal
    {
    };
    TWorkerThreadPool(bool aInitializeCOM, TGlobal);

    void AddWorkerThreadIfNeeded();
    // For aThread's loop: the next item, or null when the thread is to end. The item becomes
    // aThread's current one as it leaves the queue, so TerminateWorkItems always finds it.
    std::shared_ptr<IWorkItem> GetNextWorkItem(TWorkerThread &aThread);
    std::shared_ptr<IWorkItem> TakeWorkItem(TWorkerThread &aThread);
    void DoAllWorkItemsDone();
    void CallAllWorkItemsDone();
    template <class TPredicate> bool AnyRunningItem(TPredicate aMatches) const;

    std::atomic<int> fMinWorkerThreads{1};
    std::atomic<bool> fUseLIFO{false};
    std::atomic<bool> fIsTerminatingAllWorkitems{false};
    std::atomic<int> fAllWorkItemsDoneEventCount{0};
    TWorkItemsQueue fWorkerItemsQueue;
    std::atomic<uint32_t> fMaxIdleTime{60000};
    std::atomic<int> fWorkItemsCount{0};
    std::atomic<uint64_t> fLastCheckAddNewWorkerThread{0};
    const bool fInitializeCOM;
    std::atomic<int> fMaxCpuUsage{80};
    TAutoResetEvent fNewWorkItemEvent;
    std::atomic<bool> fAllWorkItemsDoneOwed{false}; // an abandoned thread's item brought the count to 0
    TProcessorLoad fProcessorLoad;
    const bool fIsGlobalPool = false;
};
