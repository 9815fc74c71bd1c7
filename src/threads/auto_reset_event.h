// An auto-reset event: Set lets exactly one wait through (or the next one, when nobody waits).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class TAutoResetEvent
{
public:
    // Signals the event; one waiter (present or next) consumes it. Any thread.
    void Set()
    {
        std::lock_guard lGuard(fLock);
        fSignaled = true;
        fChanged.notify_one();
    }

    // Wakes every waiter without signalling, so each looks at its stop condition again. Any thread.
    void WakeAll()
    {
        std::lock_guard lGuard(fLock);
        fChanged.notify_all();
    }

    // Waits up to aTimeout ms for the signal or until aStop() holds (checked under the event's lock,
    // so a WakeAll after the condition changed is never missed). True when the signal was consumed.
    template <class TStop> bool WaitFor(uint32_t aTimeout, TStop aStop)
    {
        std::unique_lock lWait(fLock);
        fChanged.wait_for(lWait, std::chrono::milliseconds(aTimeout), [&] { return fSignaled || aStop(); });
        const bool lSignaled = fSignaled;
        fSignaled = false;
        return lSignaled;
    }

private:
    std::mutex fLock;
    std::condition_variable fChanged;
    bool fSignaled = false;
};
