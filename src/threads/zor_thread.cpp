// The program's thread class over std::thread.
#include "threads/zor_thread.h"

#include "threads/class_name.h"
#include "threads/thread_pool.h"
#include "threads/threads_log.h"

#include <chrono>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

thread_local TZorThread *tCurrentThread = nullptr;

int NiceValueOf(TThreadPriority aPriority)
{
    switch (aPriority) {
    case TThreadPriority::tpIdle:
        return 19;
    case TThreadPriority::tpLowest:
        return 10;
    case TThreadPriority::tpLower:
        return 5;
    default:
        return 0;
    }
}

} // namespace

TZorThread::TZorThread(TCustomThreadPool *aThreadPool) : fThreadPool(aThreadPool) {}

TZorThread::~TZorThread() = default;

TZorThread *TZorThread::Current()
{
    return tCurrentThread;
}

void TZorThread::Start()
{
    if (fStarted.exchange(true))
        return;
    try {
        std::thread([lSelf = shared_from_this()] { lSelf->Run(); }).detach();
    } catch (...) {
        fStarted.store(false);
        throw;
    }
    fStatus.store(TTaskStatus::Running);
}

void TZorThread::Run()
{
    tCurrentThread = this;
    fThreadId.store(long(gettid()));
    if (const int lNice = NiceValueOf(fPriority))
        setpriority(PRIO_PROCESS, id_t(gettid()), lNice);
    std::unique_lock lPoolAccess(fPoolAccessLock);
    if (!fAbandoned) {
        CallLoggingErrors(QStringLiteral("Thread ") + ClassName(), [this] { Execute(); });
    }
    fIsFinished.store(true);
    if (!fAbandoned)
        DoTerminate();
    tCurrentThread = nullptr;
}

void TZorThread::DoTerminate()
{
    if (fThreadPool)
        fThreadPool->ThreadEnded(*this);
}

void TZorThread::Terminate()
{
    fTerminateRequested.store(true);
}

bool TZorThread::Terminated()
{
    while (fPaused.load() && !fTerminateRequested.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return fTerminateRequested.load() ||
           (fCancellationIndicator && fCancellationIndicator->IsCancellationRequested());
}

void TZorThread::SetPaused(bool aValue)
{
    fPaused.store(aValue);
    fStatus.store(aValue ? TTaskStatus::Paused : TTaskStatus::Running);
}

void TZorThread::SetCancellationIndicator(std::shared_ptr<ICancellationIndicator> aIndicator)
{
    fCancellationIndicator = std::move(aIndicator);
}

QString TZorThread::ClassName() const
{
    return ClassNameOf(typeid(*this));
}

void TZorThread::Abandon()
{
    fAbandoned = true;
    fStatus.store(TTaskStatus::Canceled);
}

QString TZorThread::HardTerminateMessage() const
{
    return QStringLiteral("Terminating Thread %1 the hard way. Thread ID: %2")
        .arg(ClassName())
        .arg(ThreadId());
}
