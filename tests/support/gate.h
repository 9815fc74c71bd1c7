// A gate that threads wait at until a test opens it (with a generous limit, so that a fault fails
// the test instead of hanging it).
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

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
