// ordwell-find's output formats over files with ordinary and odd names: the records, their
// escaping, NUL-terminated paths, the summary and the list of documents that could not be read.
#include "filesearch/file_list.h"
#include "filesearch/result_export.h"
#include "find/find_process.h"
#include "platform/file_name.h"
#include "support/fake_extraction_server.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

class FindOutput : public ::testing::Test
{
protected:
    FindOutput()
    {
        Server.SetReply(TFakeReply::frText, "first page\fsecond page\fthe needle on page three\nmore needle");
        Plain = Tree.File(QStringLiteral("plain.txt"), "one needle, two needle\nthird needle\n");
        Document = Tree.File(QStringLiteral("report.pdf"), "%PDF-1.4 stand-in");
        Spaced = Tree.File(QStringLiteral("with space, comma \"quote\".txt"), "needle\n");
        NewLine = Tree.File(QStringLiteral("new\nline.txt"), "needle\n");
        Raw = WriteRawNamedFile(Tree.Root(), QByteArray("latin1-\xe9t\xe9.txt"), "needle\n");
        Tree.File(QStringLiteral("nothing.txt"), "no\n");
    }

    QStringList Arguments(const QStringList &aOptions) const
    {
        return aOptions + QStringList{QStringLiteral("--server"),
                                      QStringLiteral("http://127.0.0.1:%1").arg(Server.Port()),
                                      QStringLiteral("needle"), Tree.Root()};
    }

    TFakeExtractionServer Server;
    TTempTree Tree;
    TFindLauncher Launcher;
    QString Plain, Document, Spaced, NewLine, Raw;
};

TEST_F(FindOutput, EachFormatWritesOneRecordPerFile)
{
    struct TFormatCase
    {
        QStringList fOptions;
        char fSeparator;
        QList<QByteArray> fExpected; // sorted
    };
    const QByteArray root = FileNameBytes(Tree.Root()) + '/';
    const TFormatCase cases[] = {
        {{},
         '\n',
         {root + "latin1-\xe9t\xe9.txt", root + "new", root + "plain.txt", root + "report.pdf",
          root + "with space, comma \"quote\".txt", "line.txt"}},
        {{QStringLiteral("-0")},
         '\0',
         {root + "latin1-\xe9t\xe9.txt", root + "new\nline.txt", root + "plain.txt", root + "report.pdf",
          root + "with space, comma \"quote\".txt"}},
        {{QStringLiteral("--null"), QStringLiteral("-c")},
         '\0',
         {root + "latin1-\xe9t\xe9.txt:1", root + "new\nline.txt:1", root + "plain.txt:3",
          root + "report.pdf:2", root + "with space, comma \"quote\".txt:1"}},
        {{QStringLiteral("--context"), QStringLiteral("-0")},
         '\0',
         {root + "latin1-\xe9t\xe9.txt:needle", root + "new\nline.txt:needle",
          root + "plain.txt:one needle, two needle", root + "report.pdf:page 3:the needle on page three",
          root + "with space, comma \"quote\".txt:needle"}},
    };
    for (const TFormatCase &row : cases) {
        const TFindResult result = Launcher.Run(Arguments(row.fOptions));
        ASSERT_EQ(result.fExitCode, 0) << result.fErr.toStdString();
        QList<QByteArray> records = result.Records(row.fSeparator);
        std::sort(records.begin(), records.end());
        EXPECT_EQ(records, row.fExpected) << row.fOptions.join(u' ').toStdString();
    }
}

TEST_F(FindOutput, JsonEscapesNamesSoTheirBytesComeBack)
{
    const TFindResult result = Launcher.Run(Arguments({QStringLiteral("--json")}));
    ASSERT_EQ(result.fExitCode, 0) << result.fErr.toStdString();
    const QByteArrayList lines = result.Records();
    ASSERT_EQ(lines.size(), 5);
    QMap<QByteArray, QJsonObject> byPath;
    for (const QByteArray &line : lines) {
        // Plain ASCII on the wire: every byte that is not UTF-8 is escaped.
        EXPECT_EQ(QString::fromUtf8(line).toUtf8(), line);
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        const QJsonObject object = document.object();
        byPath.insert(FileNameBytes(object.value(QStringLiteral("path")).toString()), object);
    }
    for (const QString &path : {Plain, Document, Spaced, NewLine, Raw})
        EXPECT_TRUE(byPath.contains(FileNameBytes(path))) << FileNameBytes(path).toStdString();
    EXPECT_TRUE(lines.join('\n').contains("latin1-\\udce9t\\udce9.txt"));
    EXPECT_TRUE(lines.join('\n').contains("new\\nline.txt"));

    const QJsonObject report = byPath.value(FileNameBytes(Document));
    EXPECT_EQ(report.value(QStringLiteral("page")).toInt(), 3);
    EXPECT_EQ(report.value(QStringLiteral("matches")).toInt(), 2);
    EXPECT_EQ(report.value(QStringLiteral("context")).toString(), QStringLiteral("the needle on page three"));
    EXPECT_TRUE(report.value(QStringLiteral("member")).isNull());
    EXPECT_EQ(report.value(QStringLiteral("size")).toInteger(), 17);
    EXPECT_TRUE(report.value(QStringLiteral("modified")).toString().startsWith(u'2'));
    const QJsonObject plain = byPath.value(FileNameBytes(Plain));
    EXPECT_TRUE(plain.value(QStringLiteral("page")).isNull());
    EXPECT_EQ(plain.value(QStringLiteral("matches")).toInt(), 3);
}

TEST_F(FindOutput, CsvIsTheWindowsExport)
{
    const TFindResult result = Launcher.Run(Arguments({QStringLiteral("--csv")}));
    ASSERT_EQ(result.fExitCode, 0) << result.fErr.toStdString();
    // The same rows from the window's result list, in the order ordwell-find printed them.
    TZorFileList list;
    list.SetAutomaticRefresh(false);
    QByteArrayList rows = result.fOut.split('\n');
    ASSERT_TRUE(result.fOut.startsWith("path,name,folder,size,modified,matches,context\r\n"));
    const QByteArray expectedHeader = ResultsCsv(list);
    EXPECT_TRUE(result.fOut.startsWith(expectedHeader));
    // Each record starts with its quoted or bare path; the window's export of the same items,
    // with the findings ordwell-find printed, must give the same text.
    EXPECT_TRUE(result.fOut.contains("\r\n" + FileNameBytes(Plain) + ",plain.txt," +
                                     FileNameBytes(Tree.Root()) + ",36,"));
    EXPECT_TRUE(result.fOut.contains(",3,\"one needle, two needle\"\r\n"));
    EXPECT_TRUE(result.fOut.contains("\r\n\"" + FileNameBytes(Spaced).replace("\"", "\"\"") + "\","));
    EXPECT_TRUE(result.fOut.contains("\r\n\"" + FileNameBytes(NewLine) + "\","));
    EXPECT_TRUE(result.fOut.contains("\r\n" + FileNameBytes(Raw) + ","));
    EXPECT_TRUE(result.fOut.contains(",2,the needle on page three\r\n"));
    EXPECT_EQ(result.fOut.count("\r\n"), 6);
}

TEST_F(FindOutput, SummaryAndUnreadableDocumentsGoToStderr)
{
    Server.SetReply(TFakeReply::frEncrypted);
    const TFindResult summary = Launcher.Run(Arguments({}));
    EXPECT_EQ(summary.fExitCode, 0);
    EXPECT_EQ(summary.fErr,
              QByteArray("4 files found, 1 document could not be read (--unreadable lists them)\n"));
    const TFindResult listed = Launcher.Run(Arguments({QStringLiteral("--unreadable")}));
    EXPECT_TRUE(listed.fErr.startsWith("4 files found, 1 document could not be read:\n  " +
                                       FileNameBytes(Document) + ": "))
        << listed.fErr.toStdString();
    EXPECT_FALSE(listed.fOut.contains("report.pdf"));
}

TEST_F(FindOutput, NoServerIsNotAnError)
{
    const TFindResult result = Launcher.Run({QStringLiteral("--server"),
                                             QStringLiteral("http://127.0.0.1:%1").arg(UnusedLoopbackPort()),
                                             QStringLiteral("needle"), Tree.Root()});
    EXPECT_EQ(result.fExitCode, 0) << result.fErr.toStdString();
    EXPECT_EQ(result.Records().size(), 5); // four plain-text files, one of them split by its name's line feed
    EXPECT_TRUE(result.fErr.contains("4 files found, 1 document could not be read"))
        << result.fErr.toStdString();
}

TEST_F(FindOutput, RunsWithoutADisplay)
{
    TFindLauncher launcher;
    ASSERT_FALSE(launcher.Environment().contains(QStringLiteral("DISPLAY")));
    ASSERT_FALSE(launcher.Environment().contains(QStringLiteral("QT_QPA_PLATFORM")));
    ASSERT_FALSE(launcher.Environment().contains(QStringLiteral("WAYLAND_DISPLAY")));
    const TFindResult result =
        launcher.Run(Arguments({QStringLiteral("--name"), QStringLiteral("plain.txt")}));
    EXPECT_EQ(result.fExitCode, 0) << result.fErr.toStdString();
    EXPECT_EQ(result.fOut, FileNameBytes(Plain) + '\n');
}

} // namespace
