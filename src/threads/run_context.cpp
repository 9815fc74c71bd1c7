// The one context object of a run, and its replacement between tests.
#include "threads/run_context.h"

#include "threads/ui_thread.h"
#include "threads/worker_thread_pool.h"

namespace {

// The current context. Replaced only by ResetRunContext; read from any thread.
std::mutex gContextLock;
std::unique_ptr<TRunContext> gContext;

} // namespace

TRunContext::TRunContext() = default;

TRunContext::~TRunContext()
{
    fPool.reset();
    fDispatcher.reset();
}

TUiThreadDispatcher &TRunContext::UiThreadDispatcher()
{
    std::call_once(fDispatcherCreated, [this] { fDispatcher = std::make_unique<TUiThreadDispatcher>(); });
    return *fDispatcher;
}

TWorkerThreadPool &TRunContext::WorkerPool()
{
    std::call_once(fPoolCreated, [this] { fPool = TWorkerThreadPool::CreateShared(); });
    return *fPool;
}

TRunContext &RunContext()
{
    std::lock_guard lock(gContextLock);
    if (!gContext)
        gContext = std::make_unique<TRunContext>();
    return *gContext;
}

void ResetRunContext()
{
    auto fresh = std::make_unique<TRunContext>();
    fresh->UiThreadDispatcher();
    std::unique_ptr<TRunContext> old;
    {
        std::lock_guard lock(gContextLock);
        old = std::exchange(gContext, std::move(fresh));
    }
    // Ended outside the lock: its threads may still ask for the context while they stop.
    old.reset();
}
