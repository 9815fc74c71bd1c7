// Sandboxed children forked ahead of time, each waiting for one document, so that a request
// does not wait for a fork. A child serves one document and ends; a keeper thread has the
// zygote fork the next ones and reaps the finished ones.
#include "extractd/child_pool.h"

#include "extractd/extract_dispatch.h"
#include "extractd/fd_message.h"
#include "extractd/gate_points.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::size_t MaxTextField = 8192;

// The fixed part of a job message; the name and the password follow it.
struct TJobHeader
{
    std::uint64_t BodyBytes;
    std::uint64_t MaxMemoryBytes;
    std::uint32_t NameLength;
    std::uint32_t PasswordLength;
};

struct TReply
{
    std::int32_t Code;
    std::int32_t Type;
    std::uint64_t Characters;
    char Reason[192]; // ends with a NUL
};

bool SendJob(int aSocket, const TChildJob &aJob)
{
    TJobHeader header{aJob.BodyBytes, aJob.MaxMemoryBytes,
                      static_cast<std::uint32_t>(std::min(aJob.Name.size(), MaxTextField)),
                      static_cast<std::uint32_t>(std::min(aJob.Password.size(), MaxTextField))};
    std::string message(reinterpret_cast<const char *>(&header), sizeof header);
    message.append(aJob.Name, 0, header.NameLength);
    message.append(aJob.Password, 0, header.PasswordLength);
    const int fds[2] = {aJob.BodyFd, aJob.OutFd};
    return SendWithFds(aSocket, message, fds);
}

// The child's side: waits for one job, extracts it, answers with the report, ends.
int ServeOneJob(int aSocket)
{
    const TChildJobRunner runner; // while waiting anyway
    std::string buffer(sizeof(TJobHeader) + 2 * MaxTextField, '\0');
    int fds[2] = {-1, -1};
    ssize_t received = ReceiveWithFds(aSocket, buffer, fds);
    if (received == 0)
        return 0; // the server went away before sending work
    TJobHeader header{};
    if (received < static_cast<ssize_t>(sizeof header) || fds[0] < 0 || fds[1] < 0)
        return ceFailed;
    std::memcpy(&header, buffer.data(), sizeof header);
    if (sizeof header + header.NameLength + header.PasswordLength != static_cast<std::size_t>(received))
        return ceFailed;
    TChildJob job;
    job.BodyFd = fds[0];
    job.OutFd = fds[1];
    job.BodyBytes = header.BodyBytes;
    job.MaxMemoryBytes = header.MaxMemoryBytes;
    job.Name = buffer.substr(sizeof header, header.NameLength);
    job.Password = buffer.substr(sizeof header + header.NameLength, header.PasswordLength);
    PassGatePoint(GatePointExtracting);
    TChildReport report;
    int code = runner.Run(job, report);
    TReply reply{code, static_cast<std::int32_t>(report.Type), report.Characters, {}};
    report.Reason.copy(reply.Reason, sizeof reply.Reason - 1);
    send(aSocket, &reply, sizeof reply, MSG_NOSIGNAL);
    // Ending a process takes a while (its whole memory map is taken down): wait until the
    // server has sent its answer and closes the socket, so that the two do not compete.
    char end;
    while (recv(aSocket, &end, 1, 0) < 0 && errno == EINTR) {
    }
    return code;
}

} // namespace

TChildPool::TChildPool(unsigned aSpare, std::uint32_t aTimeoutMs)
    : fSpare(aSpare), fTimeoutMs(aTimeoutMs),
      fZygote([] { TChildJobRunner warmUp; }, ServeOneJob, TSandboxLimits{aTimeoutMs, {}}),
      fCancelled(eventfd(0, EFD_CLOEXEC)), fKeeper([this] { Keep(); })
{
}

TChildPool::~TChildPool()
{
    {
        std::lock_guard lock(fLock);
        fStopping = true;
    }
    fWake.notify_all();
    fKeeper.join();
    // A child reads the closed socket as the end of its service.
    for (const TChildLink &child : fWaiting)
        close(child.Socket);
    for (const TChildLink &child : fFinished)
        close(child.Socket);
    for (const TChildLink &child : fWaiting)
        EndSandboxed(child.Pid, WaitForExit(child.Pid, 1000));
    for (const TChildLink &child : fFinished)
        EndSandboxed(child.Pid, WaitForExit(child.Pid, 1000));
    if (fCancelled >= 0)
        close(fCancelled);
}

void TChildPool::Cancel()
{
    const std::uint64_t one = 1;
    while (fCancelled >= 0 && write(fCancelled, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

TChildLink TChildPool::Take()
{
    {
        std::lock_guard lock(fLock);
        if (!fWaiting.empty()) {
            TChildLink child = fWaiting.front();
            fWaiting.pop_front();
            return child;
        }
    }
    return fZygote.Spawn();
}

void TChildPool::Refill()
{
    {
        std::lock_guard lock(fLock);
        fRefill = true;
    }
    fWake.notify_all();
}

void TChildPool::Keep()
{
    std::unique_lock lock(fLock);
    while (true) {
        fWake.wait(lock, [this] { return fStopping || fRefill; });
        if (fStopping)
            break;
        fRefill = false;
        std::deque<TChildLink> finished;
        finished.swap(fFinished);
        // Let the finished children end while the new ones are forked.
        for (const TChildLink &child : finished)
            close(child.Socket);
        while (!fStopping && fWaiting.size() < fSpare) {
            lock.unlock();
            TChildLink child = fZygote.Spawn();
            lock.lock();
            if (child.Pid <= 0) {
                fWake.wait_for(lock, std::chrono::milliseconds(100)); // fork failed: do not spin
                break;
            }
            fWaiting.push_back(child);
        }
        lock.unlock();
        for (const TChildLink &child : finished)
            EndSandboxed(child.Pid, WaitForExit(child.Pid, 2000));
        lock.lock();
    }
}

TSandboxResult TChildPool::Run(const TChildJob &aJob, TChildReport &aReport)
{
    TChildLink child = Take();
    if (child.Pid > 0 && !SendJob(child.Socket, aJob)) {
        // The waiting child is gone (killed from outside): reap it and use a new one.
        close(child.Socket);
        EndSandboxed(child.Pid, true);
        child = fZygote.Spawn();
        if (child.Pid > 0 && !SendJob(child.Socket, aJob)) {
            close(child.Socket);
            EndSandboxed(child.Pid, true);
            child = TChildLink();
        }
    }
    if (child.Pid <= 0)
        return {};
    pollfd items[2] = {{child.Socket, POLLIN, 0}, {fCancelled, POLLIN, 0}};
    int rc;
    do {
        rc = poll(items, 2, static_cast<int>(fTimeoutMs));
    } while (rc < 0 && errno == EINTR);
    if (rc > 0 && items[0].revents == 0) {
        // The server stops: the child ends now, not at its time limit.
        close(child.Socket);
        TSandboxResult result = EndSandboxed(child.Pid, false);
        result.Outcome = TSandboxOutcome::soCancelled;
        return result;
    }
    TReply reply{};
    ssize_t received = rc > 0 ? recv(child.Socket, &reply, sizeof reply, 0) : -1;
    if (received == static_cast<ssize_t>(sizeof reply)) {
        aReport.Type = static_cast<TDocType>(reply.Type);
        aReport.Characters = reply.Characters;
        aReport.Reason.assign(reply.Reason, strnlen(reply.Reason, sizeof reply.Reason));
        {
            // The child ends when the keeper closes its socket, after this answer is out.
            std::lock_guard lock(fLock);
            fFinished.push_back(child);
        }
        TSandboxResult result;
        result.Outcome = TSandboxOutcome::soExited;
        result.ExitCode = reply.Code;
        return result;
    }
    // No answer: the child died (its socket closed) or the time ran out.
    close(child.Socket);
    return EndSandboxed(child.Pid, rc > 0 && WaitForExit(child.Pid, 1000));
}
