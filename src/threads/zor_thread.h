// The program's thread class: created suspended, started once, frees itself when its run has
// ended and nobody holds it. A thread may belong to a pool, which it tells when it ends.
#pragma once

#include "threads/cancellation.h"
#include "threads/task_status.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <QString>

class TCustomThreadPool;

enum class TThreadPriority
{
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// Create with std::make_shared, then Start. The running thread keeps its object alive until its run
// has ended. While a thread that belongs to a pool runs the pool's code it holds its pool-access
// lock; it releases it only around calls into foreign code (work items, event handlers). A pool
// that gives up waiting for a thread takes that lock, marks the thread abandoned and lets it go:
// from then on the thread never touches the pool again, so it may outlive the pool.
class TZorThread : public std::enable_shared_from_this<TZorThread>
{
public:
    explicit TZorThread(TCustomThreadPool *aThreadPool = nullptr);
    virtual ~TZorThread();
    TZorThread(const TZorThread &) = delete;
    TZorThread &operator=(const TZorThread &) = delete;

    // Starts the thread (once) and sets its status Running. Throws std::system_error when the
    // system refuses a thread. Any thread.
    void Start();
    // Asks the thread to end. Any thread; returns at once.
    virtual void Terminate();
    // While the thread is paused and not asked to end, waits in 100 ms steps; then true when the
    // thread has been asked to end or its cancellation indicator reports cancellation.
    bool Terminated();
    // The bare end request, without waiting.
    bool TerminateRequested() const { return fTerminateRequested.load(); }

    bool Suspended() const { return !fStarted.load(); }
    // True once the run has ended.
    bool IsFinished() const { return fIsFinished.load(); }
    bool Paused() const { return fPaused.load(); }
    // Status Paused or Running.
    virtual void SetPaused(bool aValue);
    // Linux has no per-thread background mode; the value is kept for callers that ask.
    bool BackgroundMode() const { return fBackgroundMode.load(); }
    void SetBackgroundMode(bool aValue) { fBackgroundMode.store(aValue); }
    TTaskStatus Status() const { return fStatus.load(); }
    TCustomThreadPool *ThreadPool() const { return fThreadPool; }
    // Both set before Start. Priorities below normal raise the thread's nice value; higher ones
    // need privileges and are left at normal.
    void SetCancellationIndicator(std::shared_ptr<ICancellationIndicator> aIndicator);
    void SetPriority(TThreadPriority aPriority) { fPriority = aPriority; }
    // The kernel's thread id once the thread runs, else 0.
    long ThreadId() const { return fThreadId.load(); }
    QString ClassName() const;

    // The TZorThread running the calling thread, or null.
    static TZorThread *Current();

protected:
    // The run body, on the new thread.
    virtual void Execute() = 0;
    // End-of-run handling, on the ending thread: tells the pool (unless the pool let it go).
    virtual void DoTerminate();
    void SetStatus(TTaskStatus aStatus) { fStatus.store(aStatus); }

    // Runs aCall (foreign code) with the pool-access lock released. Returns false when the pool
    // let this thread go meanwhile: the caller must then return without touching the pool.
    // aCall must not throw.
    template <class TCall> bool CallOutsidePool(TCall &&aCall)
    {
        if (!fThreadPool || Current() != this) {
            aCall();
            return true;
        }
        fPoolAccessLock.unlock();
        aCall();
        fPoolAccessLock.lock();
        return !fAbandoned;
    }
    // True when the pool has let this thread go. On this thread, with the pool-access lock held.
    bool Abandoned() const { return fAbandoned; }

    // For the pool that gives up waiting, with this thread's pool-access lock and the pool's lock
    // held: marks the thread abandoned and Canceled.
    virtual void Abandon();
    // The debug message written when the pool gives up waiting for this thread.
    virtual QString HardTerminateMessage() const;

private:
    friend class TCustomThreadPool;
    friend class TWorkerThreadPool;

    void Run();

    std::atomic<bool> fIsFinished{false};
    std::atomic<TTaskStatus> fStatus{TTaskStatus::Created};
    std::atomic<bool> fBackgroundMode{false};
    std::shared_ptr<ICancellationIndicator> fCancellationIndicator;
    TCustomThreadPool *const fThreadPool;

    std::atomic<bool> fStarted{false};
    std::atomic<bool> fTerminateRequested{false};
    std::atomic<bool> fPaused{false};
    std::atomic<long> fThreadId{0};
    TThreadPriority fPriority = TThreadPriority::tpNormal;
    // Held by the running thread while it is inside the pool's code.
    std::mutex fPoolAccessLock;
    bool fAbandoned = false;          // under fPoolAccessLock
    bool fInAllWorkItemsDone = false; // under fPoolAccessLock: inside the pool's all-done handler
};
