// The zygote that forks the sandboxed children, and the descriptor passing it relies on:
// children belong to the zygote's owner, a dead or hung zygote is replaced and reaped.
#include "extractd/child_zygote.h"
#include "extractd/fd_message.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <QDir>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The work of the test children: sends one byte on its socket, then ends with 7.
int AnswerAndEnd(int aSocket)
{
    char byte = 'x';
    return send(aSocket, &byte, 1, MSG_NOSIGNAL) == 1 ? 7 : 1;
}

TChildZygote MakeZygote(std::function<int(int)> aWork = AnswerAndEnd)
{
    TSandboxLimits limits;
    limits.TimeoutMs = 5000;
    return TChildZygote([] {}, std::move(aWork), limits);
}

// Expects a working child from aZygote: it answers on its socket and ends with 7.
void ExpectWorkingChild(TChildZygote &aZygote)
{
    TChildLink child = aZygote.Spawn();
    ASSERT_GT(child.Pid, 0);
    ASSERT_GE(child.Socket, 0);
    char byte = 0;
    EXPECT_EQ(recv(child.Socket, &byte, 1, 0), 1);
    EXPECT_EQ(byte, 'x');
    close(child.Socket);
    // EndSandboxed reaps with waitpid: it works only on this process's own children.
    TSandboxResult result = EndSandboxed(child.Pid, WaitForExit(child.Pid, 5000));
    EXPECT_EQ(result.Outcome, TSandboxOutcome::soExited);
    EXPECT_EQ(result.ExitCode, 7);
}

bool Reaped(pid_t aPid)
{
    return waitpid(aPid, nullptr, WNOHANG) < 0 && errno == ECHILD && kill(aPid, 0) != 0;
}

int OpenFdCount()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

} // namespace

TEST(ChildZygote, ItsChildrenAreTheCallersOwn)
{
    TChildZygote zygote = MakeZygote();
    ASSERT_GT(zygote.Pid(), 0);
    for (int i = 0; i < 3; ++i)
        ExpectWorkingChild(zygote);
}

TEST(ChildZygote, ACrashingChildIsReportedAsACrash)
{
    // abort() rather than a fault: sanitizer builds turn a fault into an ordinary exit.
    TChildZygote zygote = MakeZygote([](int) -> int { abort(); });
    TChildLink child = zygote.Spawn();
    ASSERT_GT(child.Pid, 0);
    TSandboxResult result = EndSandboxed(child.Pid, WaitForExit(child.Pid, 5000));
    close(child.Socket);
    EXPECT_EQ(result.Outcome, TSandboxOutcome::soCrashed);
    EXPECT_EQ(result.Signal, SIGABRT);
    // The zygote itself goes on.
    const pid_t zygotePid = zygote.Pid();
    TChildLink next = zygote.Spawn();
    ASSERT_GT(next.Pid, 0);
    EXPECT_EQ(EndSandboxed(next.Pid, WaitForExit(next.Pid, 5000)).Outcome, TSandboxOutcome::soCrashed);
    close(next.Socket);
    EXPECT_EQ(zygote.Pid(), zygotePid);
}

TEST(ChildZygote, ChildrenHoldOnlyTheirSocket)
{
    // A descriptor of the owner, open before the zygote starts, on a number no socket of the
    // zygote will take.
    constexpr int Inherited = 200;
    int other[2];
    ASSERT_EQ(pipe(other), 0);
    ASSERT_EQ(dup2(other[0], Inherited), Inherited);
    TChildZygote zygote = MakeZygote(
        [](int aSocket) { return fcntl(Inherited, F_GETFD) == -1 && fcntl(aSocket, F_GETFD) != -1 ? 0 : 1; });
    TChildLink child = zygote.Spawn();
    ASSERT_GT(child.Pid, 0);
    TSandboxResult result = EndSandboxed(child.Pid, WaitForExit(child.Pid, 5000));
    close(child.Socket);
    EXPECT_EQ(result.ExitCode, 0);
    for (int fd : {other[0], other[1], Inherited})
        close(fd);
}

TEST(ChildZygote, AKilledZygoteIsReapedAndReplaced)
{
    TChildZygote zygote = MakeZygote();
    const pid_t first = zygote.Pid();
    ASSERT_GT(first, 0);
    ASSERT_EQ(kill(first, SIGKILL), 0);
    ExpectWorkingChild(zygote);
    EXPECT_NE(zygote.Pid(), first);
    EXPECT_GT(zygote.Pid(), 0);
    EXPECT_TRUE(Reaped(first));
}

TEST(ChildZygote, AHungZygoteIsKilledAndReplaced)
{
    TChildZygote zygote = MakeZygote();
    const pid_t first = zygote.Pid();
    ASSERT_GT(first, 0);
    ASSERT_EQ(kill(first, SIGSTOP), 0);
    ExpectWorkingChild(zygote); // after the zygote's few seconds to answer
    EXPECT_NE(zygote.Pid(), first);
    EXPECT_TRUE(Reaped(first));
}

TEST(ChildZygote, ChildrenOutliveTheZygoteAndItsEndIsReaped)
{
    pid_t zygotePid = -1;
    TChildLink child;
    {
        TChildZygote zygote = MakeZygote();
        zygotePid = zygote.Pid();
        child = zygote.Spawn();
        ASSERT_GT(child.Pid, 0);
    }
    EXPECT_TRUE(Reaped(zygotePid));
    char byte = 0;
    EXPECT_EQ(recv(child.Socket, &byte, 1, 0), 1);
    close(child.Socket);
    TSandboxResult result = EndSandboxed(child.Pid, WaitForExit(child.Pid, 5000));
    EXPECT_EQ(result.ExitCode, 7);
}

TEST(FdMessage, DataAndDescriptorsArriveTogether)
{
    int pair[2], pipeFds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair), 0);
    ASSERT_EQ(pipe(pipeFds), 0);
    ASSERT_TRUE(SendWithFds(pair[0], "job", pipeFds));
    char buffer[16] = {};
    int fds[2] = {-1, -1};
    ASSERT_EQ(ReceiveWithFds(pair[1], buffer, fds), 3);
    EXPECT_EQ(std::string(buffer, 3), "job");
    ASSERT_GE(fds[0], 0);
    ASSERT_GE(fds[1], 0);
    EXPECT_NE(fcntl(fds[0], F_GETFD) & FD_CLOEXEC, 0);
    // The received write end feeds the original read end.
    ASSERT_EQ(write(fds[1], "z", 1), 1);
    char byte = 0;
    EXPECT_EQ(read(pipeFds[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'z');
    for (int fd : {pair[0], pair[1], pipeFds[0], pipeFds[1], fds[0], fds[1]})
        close(fd);
}

TEST(FdMessage, MissingDescriptorsLeaveEmptySlotsAndExtraOnesAreClosed)
{
    int pair[2], pipeFds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair), 0);
    ASSERT_EQ(pipe(pipeFds), 0);
    char buffer[16] = {};
    int fds[2] = {7, 7};
    ASSERT_TRUE(SendWithFds(pair[0], "none", {}));
    EXPECT_EQ(ReceiveWithFds(pair[1], buffer, fds), 4);
    EXPECT_EQ(fds[0], -1);
    EXPECT_EQ(fds[1], -1);

    const int before = OpenFdCount();
    ASSERT_TRUE(SendWithFds(pair[0], "two", pipeFds));
    int one = 7;
    EXPECT_EQ(ReceiveWithFds(pair[1], buffer, std::span<int>(&one, 1)), -1);
    EXPECT_EQ(one, -1);
    EXPECT_EQ(OpenFdCount(), before) << "a received descriptor leaked";

    close(pair[0]);
    EXPECT_EQ(ReceiveWithFds(pair[1], buffer, fds), 0); // the peer has gone
    for (int fd : {pair[1], pipeFds[0], pipeFds[1]})
        close(fd);
}
