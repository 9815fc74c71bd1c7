// A helper server started as a child of this program: it listens on a free loopback port it
// reports when it is ready, and it ends when this program ends, however this program ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

class TChildServer
{
public:
    // Starts aProgram with aArguments followed by "--ready-fd N --parent-fd M": the program
    // writes its port ("<port>\n") to descriptor N once it listens, and ends when descriptor M
    // reports the end of its pipe. The child also gets SIGTERM when the thread that started it
    // ends (that thread lives as long as this object). Its standard streams are /dev/null.
    // Waits at most aReadyTimeout for the port; on failure returns null, the child ended, with
    // aError saying why in English. Any thread.
    static std::unique_ptr<TChildServer> Start(const std::string &aProgram,
                                               const std::vector<std::string> &aArguments,
                                               std::chrono::milliseconds aReadyTimeout, std::string &aError);
    // Ends the server: SIGTERM, then SIGKILL when it has not ended within two seconds.
    ~TChildServer();
    TChildServer(const TChildServer &) = delete;
    TChildServer &operator=(const TChildServer &) = delete;

    struct TState;
    // Used by Start only (TState is private to the implementation).
    explicit TChildServer(std::shared_ptr<TState> aState);

    uint16_t Port() const { return fPort; }
    pid_t Pid() const { return fPid; }
    // False once the server has ended on its own. Any thread.
    bool IsRunning() const;

private:
    std::shared_ptr<TState> fState;
    uint16_t fPort = 0;
    pid_t fPid = -1;
};
