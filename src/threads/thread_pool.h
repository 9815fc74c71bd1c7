// The base of the program's thread pools: a list of threads (not owned; each thread lives while
// it runs), the rules for ending them, and the hard stop for a thread that will not end.
#pragma once

#include "threads/zor_thread.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Lock order: a thread's pool-access lock, then fLock, then the work items queue's lock.
// Pool methods may be called from any thread unless said otherwise; events are assigned before
// the pool gets work and are not changed while threads run.
class TCustomThreadPool : public std::enable_shared_from_this<TCustomThreadPool>
{
public:
    TCustomThreadPool();
    // Ends every thread (see TerminateThreads with pForce). Called on the UI thread, it keeps
    // running the UI calls the threads wait for.
    virtual ~TCustomThreadPool();
    TCustomThreadPool(const TCustomThreadPool &) = delete;
    TCustomThreadPool &operator=(const TCustomThreadPool &) = delete;

    // Raised on the UI thread for each ending thread (the ending thread waits for it).
    std::function<void(TZorThread &)> OnThreadTerminated;
    // Raised on the ending thread when the last thread has left the pool, with the pool's lock
    // held: the handler must not call the pool.
    std::function<void(TCustomThreadPool &)> OnAllThreadsTerminated;

    int MaxRunningThreads() const { return FMaxRunningThreads.load(); }
    void SetMaxRunningThreads(int aValue) { FMaxRunningThreads.store(aValue); }
    bool Paused() const { return FPaused.load(); }
    // Pauses or resumes every thread of the pool and the items they run.
    void SetPaused(bool aValue);
    TThreadPriority Priority() const { return FPriority.load(); }
    // Given to every thread that joins from now on.
    void SetPriority(TThreadPriority aValue) { FPriority.store(aValue); }
    uint32_t MaxTimeUntilHardTerminate() const { return fMaxTimeUntilHardTerminate.load(); }
    void SetMaxTimeUntilHardTerminate(uint32_t aValue) { fMaxTimeUntilHardTerminate.store(aValue); }
    // When set and the pool is owned by a std::shared_ptr, the pool keeps itself alive while it has
    // threads and is freed when its last thread ends (if nobody else holds it).
    bool FreeOnLastThreadTermination() const { return fFreeOnLastThreadTermination.load(); }
    void SetFreeOnLastThreadTermination(bool aValue) { fFreeOnLastThreadTermination.store(aValue); }
    // Set by TerminateThreads, cleared when the last thread has left the pool. No thread joins
    // while it is set.
    bool Terminated() const { return fTerminated.load(); }
    int ThreadCount() const;

    // Asks every thread to end. With pForce, also waits until every thread has left the pool,
    // at most MaxTimeUntilHardTerminate ms per thread; a thread that does not end in time is
    // abandoned (it is let go and never waited for again; its item is cancelled and released).
    // On the UI thread it keeps running the UI calls the threads wait for; it must therefore not
    // be called from inside such a call made by one of its own threads.
    virtual void TerminateThreads(bool pForce);

protected:
    // Adds aThread to the list, gives it the pool's priority and pause state, and starts it when
    // the list then holds no more than MaxRunningThreads threads. Caller holds fLock. Throws
    // std::system_error when the thread cannot be started (the thread is then not listed).
    void AddThreadLocked(const std::shared_ptr<TZorThread> &aThread);
    // On the ending thread with its pool-access lock held: raises OnThreadTerminated, runs
    // ThreadLeaving, then takes the thread off the list.
    virtual void ThreadEnded(TZorThread &aThread);
    // On the ending thread, before it leaves the list. Empty here.
    virtual void ThreadLeaving(TZorThread &aThread);
    // With the abandoned thread's pool-access lock and fLock held, before aThread->Abandon().
    virtual void ThreadAbandoned(TZorThread &aThread);
    // With fLock held, when the last thread has left. Empty here.
    virtual void LastThreadLeftLocked();
    // True while TerminateThreads runs on some thread.
    bool Stopping() const { return fStopping.load() > 0; }
    // Marks a stop in progress for its lifetime.
    struct TStopGuard
    {
        explicit TStopGuard(TCustomThreadPool &aPool) : Pool(aPool) { ++Pool.fStopping; }
        ~TStopGuard() { --Pool.fStopping; }
        TCustomThreadPool &Pool;
    };

    // Waits for aThread to leave the list (see TerminateThreads).
    void WaitForPoolThread(const std::shared_ptr<TZorThread> &aThread);
    // ProcessPendingUiCalls when on the UI thread; errors of those calls are logged.
    static void ProcessPendingUiCallsQuietly();

    mutable std::mutex fLock;
    std::vector<std::shared_ptr<TZorThread>> fThreads; // under fLock
    std::atomic<bool> fTerminated{false};

private:
    friend class TZorThread;

    void HardTerminate(const std::shared_ptr<TZorThread> &aThread);
    // Takes aThread off the list; when it was the last, raises OnAllThreadsTerminated, clears
    // fTerminated and hands over the self-reference, which the caller drops after unlocking.
    void RemoveThreadLocked(TZorThread &aThread, std::shared_ptr<TCustomThreadPool> &aSelfReference);
    bool ContainsLocked(const TZorThread &aThread) const;

    std::atomic<int> FMaxRunningThreads;
    std::atomic<bool> FPaused{false};
    std::atomic<TThreadPriority> FPriority{TThreadPriority::tpNormal};
    std::atomic<uint32_t> fMaxTimeUntilHardTerminate{3000};
    std::atomic<bool> fFreeOnLastThreadTermination{false};
    std::atomic<int> fStopping{0};
    std::condition_variable fThreadLeft;               // a thread left the list
    std::shared_ptr<TCustomThreadPool> fSelfReference; // under fLock; see FreeOnLastThreadTermination
};
