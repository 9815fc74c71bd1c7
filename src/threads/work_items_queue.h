// The pool's queue of pending work items, with its own lock. Items are taken from the end: normal
// items are inserted at the front (first in, first out), high-priority ones appended (served next).
#pragma once

#include "threads/work_item.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TWorkItemsQueue
{
public:
    using TPredicate = std::function<bool(IWorkItem &)>;

    // Queues aItem and sets it WaitingToRun (unless it is already Canceled). Any thread.
    void Add(std::shared_ptr<IWorkItem> aItem, bool aHighPriority);
    using TTaken = std::function<void(const std::shared_ptr<IWorkItem> &)>;

    // Takes the next item to run, or null when empty. Any thread. aOnTaken, when given, receives
    // the item under the queue's lock: a Clear or Remove at the same time finds the item either
    // still queued or already where aOnTaken put it.
    std::shared_ptr<IWorkItem> TakeNext(const TTaken &aOnTaken = {});
    // Removes every item (or only those aMatches accepts) and returns them.
    std::vector<std::shared_ptr<IWorkItem>> Clear();
    std::vector<std::shared_ptr<IWorkItem>> Remove(const TPredicate &aMatches);
    // True when some queued item satisfies aMatches. aMatches runs under the queue's lock.
    bool Contains(const TPredicate &aMatches) const;
    int Count() const;

private:
    mutable std::mutex fLock;
    std::deque<std::shared_ptr<IWorkItem>> fList;
};
