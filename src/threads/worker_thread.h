// A thread of a TWorkerThreadPool: takes the pool's work items one after another and runs them.
#pragma once

#include "threads/work_item.h"
#include "threads/work_item_filter.h"
#include "threads/zor_thread.h"

#include <memory>
#include <mutex>

class TWorkerThreadPool;

class TWorkerThread : public TZorThread
{
public:
    explicit TWorkerThread(TWorkerThreadPool &aThreadPool);

    // Asks the thread to end and cancels the item it runs.
    void Terminate() override;
    // Also pauses or resumes the item it runs.
    void SetPaused(bool aValue) override;
    // Cancels the running item when it matches aFilter; true when an item was cancelled. Any thread.
    bool CancelCurrentWorkItem(const TWorkItemFilter &aFilter = {});
    // The item being run, or null. Any thread.
    std::shared_ptr<IWorkItem> WorkItem() const;

protected:
    void Execute() override;
    void Abandon() override;
    QString HardTerminateMessage() const override;

private:
    friend class TWorkerThreadPool; // sets the current item as it takes one from the queue
    void SetWorkItem(std::shared_ptr<IWorkItem> aItem);
    // DoWork, the final status and WorkDone, outside the pool; false when the pool let us go.
    bool RunWorkItem(const std::shared_ptr<IWorkItem> &aItem);

    TWorkerThreadPool &fWorkerPool;
    mutable std::mutex fWorkItemLock; // guards fWorkItem
    std::shared_ptr<IWorkItem> fWorkItem;
};
