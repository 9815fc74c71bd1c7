// Work items: units of work that a worker pool runs on one of its threads. They are shared by
// reference counting (std::shared_ptr) and freed with the last reference.
#pragma once

#include "threads/cancellation.h"
#include "threads/task_status.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <QString>

class IWorkItem;
class TZorThread;

// Raised when an item has finished without being cancelled; receives the item.
using TWorkDoneEvent = std::function<void(const std::shared_ptr<IWorkItem> &)>;

// Something that can be asked to stop.
class ITerminatable
{
public:
    virtual ~ITerminatable() = default;
    // Any thread; never fails.
    virtual void Cancel() = 0;
};

// What a worker pool needs of a work item.
class IWorkItem : public ITerminatable
{
public:
    virtual TWorkDoneEvent GetOnWorkDone() const = 0;
    virtual void SetOnWorkDone(TWorkDoneEvent aEvent) = 0;
    virtual intptr_t GetTag() const = 0;
    virtual intptr_t GetGroupTag() const = 0;
    // The work; runs on a worker thread. An exception marks the item Canceled.
    virtual void DoWork() = 0;
    // Called by the worker after DoWork (pThread: that worker, or null when delivered later).
    virtual void WorkDone(TZorThread *pThread) = 0;
    virtual void SetStatus(TTaskStatus aStatus) = 0;
    // The implementing class's name, for messages.
    virtual QString ClassName() const = 0;
    virtual TTaskStatus GetStatus() = 0;
    // The cancellation primitive: the status becomes Canceled.
    virtual void Terminate() = 0;
};

// The base of the program's work items. Derive, implement DoWork, create with std::make_shared.
// DoWork runs on a worker thread; it asks IsWorkItemCancelled per step (per folder entry, per
// chunk) and returns soon once that answers true: a stop cancels the item and waits for it at most
// the pool's MaxTimeUntilHardTerminate before it abandons the thread. DoWork may hand results to the
// UI thread with RunOnUiThread (it then waits while the UI takes them; a UI thread that is stopping
// the pool keeps serving such calls) or QueueOnUiThread. Errors thrown by DoWork cancel the item and
// are logged. Status reads and writes are thread-safe; the tags, the done event and the token are
// set before the item is handed to a pool and not changed afterwards. Override Terminate (calling
// the base) to drop references a cancelled item must no longer use.
class TBasicWorkItem : public IWorkItem,
                       public ICancellationIndicator,
                       public std::enable_shared_from_this<TBasicWorkItem>
{
public:
    // Status Created, tags 0, done event delivered on the UI thread. pCancellationToken, when
    // given, cancels the item as soon as it reports cancellation.
    explicit TBasicWorkItem(std::shared_ptr<ICancellationIndicator> pCancellationToken = nullptr);
    ~TBasicWorkItem() override = default;
    TBasicWorkItem(const TBasicWorkItem &) = delete;
    TBasicWorkItem &operator=(const TBasicWorkItem &) = delete;

    // ITerminatable / IWorkItem
    void Cancel() override;
    TWorkDoneEvent GetOnWorkDone() const override;
    void SetOnWorkDone(TWorkDoneEvent aEvent) override;
    intptr_t GetTag() const override { return fTag; }
    intptr_t GetGroupTag() const override { return fGroupTag; }
    // Nothing when the item is Canceled. Otherwise, when the done event is to run on the UI thread
    // and this is not the UI thread, queues itself there (keeping the item alive until then, and
    // looking at the status again when it runs); else runs the hook and then the done event.
    void WorkDone(TZorThread *pThread) override;
    // A change to Canceled runs Terminate first; then the status is stored. Canceled is final.
    void SetStatus(TTaskStatus aStatus) override;
    QString ClassName() const override;
    // Canceled once the token reports cancellation; otherwise the stored status.
    TTaskStatus GetStatus() override;
    void Terminate() override;

    // ICancellationIndicator: the item is Canceled or its token reports cancellation.
    bool IsCancellationRequested() const override;

    // While the item is Paused, waits in 100 ms steps; then true when the item is Canceled.
    // For DoWork, on the item's worker thread.
    virtual bool IsWorkItemCancelled();

    void SetTag(intptr_t aTag) { fTag = aTag; }
    intptr_t GroupTag() const { return fGroupTag; }
    void SetGroupTag(intptr_t aGroupTag) { fGroupTag = aGroupTag; }
    bool FireOnWorkDoneSynchronized() const { return fFireOnWorkDoneSynchronized; }
    void SetFireOnWorkDoneSynchronized(bool aValue) { fFireOnWorkDoneSynchronized = aValue; }
    const std::shared_ptr<ICancellationIndicator> &CancellationToken() const { return fCancellationToken; }

protected:
    // Runs in WorkDone before the done event, on the done event's thread. Empty here.
    virtual void DoWorkDone() {}

private:
    std::atomic<TTaskStatus> fStatus{TTaskStatus::Created};
    TWorkDoneEvent fOnWorkDone;
    intptr_t fTag = 0;
    intptr_t fGroupTag = 0;
    bool fFireOnWorkDoneSynchronized = true;
    std::shared_ptr<ICancellationIndicator> fCancellationToken;
};
