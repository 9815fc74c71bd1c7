// Entry point of the window test executables: a QApplication, then every GoogleTest test. The
// per-user folders point at a temporary folder, so no window test reads or writes the user's own
// settings, language choice or text cache.
#include "support/fresh_run_context.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("ORDWELL_SOURCE_DIR"))
        qputenv("ORDWELL_SOURCE_DIR", ORDWELL_SOURCE_DIR_DEFAULT);
    QApplication app(argc, argv);
    QTemporaryDir configHome;
    if (!configHome.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.filePath(QStringLiteral("config"))));
    qputenv("APPDATA", QFile::encodeName(configHome.filePath(QStringLiteral("appdata"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(configHome.filePath(QStringLiteral("cache"))));
    ::testing::InitGoogleTest(&argc, argv);
    StartEachTestWithAFreshRunContext();
    return RUN_ALL_TESTS();
}
