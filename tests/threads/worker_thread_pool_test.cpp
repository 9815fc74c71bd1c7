// The worker pool: order of work, one end report per burst, forced stops with queued, running and
// stuck items, errors in work items, the hand-over during a stop, and the process-wide pool.
#include "support/gate.h"
#include "support/pump.h"
#include "threads/worker_thread_pool.h"

#include <atomic>
#include <gtest/gtest.h>
#include <QLoggingCategory>
#include <QThread>
#include <stdexcept>
#include <vector>

namespace {

// Shared record of what the items did; guarded by its own lock.
struct TJournal
{
    std::mutex Lock;
    std::vector<int> Started;
    void Note(int aId)
    {
        std::lock_guard lGuard(Lock);
        Started.push_back(aId);
    }
    std::vector<int> Get()
    {
        std::lock_guard lGuard(Lock);
        return Started;
    }
};

// Notes its start, then optionally waits at a gate (ending early when cancelled, unless told to
// ignore cancellation), then optionally throws.
class TTestItem : public TBasicWorkItem
{
public:
    TTestItem(TJournal &aJournal, int aId) : fJournal(aJournal), fId(aId) {}
    void DoWork() override
    {
        fJournal.Note(fId);
        Started.Open();
        if (Gate) {
            while (!Gate->Wait(5)) {
                if (!IgnoreCancellation && IsWorkItemCancelled())
                    break;
            }
        }
        if (Throw)
            throw std::runtime_error("work item failure");
    }

    TGate Started;
    TGate *Gate = nullptr;
    bool IgnoreCancellation = false;
    bool Throw = false;

private:
    TJournal &fJournal;
    const int fId;
};

class WorkerThreadPool : public ::testing::Test
{
protected:
    std::shared_ptr<TTestItem> Item(int aId, TGate *aGate = nullptr)
    {
        auto lItem = std::make_shared<TTestItem>(fJournal, aId);
        lItem->Gate = aGate;
        fIssued.push_back(lItem);
        return lItem;
    }
    // Every item handed out is freed once nothing holds it (waits for stuck threads to let go).
    void ExpectAllItemsFreed()
    {
        EXPECT_TRUE(PumpUntil([&] {
            for (const auto &lWeak : fIssued)
                if (!lWeak.expired())
                    return false;
            return true;
        }));
    }
    void CountAllDone(TWorkerThreadPool &aPool)
    {
        aPool.OnAllWorkItemsDone = [this](bool) { ++fAllDone; };
    }

    TJournal fJournal;
    std::atomic<int> fAllDone{0};
    std::vector<std::weak_ptr<TTestItem>> fIssued;
};

// Collects the messages of the threads' logging category.
class TLogCapture
{
public:
    TLogCapture()
    {
        sMessages().clear();
        QLoggingCategory::setFilterRules(QStringLiteral("ordwell.threads.debug=true"));
        fPrevious = qInstallMessageHandler(&TLogCapture::Handle);
    }
    ~TLogCapture() { qInstallMessageHandler(fPrevious); }
    QStringList Messages()
    {
        std::lock_guard lGuard(sLock());
        return sMessages();
    }

private:
    static void Handle(QtMsgType, const QMessageLogContext &aContext, const QString &aText)
    {
        if (QByteArray(aContext.category) != "ordwell.threads")
            return;
        std::lock_guard lGuard(sLock());
        sMessages().append(aText);
    }
    static std::mutex &sLock()
    {
        static std::mutex lLock;
        return lLock;
    }
    static QStringList &sMessages()
    {
        static QStringList lMessages;
        return lMessages;
    }
    QtMessageHandler fPrevious = nullptr;
};

} // namespace

TEST_F(WorkerThreadPool, ItemsStartInTheOrderAddedAndTheEndIsReportedOnce)
{
    {
        TWorkerThreadPool lPool(true);
        lPool.SetMaxRunningThreads(1);
        CountAllDone(lPool);
        TGate lGate;
        auto lFirst = Item(1, &lGate);
        lPool.AddWorkItem(lFirst);
        lPool.AddWorkItem(Item(2));
        lPool.AddWorkItem(Item(3));
        EXPECT_EQ(lPool.WorkItemsCount(), 3);
        EXPECT_TRUE(lPool.WorkItemsActive());
        lGate.Open();
        EXPECT_TRUE(PumpUntil([&] { return fAllDone.load() == 1; }));
        EXPECT_EQ(fJournal.Get(), (std::vector<int>{1, 2, 3}));
        EXPECT_EQ(lPool.WorkItemsCount(), 0);
        EXPECT_FALSE(lPool.WorkItemsActive());
        EXPECT_EQ(lFirst->GetStatus(), TTaskStatus::Completed);
        // Stopping a pool with no work reports nothing more.
        lPool.TerminateThreads(true);
        EXPECT_EQ(lPool.ThreadCount(), 0);
    }
    EXPECT_EQ(fAllDone, 1);
    ExpectAllItemsFreed();
}

TEST_F(WorkerThreadPool, ABurstOnDefaultSettingsEndsOnceAfterTheLastItem)
{
    TWorkerThreadPool lPool(true);
    CountAllDone(lPool);
    TGate lGate;
    std::vector<std::shared_ptr<IWorkItem>> lItems;
    for (int i = 0; i < 20; ++i)
        lItems.push_back(Item(i, &lGate));
    lPool.AddWorkItems(lItems);
    lItems.clear();
    EXPECT_GE(lPool.ThreadCount(), 1);
    EXPECT_LE(lPool.ThreadCount(), lPool.MaxRunningThreads());
    lGate.Open();
    EXPECT_TRUE(PumpUntil([&] { return fAllDone.load() == 1; }));
    EXPECT_EQ(fJournal.Get().size(), 20u);
    EXPECT_EQ(lPool.WorkItemsCount(), 0);
    lPool.TerminateThreads(true);
    EXPECT_EQ(fAllDone, 1);
    ExpectAllItemsFreed();
}

TEST_F(WorkerThreadPool, HighPriorityAndLifoItemsAreServedNext)
{
    TWorkerThreadPool lPool(false);
    lPool.SetMaxRunningThreads(1);
    CountAllDone(lPool);
    TGate lGate;
    auto lBlocker = Item(0, &lGate);
    lPool.AddWorkItem(lBlocker);
    ASSERT_TRUE(lBlocker->Started.Wait());
    lPool.AddWorkItem(Item(1));
    lPool.AddWorkItem(Item(2));
    lPool.AddWorkItem(Item(3), TPriority::Highest);
    lPool.SetUseLIFO(true);
    lPool.AddWorkItem(Item(4));
    EXPECT_EQ(lPool.QueueLength(), 4);
    lGate.Open();
    EXPECT_TRUE(PumpUntil([&] { return fAllDone.load() == 1; }));
    EXPECT_EQ(fJournal.Get(), (std::vector<int>{0, 4, 3, 1, 2}));
}

TEST_F(WorkerThreadPool, ForcedStopWithdrawsQueuedItemsAndCancelsTheRunningOne)
{
    TWorkerThreadPool lPool(true);
    lPool.SetMaxRunningThreads(1);
    CountAllDone(lPool);
    TGate lNeverOpened;
    auto lRunning = Item(1, &lNeverOpened);
    auto lQueued1 = Item(2);
    auto lQueued2 = Item(3);
    lPool.AddWorkItem(lRunning);
    ASSERT_TRUE(lRunning->Started.Wait());
    lPool.AddWorkItem(lQueued1);
    lPool.AddWorkItem(lQueued2);
    EXPECT_EQ(lPool.ActiveThreadCount(), 1);
    EXPECT_TRUE(lPool.ContainsWorkItem(std::shared_ptr<IWorkItem>(lQueued2)));

    lPool.TerminateThreads(true);

    EXPECT_EQ(lPool.ThreadCount(), 0);
    EXPECT_EQ(fJournal.Get(), std::vector<int>{1});
    EXPECT_EQ(lRunning->GetStatus(), TTaskStatus::Canceled);
    EXPECT_EQ(lQueued1->GetStatus(), TTaskStatus::Canceled);
    EXPECT_EQ(fAllDone, 1);
    EXPECT_EQ(lPool.WorkItemsCount(), 0);
    EXPECT_FALSE(lPool.Terminated());
    lRunning.reset();
    lQueued1.reset();
    lQueued2.reset();
    ExpectAllItemsFreed();

    // The pool works again after the stop.
    auto lAfter = Item(4);
    lPool.AddWorkItem(lAfter);
    EXPECT_TRUE(PumpUntil([&] { return fAllDone.load() == 2; }));
    EXPECT_EQ(lAfter->GetStatus(), TTaskStatus::Completed);
}

TEST_F(WorkerThreadPool, AnErrorInDoWorkCancelsTheItemAndTheThreadGoesOn)
{
    TLogCapture lLog;
    TWorkerThreadPool lPool(false);
    lPool.SetMaxRunningThreads(1);
    CountAllDone(lPool);
    // Held at a gate until both items are queued, so the two make one burst.
    TGate lGate;
    auto lFailing = Item(1, &lGate);
    lFailing->Throw = true;
    int lDoneEvents = 0;
    lFailing->SetOnWorkDone([&](const std::shared_ptr<IWorkItem> &) { ++lDoneEvents; });
    auto lNext = Item(2);
    lNext->SetOnWorkDone([&](const std::shared_ptr<IWorkItem> &) { ++lDoneEvents; });
    lPool.AddWorkItem(lFailing);
    lPool.AddWorkItem(lNext);
    lGate.Open();
    EXPECT_TRUE(PumpUntil([&] { return fAllDone.load() == 1 && lDoneEvents == 1; }));
    EXPECT_EQ(lFailing->GetStatus(), TTaskStatus::Canceled);
    EXPECT_EQ(lNext->GetStatus(), TTaskStatus::Completed);
    EXPECT_EQ(fJournal.Get(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(lLog.Messages().join('\n').contains("work item failure"));
}

TEST_F(WorkerThreadPool, AnItemThatIgnoresCancellationIsAbandonedAndThePoolWorksAgain)
{
    TLogCapture lLog;
    TWorkerThreadPool lPool(false);
    lPool.SetMaxTimeUntilHardTerminate(300);
    CountAllDone(lPool);
    TGate lGate;
    auto lStuck = Item(1, &lGate);
    lStuck->IgnoreCancellation = true;
    lPool.AddWorkItem(lStuck);
    ASSERT_TRUE(lStuck->Started.Wait());

    lPool.TerminateThreads(true);

    EXPECT_EQ(lPool.ThreadCount(), 0);
    EXPECT_EQ(lPool.WorkItemsCount(), 0);
    EXPECT_EQ(fAllDone, 1);
    EXPECT_EQ(lStuck->GetStatus(), TTaskStatus::Canceled);
    const QString lMessages = lLog.Messages().join('\n');
    EXPECT_TRUE(lMessages.contains("the hard way")) << lMessages.toStdString();
    EXPECT_TRUE(lMessages.contains("TTestItem")) << lMessages.toStdString();

    auto lAfter = Item(2);
    lPool.AddWorkItem(lAfter);
    EXPECT_TRUE(PumpUntil([&] { return fAllDone.load() == 2; }));
    EXPECT_EQ(lAfter->GetStatus(), TTaskStatus::Completed);

    // The abandoned thread returns at last; it does not touch the pool, and its item is freed.
    lGate.Open();
    lStuck.reset();
    lAfter.reset();
    ExpectAllItemsFreed();
    EXPECT_EQ(fAllDone, 2);
}

TEST_F(WorkerThreadPool, AnAbandonedThreadMayReturnAfterThePoolIsGone)
{
    TGate lGate;
    {
        auto lPool = std::make_unique<TWorkerThreadPool>(false);
        lPool->SetMaxTimeUntilHardTerminate(100);
        CountAllDone(*lPool);
        auto lStuck = Item(1, &lGate);
        lStuck->IgnoreCancellation = true;
        lStuck->SetOnWorkDone(
            [](const std::shared_ptr<IWorkItem> &) { ADD_FAILURE() << "abandoned item reported"; });
        lPool->AddWorkItem(lStuck);
        ASSERT_TRUE(lStuck->Started.Wait());
        lPool.reset(); // the destructor stops the pool and abandons the stuck thread
    }
    EXPECT_EQ(fAllDone, 1);
    lGate.Open();
    ExpectAllItemsFreed();
    ProcessPendingUiCalls();
}

TEST_F(WorkerThreadPool, AHandOverDuringTheStopIsServedByTheStoppingUiThread)
{
    TLogCapture lLog;
    TWorkerThreadPool lPool(true);
    CountAllDone(lPool);
    std::atomic<int> lHandOvers{0};
    std::atomic<bool> lHandOverOnUi{false};
    TGate lWalking;
    // Like the folder walker: walks until cancelled, then makes its final hand-over.
    class TWalker : public TBasicWorkItem
    {
    public:
        std::function<void()> Body;
        void DoWork() override { Body(); }
    };
    auto lWalker = std::make_shared<TWalker>();
    TWalker &lWalkerRef = *lWalker;
    lWalker->Body = [&] {
        lWalking.Open();
        while (!lWalkerRef.IsWorkItemCancelled())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        RunOnUiThread([&] {
            lHandOverOnUi = IsUiThread();
            ++lHandOvers;
        });
    };
    lPool.AddWorkItem(lWalker);
    ASSERT_TRUE(lWalking.Wait());

    lPool.TerminateThreads(true);

    EXPECT_EQ(lHandOvers, 1);
    EXPECT_TRUE(lHandOverOnUi);
    EXPECT_EQ(lPool.ThreadCount(), 0);
    EXPECT_EQ(fAllDone, 1);
    EXPECT_FALSE(lLog.Messages().join('\n').contains("the hard way"));
}

TEST_F(WorkerThreadPool, TerminateWorkItemsByTagWithdrawsAndCancelsOnlyMatchingItems)
{
    TWorkerThreadPool lPool(false);
    lPool.SetMaxRunningThreads(1);
    CountAllDone(lPool);
    TGate lGate;
    auto lRunning = Item(1, &lGate);
    lRunning->SetTag(7);
    lPool.AddWorkItem(lRunning);
    ASSERT_TRUE(lRunning->Started.Wait());
    auto lTagged = Item(2);
    lTagged->SetTag(7);
    auto lOther = Item(3);
    lOther->SetTag(8);
    lOther->SetGroupTag(5);
    lPool.AddWorkItem(lTagged);
    lPool.AddWorkItem(lOther);
    EXPECT_TRUE(lPool.ContainsWorkItem(7));
    TWorkItemFilter lByGroup;
    lByGroup.GroupTag = 5;
    lByGroup.Class = &typeid(TTestItem);
    EXPECT_TRUE(lPool.ContainsWorkItem(lByGroup));

    TWorkItemFilter lByTag;
    lByTag.Tag = 7;
    EXPECT_EQ(lPool.TerminateWorkItems(lByTag), 2); // one withdrawn, one running cancelled
    EXPECT_EQ(lPool.QueueLength(), 1);
    EXPECT_EQ(lTagged->GetStatus(), TTaskStatus::Canceled);
    EXPECT_TRUE(PumpUntil([&] { return fAllDone.load() == 1; }));
    EXPECT_EQ(lRunning->GetStatus(), TTaskStatus::Canceled);
    EXPECT_EQ(lOther->GetStatus(), TTaskStatus::Completed);
    EXPECT_EQ(fJournal.Get(), (std::vector<int>{1, 3}));
    EXPECT_FALSE(lPool.ContainsWorkItem(7));
}

// An item a worker has just taken from the queue is either withdrawn or cancelled by the call that
// ends all items: none may start afterwards as if nothing happened. Short items keep every worker
// taking one item after another, so each round's call meets workers at every point of a take.
TEST_F(WorkerThreadPool, NoItemStartsUncancelledAfterTerminateWorkItemsReturns)
{
    class TWatchingItem : public TBasicWorkItem
    {
    public:
        TWatchingItem(const std::atomic<bool> &aEnded, std::atomic<int> &aEscaped)
            : fEnded(aEnded), fEscaped(aEscaped)
        {
        }
        void DoWork() override
        {
            if (fEnded.load() && !IsWorkItemCancelled())
                ++fEscaped;
        }

    private:
        const std::atomic<bool> &fEnded;
        std::atomic<int> &fEscaped;
    };

    TWorkerThreadPool lPool(false);
    lPool.SetMinWorkerThreads(4);
    std::atomic<bool> lEnded{false};
    std::atomic<int> lEscaped{0};
    for (int lRound = 0; lRound < 300 && lEscaped.load() == 0; ++lRound) {
        std::vector<std::shared_ptr<IWorkItem>> lItems;
        for (int i = 0; i < 400; ++i)
            lItems.push_back(std::make_shared<TWatchingItem>(lEnded, lEscaped));
        lPool.AddWorkItems(lItems, TPriority::Normal);
        lPool.TerminateWorkItems();
        lEnded = true;
        ASSERT_TRUE(PumpUntil([&] { return lPool.WorkItemsCount() == 0; }));
        lEnded = false;
    }
    EXPECT_EQ(lEscaped.load(), 0);
    lPool.TerminateThreads(true);
}

TEST_F(WorkerThreadPool, IdleThreadsEndAndANewItemStartsAFreshThread)
{
    TWorkerThreadPool lPool(false);
    lPool.SetMaxIdleTime(50);
    CountAllDone(lPool);
    std::atomic<int> lEnded{0};
    std::atomic<bool> lEndedOnUi{true};
    lPool.OnThreadTerminated = [&](TZorThread &) {
        lEndedOnUi = lEndedOnUi && IsUiThread();
        ++lEnded;
    };
    lPool.AddWorkItem(Item(1));
    EXPECT_TRUE(PumpUntil([&] { return fAllDone.load() == 1 && lPool.ThreadCount() == 0; }));
    EXPECT_GE(lEnded, 1);
    EXPECT_TRUE(lEndedOnUi);
    lPool.AddWorkItem(Item(2));
    EXPECT_TRUE(PumpUntil([&] { return fAllDone.load() == 2; }));
    EXPECT_EQ(fJournal.Get(), (std::vector<int>{1, 2}));
}

TEST_F(WorkerThreadPool, DoneEventsOfFinishedItemsArriveOnTheUiThread)
{
    TWorkerThreadPool lPool(false);
    CountAllDone(lPool);
    std::atomic<int> lDelivered{0};
    std::atomic<bool> lAllOnUi{true};
    for (int i = 0; i < 10; ++i) {
        auto lItem = Item(i);
        lItem->SetOnWorkDone([&](const std::shared_ptr<IWorkItem> &) {
            lAllOnUi = lAllOnUi && IsUiThread();
            ++lDelivered;
        });
        lPool.AddWorkItem(lItem);
    }
    EXPECT_TRUE(PumpUntil([&] { return lDelivered.load() == 10 && fAllDone.load() >= 1; }));
    EXPECT_TRUE(lAllOnUi);
}

TEST_F(WorkerThreadPool, StopWhileItemsKeepArrivingFromAnotherThread)
{
    TWorkerThreadPool lPool(false);
    CountAllDone(lPool);
    std::atomic<bool> lStop{false};
    std::thread lFeeder([&] {
        int lId = 0;
        while (!lStop.load()) {
            lPool.AddWorkItem(std::make_shared<TTestItem>(fJournal, lId++));
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    PumpUntil([&] { return fJournal.Get().size() > 50; });
    lPool.TerminateThreads(true);
    lStop = true;
    lFeeder.join();
    EXPECT_TRUE(PumpUntil([&] { return lPool.WorkItemsCount() == 0; }));
    lPool.TerminateThreads(true);
    EXPECT_EQ(lPool.ThreadCount(), 0);
}

TEST_F(WorkerThreadPool, APoolThatFreesItselfLivesUntilItsLastThreadEnds)
{
    auto lPool = std::make_shared<TWorkerThreadPool>(false);
    std::weak_ptr<TWorkerThreadPool> lWeak = lPool;
    lPool->SetFreeOnLastThreadTermination(true);
    lPool->SetMaxIdleTime(50);
    CountAllDone(*lPool);
    lPool->AddWorkItem(Item(1));
    lPool.reset(); // the owner lets go; the running thread keeps the pool
    EXPECT_TRUE(PumpUntil([&] { return lWeak.expired(); }));
    EXPECT_EQ(fAllDone, 1);
    EXPECT_EQ(fJournal.Get(), std::vector<int>{1});
    ExpectAllItemsFreed();
}

TEST_F(WorkerThreadPool, APausedPoolHoldsItsItemsUntilResumed)
{
    TWorkerThreadPool lPool(false);
    lPool.SetMaxRunningThreads(1);
    CountAllDone(lPool);
    TGate lGate;
    auto lFirst = Item(1, &lGate);
    lPool.AddWorkItem(lFirst);
    ASSERT_TRUE(lFirst->Started.Wait());
    lPool.SetPaused(true);
    EXPECT_EQ(lFirst->GetStatus(), TTaskStatus::Paused);
    lPool.AddWorkItem(Item(2));
    lGate.Open();
    lPool.SetPaused(false);
    EXPECT_TRUE(PumpUntil([&] { return fAllDone.load() == 1; }));
    EXPECT_EQ(fJournal.Get(), (std::vector<int>{1, 2}));
    EXPECT_EQ(lFirst->GetStatus(), TTaskStatus::Completed);
}

TEST(WorkerThreadPoolInstance, IsOneProcessWidePoolThatRunsItems)
{
    TWorkerThreadPool &lPool = TWorkerThreadPool::Instance();
    EXPECT_EQ(&lPool, &TWorkerThreadPool::Instance());
    TJournal lJournal;
    auto lItem = std::make_shared<TTestItem>(lJournal, 1);
    std::atomic<bool> lDone{false};
    lItem->SetOnWorkDone([&](const std::shared_ptr<IWorkItem> &) { lDone = true; });
    lPool.AddWorkItem(lItem);
    EXPECT_TRUE(PumpUntil([&] { return lDone.load(); }));
    EXPECT_EQ(lJournal.Get(), std::vector<int>{1});
}

TEST(WorkerThreadPoolSettings, DefaultsAndClamping)
{
    TWorkerThreadPool lPool(true);
    EXPECT_TRUE(lPool.InitializeCOM());
    EXPECT_EQ(lPool.MaxRunningThreads(), 3 * QThread::idealThreadCount() + 2);
    EXPECT_EQ(lPool.MaxTimeUntilHardTerminate(), 3000u);
    EXPECT_EQ(lPool.MaxIdleTime(), 60000u);
    EXPECT_EQ(lPool.MaxCpuUsage(), 80);
    EXPECT_EQ(lPool.MinWorkerThreads(), 1);
    EXPECT_FALSE(lPool.UseLIFO());
    EXPECT_FALSE(lPool.FreeOnLastThreadTermination());
    EXPECT_FALSE(lPool.Paused());
    EXPECT_FALSE(lPool.Terminated());
    lPool.SetMaxCpuUsage(150);
    EXPECT_EQ(lPool.MaxCpuUsage(), 100);
    lPool.SetMaxCpuUsage(-3);
    EXPECT_EQ(lPool.MaxCpuUsage(), 0);
}
