// The program's content check against our own server, end to end: FileContainsText sends
// real files to ordwell-extractd and finds the text in a .docx and a .pdf, not in a file
// without it, and says why a document it could not read was not read.
#include "content/content_matching.h"
#include "fixtures.h"
#include "server_process.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

namespace {

QString WriteFile(const QTemporaryDir &aDir, const QString &aName, const std::string &aBytes)
{
    QString path = aDir.filePath(aName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(aBytes.data(), static_cast<qint64>(aBytes.size())) != static_cast<qint64>(aBytes.size()))
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

} // namespace

TEST(EndToEnd, ContentCheckFindsTextInDocumentsThroughOurServer)
{
    QTemporaryDir dir;
    const QString docx =
        WriteFile(dir, QStringLiteral("report.docx"), MakeDocx("The quarterly Zebra figures", "h", "f"));
    const QString pdf = WriteFile(dir, QStringLiteral("scan.pdf"), MakePdf("Minutes of the Zebra meeting"));
    const QString other =
        WriteFile(dir, QStringLiteral("other.docx"), MakeDocx("Nothing striped here", "h", "f"));
    TServerProcess server({"--workers", "1"});
    TExtractionServerAddress address;
    address.fPort = static_cast<uint16_t>(server.Port());
    // Case does not matter to the content check.
    EXPECT_TRUE(FileContainsText(docx, QStringLiteral("zebra FIGURES"), address));
    EXPECT_TRUE(FileContainsText(pdf, QStringLiteral("Zebra meeting"), address));
    EXPECT_FALSE(FileContainsText(other, QStringLiteral("zebra"), address));
    // A document answered in time is no failure; a locked one and a broken one are, each with
    // its own reason.
    const std::string wholePdf = MakePdf("Zebra crossing");
    const struct
    {
        QString fPath;
        TDocumentProblem fProblem;
    } unread[] = {
        {other, TDocumentProblem::None},
        {WriteFile(dir, QStringLiteral("locked.mobi"), MakeMobi("Locked", "A", "<p>zebra</p>", true)),
         TDocumentProblem::Encrypted},
        {WriteFile(dir, QStringLiteral("cut.pdf"), wholePdf.substr(0, wholePdf.size() / 3)),
         TDocumentProblem::Corrupt},
    };
    for (const auto &document : unread) {
        TDocumentFailure failure;
        EXPECT_FALSE(FileContainsText(document.fPath, QStringLiteral("zebra"), address, nullptr, &failure));
        EXPECT_EQ(failure.fProblem, document.fProblem)
            << document.fPath.toStdString() << " " << failure.fDetail.toStdString();
    }
    std::string log = server.Log();
    EXPECT_NE(log.find("type=application/vnd.openxmlformats-officedocument.wordprocessingml.document"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("type=application/pdf"), std::string::npos) << log;
}

TEST(EndToEnd, ExtractTextViaServerGetsTheWholeTextOfACorpusDocument)
{
    std::string corpus = CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "the shared corpus is absent";
    TServerProcess server({"--workers", "1"});
    TExtractionServerAddress address;
    address.fPort = static_cast<uint16_t>(server.Port());
    QString text, error;
    EXPECT_TRUE(ExtractTextViaServer(QString::fromStdString(corpus + "/testWORD_various.docx"), text, error,
                                     address));
    EXPECT_TRUE(text.contains(QStringLiteral("ゾルゲと尾崎、淡々と最期"))) << text.toStdString();
    EXPECT_TRUE(error.isEmpty());
    // An encrypted document without its password: the server's 422 reaches the client as failure.
    EXPECT_FALSE(
        ExtractTextViaServer(QString::fromStdString(corpus + "/password.xls"), text, error, address));
    EXPECT_TRUE(error.startsWith(QStringLiteral("HTTP error (422)"))) << error.toStdString();
}
