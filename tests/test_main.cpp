// Entry point of the core test executables: a QCoreApplication, then every GoogleTest test.
#include "support/fresh_run_context.h"

#include <gtest/gtest.h>
#include <QCoreApplication>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("ORDWELL_SOURCE_DIR"))
        qputenv("ORDWELL_SOURCE_DIR", ORDWELL_SOURCE_DIR_DEFAULT);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    StartEachTestWithAFreshRunContext();
    return RUN_ALL_TESTS();
}
