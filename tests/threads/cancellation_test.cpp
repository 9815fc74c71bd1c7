// Cancellation tokens: the flag, the value wrapper's single creation under a race, and Reset.
#include "threads/cancellation.h"

#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

TEST(CancellationToken, CustomTokenStartsClearAndStaysCancelled)
{
    TCustomCancellationToken lToken;
    EXPECT_FALSE(lToken.IsCancellationRequested());
    lToken.Cancel();
    lToken.Cancel();
    EXPECT_TRUE(lToken.IsCancellationRequested());
}

TEST(CancellationToken, RacingFirstUsesCreateOneToken)
{
    for (int lRound = 0; lRound < 50; ++lRound) {
        TCancellationToken lValue;
        std::vector<std::shared_ptr<ICancellationToken>> lSeen(4);
        std::vector<std::thread> lThreads;
        for (size_t i = 0; i < lSeen.size(); ++i)
            lThreads.emplace_back([&, i] { lSeen[i] = lValue.Token(); });
        for (std::thread &lThread : lThreads)
            lThread.join();
        const std::set<ICancellationToken *> lDistinct{lSeen[0].get(), lSeen[1].get(), lSeen[2].get(),
                                                       lSeen[3].get()};
        ASSERT_EQ(lDistinct.size(), 1u);
        EXPECT_EQ(lValue.Token().get(), lSeen[0].get());
    }
}

TEST(CancellationToken, CancelReachesHandedOutTokensAndResetStartsAFreshOne)
{
    TCancellationToken lValue;
    EXPECT_FALSE(lValue.IsCancellationRequested());
    const std::shared_ptr<ICancellationToken> lFirst = lValue.Token();
    lValue.Cancel();
    EXPECT_TRUE(lFirst->IsCancellationRequested());
    EXPECT_TRUE(lValue.IsCancellationRequested());

    lValue.Reset();
    EXPECT_FALSE(lValue.IsCancellationRequested());
    const std::shared_ptr<ICancellationToken> lSecond = lValue.Token();
    EXPECT_NE(lSecond, lFirst);
    EXPECT_FALSE(lSecond->IsCancellationRequested());

    // Reset cancels the token it drops: work holding it stops.
    lValue.Reset();
    EXPECT_TRUE(lSecond->IsCancellationRequested());
}

TEST(CancellationToken, CancelBeforeFirstUseSticks)
{
    TCancellationToken lValue;
    lValue.Cancel();
    EXPECT_TRUE(lValue.Token()->IsCancellationRequested());
}

TEST(CancellationToken, CopiesAfterFirstUseShareTheToken)
{
    TCancellationToken lValue;
    lValue.Token();
    TCancellationToken lCopy = lValue;
    lCopy.Cancel();
    EXPECT_TRUE(lValue.IsCancellationRequested());
}
