// Starts every test case with a fresh run context (shared pool, UI-thread hand-over, translation
// table, option and update state), so that no test depends on what another left behind.
#pragma once

#include "threads/run_context.h"

#include <gtest/gtest.h>

class TFreshRunContext : public ::testing::EmptyTestEventListener
{
public:
    void OnTestStart(const ::testing::TestInfo & /*aTest*/) override { ResetRunContext(); }
};

// Installs the listener (GoogleTest owns it); call after InitGoogleTest.
inline void StartEachTestWithAFreshRunContext()
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new TFreshRunContext);
}
