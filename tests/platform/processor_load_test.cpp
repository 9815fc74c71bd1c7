// Processor load from /proc/stat samples, and the tick counter's wrap arithmetic.
#include "platform/processor_load.h"
#include "platform/tick_count.h"

#include <gtest/gtest.h>

TEST(ProcessorLoad, ParsesTheCpuLineAndCountsIdleAndIowaitAsIdle)
{
    const auto lTimes = TProcessorLoad::ParseProcStat("cpu  100 20 30 400 50 6 4 0 0 0\ncpu0 1 2 3 4\n");
    ASSERT_TRUE(lTimes);
    EXPECT_EQ(lTimes->Total, 610u);
    EXPECT_EQ(lTimes->Busy, 160u);
}

TEST(ProcessorLoad, RejectsTextWithoutACpuLine)
{
    EXPECT_FALSE(TProcessorLoad::ParseProcStat(""));
    EXPECT_FALSE(TProcessorLoad::ParseProcStat("intr 1 2 3 4 5\n"));
    EXPECT_FALSE(TProcessorLoad::ParseProcStat("cpu 1 2\n"));
    EXPECT_FALSE(TProcessorLoad::ParseProcStat("cpu 1 x 3 4 5\n"));
}

TEST(ProcessorLoad, LoadIsTheBusyShareOfTheDeltaRounded)
{
    EXPECT_EQ(TProcessorLoad::LoadBetween({100, 1000}, {300, 1300}), 67);
    EXPECT_EQ(TProcessorLoad::LoadBetween({100, 1000}, {100, 1300}), 0);
    EXPECT_EQ(TProcessorLoad::LoadBetween({100, 1000}, {400, 1300}), 100);
    // No time passed, or counters went backwards: no load rather than a division by zero.
    EXPECT_EQ(TProcessorLoad::LoadBetween({100, 1000}, {100, 1000}), 0);
    EXPECT_EQ(TProcessorLoad::LoadBetween({500, 2000}, {100, 1000}), 0);
}

TEST(ProcessorLoad, CurrentStaysWithinPercentBounds)
{
    TProcessorLoad lLoad;
    for (int i = 0; i < 3; ++i) {
        const int lPercent = lLoad.Current();
        EXPECT_GE(lPercent, 0);
        EXPECT_LE(lPercent, 100);
    }
}

TEST(TickCount, DifferencesSurviveTheWrap)
{
    EXPECT_EQ(TicksBetween(0xFFFFFF00u, 0x00000100u), 0x200u);
    EXPECT_EQ(TicksBetween(10, 510), 500u);
    const uint32_t lFirst = GetTickCount();
    EXPECT_LT(TicksBetween(lFirst, GetTickCount()), 60000u);
    EXPECT_EQ(uint32_t(GetTickCount64()) - GetTickCount() <= 1000u, true);
}
