// The sandbox: results, crashes, runaway memory, endless loops and helpers left behind.
#include "extractd/sandbox.h"

#include <csignal>
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
    TSandboxResult result = RunSandboxed([] {
        raise(SIGSEGV);
        return 0;
    }, {});
    EXPECT_EQ(result.Outcome, TSandboxOutcome::soCrashed);
    EXPECT_EQ(result.Signal, SIGSEGV);
}

TEST(Sandbox, AnEndlessLoopIsKilledAtTheTimeOut)
{
    TSandboxLimits limits;
    limits.TimeoutMs = 300;
    TSandboxResult result = RunSandboxed([] {
        while (true)
            pause();
        return 0;
    }, limits);
    EXPECT_EQ(result.Outcome, TSandboxOutcome::soTimedOut);
}

TEST(Sandbox, MemoryBeyondTheLimitFails)
{
    TSandboxResult result = RunSandboxed([] {
        if (!LimitAddressSpace(64ull << 20))
            return 2;
        try {
            std::vector<char> big(512ull << 20, 'x');
            return big[12345] == 'x' ? 1 : 3;
        } catch (const std::bad_alloc &) {
            return 0;
        }
    }, {});
    EXPECT_EQ(result.Outcome, TSandboxOutcome::soExited);
    EXPECT_EQ(result.ExitCode, 0);
}

TEST(Sandbox, HelpersOfAKilledChildDieWithIt)
{
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    TSandboxLimits limits;
    limits.TimeoutMs = 300;
    TSandboxResult result = RunSandboxed([&] {
        close(pipeFds[0]);
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
    }, limits);
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
