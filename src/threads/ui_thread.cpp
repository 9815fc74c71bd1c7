// The queue of routines for the user-interface thread, one per run context.
#include "threads/ui_thread.h"

#include "threads/run_context.h"
#include "threads/threads_log.h"

#include <condition_variable>
#include <exception>
#include <QCoreApplication>
#include <QEvent>
#include <QThread>

struct TUiThreadDispatcher::TCall
{
    std::function<void()> Routine;
    bool Waited = false; // somebody waits in RunOnUiThread
    std::mutex Lock;
    std::condition_variable Finished;
    bool Done = false;
    std::exception_ptr Error;
};

// Lives on the UI thread; each wake-up event drains the queue.
class TUiThreadDispatcher::TReceiver : public QObject
{
public:
    static QEvent::Type WakeUpType()
    {
        static const QEvent::Type lType = QEvent::Type(QEvent::registerEventType());
        return lType;
    }

    explicit TReceiver(TUiThreadDispatcher &aDispatcher) : fDispatcher(&aDispatcher) {}
    ~TReceiver() override
    {
        if (fDispatcher)
            fDispatcher->ReceiverDestroyed();
    }
    // The dispatcher is going away first (only at process exit, when no event loop runs).
    void Detach() { fDispatcher = nullptr; }

protected:
    // Only the wake-up is a custom event here (QObject::event sorts them out).
    void customEvent(QEvent * /*pEvent*/) override
    {
        if (!fDispatcher)
            return;
        CallLoggingErrors(QStringLiteral("A call on the user-interface thread"),
                          [this] { fDispatcher->ProcessPendingUiCalls(); });
    }

private:
    TUiThreadDispatcher *fDispatcher;
};

TUiThreadDispatcher &TUiThreadDispatcher::Instance()
{
    return RunContext().UiThreadDispatcher();
}

TUiThreadDispatcher::TUiThreadDispatcher()
{
    QCoreApplication *lApp = QCoreApplication::instance();
    if (!lApp) {
        fUiThread = QThread::currentThread();
        return;
    }
    fUiThread = lApp->thread();
    fReceiver = new TReceiver(*this);
    if (fUiThread == QThread::currentThread()) {
        fReceiver->setParent(lApp);
    } else {
        fReceiver->moveToThread(fUiThread);
        TReceiver *lReceiver = fReceiver;
        QMetaObject::invokeMethod(
            lReceiver, [lReceiver] { lReceiver->setParent(QCoreApplication::instance()); },
            Qt::QueuedConnection);
    }
}

TUiThreadDispatcher::~TUiThreadDispatcher()
{
    std::lock_guard lGuard(fLock);
    if (fReceiver) {
        fReceiver->Detach();
        fReceiver->deleteLater();
    }
}

bool TUiThreadDispatcher::IsUiThread() const
{
    return QThread::currentThread() == fUiThread;
}

void TUiThreadDispatcher::RunOnUiThread(const std::function<void()> &pRoutine)
{
    if (IsUiThread()) {
        pRoutine();
        return;
    }
    auto lCall = std::make_shared<TCall>();
    lCall->Routine = pRoutine;
    lCall->Waited = true;
    Enqueue(lCall);
    std::exception_ptr lError;
    {
        std::unique_lock lWait(lCall->Lock);
        lCall->Finished.wait(lWait, [&] { return lCall->Done; });
        // Taken over here, so the exception is released on this thread only.
        lError = std::move(lCall->Error);
    }
    if (lError)
        std::rethrow_exception(lError);
}

void TUiThreadDispatcher::QueueOnUiThread(std::function<void()> pRoutine)
{
    if (IsUiThread()) {
        pRoutine();
        return;
    }
    auto lCall = std::make_shared<TCall>();
    lCall->Routine = std::move(pRoutine);
    Enqueue(std::move(lCall));
}

void TUiThreadDispatcher::Enqueue(std::shared_ptr<TCall> pCall)
{
    {
        std::lock_guard lGuard(fLock);
        fCalls.push_back(std::move(pCall));
    }
    RequestWakeUp();
}

void TUiThreadDispatcher::RequestWakeUp()
{
    std::function<void()> lWakeUp;
    {
        std::lock_guard lGuard(fLock);
        if (fWakeUpPending || fCalls.empty())
            return;
        fWakeUpPending = true;
        lWakeUp = fWakeUp;
    }
    if (lWakeUp)
        lWakeUp();
    else
        PostWakeUpEvent();
}

void TUiThreadDispatcher::PostWakeUpEvent()
{
    // Under the lock, so the receiver cannot be destroyed while the event is posted.
    std::lock_guard lGuard(fLock);
    if (fReceiver)
        QCoreApplication::postEvent(fReceiver, new QEvent(TReceiver::WakeUpType()));
}

void TUiThreadDispatcher::ReceiverDestroyed()
{
    std::lock_guard lGuard(fLock);
    fReceiver = nullptr;
}

void TUiThreadDispatcher::ProcessPendingUiCalls()
{
    if (!IsUiThread())
        return;
    for (;;) {
        std::shared_ptr<TCall> lCall;
        {
            std::lock_guard lGuard(fLock);
            fWakeUpPending = false;
            if (fCalls.empty())
                return;
            lCall = std::move(fCalls.front());
            fCalls.pop_front();
        }
        std::exception_ptr lError;
        try {
            lCall->Routine();
        } catch (...) {
            lError = std::current_exception();
        }
        lCall->Routine = nullptr; // release what the routine captured here, on the UI thread
        if (lCall->Waited) {
            std::lock_guard lGuard(lCall->Lock);
            lCall->Error = std::move(lError);
            lCall->Done = true;
            lCall->Finished.notify_all();
        } else if (lError) {
            RequestWakeUp(); // the routines still queued are not forgotten
            std::rethrow_exception(lError);
        }
    }
}

size_t TUiThreadDispatcher::PendingCount() const
{
    std::lock_guard lGuard(fLock);
    return fCalls.size();
}

void TUiThreadDispatcher::SetWakeUp(std::function<void()> pWakeUp)
{
    std::lock_guard lGuard(fLock);
    fWakeUp = std::move(pWakeUp);
}

void RunOnUiThread(const std::function<void()> &pRoutine)
{
    TUiThreadDispatcher::Instance().RunOnUiThread(pRoutine);
}

void QueueOnUiThread(std::function<void()> pRoutine)
{
    TUiThreadDispatcher::Instance().QueueOnUiThread(std::move(pRoutine));
}

void ProcessPendingUiCalls()
{
    TUiThreadDispatcher::Instance().ProcessPendingUiCalls();
}

bool IsUiThread()
{
    return TUiThreadDispatcher::Instance().IsUiThread();
}
