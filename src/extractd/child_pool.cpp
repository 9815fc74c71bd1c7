// Sandboxed children forked ahead of time, each waiting for one document, so that a request
// does not wait for a fork. A child serves one document and ends; a keeper thread forks the
// next ones and reaps the finished ones.
#include "extractd/child_pool.h"

#include "extractd/extract_dispatch.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
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
};

// A socket message over aData with room for the two descriptors of a job.
struct TFdMessage
{
    TFdMessage(void *aData, std::size_t aLength) : Data{aData, aLength}
    {
        Header.msg_iov = &Data;
        Header.msg_iovlen = 1;
        Header.msg_control = Control;
        Header.msg_controllen = sizeof Control;
    }
    TFdMessage(const TFdMessage &) = delete;
    TFdMessage &operator=(const TFdMessage &) = delete;

    iovec Data;
    alignas(cmsghdr) char Control[CMSG_SPACE(2 * sizeof(int))] = {};
    msghdr Header{};
};

bool SendJob(int aSocket, const TChildJob &aJob)
{
    TJobHeader header{aJob.BodyBytes, aJob.MaxMemoryBytes,
                      static_cast<std::uint32_t>(std::min(aJob.Name.size(), MaxTextField)),
                      static_cast<std::uint32_t>(std::min(aJob.Password.size(), MaxTextField))};
    std::string message(reinterpret_cast<const char *>(&header), sizeof header);
    message.append(aJob.Name, 0, header.NameLength);
    message.append(aJob.Password, 0, header.PasswordLength);
    int fds[2] = {aJob.BodyFd, aJob.OutFd};
    TFdMessage msg(message.data(), message.size());
    cmsghdr *cmsg = CMSG_FIRSTHDR(&msg.Header);
    cmsg->cmsg_level = SOL_SOCKET;
    cmsg->cmsg_type = SCM_RIGHTS;
    cmsg->cmsg_len = CMSG_LEN(sizeof fds);
    std::memcpy(CMSG_DATA(cmsg), fds, sizeof fds);
    ssize_t sent;
    do {
        sent = sendmsg(aSocket, &msg.Header, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(message.size());
}

// The child's side: waits for one job, extracts it, answers with the report, ends.
int ServeOneJob(int aSocket)
{
    // While waiting anyway: touch what every document needs (a copy-on-write page each), so
    // that the request does not pay for it.
    {
        TTextSink sink(1024);
        ExtractDocument(TDocument{"warm-up", ""}, sink, "");
    }
    std::string buffer(sizeof(TJobHeader) + 2 * MaxTextField, '\0');
    int fds[2] = {-1, -1};
    TFdMessage msg(buffer.data(), buffer.size());
    ssize_t received;
    do {
        received = recvmsg(aSocket, &msg.Header, MSG_CMSG_CLOEXEC);
    } while (received < 0 && errno == EINTR);
    if (received <= 0)
        return 0; // the server went away before sending work
    cmsghdr *cmsg = CMSG_FIRSTHDR(&msg.Header);
    TJobHeader header{};
    if (cmsg == nullptr || cmsg->cmsg_type != SCM_RIGHTS || cmsg->cmsg_len != CMSG_LEN(sizeof fds) ||
        static_cast<std::size_t>(received) < sizeof header)
        return ceFailed;
    std::memcpy(fds, CMSG_DATA(cmsg), sizeof fds);
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
    TChildReport report;
    int code = RunChildJob(job, report);
    TReply reply{code, static_cast<std::int32_t>(report.Type), report.Characters};
    send(aSocket, &reply, sizeof reply, MSG_NOSIGNAL);
    return code;
}

} // namespace

TChildPool::TChildPool(unsigned aSpare, std::uint32_t aTimeoutMs)
    : fSpare(aSpare), fTimeoutMs(aTimeoutMs), fKeeper([this] { Keep(); })
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
    // A waiting child reads the closed socket as the end of its service.
    for (const TWaiting &child : fWaiting) {
        close(child.Socket);
        EndSandboxed(child.Pid, WaitForExit(child.Pid, 1000));
    }
    for (pid_t pid : fFinished)
        EndSandboxed(pid, WaitForExit(pid, 1000));
}

TChildPool::TWaiting TChildPool::Spawn() const
{
    TWaiting child;
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
        return child;
    TSandboxLimits limits;
    limits.TimeoutMs = fTimeoutMs;
    limits.KeepFds = {pair[1]};
    const int childEnd = pair[1];
    child.Pid = StartSandboxed([childEnd] { return ServeOneJob(childEnd); }, limits);
    close(pair[1]);
    if (child.Pid < 0) {
        close(pair[0]);
        return child;
    }
    child.Socket = pair[0];
    return child;
}

TChildPool::TWaiting TChildPool::Take()
{
    {
        std::lock_guard lock(fLock);
        if (!fWaiting.empty()) {
            TWaiting child = fWaiting.front();
            fWaiting.pop_front();
            return child;
        }
    }
    return Spawn();
}

void TChildPool::Keep()
{
    std::unique_lock lock(fLock);
    while (!fStopping) {
        fWake.wait(lock, [this] { return fStopping || fWaiting.size() < fSpare || !fFinished.empty(); });
        if (fStopping)
            break;
        std::deque<pid_t> finished;
        finished.swap(fFinished);
        bool needChild = fWaiting.size() < fSpare;
        lock.unlock();
        for (pid_t pid : finished)
            EndSandboxed(pid, WaitForExit(pid, 2000));
        TWaiting child;
        if (needChild)
            child = Spawn();
        lock.lock();
        if (child.Pid > 0)
            fWaiting.push_back(child);
        else if (needChild)
            fWake.wait_for(lock, std::chrono::milliseconds(100)); // fork failed: do not spin
    }
}

TSandboxResult TChildPool::Run(const TChildJob &aJob, TChildReport &aReport)
{
    // The replacement is forked once this document is done: a fork stalls the whole server's
    // memory map for a moment, which would lengthen this request.
    struct TRefill
    {
        std::condition_variable &Wake;
        ~TRefill() { Wake.notify_all(); }
    } refill{fWake};
    TWaiting child = Take();
    if (child.Pid > 0 && !SendJob(child.Socket, aJob)) {
        // The waiting child is gone (killed from outside): reap it and use a new one.
        close(child.Socket);
        EndSandboxed(child.Pid, true);
        child = Spawn();
        if (child.Pid > 0 && !SendJob(child.Socket, aJob)) {
            close(child.Socket);
            EndSandboxed(child.Pid, true);
            child = TWaiting();
        }
    }
    if (child.Pid <= 0)
        return {};
    pollfd item{child.Socket, POLLIN, 0};
    int rc;
    do {
        rc = poll(&item, 1, static_cast<int>(fTimeoutMs));
    } while (rc < 0 && errno == EINTR);
    TReply reply{};
    ssize_t received = rc > 0 ? recv(child.Socket, &reply, sizeof reply, 0) : -1;
    close(child.Socket);
    if (received == static_cast<ssize_t>(sizeof reply)) {
        aReport.Type = static_cast<TDocType>(reply.Type);
        aReport.Characters = reply.Characters;
        {
            std::lock_guard lock(fLock);
            fFinished.push_back(child.Pid);
        }
        TSandboxResult result;
        result.Outcome = TSandboxOutcome::soExited;
        result.ExitCode = reply.Code;
        return result;
    }
    // No answer: the child died (its socket closed) or the time ran out.
    return EndSandboxed(child.Pid, rc > 0 && WaitForExit(child.Pid, 1000));
}
