// The self-pipe of ordwell-find's signals.
#include "find/signal_pipe.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <QSocketNotifier>
#include <unistd.h>

namespace {

// The pipe's write end for the handler; -1 while no TSignalPipe exists.
volatile sig_atomic_t gSignalWriteFd = -1;

constexpr int cCaughtSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void WriteSignalNumber(int aSignal)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(aSignal);
    if (gSignalWriteFd >= 0) [[maybe_unused]]
        const ssize_t written = ::write(gSignalWriteFd, &number, 1);
    errno = savedErrno;
}

void SetAction(int aSignal, void (*aHandler)(int))
{
    struct sigaction action = {};
    action.sa_handler = aHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(aSignal, &action, nullptr);
}

} // namespace

TSignalPipe::TSignalPipe(THandler aHandler) : fHandler(std::move(aHandler))
{
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        fReadFd = fds[0];
        gSignalWriteFd = fds[1];
        fNotifier = std::make_unique<QSocketNotifier>(fReadFd, QSocketNotifier::Read);
        QObject::connect(fNotifier.get(), &QSocketNotifier::activated, [this] { ReadSignals(); });
        for (int signal : cCaughtSignals)
            SetAction(signal, WriteSignalNumber);
    }
    SetAction(SIGPIPE, SIG_IGN);
}

TSignalPipe::~TSignalPipe()
{
    for (int signal : cCaughtSignals)
        SetAction(signal, SIG_DFL);
    SetAction(SIGPIPE, SIG_DFL);
    fNotifier.reset();
    if (gSignalWriteFd >= 0)
        ::close(gSignalWriteFd);
    gSignalWriteFd = -1;
    if (fReadFd >= 0)
        ::close(fReadFd);
}

void TSignalPipe::ReadSignals()
{
    unsigned char numbers[16];
    for (;;) {
        const ssize_t count = ::read(fReadFd, numbers, sizeof numbers);
        if (count <= 0)
            return;
        for (ssize_t i = 0; i < count; ++i)
            fHandler(numbers[i]);
    }
}

void TSignalPipe::EndBySignal(int aSignal)
{
    SetAction(aSignal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, aSignal);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(aSignal);
    // A signal that does not end the process (none of those caught) still ends the run.
    std::_Exit(128 + aSignal);
}
