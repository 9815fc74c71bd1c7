// The command line: --help and --version, folders to tick in argument order, everything else
// ignored silently.
#include "app/command_line.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class CommandLine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fRoot.isValid());
        ASSERT_TRUE(QDir(fRoot.path()).mkpath(QStringLiteral("first")));
        ASSERT_TRUE(QDir(fRoot.path()).mkpath(QStringLiteral("second folder")));
        QFile file(Path(QStringLiteral("file.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QString Path(const QString &aName) const { return fRoot.path() + u'/' + aName; }

    QTemporaryDir fRoot;
};

TEST_F(CommandLine, NoArgumentsRunsWithoutFolders)
{
    const TCommandLine line = ParseCommandLine({});
    EXPECT_EQ(line.Action, caRun);
    EXPECT_FALSE(line.HasArguments);
    EXPECT_TRUE(line.FolderEntries.isEmpty());
    EXPECT_TRUE(line.LastFolder.isEmpty());
}

TEST_F(CommandLine, HelpAndVersionAreRecognisedAnywhere)
{
    EXPECT_EQ(ParseCommandLine({QStringLiteral("--help")}).Action, caShowHelp);
    EXPECT_EQ(ParseCommandLine({QStringLiteral("--version")}).Action, caShowVersion);
    EXPECT_EQ(ParseCommandLine(
                  {Path(QStringLiteral("first")), QStringLiteral("--version"), QStringLiteral("--help")})
                  .Action,
              caShowVersion);
    EXPECT_EQ(ParseCommandLine({QStringLiteral("-help")}).Action, caRun);
}

TEST_F(CommandLine, TwoFoldersAndAFileGiveBothFoldersInOrder)
{
    const TCommandLine line =
        ParseCommandLine({Path(QStringLiteral("first")), Path(QStringLiteral("file.txt")),
                          Path(QStringLiteral("second folder"))});
    EXPECT_EQ(line.Action, caRun);
    EXPECT_TRUE(line.HasArguments);
    EXPECT_EQ(line.FolderEntries,
              (QStringList{Path(QStringLiteral("first/*")), Path(QStringLiteral("second folder/*"))}));
    EXPECT_EQ(line.LastFolder, Path(QStringLiteral("second folder")));
}

TEST_F(CommandLine, NoDirectoryAmongArgumentsGivesEmptyLastFolder)
{
    const TCommandLine line = ParseCommandLine(
        {QString(), Path(QStringLiteral("file.txt")), Path(QStringLiteral("missing")), QStringLiteral("-x")});
    EXPECT_TRUE(line.HasArguments);
    EXPECT_TRUE(line.FolderEntries.isEmpty());
    EXPECT_TRUE(line.LastFolder.isEmpty());
}

TEST_F(CommandLine, FoldersAreMadeAbsoluteAndClean)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(fRoot.path()));
    const TCommandLine line =
        ParseCommandLine({QStringLiteral("first/"), QStringLiteral("./second folder/../first//")});
    QDir::setCurrent(previous);
    EXPECT_EQ(line.FolderEntries,
              (QStringList{Path(QStringLiteral("first/*")), Path(QStringLiteral("first/*"))}));
    EXPECT_EQ(line.LastFolder, Path(QStringLiteral("first")));
}

TEST_F(CommandLine, RootFolderGivesSlashStar)
{
    const TCommandLine line = ParseCommandLine({QStringLiteral("/")});
    EXPECT_EQ(line.FolderEntries, QStringList{QStringLiteral("/*")});
    EXPECT_EQ(line.LastFolder, QStringLiteral("/"));
}

TEST_F(CommandLine, LinkToFolderCountsAsFolder)
{
    ASSERT_TRUE(QFile::link(Path(QStringLiteral("first")), Path(QStringLiteral("link"))));
    const TCommandLine line = ParseCommandLine({Path(QStringLiteral("link"))});
    EXPECT_EQ(line.FolderEntries, QStringList{Path(QStringLiteral("link/*"))});
}

TEST(CommandLineTexts, VersionAndUsage)
{
    EXPECT_EQ(VersionText(), QStringLiteral("Ordwell 2.3\n"));
    EXPECT_TRUE(UsageText().startsWith(QStringLiteral("Usage: ordwell")));
    EXPECT_TRUE(UsageText().contains(QStringLiteral("--help")));
    EXPECT_TRUE(UsageText().contains(QStringLiteral("--version")));
    EXPECT_TRUE(UsageText().endsWith(u'\n'));
}

} // namespace
