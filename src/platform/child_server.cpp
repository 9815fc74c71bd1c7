// The child server: started, watched and ended by one keeper thread, so that the child's
// parent-death signal is tied to a thread that lives exactly as long as the server should.
#include "platform/child_server.h"

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/close_range.h>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Time the server gets to end after SIGTERM before it is killed.
constexpr int kTermGraceMs = 2000;

// A descriptor closed when it goes out of scope.
class TFd
{
public:
    explicit TFd(int aFd = -1) : fFd(aFd) {}
    ~TFd() { Reset(); }
    TFd(const TFd &) = delete;
    TFd &operator=(const TFd &) = delete;
    int Get() const { return fFd; }
    void Reset()
    {
        if (fFd >= 0)
            close(fFd);
        fFd = -1;
    }

private:
    int fFd;
};

std::string ErrnoText(const char *aWhat)
{
    return std::string(aWhat) + ": " + std::strerror(errno);
}

// Waits for aPid to end for at most aTimeoutMs; true when it has ended and has been reaped.
bool ReapWithin(pid_t aPid, int aPidFd, int aTimeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(aTimeoutMs);
    if (aPidFd >= 0) {
        pollfd ended{aPidFd, POLLIN, 0};
        while (poll(&ended, 1, aTimeoutMs) < 0 && errno == EINTR) {
        }
    }
    for (;;) {
        const pid_t result = waitpid(aPid, nullptr, WNOHANG);
        if (result == aPid || (result < 0 && errno != EINTR))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        // Without a process descriptor (an old kernel) the end is polled.
        pollfd none{-1, 0, 0};
        poll(&none, 0, 20);
    }
}

void EndChild(pid_t aPid, int aPidFd)
{
    kill(aPid, SIGTERM);
    if (ReapWithin(aPid, aPidFd, kTermGraceMs))
        return;
    kill(aPid, SIGKILL);
    while (waitpid(aPid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// Reads the port line from the ready pipe within aTimeout; 0 when none came.
uint16_t ReadPort(int aFd, std::chrono::milliseconds aTimeout, std::string &aError)
{
    const auto deadline = std::chrono::steady_clock::now() + aTimeout;
    std::string line;
    char buffer[16];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            aError = "it did not report its port within " + std::to_string(aTimeout.count()) + " ms";
            return 0;
        }
        pollfd ready{aFd, POLLIN, 0};
        const int polled = poll(&ready, 1, int(left.count()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            continue;
        const ssize_t n = read(aFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        line.append(buffer, size_t(n));
        if (line.find('\n') != std::string::npos || line.size() > 8)
            break;
    }
    unsigned long port = 0;
    if (!line.empty() && line.find('\n') != std::string::npos)
        port = std::strtoul(line.c_str(), nullptr, 10);
    if (port == 0 || port > 65535) {
        aError = "it ended before it listened";
        return 0;
    }
    return uint16_t(port);
}

} // namespace

struct TChildServer::TState
{
    std::mutex fLock;
    std::condition_variable fChanged;
    bool fStarted = false; // the keeper has a result: fPort (0 on failure) and fError
    uint16_t fPort = 0;
    pid_t fPid = -1;
    std::string fError;
    bool fEnded = false;
    TFd fStop{eventfd(0, EFD_CLOEXEC)};
    std::thread fKeeper;

    void Publish(uint16_t aPort, pid_t aPid, std::string aError)
    {
        std::lock_guard lock(fLock);
        fStarted = true;
        fPort = aPort;
        fPid = aPid;
        fError = std::move(aError);
        fChanged.notify_all();
    }

    // The keeper thread: starts the child, hands its port over, then waits for the child's end
    // or for the request to end it.
    void Keep(const std::string &aProgram, const std::vector<std::string> &aArguments,
              std::chrono::milliseconds aReadyTimeout)
    {
        int readyPipe[2];
        int watchPipe[2];
        if (pipe2(readyPipe, O_CLOEXEC) != 0) {
            Publish(0, -1, ErrnoText("pipe"));
            return;
        }
        TFd readyRead(readyPipe[0]);
        TFd readyWrite(readyPipe[1]);
        if (pipe2(watchPipe, O_CLOEXEC) != 0) {
            Publish(0, -1, ErrnoText("pipe"));
            return;
        }
        TFd watchRead(watchPipe[0]);
        TFd watchWrite(watchPipe[1]);
        TFd devNull(open("/dev/null", O_RDWR | O_CLOEXEC));

        // Everything the child needs is made before the fork: after it, only calls that are safe
        // in the child of a threaded program.
        std::vector<std::string> arguments = aArguments;
        arguments.insert(arguments.end(), {"--ready-fd", std::to_string(readyWrite.Get()), "--parent-fd",
                                           std::to_string(watchRead.Get())});
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(aProgram.c_str()));
        for (std::string &argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const pid_t parent = getpid();
        const int keep[2] = {readyWrite.Get(), watchRead.Get()};

        const pid_t pid = fork();
        if (pid < 0) {
            Publish(0, -1, ErrnoText("fork"));
            return;
        }
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                _exit(127);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            signal(SIGPIPE, SIG_DFL);
            if (devNull.Get() >= 0)
                for (int stream = 0; stream < 3; ++stream)
                    dup2(devNull.Get(), stream);
            syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC);
            for (int fd : keep)
                fcntl(fd, F_SETFD, 0);
            execv(aProgram.c_str(), argv.data());
            _exit(127);
        }
        readyWrite.Reset();
        watchRead.Reset();
        TFd pidFd(int(syscall(SYS_pidfd_open, pid, 0)));

        std::string error;
        const uint16_t port = ReadPort(readyRead.Get(), aReadyTimeout, error);
        if (port == 0) {
            EndChild(pid, pidFd.Get());
            Publish(0, -1, error);
            return;
        }
        Publish(port, pid, {});

        // The write end of the watch pipe stays open here until the server is to end.
        pollfd watched[2] = {{fStop.Get(), POLLIN, 0}, {pidFd.Get(), POLLIN, 0}};
        for (;;) {
            const int polled = poll(watched, pidFd.Get() >= 0 ? 2 : 1, pidFd.Get() >= 0 ? -1 : 1000);
            if (polled < 0 && errno == EINTR)
                continue;
            if (watched[0].revents != 0) {
                EndChild(pid, pidFd.Get());
                break;
            }
            if ((pidFd.Get() >= 0 && watched[1].revents != 0) || waitpid(pid, nullptr, WNOHANG) == pid) {
                while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
                }
                break;
            }
        }
        std::lock_guard lock(fLock);
        fEnded = true;
    }
};

std::unique_ptr<TChildServer> TChildServer::Start(const std::string &aProgram,
                                                  const std::vector<std::string> &aArguments,
                                                  std::chrono::milliseconds aReadyTimeout,
                                                  std::string &aError)
{
    aError.clear();
    if (access(aProgram.c_str(), X_OK) != 0) {
        aError = ErrnoText(aProgram.c_str());
        return nullptr;
    }
    auto state = std::make_shared<TState>();
    if (state->fStop.Get() < 0) {
        aError = ErrnoText("eventfd");
        return nullptr;
    }
    state->fKeeper = std::thread([state = state.get(), aProgram, aArguments, aReadyTimeout] {
        state->Keep(aProgram, aArguments, aReadyTimeout);
    });
    std::unique_lock lock(state->fLock);
    state->fChanged.wait(lock, [&] { return state->fStarted; });
    if (state->fPort == 0) {
        aError = state->fError;
        lock.unlock();
        state->fKeeper.join();
        return nullptr;
    }
    lock.unlock();
    return std::make_unique<TChildServer>(std::move(state));
}

TChildServer::TChildServer(std::shared_ptr<TState> aState) : fState(std::move(aState))
{
    fPort = fState->fPort;
    fPid = fState->fPid;
}

TChildServer::~TChildServer()
{
    const uint64_t one = 1;
    while (write(fState->fStop.Get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
    fState->fKeeper.join();
}

bool TChildServer::IsRunning() const
{
    {
        std::lock_guard lock(fState->fLock);
        if (fState->fEnded)
            return false;
    }
    // Asked of the process itself, without reaping it (the keeper does): an ended child that the
    // keeper has not yet seen counts as ended.
    siginfo_t info{};
    if (waitid(P_PID, id_t(fPid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return errno == EINTR;
    return info.si_pid != fPid;
}
