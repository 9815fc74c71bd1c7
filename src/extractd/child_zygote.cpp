// A small single-threaded process that forks the sandboxed children for the server. It is
// forked before the server starts any thread and holds little memory, so a fork from it is
// cheap and the server's own memory stays unshared.
#include "extractd/child_zygote.h"

#include "extractd/fd_message.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// How long the server waits for the zygote's answer before it counts the zygote as hung.
constexpr int AnswerTimeoutMs = 5000;

// The zygote's side: one request byte in, one pid (and the socket when the fork worked) out,
// until the server closes its end.
[[noreturn]] void RunZygote(int aControl, const std::function<void()> &aPrepare,
                            const std::function<int(int)> &aWork, const TSandboxLimits &aLimits)
{
    setpgid(0, 0); // away from the terminal's signals: the server ends it by closing the socket
    CloseOtherFds({aControl});
    char name[16] = {};
    prctl(PR_GET_NAME, name);
    prctl(PR_SET_NAME, "ordwell-zygote");
    signal(SIGPIPE, SIG_IGN);
    try {
        aPrepare();
    } catch (...) {
    }
    while (true) {
        char request = 0;
        ssize_t n = recv(aControl, &request, 1, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            _exit(0);
        pid_t pid = -1;
        int pair[2] = {-1, -1};
        if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) == 0) {
            TSandboxLimits limits = aLimits;
            limits.KeepFds = {pair[1]};
            const int childEnd = pair[1];
            pid = StartSandboxedSibling(
                [&aWork, &name, childEnd] {
                    prctl(PR_SET_NAME, name); // the children go by the server's name
                    return aWork(childEnd);
                },
                limits);
            close(pair[1]);
        }
        std::string_view answer(reinterpret_cast<const char *>(&pid), sizeof pid);
        if (pid > 0)
            SendWithFds(aControl, answer, std::span<const int>(pair, 1));
        else
            SendWithFds(aControl, answer, {});
        if (pair[0] >= 0)
            close(pair[0]);
    }
}

} // namespace

TChildZygote::TChildZygote(std::function<void()> aPrepare, std::function<int(int)> aWork,
                           TSandboxLimits aLimits)
    : fPrepare(std::move(aPrepare)), fWork(std::move(aWork)), fLimits(std::move(aLimits))
{
    Start();
}

TChildZygote::~TChildZygote()
{
    Stop(false);
}

pid_t TChildZygote::Pid() const
{
    std::lock_guard lock(fLock);
    return fPid;
}

void TChildZygote::Start()
{
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
        return;
    pid_t pid = fork();
    if (pid == 0)
        RunZygote(pair[1], fPrepare, fWork, fLimits);
    close(pair[1]);
    if (pid < 0) {
        close(pair[0]);
        return;
    }
    setpgid(pid, pid);
    fPid = pid;
    fControl = pair[0];
}

void TChildZygote::Stop(bool aKill)
{
    if (fControl >= 0)
        close(fControl);
    fControl = -1;
    if (fPid <= 0)
        return;
    // Closing the socket ends a healthy zygote at once; a hung one is killed.
    if (aKill || !WaitForExit(fPid, 1000))
        kill(fPid, SIGKILL);
    while (waitpid(fPid, nullptr, 0) < 0 && errno == EINTR) {
    }
    fPid = -1;
}

// Returns false when the zygote did not answer; true with aLink.Pid -1 when its fork failed.
bool TChildZygote::Ask(TChildLink &aLink) const
{
    aLink = TChildLink();
    if (fControl < 0 || !SendWithFds(fControl, "s", {}))
        return false;
    pollfd item{fControl, POLLIN, 0};
    int rc;
    do {
        rc = poll(&item, 1, AnswerTimeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc <= 0)
        return false;
    pid_t pid = -1;
    int fd = -1;
    ssize_t n = ReceiveWithFds(fControl, std::span<char>(reinterpret_cast<char *>(&pid), sizeof pid),
                               std::span<int>(&fd, 1));
    if (n != static_cast<ssize_t>(sizeof pid))
        return false;
    if (pid <= 0)
        return true;
    // Also here, so that the group exists before any kill.
    setpgid(pid, pid);
    if (fd < 0) {
        EndSandboxed(pid, true);
        return false;
    }
    aLink.Pid = pid;
    aLink.Socket = fd;
    return true;
}

TChildLink TChildZygote::Spawn()
{
    std::lock_guard lock(fLock);
    TChildLink link;
    if (Ask(link))
        return link;
    // The zygote died or hangs: start a new one and ask once more. Forked from this process,
    // threaded by now, the new zygote holds a copy of its memory: its forks cost more than the
    // first zygote's, but they work the same.
    Stop(true);
    Start();
    Ask(link);
    return link;
}
