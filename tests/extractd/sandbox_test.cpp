// The sandbox: results, crashes, runaway memory, endless loops and helpers left behind.
#include "extractd/sandbox.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

TEST(Sandbox, ReturnsTheWorksResult)
{
    TSandboxResult result = RunSandboxed([] { return 7; }, {});
    EXPECT_EQ(result.Outcome, TSandboxOutcome::soExited);
    EXPECT_EQ(result.ExitCode, 7);
}

TEST(Sandbox, AnExceptionEndsTheChildWith255)
{
    TSandboxResult result = RunSandboxed([]() -> int { throw std::runtime_error("x"); }, {});
    EXPECT_EQ(result.Outcome, TSandboxOutcome::soExited);
    EXPECT_EQ(result.ExitCode, 255);
}

TEST(Sandbox, ACrashIsReportedAndTheCallerGoesOn)
{
    // abort() rather than a fault: sanitizer builds turn a fault into an ordinary exit.
    TSandboxResult result = RunSandboxed(
        [] {
            abort();
            return 0;
        },
        {});
    EXPECT_EQ(result.Outcome, TSandboxOutcome::soCrashed);
    EXPECT_EQ(result.Signal, SIGABRT);
}

TEST(Sandbox, AnEndlessLoopIsKilledAtTheTimeOut)
{
    TSandboxLimits limits;
    limits.TimeoutMs = 300;
    TSandboxResult result = RunSandboxed(
        [] {
            while (true)
                pause();
            return 0;
        },
        limits);
    EXPECT_EQ(result.Outcome, TSandboxOutcome::soTimedOut);
}

TEST(Sandbox, OnlyTheKeptDescriptorsReachTheChild)
{
    int kept[2], other[2];
    ASSERT_EQ(pipe(kept), 0);
    ASSERT_EQ(pipe(other), 0);
    TSandboxLimits limits;
    limits.KeepFds = {kept[1]};
    TSandboxResult result = RunSandboxed(
        [&] {
            bool keptOpen = fcntl(kept[1], F_GETFD) != -1;
            bool otherClosed = fcntl(other[0], F_GETFD) == -1 && fcntl(other[1], F_GETFD) == -1;
            return keptOpen && otherClosed ? 0 : 1;
        },
        limits);
    EXPECT_EQ(result.ExitCode, 0);
    for (int fd : {kept[0], kept[1], other[0], other[1]})
        close(fd);
}

TEST(Sandbox, MemoryBeyondTheLimitFails)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve their own address space and end on exhaustion";
#endif
    TSandboxResult result = RunSandboxed(
        [] {
            if (!LimitAddressSpace(64ull << 20))
                return 2;
            try {
                std::vector<char> big(512ull << 20, 'x');
                return big[12345] == 'x' ? 1 : 3;
            } catch (const std::bad_alloc &) {
                return 0;
            }
        },
        {});
    EXPECT_EQ(result.Outcome, TSandboxOutcome::soExited);
    EXPECT_EQ(result.ExitCode, 0);
}

TEST(Sandbox, HelpersOfAKilledChildDieWithIt)
{
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    TSandboxLimits limits;
    limits.TimeoutMs = 300;
    limits.KeepFds = {pipeFds[1]};
    TSandboxResult result = RunSandboxed(
        [&] {
            pid_t helper = fork();
            if (helper == 0) {
                while (true)
                    pause();
            }
            ssize_t n = write(pipeFds[1], &helper, sizeof helper);
            (void)n;
            while (true)
                pause();
            return 0;
        },
        limits);
    close(pipeFds[1]);
    pid_t helper = 0;
    ASSERT_EQ(read(pipeFds[0], &helper, sizeof helper), static_cast<ssize_t>(sizeof helper));
    close(pipeFds[0]);
    EXPECT_EQ(result.Outcome, TSandboxOutcome::soTimedOut);
    // The helper was killed with the group; once its new parent reaps it, it is gone.
    bool gone = false;
    for (int i = 0; i < 200 && !gone; ++i) {
        gone = kill(helper, 0) != 0;
        if (!gone)
            usleep(10000);
    }
    EXPECT_TRUE(gone);
}
