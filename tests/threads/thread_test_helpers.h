// Helpers of the thread tests: a gate that threads wait at, and pumping the UI thread until a
// condition holds (with a generous limit, so a fault fails the test instead of hanging it).
#pragma once

#include "threads/ui_thread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class TGate
{
public:
    void Open()
    {
        std::lock_guard lGuard(fLock);
        fOpen = true;
        fChanged.notify_all();
    }
    // True when the gate opened within aTimeoutMs.
    bool Wait(int aTimeoutMs = 20000)
    {
        std::unique_lock lWait(fLock);
        return fChanged.wait_for(lWait, std::chrono::milliseconds(aTimeoutMs), [&] { return fOpen; });
    }
    bool IsOpen()
    {
        std::lock_guard lGuard(fLock);
        return fOpen;
    }

private:
    std::mutex fLock;
    std::condition_variable fChanged;
    bool fOpen = false;
};

// Runs the UI thread's events and hand-overs until aDone holds; false after aTimeoutMs.
inline bool PumpUntil(const std::function<bool()> &aDone, int aTimeoutMs = 20000)
{
    QDeadlineTimer lDeadline(aTimeoutMs);
    while (!aDone()) {
        if (lDeadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ProcessPendingUiCalls();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
