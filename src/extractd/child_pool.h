// Sandboxed children forked ahead of time, each waiting for one document, so that a request
// does not wait for a fork. A child serves one document and ends; a keeper thread has the
// zygote fork the next ones and reaps the finished ones.
#pragma once

#include "extractd/child_job.h"
#include "extractd/child_zygote.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class TChildPool
{
public:
    // Keeps aSpare children waiting; each document may take aTimeoutMs of wall-clock time.
    TChildPool(unsigned aSpare, std::uint32_t aTimeoutMs);
    // Ends the waiting children and reaps every child.
    ~TChildPool();
    TChildPool(const TChildPool &) = delete;
    TChildPool &operator=(const TChildPool &) = delete;

    // Extracts aJob in a waiting child (a new one when none waits). Returns how the child
    // ended: soExited with its TChildExit code when it answered (aReport then filled),
    // soCrashed, soTimedOut (the child's group killed), soCancelled (Cancel() came first) or
    // soNotStarted. Thread-safe.
    TSandboxResult Run(const TChildJob &aJob, TChildReport &aReport);
    // Kills the children working on documents now and those that get one later, so that the
    // server can stop without waiting for their time limit. Thread-safe; it sticks.
    void Cancel();
    // Has the keeper fork the children the waiting list lacks, end the finished ones and reap
    // them. Call it once the answer to a request is out: forks, new children and ending ones
    // would compete with the answer for the cores. Until it is called, a request that finds no
    // child waiting has one forked for itself. Thread-safe.
    void Refill();

private:
    TChildLink Take();
    void Keep();

    const unsigned fSpare;
    const std::uint32_t fTimeoutMs;
    std::mutex fLock;
    std::condition_variable fWake;
    std::deque<TChildLink> fWaiting;
    std::deque<TChildLink> fFinished; // answered; they end once their socket is closed
    bool fRefill = true;              // the list starts empty
    bool fStopping = false;
    // Started before the keeper thread: the zygote is forked while this process has one thread.
    TChildZygote fZygote;
    // Readable once Cancel() has been called (made after the zygote, which does not need it).
    int fCancelled = -1;
    std::thread fKeeper;
};
