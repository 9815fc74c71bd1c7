// The selection list's lock: nested writes, reads by the writer, concurrent readers, exclusion.
#include "selection/read_write_lock.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

TEST(ReadWriteLock, WriterMayWriteAgainAndRead)
{
    TZorReadWriteLock lock;
    {
        TZorWriteLock outer(lock);
        TZorWriteLock inner(lock);
        TZorReadLock read(lock);
        TZorReadLock readAgain(lock);
    }
    // Released completely: another thread can write now.
    std::thread other([&] { TZorWriteLock write(lock); });
    other.join();
}

TEST(ReadWriteLock, ReadersShareAndNest)
{
    TZorReadWriteLock lock;
    TZorReadLock mine(lock);
    std::thread other([&] {
        TZorReadLock read(lock);
        TZorReadLock nested(lock);
    });
    other.join();
}

TEST(ReadWriteLock, ReadingThreadCannotStartWriting)
{
    TZorReadWriteLock lock;
    TZorReadLock read(lock);
    EXPECT_THROW(lock.BeginWrite(), std::runtime_error);
}

TEST(ReadWriteLock, WriterExcludesReadersAndOtherWriters)
{
    TZorReadWriteLock lock;
    int value = 0; // guarded by the lock only
    std::atomic<bool> stop = false;
    std::atomic<int> oddSeen = 0;
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i)
        readers.emplace_back([&] {
            while (!stop) {
                TZorReadLock read(lock);
                if (value % 2 != 0)
                    ++oddSeen;
            }
        });
    auto write = [&] {
        for (int i = 0; i < 2000; ++i) {
            TZorWriteLock writeLock(lock);
            ++value; // odd only inside the write lock
            TZorWriteLock nested(lock);
            {
                TZorReadLock readInside(lock);
                ++value;
            }
        }
    };
    std::thread secondWriter(write);
    write();
    secondWriter.join();
    stop = true;
    for (std::thread &reader : readers)
        reader.join();
    EXPECT_EQ(value, 8000);
    EXPECT_EQ(oddSeen, 0);
}

TEST(ReadWriteLock, NestedReadDoesNotWaitBehindWaitingWriter)
{
    TZorReadWriteLock lock;
    lock.BeginRead();
    std::atomic<bool> writing = false;
    std::thread writer([&] {
        TZorWriteLock write(lock);
        writing = true;
    });
    while (lock.WaitingWriterCount() == 0)
        std::this_thread::yield();
    lock.BeginRead(); // must not deadlock behind the waiting writer
    lock.EndRead();
    EXPECT_FALSE(writing);
    lock.EndRead();
    writer.join();
    EXPECT_TRUE(writing);
}
