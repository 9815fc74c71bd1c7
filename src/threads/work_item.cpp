// The base of the program's work items.
#include "threads/work_item.h"

#include "threads/class_name.h"
#include "threads/ui_thread.h"

#include <chrono>
#include <thread>

TBasicWorkItem::TBasicWorkItem(std::shared_ptr<ICancellationIndicator> pCancellationToken)
    : fCancellationToken(std::move(pCancellationToken))
{
}

void TBasicWorkItem::Cancel()
{
    Terminate();
}

void TBasicWorkItem::Terminate()
{
    fStatus.store(TTaskStatus::Canceled);
}

TWorkDoneEvent TBasicWorkItem::GetOnWorkDone() const
{
    return fOnWorkDone;
}

void TBasicWorkItem::SetOnWorkDone(TWorkDoneEvent aEvent)
{
    fOnWorkDone = std::move(aEvent);
}

void TBasicWorkItem::SetStatus(TTaskStatus aStatus)
{
    if (aStatus == TTaskStatus::Canceled) {
        if (fStatus.load() != TTaskStatus::Canceled)
            Terminate();
        fStatus.store(aStatus);
        return;
    }
    // A cancel that lands while the worker marks the item Running (or Paused) must not be undone.
    TTaskStatus lSeen = fStatus.load();
    while (lSeen != TTaskStatus::Canceled && !fStatus.compare_exchange_weak(lSeen, aStatus)) {
    }
}

TTaskStatus TBasicWorkItem::GetStatus()
{
    if (fCancellationToken && fCancellationToken->IsCancellationRequested())
        SetStatus(TTaskStatus::Canceled);
    return fStatus.load();
}

bool TBasicWorkItem::IsCancellationRequested() const
{
    return fStatus.load() == TTaskStatus::Canceled ||
           (fCancellationToken && fCancellationToken->IsCancellationRequested());
}

bool TBasicWorkItem::IsWorkItemCancelled()
{
    while (GetStatus() == TTaskStatus::Paused)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return GetStatus() == TTaskStatus::Canceled;
}

QString TBasicWorkItem::ClassName() const
{
    return ClassNameOf(typeid(*this));
}

void TBasicWorkItem::WorkDone(TZorThread * /*pThread*/)
{
    if (GetStatus() == TTaskStatus::Canceled)
        return;
    if (fFireOnWorkDoneSynchronized && !IsUiThread()) {
        // The queued call holds a reference, so the item lives until the UI thread has run it.
        QueueOnUiThread([lSelf = shared_from_this()] { lSelf->WorkDone(nullptr); });
        return;
    }
    DoWorkDone();
    if (fOnWorkDone)
        fOnWorkDone(std::static_pointer_cast<IWorkItem>(shared_from_this()));
}
