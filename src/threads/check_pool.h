// A fixed set of threads that run short jobs first in, first out: the content checks of a search.
// Jobs belong to an owner, whose queued jobs can be withdrawn at once.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TCheckPool
{
public:
    // One job: called once, with true on a pool thread to run it, or with false (on the thread
    // that withdraws it) when it is withdrawn unrun. It must not throw.
    using TJob = std::function<void(bool aRun)>;

    // aThreads threads (at least one), started with the first job.
    explicit TCheckPool(int aThreads);
    // Withdraws every queued job and waits for the running ones.
    ~TCheckPool();
    TCheckPool(const TCheckPool &) = delete;
    TCheckPool &operator=(const TCheckPool &) = delete;

    // Queues aJobs of aOwner, in order. Any thread.
    void Post(const void *aOwner, std::vector<TJob> aJobs);
    // Withdraws the queued jobs of aOwner (of every owner when null): each is called with false
    // before this returns. Running jobs go on. Returns how many were withdrawn. Any thread.
    int Withdraw(const void *aOwner);

    int ThreadCount() const { return fThreadCount; }

private:
    struct TEntry
    {
        const void *fOwner;
        TJob fJob;
    };
    void Serve();

    const int fThreadCount;
    std::mutex fLock;
    std::condition_variable fWork;
    std::deque<TEntry> fQueue;
    bool fEnding = false;
    std::vector<std::jthread> fThreads; // last: joined before the rest goes
};
