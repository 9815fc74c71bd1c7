// The run context: a reset gives every piece of process-wide state its start value, and a new
// shared pool and hand-over that work.
#include "support/pump.h"
#include "threads/run_context.h"
#include "threads/ui_thread.h"
#include "threads/work_item.h"
#include "threads/worker_thread_pool.h"

#include <atomic>
#include <gtest/gtest.h>

namespace {

class TCountingItem : public TBasicWorkItem
{
public:
    explicit TCountingItem(std::atomic<int> &aRuns) : fRuns(aRuns) {}
    void DoWork() override
    {
        ++fRuns;
        QueueOnUiThread([this] { ++fRuns; });
    }

private:
    std::atomic<int> &fRuns;
};

} // namespace

TEST(RunContext, AResetStartsEveryPieceOfStateAfresh)
{
    TRunContext &before = RunContext();
    std::atomic<int> runs = 0;
    TWorkerThreadPool::Instance().AddWorkItem(std::make_shared<TCountingItem>(runs));
    ASSERT_TRUE(PumpUntil([&] { return runs.load() == 2; }));
    ASSERT_GT(TWorkerThreadPool::Instance().ThreadCount(), 0);
    before.SearchUnrecognizedFormats = true;
    before.TranslationTable = {{QStringLiteral("English")}};
    before.CurrentLanguageIndex = 3;
    before.CurrentLanguageCode = QStringLiteral("de");
    before.UpdateRequired = true;
    before.UpdateMessage = QStringLiteral("new");
    before.DownloadCancelled = true;

    ResetRunContext();
    TRunContext &after = RunContext();
    EXPECT_FALSE(after.SearchUnrecognizedFormats);
    EXPECT_TRUE(after.TranslationTable.isEmpty());
    EXPECT_EQ(after.CurrentLanguageIndex, 0);
    EXPECT_TRUE(after.CurrentLanguageCode.isEmpty());
    EXPECT_FALSE(after.UpdateRequired);
    EXPECT_TRUE(after.UpdateMessage.isEmpty());
    EXPECT_FALSE(after.DownloadCancelled);
    EXPECT_EQ(TWorkerThreadPool::Instance().ThreadCount(), 0); // the old pool's threads ended with it
    EXPECT_TRUE(IsUiThread());

    // The fresh pool runs work and hands over to this thread.
    runs = 0;
    TWorkerThreadPool::Instance().AddWorkItem(std::make_shared<TCountingItem>(runs));
    EXPECT_TRUE(PumpUntil([&] { return runs.load() == 2; }));
}
