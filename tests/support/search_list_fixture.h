// A result list over a temporary folder tree, for the tests of the list and its walkers.
#pragma once

#include "filesearch/file_list.h"
#include "support/pump.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

// A result list over a temporary tree that counts its end-of-search events.
class TSearchListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fTree.IsValid());
        fList.OnEndSearch = [this] { ++fEndSearchCount; };
    }

    // Waits until no walk is queued or running, then runs what they left for the UI thread: after
    // this, nothing more reaches the list.
    void Settle()
    {
        ASSERT_TRUE(PumpUntil([&] { return !fList.IsSearching(); }));
        PumpPending();
    }

    TTempTree fTree;
    TZorFileList fList;
    int fEndSearchCount = 0;
};
