// Waiting on the UI thread (the test's main thread) for a condition: events and UI-thread calls
// run meanwhile, with a generous deadline so that a fault fails the test instead of hanging it.
#pragma once

#include "threads/ui_thread.h"

#include <chrono>
#include <functional>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <thread>

// Runs the UI thread's events and hand-overs until aDone holds; returns false when aDeadlineMs
// passed first.
inline bool PumpUntil(const std::function<bool()> &aDone, int aDeadlineMs = 60000)
{
    const QDeadlineTimer deadline(aDeadlineMs);
    while (!aDone()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ProcessPendingUiCalls();
        // Conditions set by worker threads post nothing: look again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs the UI thread's hand-overs and events that are queued already, and those they queue,
// without waiting for more. Once every thread that could queue something has ended, nothing comes
// after this: a test can then see that nothing more comes without waiting for time to pass.
inline void PumpPending()
{
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        ProcessPendingUiCalls();
    } while (TUiThreadDispatcher::Instance().PendingCount() > 0);
}
