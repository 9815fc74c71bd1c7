// The hand-over to the UI thread: waiting calls, queued calls, errors, and draining by the Qt
// event loop.
#include "support/gate.h"
#include "support/pump.h"
#include "threads/ui_thread.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

TEST(UiThread, TheTestMainThreadIsTheUiThread)
{
    EXPECT_TRUE(IsUiThread());
    bool lOnWorker = true;
    std::thread([&] { lOnWorker = IsUiThread(); }).join();
    EXPECT_FALSE(lOnWorker);
}

TEST(UiThread, RunOnUiThreadOnTheUiThreadRunsAtOnceAndPassesErrorsOn)
{
    int lRuns = 0;
    RunOnUiThread([&] { ++lRuns; });
    EXPECT_EQ(lRuns, 1);
    QueueOnUiThread([&] { ++lRuns; });
    EXPECT_EQ(lRuns, 2);
    EXPECT_THROW(RunOnUiThread([] { throw std::runtime_error("boom"); }), std::runtime_error);
}

TEST(UiThread, RunOnUiThreadFromAWorkerWaitsRunsOnTheUiThreadAndReraises)
{
    std::atomic<bool> lRanOnUi{false};
    std::atomic<bool> lReturned{false};
    std::string lCaught;
    std::thread lWorker([&] {
        RunOnUiThread([&] { lRanOnUi = IsUiThread(); });
        try {
            RunOnUiThread([] { throw std::runtime_error("from the routine"); });
        } catch (const std::runtime_error &lError) {
            lCaught = lError.what();
        }
        lReturned = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return lReturned.load(); }));
    EXPECT_TRUE(lRanOnUi);
    lWorker.join();
    EXPECT_EQ(lCaught, "from the routine");
}

TEST(UiThread, QueuedCallsRunInOrderWhenTheEventLoopRuns)
{
    std::vector<int> lOrder;
    std::thread([&] {
        for (int i = 0; i < 5; ++i)
            QueueOnUiThread([&lOrder, i] { lOrder.push_back(i); });
    }).join();
    EXPECT_TRUE(lOrder.empty()); // nothing runs until the UI thread drains the queue
    // processEvents alone drains it: the dispatcher posted a wake-up event.
    QDeadlineTimer lDeadline(20000);
    while (lOrder.size() < 5 && !lDeadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(lOrder, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(UiThread, AFailingQueuedCallLeavesTheOthersQueued)
{
    std::vector<int> lOrder;
    std::thread([&] {
        QueueOnUiThread([&] { lOrder.push_back(1); });
        QueueOnUiThread([] { throw std::runtime_error("queued failure"); });
        QueueOnUiThread([&] { lOrder.push_back(3); });
    }).join();
    EXPECT_THROW(ProcessPendingUiCalls(), std::runtime_error);
    EXPECT_EQ(lOrder, std::vector<int>{1});
    EXPECT_EQ(TUiThreadDispatcher::Instance().PendingCount(), 1u);
    ProcessPendingUiCalls();
    EXPECT_EQ(lOrder, (std::vector<int>{1, 3}));
}

TEST(UiThread, ProcessPendingUiCallsOffTheUiThreadDoesNothing)
{
    std::atomic<int> lRuns{0};
    std::thread([&] {
        QueueOnUiThread([&] { ++lRuns; });
        ProcessPendingUiCalls();
    }).join();
    EXPECT_EQ(lRuns, 0);
    ProcessPendingUiCalls();
    EXPECT_EQ(lRuns, 1);
}

TEST(UiThread, AnInstalledWakeUpIsCalledForQueuedWork)
{
    ProcessPendingUiCalls(); // no wake-up pending from earlier tests
    std::atomic<int> lWakeUps{0};
    TUiThreadDispatcher::Instance().SetWakeUp([&] { ++lWakeUps; });
    std::atomic<int> lRuns{0};
    std::thread([&] { QueueOnUiThread([&] { ++lRuns; }); }).join();
    TUiThreadDispatcher::Instance().SetWakeUp(nullptr);
    EXPECT_EQ(lWakeUps, 1);
    ProcessPendingUiCalls();
    EXPECT_EQ(lRuns, 1);
}

TEST(UiThread, ManyWorkersHandOverAtOnce)
{
    std::atomic<int> lDone{0};
    int lSum = 0; // touched only on the UI thread
    std::vector<std::thread> lWorkers;
    for (int w = 0; w < 4; ++w)
        lWorkers.emplace_back([&] {
            for (int i = 0; i < 50; ++i)
                RunOnUiThread([&] { ++lSum; });
            ++lDone;
        });
    EXPECT_TRUE(PumpUntil([&] { return lDone.load() == 4; }));
    for (std::thread &lWorker : lWorkers)
        lWorker.join();
    EXPECT_EQ(lSum, 200);
}
