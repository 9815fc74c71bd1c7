// The check pool: a queue under one lock and threads that take from it.
#include "threads/check_pool.h"

#include <algorithm>
#include <pthread.h>

TCheckPool::TCheckPool(int aThreads) : fThreadCount(std::max(aThreads, 1)) {}

TCheckPool::~TCheckPool()
{
    Withdraw(nullptr);
    {
        std::lock_guard lock(fLock);
        fEnding = true;
    }
    fWork.notify_all();
    fThreads.clear();
}

void TCheckPool::Post(const void *aOwner, std::vector<TJob> aJobs)
{
    if (aJobs.empty())
        return;
    {
        std::lock_guard lock(fLock);
        for (TJob &job : aJobs)
            fQueue.push_back({aOwner, std::move(job)});
        // Threads are started with the first jobs, so a list that never checks content has none.
        while (int(fThreads.size()) < fThreadCount)
            fThreads.emplace_back([this] { Serve(); });
    }
    if (aJobs.size() == 1)
        fWork.notify_one();
    else
        fWork.notify_all();
}

int TCheckPool::Withdraw(const void *aOwner)
{
    std::vector<TJob> withdrawn;
    {
        std::lock_guard lock(fLock);
        auto keep = std::stable_partition(fQueue.begin(), fQueue.end(), [aOwner](const TEntry &aEntry) {
            return aOwner != nullptr && aEntry.fOwner != aOwner;
        });
        for (auto it = keep; it != fQueue.end(); ++it)
            withdrawn.push_back(std::move(it->fJob));
        fQueue.erase(keep, fQueue.end());
    }
    for (TJob &job : withdrawn)
        job(false);
    return int(withdrawn.size());
}

void TCheckPool::Serve()
{
    // A name for debuggers and top; the kernel keeps at most 15 bytes.
    pthread_setname_np(pthread_self(), "CheckThread");
    for (;;) {
        TJob job;
        {
            std::unique_lock lock(fLock);
            fWork.wait(lock, [this] { return fEnding || !fQueue.empty(); });
            if (fQueue.empty())
                return;
            job = std::move(fQueue.front().fJob);
            fQueue.pop_front();
        }
        job(true);
    }
}
