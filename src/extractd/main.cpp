// ordwell-extractd: the local text-extraction server. Parses the options and serves until
// SIGINT or SIGTERM, or, when started by the program with --parent-fd, until the program ends.
#include "extractd/child_job.h"
#include "extractd/extract_server.h"
#include "extractd/gate_points.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

// The server the stop threads end. Main takes it away, waiting for a stop in progress, before the
// server goes: the second of two stops (the program ended and its signal came) may come late.
std::mutex gStopLock;
TExtractServer *gStopTarget = nullptr;

void StopServer()
{
    std::lock_guard lock(gStopLock);
    if (gStopTarget)
        gStopTarget->Stop();
}

// Tells the starting program the port: "<port>\n" on its descriptor, which is then closed.
void AnnounceReady(int aFd, int aPort)
{
    const std::string line = std::to_string(aPort) + "\n";
    while (write(aFd, line.data(), line.size()) < 0 && errno == EINTR) {
    }
    close(aFd);
}

// Waits until the other end of aFd is closed (the starting program has ended, however it
// ended), then stops the server.
void StopWithParent(int aFd)
{
    std::thread([aFd] {
        pollfd watched{aFd, POLLIN, 0};
        char byte = 0;
        for (;;) {
            if (poll(&watched, 1, -1) < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            const ssize_t n = read(aFd, &byte, 1);
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
                break;
        }
        StopServer();
    }).detach();
}

} // namespace

int main(int argc, char **argv)
{
    TServerOptions options;
    try {
        options = ParseServerOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument &error) {
        std::fprintf(stderr, "ordwell-extractd: %s\n%s", error.what(), ServerUsage().c_str());
        return 2;
    }
    if (options.ShowHelp) {
        std::fputs(ServerUsage().c_str(), stdout);
        return 0;
    }
    if (options.ShowVersion) {
        std::printf("%s\n", ServerVersion().c_str());
        return 0;
    }

    // The signals that end the server go to one waiting thread; every other thread blocks them
    // (the sandboxed children unblock them again).
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    WarmUpLibraries();
    TExtractServer server(options);
    int port = server.Bind();
    if (port < 0) {
        std::fprintf(stderr, "ordwell-extractd: cannot listen on %s port %d\n", options.Host.c_str(),
                     options.Port);
        return 1;
    }
    std::fprintf(stderr, "ordwell-extractd listening on %s port %d (%u workers)\n", options.Host.c_str(),
                 port, options.Workers);
    std::fflush(stderr);
    PassGatePoint(GatePointBound);
    if (options.ReadyFd >= 0)
        AnnounceReady(options.ReadyFd, port);
    PassGatePoint(GatePointAnnounced);
    // Each stop comes once, maybe before Serve() runs: a stop sticks, so once is enough. A signal
    // that came before the waiting thread is pending (blocked) and reaches it.
    {
        std::lock_guard lock(gStopLock);
        gStopTarget = &server;
    }
    if (options.ParentFd >= 0)
        StopWithParent(options.ParentFd);
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        StopServer();
    });
    stopper.detach();
    PassGatePoint(GatePointWatching);
    bool ok = server.Serve();
    {
        std::lock_guard lock(gStopLock);
        gStopTarget = nullptr;
    }
    std::fprintf(stderr, "ordwell-extractd stopped\n");
    return ok ? 0 : 1;
}
