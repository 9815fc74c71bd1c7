// Hand-over of routines to the user-interface thread: one process-wide queue of routines that the
// UI thread drains. Worker threads use it to deliver results and to wait for the UI to take them.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class QThread;

// The queue behind RunOnUiThread, QueueOnUiThread and ProcessPendingUiCalls.
//
// The UI thread is the thread of the QCoreApplication when one exists at the dispatcher's creation,
// otherwise the thread that created the dispatcher. Whenever a routine is queued, the dispatcher
// wakes the UI thread: by default it posts an event to an object living on that thread, so a running
// Qt event loop, and QCoreApplication::processEvents, drain the queue without further wiring.
// No lock is held while a routine runs, so a routine may queue further routines or pump events.
class TUiThreadDispatcher
{
public:
    // The dispatcher of this run, created on first use. Create it on the UI thread (the
    // application does so at start-up; the worker pool does when it is created).
    static TUiThreadDispatcher &Instance();

    TUiThreadDispatcher();
    ~TUiThreadDispatcher();
    TUiThreadDispatcher(const TUiThreadDispatcher &) = delete;
    TUiThreadDispatcher &operator=(const TUiThreadDispatcher &) = delete;

    // True on the UI thread. Any thread.
    bool IsUiThread() const;

    // Runs pRoutine on the UI thread and returns when it has run. On the UI thread it runs at once.
    // An exception thrown by the routine is thrown again here. Waits without limit: the UI thread
    // must be pumping events or calling ProcessPendingUiCalls.
    void RunOnUiThread(const std::function<void()> &pRoutine);
    // Queues pRoutine for the UI thread and returns at once; on the UI thread it runs at once
    // (its exception then reaches the caller).
    void QueueOnUiThread(std::function<void()> pRoutine);
    // On the UI thread: runs every routine handed over and not yet run, oldest first, including
    // those queued while it runs. An exception of a queued routine leaves this call (the routines
    // after it stay queued and the UI thread is woken again); the exception of a routine someone
    // waits for goes to that waiter. On any other thread: does nothing.
    void ProcessPendingUiCalls();
    // Number of routines waiting. Any thread.
    size_t PendingCount() const;

    // Replaces the wake-up that runs (on the queuing thread, no lock held) whenever a routine is
    // queued while no wake-up is pending. An empty function restores the default, which posts an
    // event to the dispatcher's object on the UI thread. Any thread.
    void SetWakeUp(std::function<void()> pWakeUp);

private:
    struct TCall;
    class TReceiver;

    void Enqueue(std::shared_ptr<TCall> pCall);
    void RequestWakeUp();
    void PostWakeUpEvent();
    void ReceiverDestroyed();

    QThread *fUiThread = nullptr;
    mutable std::mutex fLock;
    std::deque<std::shared_ptr<TCall>> fCalls;
    bool fWakeUpPending = false;
    std::function<void()> fWakeUp;
    TReceiver *fReceiver = nullptr; // owned by Qt (parent: the application), cleared when destroyed
};

// Shortcuts to the dispatcher of this run; contracts as in TUiThreadDispatcher.
void RunOnUiThread(const std::function<void()> &pRoutine);
void QueueOnUiThread(std::function<void()> pRoutine);
void ProcessPendingUiCalls();
bool IsUiThread();
