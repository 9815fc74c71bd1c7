// Runs a piece of work in a child process with a CPU limit and a wall-clock kill, so that a
// crash, a runaway allocation or an endless loop in a document's parser ends only that child.
#pragma once

#include <cstdint>
#include <functional>
#include <sys/types.h>
#include <vector>

struct TSandboxLimits
{
    // Wall-clock limit; the child's process group is killed when it is reached.
    std::uint32_t TimeoutMs = 25000;
    // Descriptors the work needs; every other one above stderr is closed in the child, so that
    // a lingering child holds no other client's connection nor the listening socket.
    std::vector<int> KeepFds;
};

enum class TSandboxOutcome
{
    soExited,   // the work returned; ExitCode holds its result
    soCrashed,  // the child died from a signal (Signal)
    soTimedOut, // killed at the wall-clock limit
    soNotStarted,
    soCancelled // killed before its end because its owner stops
};

struct TSandboxResult
{
    TSandboxOutcome Outcome = TSandboxOutcome::soNotStarted;
    int ExitCode = -1;
    int Signal = 0;
};

// Forks a child in a process group of its own, limits its CPU time to the time-out (rounded
// up, plus one second), runs aWork there and ends the child with its result (0-255); an
// exception leaving aWork ends it with 255. Waits up to aLimits.TimeoutMs, then kills the whole
// group (helpers started by the child included). Whatever the outcome, no process of the group
// is left when this returns. Thread-safe; may run on many threads at once.
TSandboxResult RunSandboxed(const std::function<int()> &aWork, const TSandboxLimits &aLimits);

// The two halves of RunSandboxed, for callers that wait in their own way: StartSandboxed forks
// the child (returns its pid, or -1) and returns at once; EndSandboxed kills whatever is left of
// the child's group, reaps the child and reports how it ended (aExited false: timed out).
pid_t StartSandboxed(const std::function<int()> &aWork, const TSandboxLimits &aLimits);
TSandboxResult EndSandboxed(pid_t aPid, bool aExited);
// StartSandboxed for a zygote: the child becomes a child of the caller's parent (the server),
// which reaps it and kills its group with EndSandboxed as if it had forked it. The caller must
// be single-threaded: the child is made by the raw clone call, without the C library's fork
// handlers (its cached thread id still names the caller; the C library asks the kernel where it
// matters, as in abort). Returns the pid, or -1. The child makes its own process group; the
// parent should make it too (setpgid) before it may kill the group.
pid_t StartSandboxedSibling(const std::function<int()> &aWork, const TSandboxLimits &aLimits);
// Waits up to aTimeoutMs for aPid to end, without reaping it; true when it has ended.
bool WaitForExit(pid_t aPid, std::uint32_t aTimeoutMs);

// Closes every descriptor above stderr except those in aKeep.
void CloseOtherFds(std::vector<int> aKeep);

// The bytes of address space the calling process has mapped (0 when it cannot be read).
std::uint64_t MappedBytes();
// In the child: limits the address space to aBaseBytes (by default what is mapped now) plus
// aMaxBytes, so that what is mapped already, a document included, does not count against the
// budget. Returns false on failure.
bool LimitAddressSpace(std::uint64_t aMaxBytes, std::uint64_t aBaseBytes = MappedBytes());
