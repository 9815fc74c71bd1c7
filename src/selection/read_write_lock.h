// TZorReadWriteLock: the multi-reader single-writer lock that guards the selection list's
// entries. The writer may take it again (nested adds) and may also read (state queries made
// while adding or removing); readers may nest; waiting writers go before new readers.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>

class TZorReadWriteLock
{
public:
    TZorReadWriteLock() = default;
    TZorReadWriteLock(const TZorReadWriteLock &) = delete;
    TZorReadWriteLock &operator=(const TZorReadWriteLock &) = delete;

    // Any thread. Waits while another thread writes or waits to write; never waits when the
    // calling thread already reads or writes.
    void BeginRead();
    void EndRead();
    // Any thread. Waits until no other thread reads or writes. Throws std::runtime_error when the
    // calling thread holds only a read lock (turning a read into a write would deadlock).
    void BeginWrite();
    void EndWrite();

    // Threads waiting in BeginWrite now. Any thread; a snapshot, for tests and diagnostics.
    int WaitingWriterCount() const;

private:
    bool IsWriter(std::thread::id aThread) const { return fWriteDepth > 0 && fWriter == aThread; }

    mutable std::mutex fMutex;
    std::condition_variable fChanged;
    std::thread::id fWriter;
    int fWriteDepth = 0;
    int fWriterReads = 0;
    int fWaitingWriters = 0;
    std::unordered_map<std::thread::id, int> fReaders; // read depth per reading thread
};

// Holds a read lock for its lifetime.
class TZorReadLock
{
public:
    explicit TZorReadLock(TZorReadWriteLock &aLock) : fLock(aLock) { fLock.BeginRead(); }
    ~TZorReadLock() { fLock.EndRead(); }
    TZorReadLock(const TZorReadLock &) = delete;
    TZorReadLock &operator=(const TZorReadLock &) = delete;

private:
    TZorReadWriteLock &fLock;
};

// Holds the write lock for its lifetime.
class TZorWriteLock
{
public:
    explicit TZorWriteLock(TZorReadWriteLock &aLock) : fLock(aLock) { fLock.BeginWrite(); }
    ~TZorWriteLock() { fLock.EndWrite(); }
    TZorWriteLock(const TZorWriteLock &) = delete;
    TZorWriteLock &operator=(const TZorWriteLock &) = delete;

private:
    TZorReadWriteLock &fLock;
};
