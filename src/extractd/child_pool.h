// Sandboxed children forked ahead of time, each waiting for one document, so that a request
// does not wait for a fork. A child serves one document and ends; a keeper thread forks the
// next ones and reaps the finished ones.
#pragma once

#include "extractd/child_job.h"
#include "extractd/sandbox.h"

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
    // soCrashed, soTimedOut (the child's group killed), or soNotStarted. Thread-safe.
    TSandboxResult Run(const TChildJob &aJob, TChildReport &aReport);

private:
    struct TWaiting
    {
        pid_t Pid = -1;
        int Socket = -1;
    };

    TWaiting Spawn() const;
    TWaiting Take();
    void Keep();

    const unsigned fSpare;
    const std::uint32_t fTimeoutMs;
    std::mutex fLock;
    std::condition_variable fWake;
    std::deque<TWaiting> fWaiting;
    std::deque<pid_t> fFinished;
    bool fStopping = false;
    std::thread fKeeper;
};
