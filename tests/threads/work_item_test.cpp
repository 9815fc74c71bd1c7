// Work items on their own: status rules, tokens, and delivery of the done event.
#include "support/gate.h"
#include "support/pump.h"
#include "threads/work_item.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

class TNoteItem : public TBasicWorkItem
{
public:
    using TBasicWorkItem::TBasicWorkItem;
    void DoWork() override {}
    void Terminate() override
    {
        ++fTerminateCalls;
        TBasicWorkItem::Terminate();
    }
    int fTerminateCalls = 0;
};

} // namespace

TEST(WorkItem, StartsCreatedWithZeroTagsAndDeliversOnTheUiThread)
{
    auto lItem = std::make_shared<TNoteItem>();
    EXPECT_EQ(lItem->GetStatus(), TTaskStatus::Created);
    EXPECT_EQ(lItem->GetTag(), 0);
    EXPECT_EQ(lItem->GetGroupTag(), 0);
    EXPECT_TRUE(lItem->FireOnWorkDoneSynchronized());
    EXPECT_EQ(lItem->ClassName(), "(anonymous namespace)::TNoteItem");
}

TEST(WorkItem, ChangingToCanceledRunsTheTerminateHookOnce)
{
    auto lItem = std::make_shared<TNoteItem>();
    lItem->SetStatus(TTaskStatus::Running);
    EXPECT_EQ(lItem->fTerminateCalls, 0);
    lItem->SetStatus(TTaskStatus::Canceled);
    lItem->SetStatus(TTaskStatus::Canceled);
    EXPECT_EQ(lItem->fTerminateCalls, 1);
    lItem->Cancel(); // the primitive itself always runs
    EXPECT_EQ(lItem->fTerminateCalls, 2);
    EXPECT_TRUE(lItem->IsWorkItemCancelled());
    EXPECT_TRUE(lItem->IsCancellationRequested());
}

TEST(WorkItem, AToken_sCancellationCancelsTheItem)
{
    auto lToken = std::make_shared<TCustomCancellationToken>();
    auto lItem = std::make_shared<TNoteItem>(lToken);
    EXPECT_FALSE(lItem->IsCancellationRequested());
    lToken->Cancel();
    EXPECT_TRUE(lItem->IsCancellationRequested());
    EXPECT_EQ(lItem->GetStatus(), TTaskStatus::Canceled);
    EXPECT_EQ(lItem->fTerminateCalls, 1);
}

TEST(WorkItem, PausedItemWaitsUntilResumedOrCancelled)
{
    auto lItem = std::make_shared<TNoteItem>();
    lItem->SetStatus(TTaskStatus::Paused);
    std::atomic<bool> lAnswered{false};
    std::atomic<bool> lCancelled{false};
    std::thread lWorker([&] {
        lCancelled = lItem->IsWorkItemCancelled();
        lAnswered = true;
    });
    lItem->SetStatus(TTaskStatus::Running);
    lWorker.join();
    EXPECT_TRUE(lAnswered);
    EXPECT_FALSE(lCancelled);
}

TEST(WorkItem, WorkDoneFromAWorkerIsDeliveredOnTheUiThreadAndKeepsTheItemAlive)
{
    auto lItem = std::make_shared<TNoteItem>();
    std::weak_ptr<TNoteItem> lWeak = lItem;
    std::atomic<bool> lOnUi{false};
    std::shared_ptr<IWorkItem> lDelivered;
    lItem->SetOnWorkDone([&](const std::shared_ptr<IWorkItem> &aItem) {
        lOnUi = IsUiThread();
        lDelivered = aItem;
    });
    std::thread([lItem = std::move(lItem)]() mutable {
        lItem->WorkDone(nullptr);
        lItem.reset(); // only the queued call holds it now
    }).join();
    EXPECT_FALSE(lWeak.expired());
    EXPECT_FALSE(lDelivered);
    ProcessPendingUiCalls();
    EXPECT_TRUE(lOnUi);
    EXPECT_EQ(lDelivered.get(), static_cast<IWorkItem *>(lWeak.lock().get()));
    lDelivered.reset();
    EXPECT_TRUE(lWeak.expired());
}

TEST(WorkItem, AnItemCancelledBeforeDeliveryReportsToNobody)
{
    auto lItem = std::make_shared<TNoteItem>();
    int lCalls = 0;
    lItem->SetOnWorkDone([&](const std::shared_ptr<IWorkItem> &) { ++lCalls; });
    std::thread([&] { lItem->WorkDone(nullptr); }).join();
    lItem->Cancel();
    ProcessPendingUiCalls();
    EXPECT_EQ(lCalls, 0);
    lItem->WorkDone(nullptr);
    EXPECT_EQ(lCalls, 0);
}

TEST(WorkItem, UnsynchronizedDoneEventRunsOnTheCallingThread)
{
    auto lItem = std::make_shared<TNoteItem>();
    lItem->SetFireOnWorkDoneSynchronized(false);
    std::atomic<bool> lOnUi{true};
    lItem->SetOnWorkDone([&](const std::shared_ptr<IWorkItem> &) { lOnUi = IsUiThread(); });
    std::thread([&] { lItem->WorkDone(nullptr); }).join();
    EXPECT_FALSE(lOnUi);
}
