// The pool's queue of pending work items.
#include "threads/work_items_queue.h"

#include <algorithm>

void TWorkItemsQueue::Add(std::shared_ptr<IWorkItem> aItem, bool aHighPriority)
{
    if (aItem->GetStatus() != TTaskStatus::Canceled)
        aItem->SetStatus(TTaskStatus::WaitingToRun);
    std::lock_guard lGuard(fLock);
    if (aHighPriority)
        fList.push_back(std::move(aItem));
    else
        fList.push_front(std::move(aItem));
}

std::shared_ptr<IWorkItem> TWorkItemsQueue::TakeNext(const TTaken &aOnTaken)
{
    std::lock_guard lGuard(fLock);
    if (fList.empty())
        return nullptr;
    std::shared_ptr<IWorkItem> lItem = std::move(fList.back());
    fList.pop_back();
    if (aOnTaken)
        aOnTaken(lItem);
    return lItem;
}

std::vector<std::shared_ptr<IWorkItem>> TWorkItemsQueue::Clear()
{
    std::lock_guard lGuard(fLock);
    std::vector<std::shared_ptr<IWorkItem>> lRemoved(std::make_move_iterator(fList.begin()),
                                                     std::make_move_iterator(fList.end()));
    fList.clear();
    return lRemoved;
}

std::vector<std::shared_ptr<IWorkItem>> TWorkItemsQueue::Remove(const TPredicate &aMatches)
{
    std::lock_guard lGuard(fLock);
    std::vector<std::shared_ptr<IWorkItem>> lRemoved;
    std::deque<std::shared_ptr<IWorkItem>> lKept;
    for (std::shared_ptr<IWorkItem> &lItem : fList) {
        if (aMatches(*lItem))
            lRemoved.push_back(std::move(lItem));
        else
            lKept.push_back(std::move(lItem));
    }
    fList = std::move(lKept);
    return lRemoved;
}

bool TWorkItemsQueue::Contains(const TPredicate &aMatches) const
{
    std::lock_guard lGuard(fLock);
    return std::any_of(fList.begin(), fList.end(), [&](const auto &aItem) { return aMatches(*aItem); });
}

int TWorkItemsQueue::Count() const
{
    std::lock_guard lGuard(fLock);
    return int(fList.size());
}
