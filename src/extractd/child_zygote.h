// A small single-threaded process that forks the sandboxed children for the server. It is
// forked before the server starts any thread and holds little memory, so a fork from it is
// cheap and the server's own memory stays unshared (each fork from the server would turn the
// pages it writes afterwards into copy-on-write faults).
#pragma once

#include "extractd/sandbox.h"

#include <functional>
#include <mutex>

// A child made by the zygote: its pid (a child of the process that owns the zygote) and that
// process's end of the child's socket.
struct TChildLink
{
    pid_t Pid = -1;
    int Socket = -1;
};

class TChildZygote
{
public:
    // Forks the zygote, which runs aPrepare once and then, for each Spawn(), forks a sandboxed
    // child under aLimits that runs aWork with its end of the socket. A zygote that cannot be
    // started now is started again by the first Spawn().
    TChildZygote(std::function<void()> aPrepare, std::function<int(int)> aWork, TSandboxLimits aLimits);
    // Ends and reaps the zygote; the children it made are left to their owner.
    ~TChildZygote();
    TChildZygote(const TChildZygote &) = delete;
    TChildZygote &operator=(const TChildZygote &) = delete;

    // Has the zygote fork one child. The child is this process's own: reap it with
    // EndSandboxed. When the zygote is gone or does not answer within a few seconds, reaps it,
    // starts a new one and asks that one. Returns Pid -1 (and Socket -1) when no child could be
    // made. Thread-safe; one request at a time.
    TChildLink Spawn();
    // The zygote's pid, or -1 while none runs. Thread-safe.
    pid_t Pid() const;

private:
    void Start();
    void Stop(bool aKill);
    bool Ask(TChildLink &aLink) const;

    const std::function<void()> fPrepare;
    const std::function<int(int)> fWork;
    const TSandboxLimits fLimits;
    mutable std::mutex fLock;
    pid_t fPid = -1;
    int fControl = -1;
};
