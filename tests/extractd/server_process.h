// Starts ordwell-extractd on a free loopback port for a test and stops it again.
#pragma once

#include <httplib.h>
#include <memory>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

class TServerProcess
{
public:
    // Starts the server with aExtraArgs; fails the current test (ADD_FAILURE) when it does not
    // report its port within a few seconds. With aGatePath the server reports its named points
    // to that gate (ORDWELL_EXTRACTD_GATE, see support/server_gate.h).
    explicit TServerProcess(const QStringList &aExtraArgs = {}, const QString &aGatePath = {});
    ~TServerProcess();

    int Port() const { return fPort; }
    bool Running() const;
    qint64 Pid() const;
    // A client for the server with a generous read time-out.
    std::unique_ptr<httplib::Client> Client() const;
    // PUT aBody to /tika with Accept: text/plain and the given extra headers.
    httplib::Result Put(const std::string &aBody, const httplib::Headers &aHeaders = {}) const;
    // Child processes of the server that are still alive (its zygote and the waiting children
    // included).
    int ChildCount() const;
    // Processes started by the server's children (helper programs) that are still alive.
    int GrandchildCount() const;
    // The pids of the server's live children.
    QList<qint64> ChildPids() const;
    // The pid of the zygote that forks the server's children, or 0 when none runs.
    qint64 ZygotePid() const;
    // Children of the server that have ended and are not reaped yet.
    int ZombieCount() const;
    // Sends aSignal to the server and waits for it to end; true when it ended with status 0.
    bool Stop(int aSignal);
    // The server's log so far.
    std::string Log() const;

private:
    QTemporaryDir fDir;
    QProcess fProcess;
    int fPort = -1;
};

// Expects that, once the answers are out, the server has at most aWorkers children waiting for
// the next documents besides its zygote, no zombie, and that no helper program started by a
// child is alive.
void ExpectNothingLeftBehind(const TServerProcess &aServer, int aWorkers);
// The folder of the shared test corpus, or "" when it is absent.
std::string CorpusDir();
// The bytes of a file ("" when it cannot be read).
std::string ReadFileBytes(const std::string &aPath);
// aText with each run of white space replaced by one space.
std::string CollapseSpaces(const std::string &aText);
