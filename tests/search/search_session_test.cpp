// A whole search without a window: the session's selection list ticks real temporary folders,
// its control starts the walks on the result list's pool, takes the hand-overs on this thread,
// checks plain-text files for the text and ends the search; a stop comes through the stop timer.
#include "fake_search_window.h"
#include "search/search_session.h"
#include "support/fake_extraction_server.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// A window whose events, deferred calls and stop timer go through the Qt event loop.
class TLoopWindow : public TFakeWindow
{
public:
    using TFakeWindow::TFakeWindow;

    void ProcessPendingEvents() override { QCoreApplication::processEvents(); }
    void StartStopperTimer() override
    {
        TFakeWindow::StartStopperTimer();
        // The window's timer waits 1000 ms; the order of events is what matters here.
        QTimer::singleShot(0, [this] {
            TimerActive = false;
            if (OnStopperTimer)
                OnStopperTimer();
        });
    }
    void QueueDeferred(std::function<void()> aCall) override { QTimer::singleShot(0, std::move(aCall)); }

    std::function<void()> OnStopperTimer;
};

class SearchSession : public ::testing::Test
{
protected:
    SearchSession()
    {
        List.OnEndSearch = [this] {
            Control.EndSearch();
            ++EndCount;
        };
        Window.OnStopperTimer = [this] { Control.StopperTimerFired(); };
    }

    QString Write(const QString &aRelative, const QByteArray &aBytes)
    {
        const QString path = Dir.filePath(aRelative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(aBytes);
        return path;
    }

    // Pumps the event loop until the end of search has come (at most 60 s, against a hang).
    bool WaitForEnd(int aCount = 1)
    {
        QDeadlineTimer deadline(60000);
        while (EndCount < aCount && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return EndCount >= aCount;
    }

    QStringList Listed() const
    {
        QStringList paths;
        for (int i = 0; i < List.Count(); ++i)
            paths.append(List.Item(i).Path());
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    QTemporaryDir Dir;
    std::vector<std::string> Log;
    TLoopWindow Window{Log};
    TSearchSession Session{Window};
    TZorFileList &List = Session.FileList();
    TSearchControl &Control = Session.Control();
    int EndCount = 0;
};

TEST_F(SearchSession, ListsExactlyTheFilesHoldingTheText)
{
    ASSERT_TRUE(Dir.isValid());
    const QString a = Write(QStringLiteral("one/a.txt"), "the Needle is here\n");
    Write(QStringLiteral("one/b.txt"), "nothing\n");
    const QString c = Write(QStringLiteral("two/deep/c.md"), "NEEDLE\n");
    Write(QStringLiteral("two/skip.jpg"), "needle\n");
    Write(QStringLiteral("three/d.txt"), "needle, but this folder is not ticked\n");
    // As given: ticking the only file of a folder would tick the folder.
    Session.SelectionList().Paths() = {Dir.filePath(QStringLiteral("one")) + QStringLiteral("/*"),
                                       Dir.filePath(QStringLiteral("two")) + QStringLiteral("/*"),
                                       Dir.filePath(QStringLiteral("three/d.txt"))};
    Window.Values.edtTextToFind = QStringLiteral(" needle ");

    Control.Start();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Listed(), (QStringList{a, c}));
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 2"));
    EXPECT_EQ(Session.TextToFind(), QStringLiteral("needle"));
    EXPECT_EQ(Control.State(), scIdle);
    EXPECT_TRUE(Window.StartEnabled);
    EXPECT_FALSE(Window.Busy);
}

TEST_F(SearchSession, CommandLineFoldersAreSearchedAndDocumentsGoToTheSessionsServer)
{
    ASSERT_TRUE(Dir.isValid());
    TFakeExtractionServer server;
    server.SetReply(TFakeReply::frText, "a document about the needle");
    Session.ExtractionServer = server.Address();
    const QString document = Write(QStringLiteral("docs/report.pdf"), "%PDF-1.4 not really");
    Write(QStringLiteral("docs/notes.txt"), "no such word\n");
    Session.TickCommandLineFolders({Dir.filePath(QStringLiteral("docs")) + QStringLiteral("/*")});
    Window.Values.edtTextToFind = QStringLiteral("needle");

    Control.Start();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Listed(), (QStringList{document}));
    ASSERT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(server.Requests().front().fMethod, "PUT");
}

TEST_F(SearchSession, EmptyTextListsEveryFileTheFilterLets)
{
    ASSERT_TRUE(Dir.isValid());
    const QString a = Write(QStringLiteral("a.txt"), "x");
    const QString b = Write(QStringLiteral("sub/b.jpg"), "y");
    Write(QStringLiteral("sub/c.log"), "z");
    Session.SelectionList().SetPaths({Dir.path() + QStringLiteral("/*")});
    Window.Values.SearchField = QStringLiteral("*.txt;*.jpg");

    Control.Start();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Listed(), (QStringList{a, b}));
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 2"));
}

TEST_F(SearchSession, StopBeforeTheFirstHandOverListsNothing)
{
    ASSERT_TRUE(Dir.isValid());
    for (int i = 0; i < 50; ++i)
        Write(QStringLiteral("f%1.txt").arg(i), "needle");
    Session.SelectionList().SetPaths({Dir.path() + QStringLiteral("/*")});
    Window.Values.edtTextToFind = QStringLiteral("needle");

    Control.Start();
    Control.RequestStop();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(Control.State(), scIdle);
    EXPECT_FALSE(Control.StopRequested());
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 0"));
}

TEST_F(SearchSession, EnterDuringABatchRestartsAfterIt)
{
    ASSERT_TRUE(Dir.isValid());
    for (int i = 0; i < 20; ++i)
        Write(QStringLiteral("f%1.txt").arg(i), "needle");
    Session.SelectionList().SetPaths({Dir.path() + QStringLiteral("/*")});
    Window.Values.edtTextToFind = QStringLiteral("needle");
    bool pressed = false;
    // Enter arrives while the first path of the first batch is being offered.
    List.OnAddPath = [&](const QString &Path, bool &CanAdd) {
        if (!pressed) {
            pressed = true;
            QTimer::singleShot(0, [&] { Control.KeyPress(13); });
        }
        Control.AcceptPath(Path, CanAdd);
    };

    Control.Start();
    // One end for the first burst (stopped or finished), one for the restarted one.
    ASSERT_TRUE(WaitForEnd(2));
    EXPECT_TRUE(pressed);
    EXPECT_EQ(List.Count(), 20);
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 20"));
}

} // namespace
