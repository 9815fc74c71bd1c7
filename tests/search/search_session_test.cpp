// A whole search without a window: the session's selection list ticks real temporary folders,
// its control starts the walks on the result list's pool, takes the hand-overs on this thread,
// checks plain-text files for the text and ends the search; a stop comes through the stop timer.
#include "fake_search_window.h"
#include "platform/ansi_code_page.h"
#include "search/search_session.h"
#include "support/fake_extraction_server.h"
#include "support/gate.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <thread>

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
    Session.SetExtractionServer(server.Address());
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

// The check threads compute what the acceptance would: one thread, many, or none (each path
// checked as it is offered) list the same files of a mixed tree.
TEST_F(SearchSession, ChecksAheadListWhatCheckingOnOfferLists)
{
    ASSERT_TRUE(Dir.isValid());
    TFakeExtractionServer server;
    server.SetReply(TFakeReply::frText, "a document about the Zwölf needles");
    Session.SetExtractionServer(server.Address());
    QStringList expected;
    for (int i = 0; i < 40; ++i) {
        const QString folder = QStringLiteral("f%1/").arg(i % 7);
        Write(folder + QStringLiteral("miss%1.txt").arg(i), "nothing here, zwolf\n");
        if (i % 3 == 0)
            expected << Write(folder + QStringLiteral("hit%1.log").arg(i), "Twelve: ZWÖLF\n");
    }
    QByteArray large(3 * 1024 * 1024, 'x');
    large.append("zwölf");
    expected << Write(QStringLiteral("large.txt"), large);
    expected << Write(QStringLiteral("docs/report.pdf"), "%PDF-1.4");
    Write(QStringLiteral("empty.txt"), "");
    Write(QStringLiteral("photo.jpg"), "zwölf");
    // Not UTF-8: read in the ANSI code page, which in Windows-1252 says "zwölf".
    const QString latin1 = Write(QStringLiteral("latin1.txt"), "zw\xF6lf");
    if (GetAnsiCodePage() == 1252)
        expected << latin1;
    expected.sort();
    Session.SelectionList().SetPaths({Dir.path() + QStringLiteral("/*")});
    Window.Values.edtTextToFind = QStringLiteral("zwölf");

    const auto search = [&] {
        const int ends = EndCount;
        Control.Start();
        EXPECT_TRUE(WaitForEnd(ends + 1));
        EXPECT_EQ(Window.Status, QStringLiteral("Items found: %1").arg(expected.size()));
        return Listed();
    };
    List.SetCheckThreads(1);
    EXPECT_EQ(search(), expected);
    List.SetCheckThreads(8);
    EXPECT_EQ(search(), expected);
    int offerChecks = 0;
    Control.FileContainsText = [&, check = Control.FileContainsText](
                                   const QString &aPath, const QString &aText, TDocumentFailure &aFailure) {
        ++offerChecks;
        return check(aPath, aText, aFailure);
    };
    EXPECT_EQ(search(), expected);
    EXPECT_EQ(offerChecks, 0); // every verdict came from a check thread
    Control.CheckInBackground = nullptr;
    EXPECT_EQ(search(), expected);
    EXPECT_GT(offerChecks, 0);
}

// A search started with an empty text has no checks ahead; the text typed meanwhile is looked
// for as each path is offered.
TEST_F(SearchSession, ATextTypedDuringASearchStartedEmptyIsCheckedOnOffer)
{
    ASSERT_TRUE(Dir.isValid());
    const QString hit = Write(QStringLiteral("a/hit.txt"), "typed later");
    Write(QStringLiteral("a/miss.txt"), "something else");
    std::atomic<int> aheadChecks = 0;
    Control.CheckInBackground = [&](const QString &, const QString &, const ICancellationIndicator &,
                                    TDocumentFailure &, TMatchSummary *) {
        ++aheadChecks;
        return true;
    };
    Session.SelectionList().SetPaths({Dir.path() + QStringLiteral("/*")});
    Window.Values.edtTextToFind.clear();
    Control.Start();
    Window.Values.edtTextToFind = QStringLiteral("Typed");
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Listed(), QStringList{hit});
    EXPECT_EQ(aheadChecks.load(), 0);
}

// A stop withdraws the queued checks at once; the check that runs gives up when the search is
// cancelled, and none starts after the end of the search.
TEST_F(SearchSession, StopWithdrawsQueuedChecks)
{
    ASSERT_TRUE(Dir.isValid());
    for (int i = 0; i < 200; ++i)
        Write(QStringLiteral("f%1.txt").arg(i), "needle");
    std::atomic<int> started = 0;
    std::atomic<bool> ended = false;
    std::atomic<int> startedAfterEnd = 0;
    TGate firstCheckRuns;
    Control.CheckInBackground = [&](const QString &, const QString &, const ICancellationIndicator &aCancel,
                                    TDocumentFailure &, TMatchSummary *) {
        if (ended)
            ++startedAfterEnd;
        if (++started == 1)
            firstCheckRuns.Open();
        while (!aCancel.IsCancellationRequested()) // a check that would take long
            std::this_thread::yield();
        return true;
    };
    List.SetCheckThreads(1);
    Session.SelectionList().SetPaths({Dir.path() + QStringLiteral("/*")});
    Window.Values.edtTextToFind = QStringLiteral("needle");
    Control.Start();
    ASSERT_TRUE(firstCheckRuns.Wait());
    Control.RequestStop();
    ASSERT_TRUE(WaitForEnd());
    ended = true;
    EXPECT_EQ(started.load(), 1);
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 0"));
    Window.Values.edtTextToFind = QStringLiteral("other");
    Control.CheckInBackground = nullptr; // the next search checks on offer
    Control.Start();
    ASSERT_TRUE(WaitForEnd(2));
    EXPECT_EQ(startedAfterEnd.load(), 0);
}

// A verdict is for the file as it was checked: a file that changes or vanishes before its hand-over
// is listed as checked, the count stays right and nothing fails.
TEST_F(SearchSession, AFileChangingAfterItsCheckIsListedAsChecked)
{
    ASSERT_TRUE(Dir.isValid());
    const QString changing = Write(QStringLiteral("a/changing.txt"), "needle");
    const QString vanishing = Write(QStringLiteral("a/vanishing.txt"), "needle");
    const QString staying = Write(QStringLiteral("a/staying.txt"), "needle");
    Control.CheckInBackground = [check = Control.CheckInBackground, changing,
                                 vanishing](const QString &aPath, const QString &aText,
                                            const ICancellationIndicator &aCancel, TDocumentFailure &aFailure,
                                            TMatchSummary *aSummary) {
        const bool holds = check(aPath, aText, aCancel, aFailure, aSummary);
        if (aPath == vanishing)
            QFile::remove(aPath);
        if (aPath == changing) {
            QFile file(aPath);
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                file.write("no longer");
        }
        return holds;
    };
    Session.SelectionList().SetPaths({Dir.path() + QStringLiteral("/*")});
    Window.Values.edtTextToFind = QStringLiteral("needle");
    Control.Start();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Listed(), (QStringList{changing, staying, vanishing}));
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 3"));
}

} // namespace

// The text cache follows its switch, keeps one object per folder, and a new server choice reads
// through it too.
TEST_F(SearchSession, TheTextCacheFollowsItsSwitch)
{
    EXPECT_FALSE(Session.TextCache());
    const QString folder = Dir.filePath(QStringLiteral("cache"));
    Session.ApplyTextCacheSettings(folder, true, 1 << 20);
    const std::shared_ptr<TTextCache> cache = Session.TextCache();
    ASSERT_TRUE(cache);
    EXPECT_EQ(Session.Extraction()->Cache(), cache);
    Session.ApplyTextCacheSettings(folder, false, 1 << 20);
    EXPECT_EQ(Session.TextCache(), cache);
    EXPECT_FALSE(Session.Extraction()->Cache());
    Session.ApplyTextCacheSettings(folder, true, 1 << 20);
    Session.SetExtractionServer(TExtractionServerAddress{});
    EXPECT_EQ(Session.Extraction()->Cache(), cache);
    Session.ApplyTextCacheSettings(Dir.filePath(QStringLiteral("other")), true, 1 << 20);
    EXPECT_NE(Session.TextCache(), cache);
}
