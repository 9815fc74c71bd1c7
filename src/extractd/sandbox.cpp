// Runs a piece of work in a child process with a CPU limit and a wall-clock kill, so that a
// crash, a runaway allocation or an endless loop in a document's parser ends only that child.
#include "extractd/sandbox.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

void CloseOtherFds(std::vector<int> aKeep)
{
    std::sort(aKeep.begin(), aKeep.end());
    unsigned from = 3;
    for (int fd : aKeep) {
        if (fd < static_cast<int>(from))
            continue;
        if (static_cast<unsigned>(fd) > from)
            close_range(from, static_cast<unsigned>(fd) - 1, 0);
        from = static_cast<unsigned>(fd) + 1;
    }
    close_range(from, ~0u, 0);
}

namespace {

[[noreturn]] void RunChild(const std::function<int()> &aWork, const TSandboxLimits &aLimits)
{
    setpgid(0, 0);
    CloseOtherFds(aLimits.KeepFds);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    signal(SIGCHLD, SIG_DFL);
    rlimit core{0, 0};
    setrlimit(RLIMIT_CORE, &core);
    rlim_t seconds = (aLimits.TimeoutMs + 999) / 1000 + 1;
    rlimit cpu{seconds, seconds + 1};
    setrlimit(RLIMIT_CPU, &cpu);
    int code = 255;
    try {
        code = aWork();
    } catch (...) {
        code = 255;
    }
    _exit(code & 0xFF);
}

} // namespace

bool WaitForExit(pid_t aPid, std::uint32_t aTimeoutMs)
{
    int pidFd = static_cast<int>(syscall(SYS_pidfd_open, aPid, 0));
    if (pidFd >= 0) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(aTimeoutMs);
        int rc;
        do {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd item{pidFd, POLLIN, 0};
            rc = poll(&item, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        } while (rc < 0 && errno == EINTR);
        close(pidFd);
        return rc > 0;
    }
    // Without pidfd support: look every few milliseconds, without reaping.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(aTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(aPid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == aPid)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

pid_t StartSandboxed(const std::function<int()> &aWork, const TSandboxLimits &aLimits)
{
    pid_t pid = fork();
    if (pid == 0)
        RunChild(aWork, aLimits);
    if (pid > 0)
        setpgid(pid, pid); // also here, so that the group exists before any kill
    return pid;
}

pid_t StartSandboxedSibling(const std::function<int()> &aWork, const TSandboxLimits &aLimits)
{
    pid_t pid = static_cast<pid_t>(syscall(SYS_clone, CLONE_PARENT | SIGCHLD, nullptr, nullptr, nullptr, 0));
    if (pid == 0)
        RunChild(aWork, aLimits);
    return pid;
}

TSandboxResult EndSandboxed(pid_t aPid, bool aExited)
{
    TSandboxResult result;
    if (aPid <= 0)
        return result; // kill(-pid) on 0 or -1 would reach far more than one child
    // The child is a zombie or still running: its process group cannot be reused yet, so
    // killing the group reaches exactly its helpers.
    kill(-aPid, SIGKILL);
    kill(aPid, SIGKILL);
    int status = 0;
    while (waitpid(aPid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!aExited) {
        result.Outcome = TSandboxOutcome::soTimedOut;
    } else if (WIFEXITED(status)) {
        result.Outcome = TSandboxOutcome::soExited;
        result.ExitCode = WEXITSTATUS(status);
    } else {
        result.Outcome = TSandboxOutcome::soCrashed;
        result.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    return result;
}

TSandboxResult RunSandboxed(const std::function<int()> &aWork, const TSandboxLimits &aLimits)
{
    pid_t pid = StartSandboxed(aWork, aLimits);
    if (pid < 0)
        return {};
    return EndSandboxed(pid, WaitForExit(pid, aLimits.TimeoutMs));
}

std::uint64_t MappedBytes()
{
    // Raw reads: stdio may not be used freely in a child forked from a threaded server.
    unsigned long long pages = 0;
    int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        char text[64] = {};
        if (read(fd, text, sizeof text - 1) > 0)
            pages = std::strtoull(text, nullptr, 10);
        close(fd);
    }
    return pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE));
}

bool LimitAddressSpace(std::uint64_t aMaxBytes, std::uint64_t aBaseBytes)
{
    rlim_t limit = static_cast<rlim_t>(aBaseBytes + aMaxBytes);
    rlimit as{limit, limit};
    return setrlimit(RLIMIT_AS, &as) == 0;
}
