// A thread of a TWorkerThreadPool.
#include "threads/worker_thread.h"

#include "threads/threads_log.h"
#include "threads/worker_thread_pool.h"

#include <pthread.h>

TWorkerThread::TWorkerThread(TWorkerThreadPool &aThreadPool)
    : TZorThread(&aThreadPool), fWorkerPool(aThreadPool)
{
}

void TWorkerThread::Terminate()
{
    TZorThread::Terminate();
    CancelCurrentWorkItem();
    fWorkerPool.fNewWorkItemEvent.WakeAll();
}

void TWorkerThread::SetPaused(bool aValue)
{
    TZorThread::SetPaused(aValue);
    if (std::shared_ptr<IWorkItem> lItem = WorkItem())
        lItem->SetStatus(aValue ? TTaskStatus::Paused : TTaskStatus::Running);
}

bool TWorkerThread::CancelCurrentWorkItem(const TWorkItemFilter &aFilter)
{
    std::lock_guard lGuard(fWorkItemLock);
    if (!fWorkItem || !aFilter.Matches(*fWorkItem))
        return false;
    fWorkItem->Cancel();
    return true;
}

std::shared_ptr<IWorkItem> TWorkerThread::WorkItem() const
{
    std::lock_guard lGuard(fWorkItemLock);
    return fWorkItem;
}

void TWorkerThread::SetWorkItem(std::shared_ptr<IWorkItem> aItem)
{
    std::lock_guard lGuard(fWorkItemLock);
    fWorkItem = std::move(aItem);
}

void TWorkerThread::Execute()
{
    if (TerminateRequested()) {
        SetStatus(TTaskStatus::Completed);
        return;
    }
    if (Status() == TTaskStatus::Created || Status() == TTaskStatus::WaitingToRun)
        SetStatus(TTaskStatus::Running);
    // Names for debuggers and top; the kernel keeps at most 15 bytes.
    pthread_setname_np(pthread_self(), fWorkerPool.fIsGlobalPool ? "GlobalWorker" : "TWorkerThread");
    if (fWorkerPool.OnNewThread) {
        const bool lStillOurs = CallOutsidePool([&] {
            CallLoggingErrors(QStringLiteral("OnNewThread"), [&] { fWorkerPool.OnNewThread(*this); });
        });
        if (!lStillOurs)
            return;
    }
    while (!Terminated()) {
        std::shared_ptr<IWorkItem> lItem = fWorkerPool.GetNextWorkItem(*this);
        if (!lItem)
            continue;
        if (lItem->GetStatus() != TTaskStatus::Canceled && !RunWorkItem(lItem))
            return; // abandoned: the pool may be gone; lItem is released on the way out
        SetWorkItem(nullptr);
        lItem.reset();
        if (--fWorkerPool.fWorkItemsCount == 0) {
            fWorkerPool.DoAllWorkItemsDone();
            if (Abandoned())
                return;
        }
    }
    SetStatus(TTaskStatus::Completed);
}

bool TWorkerThread::RunWorkItem(const std::shared_ptr<IWorkItem> &aItem)
{
    aItem->SetStatus(TTaskStatus::Running);
    return CallOutsidePool([&] {
        if (!CallLoggingErrors(QStringLiteral("Work item ") + aItem->ClassName(), [&] { aItem->DoWork(); }))
            aItem->SetStatus(TTaskStatus::Canceled);
        if (aItem->GetStatus() != TTaskStatus::Canceled)
            aItem->SetStatus(TTaskStatus::Completed);
        CallLoggingErrors(QStringLiteral("WorkDone of ") + aItem->ClassName(),
                          [&] { aItem->WorkDone(this); });
    });
}

void TWorkerThread::Abandon()
{
    TZorThread::Abandon();
    std::lock_guard lGuard(fWorkItemLock);
    if (fWorkItem)
        fWorkItem->Cancel();
    fWorkItem.reset();
}

QString TWorkerThread::HardTerminateMessage() const
{
    std::shared_ptr<IWorkItem> lItem = WorkItem();
    if (!lItem)
        return TZorThread::HardTerminateMessage();
    return QStringLiteral("Terminating Thread %1 running work item %2 the hard way. Thread ID: %3")
        .arg(ClassName(), lItem->ClassName())
        .arg(ThreadId());
}
