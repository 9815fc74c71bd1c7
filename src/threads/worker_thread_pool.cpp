// The worker pool.
#include "threads/worker_thread_pool.h"

#include "platform/tick_count.h"
#include "threads/run_context.h"
#include "threads/threads_log.h"
#include "threads/ui_thread.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>

namespace {

constexpr uint64_t cWorkerCheckInterval = 400; // ms between thread checks above the minimum
constexpr uint32_t cIdleWaitSlice = 500;       // ms per wait for a new item

} // namespace

TWorkerThreadPool::TWorkerThreadPool(bool aInitializeCOM) : fInitializeCOM(aInitializeCOM) {}

TWorkerThreadPool::TWorkerThreadPool(bool aInitializeCOM, TGlobal)
    : fInitializeCOM(aInitializeCOM), fIsGlobalPool(true)
{
}

TWorkerThreadPool::~TWorkerThreadPool()
{
    SetFreeOnLastThreadTermination(false);
    TWorkerThreadPool::TerminateThreads(true);
}

TWorkerThreadPool &TWorkerThreadPool::Instance()
{
    return RunContext().WorkerPool();
}

std::unique_ptr<TWorkerThreadPool> TWorkerThreadPool::CreateShared()
{
    return std::unique_ptr<TWorkerThreadPool>(new TWorkerThreadPool(false, TGlobal{}));
}

void TWorkerThreadPool::SetMaxCpuUsage(int aValue)
{
    fMaxCpuUsage.store(std::clamp(aValue, 0, 100));
}

void TWorkerThreadPool::AddWorkItem(const std::shared_ptr<IWorkItem> &pWorkItem)
{
    AddWorkItem(pWorkItem, TPriority::Normal);
}

void TWorkerThreadPool::AddWorkItem(const std::shared_ptr<IWorkItem> &pWorkItem, TPriority aPriority)
{
    AddWorkItems({pWorkItem}, aPriority);
}

void TWorkerThreadPool::AddWorkItems(const std::vector<std::shared_ptr<IWorkItem>> &pWorkItems,
                                     TPriority aPriority)
{
    if (fIsTerminatingAllWorkitems.load() || pWorkItems.empty())
        return;
    const bool lHighPriority = aPriority == TPriority::Highest || fUseLIFO.load();
    for (const std::shared_ptr<IWorkItem> &lItem : pWorkItems) {
        ++fWorkItemsCount;
        fWorkerItemsQueue.Add(lItem, lHighPriority);
    }
    fNewWorkItemEvent.Set();
    AddWorkerThreadIfNeeded();
}

void TWorkerThreadPool::AddWorkerThreadIfNeeded()
{
    if (GetTickCount64() - fLastCheckAddNewWorkerThread.load() < cWorkerCheckInterval &&
        ThreadCount() > fMinWorkerThreads.load())
        return;
    try {
        std::lock_guard lGuard(fLock);
        const int lThreads = int(fThreads.size());
        if (lThreads < MaxRunningThreads() && fWorkerItemsQueue.Count() > 0 && !fTerminated.load()) {
            const bool lLoadTooHigh =
                lThreads >= fMinWorkerThreads.load() && fProcessorLoad.Current() >= fMaxCpuUsage.load();
            if (!lLoadTooHigh)
                AddThreadLocked(std::make_shared<TWorkerThread>(*this));
        }
    } catch (const std::system_error &) {
        fLastCheckAddNewWorkerThread.store(GetTickCount64());
        if (ThreadCount() == 0)
            throw;
        return;
    }
    fLastCheckAddNewWorkerThread.store(GetTickCount64());
}

std::shared_ptr<IWorkItem> TWorkerThreadPool::TakeWorkItem(TWorkerThread &aThread)
{
    // While the all-done handler runs, no thread takes an item; the handler's end wakes them.
    if (fAllWorkItemsDoneEventCount.load() > 0)
        return nullptr;
    return fWorkerItemsQueue.TakeNext(
        [&](const std::shared_ptr<IWorkItem> &aItem) { aThread.SetWorkItem(aItem); });
}

std::shared_ptr<IWorkItem> TWorkerThreadPool::GetNextWorkItem(TWorkerThread &aThread)
{
    if (aThread.TerminateRequested())
        return nullptr;
    const uint32_t lWaitStart = GetTickCount();
    std::shared_ptr<IWorkItem> lItem = TakeWorkItem(aThread);
    while (!lItem) {
        if (TicksBetween(lWaitStart, GetTickCount()) > fMaxIdleTime.load()) {
            aThread.Terminate();
            return nullptr;
        }
        fNewWorkItemEvent.WaitFor(std::min(cIdleWaitSlice, fMaxIdleTime.load() + 1),
                                  [&] { return aThread.TerminateRequested(); });
        if (aThread.TerminateRequested())
            return nullptr;
        lItem = TakeWorkItem(aThread);
    }
    // The event lets one thread through per signal: pass it on while items are left.
    if (fWorkerItemsQueue.Count() > 0)
        fNewWorkItemEvent.Set();
    AddWorkerThreadIfNeeded();
    return lItem;
}

void TWorkerThreadPool::DoAllWorkItemsDone()
{
    if (!OnAllWorkItemsDone)
        return;
    if (++fAllWorkItemsDoneEventCount == 1) {
        TZorThread *lThread = TZorThread::Current();
        if (lThread && lThread->ThreadPool() == this) {
            // On one of our threads: the handler is foreign code the thread may be abandoned in.
            lThread->fInAllWorkItemsDone = true;
            if (!lThread->CallOutsidePool([this] { CallAllWorkItemsDone(); }))
                return; // the pool took the count back when it let the thread go
            lThread->fInAllWorkItemsDone = false;
        } else {
            CallAllWorkItemsDone();
        }
    }
    --fAllWorkItemsDoneEventCount;
    if (fWorkerItemsQueue.Count() > 0)
        fNewWorkItemEvent.Set();
}

void TWorkerThreadPool::CallAllWorkItemsDone()
{
    CallLoggingErrors(QStringLiteral("OnAllWorkItemsDone"),
                      [this] { OnAllWorkItemsDone(fTerminated.load()); });
}

void TWorkerThreadPool::ThreadLeaving(TZorThread & /*aThread*/)
{
    if (fWorkerItemsQueue.Count() > 0)
        AddWorkerThreadIfNeeded();
}

void TWorkerThreadPool::ThreadAbandoned(TZorThread &aThread)
{
    if (aThread.fInAllWorkItemsDone)
        --fAllWorkItemsDoneEventCount;
    // The abandoned thread never counts its item down; the stop that abandoned it does.
    if (static_cast<TWorkerThread &>(aThread).WorkItem() && --fWorkItemsCount == 0)
        fAllWorkItemsDoneOwed.store(true);
}

void TWorkerThreadPool::LastThreadLeftLocked()
{
    // Items that arrived while the threads were ending would otherwise wait for the next AddWorkItem.
    if (Stopping() || fWorkerItemsQueue.Count() == 0)
        return;
    try {
        AddThreadLocked(std::make_shared<TWorkerThread>(*this));
    } catch (const std::system_error &lError) {
        qCWarning(lcThreads) << "No worker thread for the queued items:" << lError.what();
    }
}

void TWorkerThreadPool::TerminateThreads(bool pForce)
{
    const TStopGuard lStopping(*this);
    TCustomThreadPool::TerminateThreads(false);
    TerminateWorkItems();
    fNewWorkItemEvent.Set();
    TCustomThreadPool::TerminateThreads(pForce);
    if (pForce) {
        // Every thread has left: what is still counted is queued (added during the stop).
        const std::vector<std::shared_ptr<IWorkItem>> lRemoved = fWorkerItemsQueue.Clear();
        for (const std::shared_ptr<IWorkItem> &lItem : lRemoved)
            lItem->Cancel();
        const bool lNoneLeft = !lRemoved.empty() && (fWorkItemsCount -= int(lRemoved.size())) == 0;
        if (fAllWorkItemsDoneOwed.exchange(false) || lNoneLeft)
            DoAllWorkItemsDone();
    }
    ProcessPendingUiCallsQuietly();
}

int TWorkerThreadPool::TerminateWorkItems(const TWorkItemFilter &aFilter)
{
    if (fWorkItemsCount.load() == 0)
        return 0;
    std::vector<std::shared_ptr<IWorkItem>> lRemoved;
    if (aFilter.IsEmpty()) {
        fIsTerminatingAllWorkitems.store(true);
        lRemoved = fWorkerItemsQueue.Clear();
    } else {
        lRemoved = fWorkerItemsQueue.Remove([&](IWorkItem &aItem) { return aFilter.Matches(aItem); });
    }
    int lResult = int(lRemoved.size());
    for (const std::shared_ptr<IWorkItem> &lItem : lRemoved)
        lItem->Cancel();
    lRemoved.clear();
    const bool lNoneLeft = lResult > 0 && (fWorkItemsCount -= lResult) == 0;
    if (lNoneLeft) {
        DoAllWorkItemsDone();
    } else {
        std::lock_guard lGuard(fLock);
        for (const std::shared_ptr<TZorThread> &lThread : fThreads)
            if (static_cast<TWorkerThread &>(*lThread).CancelCurrentWorkItem(aFilter))
                ++lResult;
    }
    fIsTerminatingAllWorkitems.store(false);
    return lResult;
}

bool TWorkerThreadPool::WorkItemsActive() const
{
    if (fWorkItemsCount.load() <= 0)
        return false;
    if (ThreadCount() == 0)
        throw std::runtime_error("TWorkerThreadPool should have worker threads in case it has worker items.");
    return true;
}

template <class TPredicate> bool TWorkerThreadPool::AnyRunningItem(TPredicate aMatches) const
{
    std::lock_guard lGuard(fLock);
    return std::any_of(fThreads.begin(), fThreads.end(), [&](const std::shared_ptr<TZorThread> &aThread) {
        std::shared_ptr<IWorkItem> lItem = static_cast<TWorkerThread &>(*aThread).WorkItem();
        return lItem && aMatches(lItem);
    });
}

int TWorkerThreadPool::ActiveThreadCount() const
{
    std::lock_guard lGuard(fLock);
    return int(
        std::count_if(fThreads.begin(), fThreads.end(), [](const std::shared_ptr<TZorThread> &aThread) {
            return static_cast<TWorkerThread &>(*aThread).WorkItem() != nullptr;
        }));
}

bool TWorkerThreadPool::ContainsWorkItem(intptr_t aTag) const
{
    TWorkItemFilter lFilter;
    lFilter.Tag = aTag;
    return ContainsWorkItem(lFilter);
}

bool TWorkerThreadPool::ContainsWorkItem(const TWorkItemFilter &aFilter) const
{
    return AnyRunningItem([&](const std::shared_ptr<IWorkItem> &aItem) { return aFilter.Matches(*aItem); }) ||
           fWorkerItemsQueue.Contains([&](IWorkItem &aItem) { return aFilter.Matches(aItem); });
}

bool TWorkerThreadPool::ContainsWorkItem(const std::shared_ptr<IWorkItem> &pWorkItem) const
{
    return AnyRunningItem([&](const std::shared_ptr<IWorkItem> &aItem) { return aItem == pWorkItem; }) ||
           fWorkerItemsQueue.Contains([&](IWorkItem &aItem) { return &aItem == pWorkItem.get(); });
}
