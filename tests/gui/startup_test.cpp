// Start-up from the command line: --version and --help print their text and open no window.
#include "app/command_line.h"
#include "gui/startup.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QProcess>

namespace {

QByteArray RunProgram(const QStringList &aArguments, int &aExitCode)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No display: a window could not even be opened, so success proves none was attempted.
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ORDWELL_EXECUTABLE), aArguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    aExitCode = process.exitCode();
    return process.readAllStandardOutput();
}

TEST(Startup, VersionPrintsNameAndVersion)
{
    int exitCode = -1;
    EXPECT_EQ(RunProgram({QStringLiteral("--version")}, exitCode), QByteArray("Ordwell 2.3\n"));
    EXPECT_EQ(exitCode, 0);
}

TEST(Startup, HelpPrintsUsage)
{
    int exitCode = -1;
    EXPECT_EQ(RunProgram({QStringLiteral("/tmp"), QStringLiteral("--help")}, exitCode), UsageText().toUtf8());
    EXPECT_EQ(exitCode, 0);
}

TEST(Startup, InProcessVersionCreatesNoWindow)
{
    char program[] = "ordwell";
    char option[] = "--version";
    char *argv[] = {program, option, nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunOrdwell(2, argv), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Ordwell 2.3\n");
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

} // namespace
