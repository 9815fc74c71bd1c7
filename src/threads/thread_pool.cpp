// The base of the program's thread pools.
#include "threads/thread_pool.h"

#include "platform/tick_count.h"
#include "threads/threads_log.h"
#include "threads/ui_thread.h"

#include <algorithm>
#include <chrono>
#include <QThread>
#include <thread>

TCustomThreadPool::TCustomThreadPool() : FMaxRunningThreads(3 * std::max(1, QThread::idealThreadCount()) + 2)
{
    TUiThreadDispatcher::Instance(); // exists before, and so outlives, every pool
}

TCustomThreadPool::~TCustomThreadPool()
{
    fFreeOnLastThreadTermination.store(false);
    TCustomThreadPool::TerminateThreads(true);
}

int TCustomThreadPool::ThreadCount() const
{
    std::lock_guard lGuard(fLock);
    return int(fThreads.size());
}

void TCustomThreadPool::SetPaused(bool aValue)
{
    std::lock_guard lGuard(fLock);
    FPaused.store(aValue);
    for (const std::shared_ptr<TZorThread> &lThread : fThreads)
        lThread->SetPaused(aValue);
}

void TCustomThreadPool::AddThreadLocked(const std::shared_ptr<TZorThread> &aThread)
{
    aThread->SetPriority(FPriority.load());
    if (FPaused.load())
        aThread->SetPaused(true);
    fThreads.push_back(aThread);
    if (int(fThreads.size()) <= FMaxRunningThreads.load()) {
        try {
            aThread->Start();
        } catch (...) {
            fThreads.pop_back();
            throw;
        }
    }
    if (fFreeOnLastThreadTermination.load() && !fSelfReference)
        fSelfReference = weak_from_this().lock();
}

bool TCustomThreadPool::ContainsLocked(const TZorThread &aThread) const
{
    return std::any_of(fThreads.begin(), fThreads.end(),
                       [&](const auto &aListed) { return aListed.get() == &aThread; });
}

void TCustomThreadPool::RemoveThreadLocked(TZorThread &aThread,
                                           std::shared_ptr<TCustomThreadPool> &aSelfReference)
{
    std::erase_if(fThreads, [&](const auto &aListed) { return aListed.get() == &aThread; });
    if (fThreads.empty()) {
        if (OnAllThreadsTerminated)
            OnAllThreadsTerminated(*this);
        fTerminated.store(false);
        aSelfReference = std::move(fSelfReference);
        LastThreadLeftLocked();
    }
    fThreadLeft.notify_all();
}

void TCustomThreadPool::ThreadLeaving(TZorThread & /*aThread*/) {}

void TCustomThreadPool::ThreadAbandoned(TZorThread & /*aThread*/) {}

void TCustomThreadPool::LastThreadLeftLocked() {}

void TCustomThreadPool::ThreadEnded(TZorThread &aThread)
{
    if (OnThreadTerminated) {
        const bool lStillOurs = aThread.CallOutsidePool([&] {
            CallLoggingErrors(QStringLiteral("OnThreadTerminated"),
                              [&] { RunOnUiThread([&] { OnThreadTerminated(aThread); }); });
        });
        if (!lStillOurs)
            return;
    }
    ThreadLeaving(aThread);
    // Declared before the guard, so a pool that frees itself is freed after the lock is released.
    std::shared_ptr<TCustomThreadPool> lSelfReference;
    std::lock_guard lGuard(fLock);
    RemoveThreadLocked(aThread, lSelfReference);
}

void TCustomThreadPool::ProcessPendingUiCallsQuietly()
{
    if (IsUiThread())
        CallLoggingErrors(QStringLiteral("A call on the user-interface thread"),
                          [] { ProcessPendingUiCalls(); });
}

void TCustomThreadPool::TerminateThreads(bool pForce)
{
    const TStopGuard lStopping(*this);
    {
        std::lock_guard lGuard(fLock);
        if (fThreads.empty())
            return;
        fTerminated.store(true);
        for (auto lThread = fThreads.rbegin(); lThread != fThreads.rend(); ++lThread)
            (*lThread)->Terminate();
    }
    if (pForce) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ProcessPendingUiCallsQuietly();
        for (;;) {
            std::shared_ptr<TZorThread> lFirst;
            {
                std::lock_guard lGuard(fLock);
                if (fThreads.empty())
                    break;
                lFirst = fThreads.front();
            }
            WaitForPoolThread(lFirst);
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ProcessPendingUiCallsQuietly();
}

void TCustomThreadPool::WaitForPoolThread(const std::shared_ptr<TZorThread> &aThread)
{
    aThread->Terminate();
    const uint32_t lStart = GetTickCount();
    for (;;) {
        {
            std::unique_lock lWait(fLock);
            // 10 ms slices; a thread that leaves ends the slice at once.
            if (fThreadLeft.wait_for(lWait, std::chrono::milliseconds(10),
                                     [&] { return !ContainsLocked(*aThread); }))
                return;
        }
        // A thread that waits for a hand-over can finish only when the UI thread runs it.
        ProcessPendingUiCallsQuietly();
        if (TicksBetween(lStart, GetTickCount()) >= fMaxTimeUntilHardTerminate.load()) {
            HardTerminate(aThread);
            return;
        }
    }
}

void TCustomThreadPool::HardTerminate(const std::shared_ptr<TZorThread> &aThread)
{
    // Once we hold the thread's pool-access lock it is in foreign code (or not yet running) and
    // will look at its abandoned flag before it touches the pool again.
    std::unique_lock lThreadAccess(aThread->fPoolAccessLock);
    std::shared_ptr<TCustomThreadPool> lSelfReference;
    std::lock_guard lGuard(fLock);
    if (!ContainsLocked(*aThread))
        return;
    qCDebug(lcThreads).noquote() << aThread->HardTerminateMessage();
    ThreadAbandoned(*aThread);
    aThread->Abandon();
    RemoveThreadLocked(*aThread, lSelfReference);
}
