// ordwell-find's options, one table row each, over one tree: which files each finds, and the exit
// status and message of each way to call it wrongly.
#include "find/find_process.h"
#include "platform/file_name.h"
#include "support/fake_extraction_server.h"
#include "support/temp_tree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <sys/stat.h>

namespace {

// Sets a file's access and modification time to aDate at noon, local time.
void SetFileTime(const QString &aPath, const QDate &aDate)
{
    const timespec time{QDateTime(aDate, QTime(12, 0)).toSecsSinceEpoch(), 0};
    const timespec times[2] = {time, time};
    ASSERT_EQ(::utimensat(AT_FDCWD, FileNameBytes(aPath).constData(), times, 0), 0);
}

// The tree every row searches; the fake server reads every document as "extracted text".
class FindOptions : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        sServer = new TFakeExtractionServer;
        sTree = new TTempTree;
        sTree->File(QStringLiteral("a.txt"), "the Needle is here\nand a second needle\n");
        sTree->File(QStringLiteral("b.txt"), "nothing to see\n");
        sTree->File(QStringLiteral("sub/c.md"), "NEEDLE\n");
        sTree->File(QStringLiteral("sub/deep/d.txt"), "needles only\n");
        sTree->File(QStringLiteral(".hidden/e.txt"), "needle\n");
        sTree->File(QStringLiteral("f.log"), "a needle\n");
        sTree->File(QStringLiteral("big.txt"), QByteArray(3000, 'x') + " needle\n");
        sTree->File(QStringLiteral("skip.jpg"), "needle\n");
        sTree->File(QStringLiteral("stamp.jpg"), "needle\n");
        sTree->File(QStringLiteral("data.xyz"), "\x01\x02 needle \x03");
        sTree->File(QStringLiteral("doc.pdf"), "%PDF-1.4 needle");
        for (const char *name : {"a.txt", "b.txt", "sub/c.md", "sub/deep/d.txt", ".hidden/e.txt", "f.log",
                                 "big.txt", "skip.jpg", "data.xyz", "doc.pdf"})
            SetFileTime(sTree->Path(QString::fromLatin1(name)), QDate(2021, 3, 4));
        SetFileTime(sTree->Path(QStringLiteral("a.txt")), QDate(2000, 6, 1));
        SetFileTime(sTree->Path(QStringLiteral("stamp.jpg")), QDate(2000, 6, 1));
    }
    static void TearDownTestSuite()
    {
        delete sTree;
        delete sServer;
        sTree = nullptr;
        sServer = nullptr;
    }

    QString ServerUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(sServer->Port()); }

    static TFakeExtractionServer *sServer;
    static TTempTree *sTree;
    TFindLauncher Launcher;
};
TFakeExtractionServer *FindOptions::sServer = nullptr;
TTempTree *FindOptions::sTree = nullptr;

struct TOptionCase
{
    const char *fName;
    QStringList fArguments; // before TEXT
    QString fText;
    QStringList fExpected; // relative to the tree, sorted
};

void PrintTo(const TOptionCase &aCase, std::ostream *aStream)
{
    *aStream << aCase.fName;
}

const QStringList cDefaultFound = {QStringLiteral("a.txt"), QStringLiteral("big.txt"),
                                   QStringLiteral("f.log"), QStringLiteral("sub/c.md"),
                                   QStringLiteral("sub/deep/d.txt")};

const TOptionCase cOptionCases[] = {
    {"Default", {}, QStringLiteral("needle"), cDefaultFound},
    {"FilesWithMatchesIsTheDefault", {QStringLiteral("-l")}, QStringLiteral("needle"), cDefaultFound},
    {"CaseSensitive", {QStringLiteral("-s")}, QStringLiteral("NEEDLE"), {QStringLiteral("sub/c.md")}},
    {"CaseSensitiveLong",
     {QStringLiteral("--case-sensitive")},
     QStringLiteral("Needle"),
     {QStringLiteral("a.txt")}},
    {"WholeWords",
     {QStringLiteral("-w")},
     QStringLiteral("needle"),
     {QStringLiteral("a.txt"), QStringLiteral("big.txt"), QStringLiteral("f.log"),
      QStringLiteral("sub/c.md")}},
    {"RegularExpression", {QStringLiteral("--regex")}, QStringLiteral("ne+dles?"), cDefaultFound},
    {"CombinedShortFlags",
     {QStringLiteral("-sw")},
     QStringLiteral("needle"),
     {QStringLiteral("a.txt"), QStringLiteral("big.txt"), QStringLiteral("f.log")}},
    {"NameFilter",
     {QStringLiteral("--name"), QStringLiteral("*.txt")},
     QStringLiteral("needle"),
     {QStringLiteral("a.txt"), QStringLiteral("big.txt"), QStringLiteral("sub/deep/d.txt")}},
    {"NameFilterWithEquals",
     {QStringLiteral("--name=*.md;*.log")},
     QStringLiteral("needle"),
     {QStringLiteral("f.log"), QStringLiteral("sub/c.md")}},
    {"ExcludeFolder",
     {QStringLiteral("--exclude"), QStringLiteral("deep;*.log")},
     QStringLiteral("needle"),
     {QStringLiteral("a.txt"), QStringLiteral("big.txt"), QStringLiteral("sub/c.md")}},
    {"Hidden",
     {QStringLiteral("--hidden")},
     QStringLiteral("needle"),
     {QStringLiteral(".hidden/e.txt"), QStringLiteral("a.txt"), QStringLiteral("big.txt"),
      QStringLiteral("f.log"), QStringLiteral("sub/c.md"), QStringLiteral("sub/deep/d.txt")}},
    {"NoSubfolders",
     {QStringLiteral("--no-subfolders")},
     QStringLiteral("needle"),
     {QStringLiteral("a.txt"), QStringLiteral("big.txt"), QStringLiteral("f.log")}},
    {"Larger",
     {QStringLiteral("--larger"), QStringLiteral("2")},
     QStringLiteral("needle"),
     {QStringLiteral("big.txt")}},
    {"Smaller",
     {QStringLiteral("--smaller=1")},
     QStringLiteral("needle"),
     {QStringLiteral("a.txt"), QStringLiteral("f.log"), QStringLiteral("sub/c.md"),
      QStringLiteral("sub/deep/d.txt")}},
    {"ModifiedRange",
     {QStringLiteral("--modified"), QStringLiteral("2000-01-01..2000-12-31")},
     QStringLiteral("needle"),
     {QStringLiteral("a.txt")}},
    {"ModifiedOneDay",
     {QStringLiteral("--modified=2000-06-01")},
     QStringLiteral("needle"),
     {QStringLiteral("a.txt")}},
    {"ModifiedOpenStart",
     {QStringLiteral("--modified"), QStringLiteral("..2020-12-31")},
     QStringLiteral("needle"),
     {QStringLiteral("a.txt")}},
    // Images are never read (the skip list), so no search moves their access time.
    {"Accessed",
     {QStringLiteral("--accessed"), QStringLiteral("..2000-12-31"), QStringLiteral("--name=*.jpg")},
     QString(),
     {QStringLiteral("stamp.jpg")}},
    {"AccessedOpenEnd",
     {QStringLiteral("--accessed"), QStringLiteral("2001-01-01.."), QStringLiteral("--name=*.jpg")},
     QString(),
     {QStringLiteral("skip.jpg")}},
    {"CreatedToday",
     {QStringLiteral("--created"), QDate::currentDate().toString(Qt::ISODate) + QStringLiteral("..")},
     QStringLiteral("needle"),
     cDefaultFound},
    {"Raw",
     {QStringLiteral("--raw")},
     QStringLiteral("needle"),
     {QStringLiteral("a.txt"), QStringLiteral("big.txt"), QStringLiteral("data.xyz"),
      QStringLiteral("doc.pdf"), QStringLiteral("f.log"), QStringLiteral("sub/c.md"),
      QStringLiteral("sub/deep/d.txt")}},
    {"DocumentsByTheServer",
     {},
     QStringLiteral("extracted text"),
     {QStringLiteral("data.xyz"), QStringLiteral("doc.pdf")}},
    {"NoCache",
     {QStringLiteral("--no-cache")},
     QStringLiteral("extracted text"),
     {QStringLiteral("data.xyz"), QStringLiteral("doc.pdf")}},
    {"EmptyTextListsByName",
     {QStringLiteral("--name"), QStringLiteral("*.md")},
     QString(),
     {QStringLiteral("sub/c.md")}},
    {"OptionsAfterTheText", {}, QStringLiteral("needle --no-subfolders"), {}},
};

class FindOption : public FindOptions, public ::testing::WithParamInterface<TOptionCase>
{
};

TEST_P(FindOption, FindsTheFilesTheOptionSelects)
{
    const TOptionCase &row = GetParam();
    QStringList arguments = row.fArguments;
    arguments << QStringLiteral("--server") << ServerUrl() << row.fText << sTree->Root();
    const TFindResult result = Launcher.Run(arguments);
    ASSERT_TRUE(result.fFinished);
    EXPECT_EQ(result.fExitStatus, QProcess::NormalExit);
    EXPECT_EQ(result.fExitCode, row.fExpected.isEmpty() ? 1 : 0) << result.fErr.toStdString();
    EXPECT_EQ(RelativeSorted(result.SortedLines(), sTree->Root()), row.fExpected)
        << result.fErr.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Each, FindOption, ::testing::ValuesIn(cOptionCases),
                         [](const auto &aInfo) { return std::string(aInfo.param.fName); });

TEST_F(FindOptions, OptionsAfterTheOperandsCountAndDashDashEndsThem)
{
    const TFindResult after =
        Launcher.Run({QStringLiteral("needle"), sTree->Root(), QStringLiteral("--no-subfolders"),
                      QStringLiteral("--server"), ServerUrl()});
    EXPECT_EQ(RelativeSorted(after.SortedLines(), sTree->Root()),
              (QStringList{QStringLiteral("a.txt"), QStringLiteral("big.txt"), QStringLiteral("f.log")}));
    const TFindResult dashed = Launcher.Run(
        {QStringLiteral("--server"), ServerUrl(), QStringLiteral("--"), QStringLiteral("-w"), sTree->Root()});
    EXPECT_EQ(dashed.fExitCode, 1) << dashed.fErr.toStdString();
}

TEST_F(FindOptions, NoFolderSearchesTheCurrentOneAndPrintsRelativePaths)
{
    const TFindResult result = Launcher.Run({QStringLiteral("--server"), ServerUrl(),
                                             QStringLiteral("--no-subfolders"), QStringLiteral("needle")},
                                            sTree->Root());
    EXPECT_EQ(result.SortedLines(),
              (QStringList{QStringLiteral("a.txt"), QStringLiteral("big.txt"), QStringLiteral("f.log")}));
    const TFindResult dot = Launcher.Run(
        {QStringLiteral("--server"), ServerUrl(), QStringLiteral("needle"), QStringLiteral("./sub/")},
        sTree->Root());
    EXPECT_EQ(dot.SortedLines(),
              (QStringList{QStringLiteral("./sub/c.md"), QStringLiteral("./sub/deep/d.txt")}));
}

// Ways to call it wrongly: exit status 2, a message naming the problem, nothing on stdout.
struct TErrorCase
{
    const char *fName;
    QStringList fArguments; // "TREE" stands for the tree's root
    const char *fMessage;
    bool fUsage; // the short usage follows the message
};

const TErrorCase cErrorCases[] = {
    {"UnknownLongOption",
     {QStringLiteral("--frobnicate"), QStringLiteral("x")},
     "unknown option --frobnicate",
     true},
    {"UnknownShortOption", {QStringLiteral("-sZ"), QStringLiteral("x")}, "unknown option -Z", true},
    {"MissingText", {QStringLiteral("-s")}, "the text to find is missing", true},
    {"MissingValue", {QStringLiteral("x"), QStringLiteral("--name")}, "--name needs a value", true},
    {"FlagWithValue", {QStringLiteral("--hidden=yes"), QStringLiteral("x")}, "--hidden takes no value", true},
    {"BadSize",
     {QStringLiteral("--larger"), QStringLiteral("ten"), QStringLiteral("x")},
     "'ten' is not a size",
     true},
    {"NegativeSize", {QStringLiteral("--smaller=-1"), QStringLiteral("x")}, "'-1' is not a size", true},
    {"BothSizes",
     {QStringLiteral("--larger=1"), QStringLiteral("--smaller=2"), QStringLiteral("x")},
     "only one of --larger and --smaller",
     true},
    {"BadDate", {QStringLiteral("--modified=2021-02-30"), QStringLiteral("x")}, "is not a date range", true},
    {"ReversedDates",
     {QStringLiteral("--modified=2021-02-03..2020-01-01"), QStringLiteral("x")},
     "ends before it begins",
     true},
    {"TwoDateTests",
     {QStringLiteral("--modified=2021-01-01"), QStringLiteral("--created=2021-01-01"), QStringLiteral("x")},
     "only one of --modified, --created and --accessed",
     true},
    {"TwoFormats",
     {QStringLiteral("--json"), QStringLiteral("--csv"), QStringLiteral("x")},
     "cannot be combined",
     true},
    {"MissingFolder",
     {QStringLiteral("x"), QStringLiteral("TREE/not-there")},
     "not-there: No such file or directory",
     false},
    {"FileForFolder", {QStringLiteral("x"), QStringLiteral("TREE/a.txt")}, "a.txt: not a folder", false},
    {"BadRegularExpression",
     {QStringLiteral("-e"), QStringLiteral("(unclosed"), QStringLiteral("TREE")},
     "'(unclosed' is not a valid regular expression",
     false},
    {"BadServer",
     {QStringLiteral("--server"), QStringLiteral("ftp://x"), QStringLiteral("x"), QStringLiteral("TREE")},
     "'ftp://x' is not an extraction server address",
     false},
};

void PrintTo(const TErrorCase &aCase, std::ostream *aStream)
{
    *aStream << aCase.fName;
}

class FindError : public FindOptions, public ::testing::WithParamInterface<TErrorCase>
{
};

TEST_P(FindError, EndsWithStatusTwoAndSaysWhy)
{
    const TErrorCase &row = GetParam();
    QStringList arguments;
    for (QString argument : row.fArguments)
        arguments << argument.replace(QStringLiteral("TREE"), sTree->Root());
    const TFindResult result = Launcher.Run(arguments);
    ASSERT_TRUE(result.fFinished);
    EXPECT_EQ(result.fExitStatus, QProcess::NormalExit);
    EXPECT_EQ(result.fExitCode, 2);
    EXPECT_TRUE(result.fErr.startsWith("ordwell-find: ")) << result.fErr.toStdString();
    EXPECT_TRUE(result.fErr.contains(row.fMessage)) << result.fErr.toStdString();
    EXPECT_EQ(result.fErr.contains("Usage: ordwell-find"), row.fUsage) << result.fErr.toStdString();
    EXPECT_TRUE(result.fOut.isEmpty()) << result.fOut.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Each, FindError, ::testing::ValuesIn(cErrorCases),
                         [](const auto &aInfo) { return std::string(aInfo.param.fName); });

TEST_F(FindOptions, ExitStatusSaysWhetherSomethingWasFound)
{
    struct TStatusCase
    {
        QStringList fArguments;
        int fStatus;
    };
    const QString root = sTree->Root();
    const TStatusCase cases[] = {
        {{QStringLiteral("needle"), root}, 0},
        {{QStringLiteral("no such words"), root}, 1},
        // A folder that cannot be searched is an error even when another one has results.
        {{QStringLiteral("needle"), root, root + QStringLiteral("/gone")}, 2},
        {{QStringLiteral("-q"), QStringLiteral("needle"), root, root + QStringLiteral("/gone")}, 0},
        {{QStringLiteral("--help")}, 0},
        {{QStringLiteral("--version")}, 0},
    };
    for (const TStatusCase &row : cases) {
        QStringList arguments = {QStringLiteral("--server"), ServerUrl()};
        arguments += row.fArguments;
        const TFindResult result = Launcher.Run(arguments);
        EXPECT_EQ(result.fExitCode, row.fStatus) << arguments.join(u' ').toStdString() << "\n"
                                                 << result.fErr.toStdString();
    }
}

TEST_F(FindOptions, HelpAndVersionGoToStdout)
{
    const TFindResult help = Launcher.Run({QStringLiteral("-h")});
    EXPECT_TRUE(help.fOut.startsWith("Usage: ordwell-find [OPTIONS] TEXT [FOLDER...]"));
    for (const char *option :
         {"--name",     "--exclude", "--hidden",   "--no-subfolders",  "--larger",  "--smaller",
          "--modified", "--created", "--accessed", "--case-sensitive", "--word",    "--regex",
          "--raw",      "--server",  "--no-cache", "--count",          "--context", "--json",
          "--csv",      "--null",    "--quiet",    "--unreadable",     "--help",    "--version"})
        EXPECT_TRUE(help.fOut.contains(option)) << option;
    EXPECT_TRUE(help.fErr.isEmpty());
    const TFindResult version = Launcher.Run({QStringLiteral("--version")});
    EXPECT_EQ(version.fOut, QByteArray("ordwell-find " ORDWELL_VERSION "\n"));
}

// The window's settings choose the server and the text cache unless the command line says
// otherwise; a document read once comes from the cache, and --no-cache sends it again.
TEST(FindSettings, ServerAndTextCacheComeFromTheWindowsSettings)
{
    TFakeExtractionServer server;
    server.SetVersion("fake 1");
    server.SetReply(TFakeReply::frText, "a needle in a document");
    TTempTree tree;
    tree.File(QStringLiteral("doc.pdf"), "%PDF-1.4");
    TFindLauncher launcher;
    const QString config = launcher.Environment().value(QStringLiteral("XDG_CONFIG_HOME"));
    ASSERT_TRUE(QDir().mkpath(config + QStringLiteral("/Ordwell")));
    QFile settings(config + QStringLiteral("/Ordwell/Ordwell.conf"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[General]\nExtractionServer=http://127.0.0.1:" + QByteArray::number(server.Port()) +
                   "\n");
    settings.close();

    struct TCacheCase
    {
        QStringList fOptions;
        size_t fRequestsAfter;
    };
    const TCacheCase cases[] = {
        {{}, 1},                             // extracted, then kept
        {{}, 1},                             // from the cache
        {{QStringLiteral("--no-cache")}, 2}, // sent again
    };
    for (const TCacheCase &row : cases) {
        const TFindResult result =
            launcher.Run(row.fOptions + QStringList{QStringLiteral("needle"), tree.Root()});
        EXPECT_EQ(result.fExitCode, 0) << result.fErr.toStdString();
        EXPECT_EQ(result.fOut, FileNameBytes(tree.Path(QStringLiteral("doc.pdf"))) + '\n');
        EXPECT_EQ(server.RequestCount(), row.fRequestsAfter) << row.fOptions.join(u' ').toStdString();
    }
    EXPECT_TRUE(QFile::exists(launcher.Environment().value(QStringLiteral("XDG_CACHE_HOME")) +
                              QStringLiteral("/Ordwell/texts.db")));
    // --server overrides the setting: nothing answers there, so the document is not read.
    const TFindResult elsewhere =
        launcher.Run({QStringLiteral("--no-cache"), QStringLiteral("--server"),
                      QStringLiteral("http://127.0.0.1:%1").arg(UnusedLoopbackPort()),
                      QStringLiteral("needle"), tree.Root()});
    EXPECT_EQ(elsewhere.fExitCode, 1);
    EXPECT_EQ(server.RequestCount(), 2u);
    EXPECT_TRUE(elsewhere.fErr.contains("1 document could not be read")) << elsewhere.fErr.toStdString();
}

TEST_F(FindOptions, QuietPrintsNothing)
{
    const TFindResult result = Launcher.Run({QStringLiteral("-q"), QStringLiteral("--server"), ServerUrl(),
                                             QStringLiteral("needle"), sTree->Root()});
    EXPECT_EQ(result.fExitCode, 0);
    EXPECT_TRUE(result.fOut.isEmpty());
    EXPECT_TRUE(result.fErr.isEmpty()) << result.fErr.toStdString();
}

} // namespace
