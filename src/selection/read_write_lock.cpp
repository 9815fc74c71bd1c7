// The selection list's multi-reader single-writer lock.
#include "selection/read_write_lock.h"

#include <stdexcept>

void TZorReadWriteLock::BeginRead()
{
    std::unique_lock guard(fMutex);
    const auto me = std::this_thread::get_id();
    if (IsWriter(me)) {
        ++fWriterReads;
        return;
    }
    if (const auto it = fReaders.find(me); it != fReaders.end()) {
        ++it->second; // a nested read must not wait behind a writer that waits for this thread
        return;
    }
    fChanged.wait(guard, [&] { return fWriteDepth == 0 && fWaitingWriters == 0; });
    fReaders.emplace(me, 1);
}

void TZorReadWriteLock::EndRead()
{
    std::lock_guard guard(fMutex);
    const auto me = std::this_thread::get_id();
    if (IsWriter(me) && fWriterReads > 0) {
        --fWriterReads;
        return;
    }
    const auto it = fReaders.find(me);
    if (it == fReaders.end())
        return;
    if (--it->second == 0) {
        fReaders.erase(it);
        if (fReaders.empty())
            fChanged.notify_all();
    }
}

void TZorReadWriteLock::BeginWrite()
{
    std::unique_lock guard(fMutex);
    const auto me = std::this_thread::get_id();
    if (IsWriter(me)) {
        ++fWriteDepth;
        return;
    }
    if (fReaders.count(me) != 0)
        throw std::runtime_error("TZorReadWriteLock: a reading thread cannot start writing");
    ++fWaitingWriters;
    fChanged.wait(guard, [&] { return fWriteDepth == 0 && fReaders.empty(); });
    --fWaitingWriters;
    fWriter = me;
    fWriteDepth = 1;
}

void TZorReadWriteLock::EndWrite()
{
    std::lock_guard guard(fMutex);
    if (fWriteDepth > 0 && --fWriteDepth == 0) {
        fWriter = std::thread::id();
        fWriterReads = 0;
        fChanged.notify_all();
    }
}

int TZorReadWriteLock::WaitingWriterCount() const
{
    std::lock_guard lock(fMutex);
    return fWaitingWriters;
}
