// ordwell-find finds what the window finds: the same tree and options searched by the window's
// search session (its form values set as the window sets them) and by the program, one table row
// per set of options, give the same files.
#include "find/find_process.h"
#include "platform/file_name.h"
#include "search/fake_search_window.h"
#include "search/search_session.h"
#include "support/fake_extraction_server.h"
#include "support/pump.h"
#include "support/temp_tree.h"

#include <functional>
#include <gtest/gtest.h>
#include <QTimer>

namespace {

// The window's side of the session: its deferred calls and stop timer through the event loop.
class TLoopWindow : public TFakeWindow
{
public:
    using TFakeWindow::TFakeWindow;
    void ProcessPendingEvents() override {}
    void QueueDeferred(std::function<void()> aCall) override { QTimer::singleShot(0, std::move(aCall)); }
};

struct TSameCase
{
    const char *fName;
    QStringList fArguments; // before TEXT
    QString fText;
    std::function<void(TSearchFormValues &)> fForm;
};

void PrintTo(const TSameCase &aCase, std::ostream *aStream)
{
    *aStream << aCase.fName;
}

const TSameCase cSameCases[] = {
    {"Default", {}, QStringLiteral("needle"), [](TSearchFormValues &) {}},
    {"MatchCaseWholeWords",
     {QStringLiteral("-s"), QStringLiteral("-w")},
     QStringLiteral("Needle"),
     [](TSearchFormValues &aForm) {
         aForm.MatchCase = true;
         aForm.WholeWords = true;
     }},
    {"RegularExpression",
     {QStringLiteral("-e")},
     QStringLiteral("ne{2}dle\\b"),
     [](TSearchFormValues &aForm) { aForm.RegularExpression = true; }},
    {"FilterExcludeHidden",
     {QStringLiteral("--name"), QStringLiteral("*.txt;*.md"), QStringLiteral("--exclude"),
      QStringLiteral("b*"), QStringLiteral("--hidden")},
     QStringLiteral("needle"),
     [](TSearchFormValues &aForm) {
         aForm.SearchField = QStringLiteral("*.txt;*.md");
         aForm.Exclude = QStringLiteral("b*");
         aForm.chkShowHidden = true;
     }},
    {"SizeAndNoSubfolders",
     {QStringLiteral("--larger"), QStringLiteral("1"), QStringLiteral("--no-subfolders")},
     QStringLiteral("needle"),
     [](TSearchFormValues &aForm) {
         aForm.chSize1 = false;
         aForm.chSize2 = true;
         aForm.FileSizeCombo = 0;
         aForm.FileSize = QStringLiteral("1");
         aForm.chSearchInSubfolders = false;
     }},
    {"DocumentsAndRawBytes",
     {QStringLiteral("--raw")},
     QStringLiteral("needle"),
     [](TSearchFormValues &aForm) { aForm.CheckBox1 = true; }},
    {"EmptyText", {}, QString(), [](TSearchFormValues &) {}},
};

class FindSameAsWindow : public ::testing::TestWithParam<TSameCase>
{
protected:
    FindSameAsWindow()
    {
        Server.SetReply(TFakeReply::frText, "a document with a needle in it");
        Tree.File(QStringLiteral("a.txt"), "needle\n");
        Tree.File(QStringLiteral("b.txt"), "Needle, needle\n");
        Tree.File(QStringLiteral("big.txt"), QByteArray(2048, 'y') + "needles\n");
        Tree.File(QStringLiteral("notes.md"), "NEEDLE\n");
        Tree.File(QStringLiteral("none.txt"), "nothing\n");
        Tree.File(QStringLiteral("deep/x/y/c.txt"), "needle\n");
        Tree.File(QStringLiteral(".hidden/d.txt"), "needle\n");
        Tree.File(QStringLiteral("doc.pdf"), "%PDF");
        Tree.File(QStringLiteral("blob.xyz"), "\x01needle\x02");
        Tree.File(QStringLiteral("photo.jpg"), "needle");
        WriteRawNamedFile(Tree.Root(), QByteArray("raw-\xff.txt"), "needle\n");
    }

    // The window's result: the session started as the Search button starts it.
    QStringList WindowFinds(const TSameCase &aCase)
    {
        std::vector<std::string> log;
        TLoopWindow window(log);
        TSearchSession session(window);
        session.SetExtractionServer(Server.Address());
        int ended = 0;
        session.FileList().SetAutomaticRefresh(false);
        session.FileList().OnEndSearch = [&] {
            session.Control().EndSearch();
            ++ended;
        };
        session.SelectionList().Paths() = {Tree.Root() + QStringLiteral("/*")};
        window.Values = TSearchFormValues();
        window.Values.edtTextToFind = aCase.fText;
        aCase.fForm(window.Values);
        session.Control().Start();
        EXPECT_TRUE(PumpUntil([&] { return ended > 0; }));
        QStringList paths;
        for (int i = 0; i < session.FileList().Count(); ++i)
            paths.append(session.FileList().Item(i).Path());
        session.Close();
        return RelativeSorted(paths, Tree.Root());
    }

    TFakeExtractionServer Server;
    TTempTree Tree;
    TFindLauncher Launcher;
};

TEST_P(FindSameAsWindow, FindsTheSameFiles)
{
    const TSameCase &row = GetParam();
    QStringList arguments = row.fArguments;
    arguments << QStringLiteral("--server") << QStringLiteral("http://127.0.0.1:%1").arg(Server.Port())
              << row.fText << Tree.Root();
    const TFindResult result = Launcher.Run(arguments);
    ASSERT_TRUE(result.fFinished);
    QStringList found;
    for (const QByteArray &record : result.Records())
        found.append(FileNameText(record));
    const QStringList window = WindowFinds(row);
    EXPECT_FALSE(window.isEmpty());
    EXPECT_EQ(RelativeSorted(found, Tree.Root()), window) << result.fErr.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Each, FindSameAsWindow, ::testing::ValuesIn(cSameCases),
                         [](const auto &aInfo) { return std::string(aInfo.param.fName); });

} // namespace
