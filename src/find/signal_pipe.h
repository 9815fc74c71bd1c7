// Interrupt and termination signals turned into calls on the main thread: the handler only writes
// the signal's number into a pipe, and a socket notifier reads it in the event loop.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

// One per process (the handler needs the pipe's write end in a static). Main thread only.
class TSignalPipe
{
public:
    using THandler = std::function<void(int aSignal)>;

    // Catches SIGINT, SIGTERM and SIGHUP (restarting interrupted calls) and ignores SIGPIPE, so
    // a write to a closed pipe fails with EPIPE instead of ending the program mid-record.
    // aHandler runs on the main thread from its event loop, once per signal received.
    explicit TSignalPipe(THandler aHandler);
    // Gives every signal back its default action.
    ~TSignalPipe();
    TSignalPipe(const TSignalPipe &) = delete;
    TSignalPipe &operator=(const TSignalPipe &) = delete;

    // Runs the handler for signals caught but not handled yet: the event loop may have ended
    // before it read them.
    void HandlePending() { ReadSignals(); }

    // Ends the process by aSignal with its default action (after the program has cleaned up), so
    // that the shell sees how it ended. Does not return.
    [[noreturn]] static void EndBySignal(int aSignal);

private:
    void ReadSignals();

    THandler fHandler;
    int fReadFd = -1;
    std::unique_ptr<QSocketNotifier> fNotifier;
};
