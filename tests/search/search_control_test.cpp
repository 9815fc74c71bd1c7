// The search control against a fake window and a fake result list: the start in its order, the
// roots, acceptance (stop flag, empty text, skipped extension, content check), the end of a
// search, Enter while running, and starts, closes and stops put off while a path is offered.
#include "content/content_matching.h"
#include "fake_search_window.h"
#include "search/search_control.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

namespace {

class SearchControl : public ::testing::Test
{
protected:
    SearchControl()
    {
        Control.SelectionPaths = [this] { return Window.Paths; };
        // Each reading of the clock is a second later unless a test holds it still.
        Control.Clock = [this] { return Now += TicksPerReading; };
        Control.FileContainsText = [this](const QString &aPath, const QString &aText, TDocumentFailure &) {
            Checked.push_back(aPath.toStdString() + "|" + aText.toStdString());
            return aPath.contains(QStringLiteral("hit"));
        };
        Control.IsSkippedExtension = [](QStringView aExt) {
            return aExt.compare(u".jpg", Qt::CaseInsensitive) == 0;
        };
    }

    // Offers one path as the list does: item created, then kept or deleted.
    bool Offer(const QString &aPath)
    {
        bool canAdd = true;
        Control.AcceptPath(aPath, canAdd);
        if (canAdd)
            ++List.Items;
        return canAdd;
    }

    bool Contains(const std::string &aEntry) const
    {
        return std::find(Log.begin(), Log.end(), aEntry) != Log.end();
    }

    uint32_t Now = 0;
    uint32_t TicksPerReading = 1000;
    std::vector<std::string> Log;
    std::vector<std::string> Checked;
    TFakeWindow Window{Log};
    TFakeList List{Log};
    TSearchControl Control{Window, List};
};

// ---- start ----

TEST_F(SearchControl, StartRunsItsStepsInOrder)
{
    Window.Paths = {QStringLiteral("/data/*")};
    Control.Start();
    const std::vector<std::string> expected{
        "save",       "clear preview", "list stop",           "dates",
        "start off",  "stop on",       "status Searching...", "cursor busy",
        "list clear", "focus list",    "search /data"};
    EXPECT_EQ(Log, expected);
    EXPECT_FALSE(Window.StartEnabled);
    EXPECT_TRUE(Window.StopEnabled);
    EXPECT_TRUE(Window.Busy);
    EXPECT_EQ(Control.State(), scSearching);
}

// A regular expression that does not compile is shown with the library's message and nothing
// starts; a valid one takes the message away and the search starts with the options.
TEST_F(SearchControl, ABadRegularExpressionIsShownAndNothingStarts)
{
    Window.Values.edtTextToFind = QStringLiteral("invoice(\\d+");
    Window.Values.RegularExpression = true;
    Control.Start();
    EXPECT_TRUE(Log.empty());
    EXPECT_FALSE(Window.TextToFindError.isEmpty());
    EXPECT_EQ(Control.State(), scIdle);

    Window.Values.edtTextToFind = QStringLiteral("invoice\\d+");
    Window.Values.WholeWords = true;
    Control.Start();
    EXPECT_TRUE(Window.TextToFindError.isEmpty());
    EXPECT_EQ(Control.State(), scSearching);
    EXPECT_EQ(Control.MatchOptions(), (TMatchOptions{false, true, true}));
}

TEST_F(SearchControl, StartResetsFlagAndCountAndTrimsText)
{
    Control.Start();
    Control.RequestStop();
    Window.Values.edtTextToFind = QStringLiteral("  needle \t");
    Control.Start();
    EXPECT_FALSE(Control.StopRequested());
    EXPECT_EQ(Control.MatchCount(), 0);
    EXPECT_EQ(Control.TextToFind(), QStringLiteral("needle"));
}

TEST_F(SearchControl, StartFillsTheListsOptions)
{
    List.Options.SetMinFileSize(99);
    Window.Values.SearchField = QStringLiteral("*.txt");
    Window.Values.chSize1 = false;
    Window.Values.chSize2 = true;
    Window.Values.FileSizeCombo = 1;
    Window.Values.FileSize = QStringLiteral("3000000");
    Window.Values.chkShowHidden = true;
    Window.Values.CheckBox1 = true;
    Control.Start();
    EXPECT_EQ(List.Options.Filter(), QStringLiteral("*.txt"));
    EXPECT_EQ(List.Options.MinFileSize(), 0);
    EXPECT_EQ(List.Options.MaxFileSize(), 3072000000LL);
    EXPECT_TRUE(List.Options.IncludeHidden());
    EXPECT_EQ(List.Options.FilesAndFolders(), ffFilesOnly);
    EXPECT_TRUE(SearchUnrecognizedFormats());
    Window.Values.CheckBox1 = false;
    Control.Start();
    EXPECT_FALSE(SearchUnrecognizedFormats());
}

TEST_F(SearchControl, StartPutsWholeDaysIntoTheDatePickers)
{
    Window.Values.SearchMinDate = 45000.75;
    Window.Values.SearchMaxDate = 45002.25;
    Control.Start();
    EXPECT_DOUBLE_EQ(Window.Values.SearchMinDate, 45000.0);
    EXPECT_DOUBLE_EQ(Window.Values.SearchMaxDate, 45002.0);

    Window.Values.SearchAllRB = false;
    Window.Values.SearchDateRB = true;
    Control.Start();
    EXPECT_DOUBLE_EQ(Window.Values.SearchMinDate, 45000.0);
    EXPECT_DOUBLE_EQ(Window.Values.SearchMaxDate,
                     EncodeDateTime(QDate(1899, 12, 30).addDays(45002), cEndOfDay));
    EXPECT_DOUBLE_EQ(List.Options.LastWriteDateMax(), Window.Values.SearchMaxDate);
}

TEST_F(SearchControl, SearchThatCannotStartRestoresTheForm)
{
    List.SearchThrows = true;
    Control.Start();
    EXPECT_EQ(Control.State(), scIdle);
    EXPECT_TRUE(Window.StartEnabled);
    EXPECT_FALSE(Window.StopEnabled);
    EXPECT_FALSE(Window.Busy);
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 0"));
    List.SearchThrows = false;
    Control.Start();
    EXPECT_EQ(List.Searched, QStringList{QString()});
}

// ---- roots ----

TEST_F(SearchControl, NothingTickedSearchesOnceWithEmptyPath)
{
    Control.Start();
    EXPECT_EQ(List.Searched, QStringList{QString()});
}

TEST_F(SearchControl, FolderEntriesAreSearchedFilesPassedOver)
{
    // /home/u/A ticked, then /home/u/A/B unticked: the other items of A stay as entries.
    Window.Paths = {QStringLiteral("/home/u/A/C/*"), QStringLiteral("/home/u/A/a.txt"),
                    QStringLiteral("/home/u/A/D/*"), QStringLiteral("/home/u/A/b*"), QStringLiteral("/*")};
    Control.Start();
    const QStringList expected{QStringLiteral("/home/u/A/C"), QStringLiteral("/home/u/A/D"),
                               QStringLiteral("/")};
    EXPECT_EQ(List.Searched, expected);
}

TEST_F(SearchControl, OnlyFileEntriesSearchNothing)
{
    Window.Paths = {QStringLiteral("/home/u/a.txt")};
    Control.Start();
    EXPECT_TRUE(List.Searched.isEmpty());
}

TEST_F(SearchControl, RootLoopEndsEarlyOnStop)
{
    Window.Paths = {QStringLiteral("/a/*"), QStringLiteral("/b/*"), QStringLiteral("/c/*")};
    List.OnSearch = [this] { Control.RequestStop(); };
    Control.Start();
    EXPECT_EQ(List.Searched, QStringList{QStringLiteral("/a")});
}

// ---- acceptance ----

TEST_F(SearchControl, AcceptsByContentAndCounts)
{
    Window.Values.edtTextToFind = QStringLiteral(" Needle ");
    Control.Start();
    EXPECT_TRUE(Offer(QStringLiteral("/d/hit.txt")));
    EXPECT_FALSE(Offer(QStringLiteral("/d/miss.txt")));
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 1. Processing: /d/miss.txt"));
    EXPECT_TRUE(Offer(QStringLiteral("/d/hit2.pdf")));
    EXPECT_EQ(Control.MatchCount(), 2);
    const std::vector<std::string> checked{"/d/hit.txt|Needle", "/d/miss.txt|Needle", "/d/hit2.pdf|Needle"};
    EXPECT_EQ(Checked, checked);
}

TEST_F(SearchControl, ProgressRepaintsAndProcessesEventsOncePerPath)
{
    Window.Values.edtTextToFind = QStringLiteral("x");
    Control.Start();
    Log.clear();
    Offer(QStringLiteral("/d/a.txt"));
    const std::vector<std::string> expected{"status Items found: 0. Processing: /d/a.txt", "repaint",
                                            "events"};
    EXPECT_EQ(Log, expected);
}

// A walk passing over files that do not hold the text shows where it is, as an offer would;
// not once a stop is asked for, nor after the search.
TEST_F(SearchControl, WalkProgressShowsThePathWhileSearching)
{
    Control.WalkProgress(QStringLiteral("/d/before.txt"));
    EXPECT_TRUE(Log.empty());
    Window.Values.edtTextToFind = QStringLiteral("x");
    Control.Start();
    Log.clear();
    Control.WalkProgress(QStringLiteral("/d/a.txt"));
    const std::vector<std::string> expected{"status Items found: 0. Processing: /d/a.txt", "repaint"};
    EXPECT_EQ(Log, expected);
    Control.RequestStop();
    Log.clear();
    Now += 100;
    Control.WalkProgress(QStringLiteral("/d/b.txt"));
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 0. Processing: /d/a.txt"));
}

// The progress text names the latest path but is repainted at most every 50 ms; what was not
// shown is shown once the offering has returned. Events run at most every 20 ms.
TEST_F(SearchControl, ProgressIsRepaintedAtMostEvery50Ms)
{
    Window.Values.edtTextToFind = QStringLiteral("x");
    Control.Start();
    TicksPerReading = 0;
    Log.clear();
    Offer(QStringLiteral("/d/a.txt"));
    Offer(QStringLiteral("/d/b.txt"));
    Now += 19;
    Offer(QStringLiteral("/d/c.txt"));
    Now += 1;
    Offer(QStringLiteral("/d/d.txt"));
    const std::vector<std::string> expected{"status Items found: 0. Processing: /d/a.txt", "repaint",
                                            "events", "queue", "events"};
    EXPECT_EQ(Log, expected);
    Window.RunDeferred();
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 0. Processing: /d/d.txt"));
    Now += 50;
    Offer(QStringLiteral("/d/hit.txt"));
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 0. Processing: /d/hit.txt"));
    // Once the search has ended, a late flush leaves the end's text alone.
    Offer(QStringLiteral("/d/e.txt"));
    Control.EndSearch();
    Window.RunDeferred();
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 1"));
}

// A start with a text makes the list check every file ahead (skipping what the skip list names);
// the acceptance takes a verdict made for the text it looks for and checks itself otherwise.
TEST_F(SearchControl, TakesTheVerdictComputedAheadForItsText)
{
    std::vector<std::string> ahead;
    Control.CheckInBackground = [&](const QString &aPath, const QString &aText,
                                    const ICancellationIndicator &, TDocumentFailure &,
                                    TMatchSummary *aSummary) {
        ahead.push_back(aPath.toStdString() + "|" + aText.toStdString());
        if (aSummary)
            *aSummary = {3, QStringLiteral("a Needle here")};
        return true;
    };
    Window.Values.edtTextToFind = QStringLiteral(" Needle ");
    Control.Start();
    ASSERT_TRUE(List.Check);
    EXPECT_EQ(List.Check->fText, QStringLiteral("Needle"));
    TCustomCancellationToken cancel;
    TMatchFinding finding;
    EXPECT_TRUE(List.Check->fContains(QStringLiteral("/d/a.txt"), cancel, finding));
    EXPECT_EQ(finding.fMatches, 3);
    EXPECT_EQ(finding.fContext, QStringLiteral("a Needle here"));
    EXPECT_FALSE(List.Check->fContains(QStringLiteral("/d/photo.mp4"), cancel, finding));
    EXPECT_EQ(ahead, std::vector<std::string>{"/d/a.txt|Needle"});

    List.Verdict = false;
    EXPECT_FALSE(Offer(QStringLiteral("/d/hit.txt"))); // the verdict wins over the check
    List.Verdict = true;
    EXPECT_TRUE(Offer(QStringLiteral("/d/miss.txt")));
    EXPECT_TRUE(Checked.empty());
    EXPECT_EQ(Control.MatchCount(), 1);
    // A verdict for another text is not taken.
    List.Check = std::make_shared<TContentCheck>(TContentCheck{QStringLiteral("other"), nullptr});
    EXPECT_FALSE(Offer(QStringLiteral("/d/miss2.txt")));
    EXPECT_EQ(Checked, std::vector<std::string>{"/d/miss2.txt|Needle"});

    // Without a text, or without a background check, nothing is checked ahead.
    Window.Values.edtTextToFind = QStringLiteral("  ");
    Control.Start();
    EXPECT_FALSE(List.Check);
    Window.Values.edtTextToFind = QStringLiteral("x");
    Control.CheckInBackground = nullptr;
    Control.Start();
    EXPECT_FALSE(List.Check);
}

// Documents that could not be read, by the checks ahead and on offer, are noted at the end of the
// search; a cancelled check is not a failure; the window hears once per run that the server could
// not be started.
TEST_F(SearchControl, DocumentsNotReadAreNotedAndAMissingServerIsToldOnce)
{
    const auto failureOf = [](const QString &aPath) {
        if (aPath.endsWith(u".pdf"))
            return TDocumentFailure{TDocumentProblem::ServerNotStarted, QStringLiteral("not found")};
        if (aPath.endsWith(u".docx"))
            return TDocumentFailure{TDocumentProblem::Encrypted, {}};
        return TDocumentFailure{};
    };
    Control.CheckInBackground = [&](const QString &aPath, const QString &, const ICancellationIndicator &,
                                    TDocumentFailure &aFailure, TMatchSummary *) {
        aFailure = failureOf(aPath);
        return false;
    };
    Control.FileContainsText = [&](const QString &aPath, const QString &, TDocumentFailure &aFailure) {
        aFailure = failureOf(aPath);
        return aFailure.fProblem == TDocumentProblem::None;
    };
    for (int search = 0; search < 2; ++search) {
        Window.Values.edtTextToFind = QStringLiteral("needle");
        Control.Start();
        ASSERT_TRUE(List.Check);
        TCustomCancellationToken running;
        TMatchFinding finding;
        EXPECT_FALSE(List.Check->fContains(QStringLiteral("/d/a.pdf"), running, finding));
        TCustomCancellationToken cancelled;
        cancelled.Cancel();
        EXPECT_FALSE(List.Check->fContains(QStringLiteral("/d/b.pdf"), cancelled, finding));
        List.Check = nullptr; // checked on offer from here on
        EXPECT_FALSE(Offer(QStringLiteral("/d/c.docx")));
        EXPECT_TRUE(Offer(QStringLiteral("/d/d.txt")));
        Control.EndSearch();
        EXPECT_TRUE(Window.Status.endsWith(QStringLiteral(": 1 (2 documents could not be read)")))
            << Window.Status.toStdString();
        const std::vector<TUnreadDocument> unread = Control.UnreadDocuments().Entries();
        ASSERT_EQ(unread.size(), 2u);
        EXPECT_EQ(unread[0].fPath, QStringLiteral("/d/a.pdf"));
        EXPECT_EQ(unread[1].fFailure.fProblem, TDocumentProblem::Encrypted);
        EXPECT_EQ(Window.ServerNotStarted, std::vector<QString>{QStringLiteral("not found")});
    }
    // A search that reads everything ends with the plain count.
    Control.CheckInBackground = nullptr;
    Window.Values.edtTextToFind = QStringLiteral("needle");
    Control.Start();
    EXPECT_TRUE(Offer(QStringLiteral("/d/d.txt")));
    Control.EndSearch();
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 1"));
    EXPECT_EQ(Control.UnreadNote(), QString());
}

TEST_F(SearchControl, StatusTextsGoThroughTheTranslator)
{
    Control.Translate = [](const QString &aPhrase) { return QStringLiteral("<") + aPhrase + u'>'; };
    Window.Values.edtTextToFind = QStringLiteral("x");
    Control.Start();
    EXPECT_EQ(Window.Status, QStringLiteral("<Searching...>"));
    Offer(QStringLiteral("/d/hit"));
    EXPECT_EQ(Window.Status, QStringLiteral("<Items found:> 0. <Processing:> /d/hit"));
    Control.EndSearch();
    EXPECT_EQ(Window.Status, QStringLiteral("<Items found:> 1"));
}

TEST_F(SearchControl, EmptyOrBlankTextListsEveryPath)
{
    Window.Values.edtTextToFind = QStringLiteral(" \t ");
    Control.Start();
    EXPECT_TRUE(Offer(QStringLiteral("/d/a.jpg")));
    EXPECT_TRUE(Offer(QStringLiteral("/d/b")));
    EXPECT_TRUE(Offer(QStringLiteral("/d/c.txt")));
    EXPECT_EQ(Control.MatchCount(), 3);
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 2. Processing: /d/c.txt"));
    EXPECT_TRUE(Checked.empty());
}

TEST_F(SearchControl, SkippedExtensionRefusedWithoutOpening)
{
    Window.Values.edtTextToFind = QStringLiteral("x");
    Control.Start();
    EXPECT_FALSE(Offer(QStringLiteral("/d/hit.JPG")));
    EXPECT_TRUE(Checked.empty());
    // Only the file name's extension counts, not a "." in a folder name.
    EXPECT_TRUE(Offer(QStringLiteral("/d/x.jpg/hit")));
    EXPECT_EQ(Control.MatchCount(), 1);
}

TEST_F(SearchControl, TextCapturedAtStartUnlessStartedEmpty)
{
    Window.Values.edtTextToFind = QStringLiteral("first");
    Control.Start();
    Window.Values.edtTextToFind = QStringLiteral("second");
    Offer(QStringLiteral("/d/hit"));
    EXPECT_EQ(Checked.back(), "/d/hit|first");

    Window.Values.edtTextToFind = QString();
    Control.Start();
    Window.Values.edtTextToFind = QStringLiteral("  typed later ");
    Offer(QStringLiteral("/d/hit"));
    EXPECT_EQ(Checked.back(), "/d/hit|typed later");
}

TEST_F(SearchControl, StopRefusesEveryPathAndStartsTheTimerOnce)
{
    Window.Values.edtTextToFind = QStringLiteral("x");
    Control.Start();
    Offer(QStringLiteral("/d/hit1"));
    const QString progress = Window.Status;
    Control.RequestStop();
    EXPECT_EQ(Control.State(), scStopping);
    Log.clear();
    Window.TimerActive = false; // as if the click had come while the timer could not run
    EXPECT_FALSE(Offer(QStringLiteral("/d/hit2")));
    EXPECT_FALSE(Offer(QStringLiteral("/d/hit3")));
    EXPECT_EQ(Log, std::vector<std::string>{"timer"});
    EXPECT_EQ(Window.TimerStarts, 2);
    EXPECT_EQ(Checked.size(), 1u);
    EXPECT_EQ(Window.Status, progress);
    EXPECT_EQ(Control.MatchCount(), 1);
}

TEST_F(SearchControl, StopButtonSetsTheFlagAndStartsTheTimerOnly)
{
    Control.RequestStop();
    EXPECT_EQ(Window.TimerStarts, 0); // nothing runs: nothing to stop
    Control.Start();
    Log.clear();
    Control.RequestStop();
    Control.RequestStop();
    EXPECT_EQ(Log, std::vector<std::string>{"timer"});
    EXPECT_TRUE(Control.StopRequested());
}

TEST_F(SearchControl, StopEndsASearchThatOffersNoMorePaths)
{
    Control.Start();
    List.OnStop = [this] { Control.EndSearch(); };
    Control.RequestStop();
    Log.clear();
    Control.StopperTimerFired();
    EXPECT_EQ(Log.front(), "list stop");
    EXPECT_EQ(Control.State(), scIdle);
}

TEST_F(SearchControl, ATimerLeftByASearchThatEndedDoesNotStopTheNextOne)
{
    Control.Start();
    Control.RequestStop();
    Control.EndSearch(); // the walk ended by itself before the timer fired
    Control.Start();
    Log.clear();
    Control.StopperTimerFired();
    EXPECT_TRUE(Log.empty());
    EXPECT_EQ(Control.State(), scSearching);
}

TEST_F(SearchControl, StopDuringEventsRefusesThatPathWithoutCheck)
{
    Window.Values.edtTextToFind = QStringLiteral("x");
    Control.Start();
    Window.OnProcessEvents = [this] { Control.RequestStop(); };
    EXPECT_FALSE(Offer(QStringLiteral("/d/hit")));
    EXPECT_TRUE(Checked.empty());
    EXPECT_EQ(Window.TimerStarts, 1);
}

TEST_F(SearchControl, TimerStopsTheListFromTheEventLoop)
{
    Control.Start();
    Control.RequestStop();
    Offer(QStringLiteral("/d/a"));
    List.OnStop = [this] { Control.EndSearch(); };
    Log.clear();
    Control.StopperTimerFired();
    EXPECT_EQ(Log.front(), "list stop");
    EXPECT_FALSE(Control.StopRequested());
    EXPECT_EQ(Control.State(), scIdle);
}

// ---- end of search ----

TEST_F(SearchControl, EndOfSearchRestoresTheForm)
{
    Control.Start();
    Offer(QStringLiteral("/d/a"));
    Offer(QStringLiteral("/d/b"));
    Control.RequestStop();
    Log.clear();
    Control.EndSearch();
    const std::vector<std::string> expected{"start on", "stop off", "status Items found: 2",
                                            "cursor default"};
    EXPECT_EQ(Log, expected);
    EXPECT_FALSE(Control.StopRequested());
    EXPECT_EQ(Control.State(), scIdle);
}

TEST_F(SearchControl, EndOfSearchCountsListedItemsNotMatches)
{
    Control.Start();
    Offer(QStringLiteral("/d/a"));
    List.Items = 5;
    Control.EndSearch();
    EXPECT_EQ(Window.Status, QStringLiteral("Items found: 5"));
}

TEST_F(SearchControl, EndOfSearchIgnoredWhileDestroying)
{
    Control.Start();
    Control.WindowDestroying();
    Log.clear();
    Control.EndSearch();
    EXPECT_TRUE(Log.empty());
}

TEST_F(SearchControl, EndRaisedInsideStopOfANewStartLeavesItSearching)
{
    Control.Start();
    List.OnStop = [this] { Control.EndSearch(); };
    Control.Start();
    EXPECT_EQ(Control.State(), scSearching);
    EXPECT_FALSE(Window.StartEnabled);
    EXPECT_TRUE(Window.StopEnabled);
    EXPECT_TRUE(Window.Busy);
    EXPECT_EQ(Window.Status, QStringLiteral("Searching..."));
}

// ---- Enter ----

TEST_F(SearchControl, EnterStartsEvenWhileRunning)
{
    Window.Paths = {QStringLiteral("/a/*")};
    Window.Values.edtTextToFind = QStringLiteral("old");
    Control.KeyPress(13);
    ASSERT_EQ(Control.State(), scSearching);
    Offer(QStringLiteral("/a/hit"));
    Window.Values.edtTextToFind = QStringLiteral("new");
    Log.clear();
    Control.KeyPress(13);
    EXPECT_EQ(Control.TextToFind(), QStringLiteral("new"));
    EXPECT_EQ(Control.MatchCount(), 0);
    EXPECT_EQ(List.Items, 0);
    EXPECT_LT(std::find(Log.begin(), Log.end(), "list stop"),
              std::find(Log.begin(), Log.end(), "list clear"));
    EXPECT_EQ(Log.back(), "search /a");
}

TEST_F(SearchControl, OtherKeysDoNothing)
{
    Control.KeyPress(u'a');
    Control.KeyPress(10);
    EXPECT_TRUE(Log.empty());
}

// ---- starts, closes and stops while a path is offered ----

TEST_F(SearchControl, StartDuringABatchWaitsForTheEventLoop)
{
    Window.Values.edtTextToFind = QStringLiteral("x");
    Control.Start();
    Window.OnProcessEvents = [this] { Control.KeyPress(13); };
    Log.clear();
    const bool first = Offer(QStringLiteral("/d/hit1"));
    // The rest of the batch is refused at once and the list is left alone.
    EXPECT_FALSE(first);
    EXPECT_FALSE(Offer(QStringLiteral("/d/hit2")));
    EXPECT_FALSE(Contains("list stop"));
    EXPECT_FALSE(Contains("list clear"));
    EXPECT_TRUE(Checked.empty());
    EXPECT_EQ(Window.Deferred.size(), 1u);

    Window.RunDeferred();
    EXPECT_TRUE(Contains("list stop"));
    EXPECT_TRUE(Contains("list clear"));
    EXPECT_EQ(Control.State(), scSearching);
    EXPECT_TRUE(Offer(QStringLiteral("/d/hit3")));
}

TEST_F(SearchControl, NestedBatchQueuesOnlyWhenTheOuterOfferEnds)
{
    Window.Values.edtTextToFind = QStringLiteral("x");
    Control.Start();
    bool inner = true;
    // The first offer's events offer another walk's path, during which Enter is pressed.
    Window.OnProcessEvents = [&] {
        Window.OnProcessEvents = [this] { Control.KeyPress(13); };
        inner = Offer(QStringLiteral("/e/hit"));
        EXPECT_TRUE(Window.Deferred.empty());
    };
    Log.clear();
    Offer(QStringLiteral("/d/hit"));
    EXPECT_FALSE(inner);
    EXPECT_EQ(Window.Deferred.size(), 1u);
    EXPECT_FALSE(Contains("list clear"));
    Window.RunDeferred();
    EXPECT_TRUE(Contains("list clear"));
}

TEST_F(SearchControl, CloseDuringABatchIsPutOff)
{
    Control.Start();
    bool closeNow = true;
    Window.OnProcessEvents = [&] { closeNow = !Control.DeferClose(); };
    Offer(QStringLiteral("/d/a"));
    EXPECT_FALSE(closeNow);
    EXPECT_FALSE(Offer(QStringLiteral("/d/b")));
    EXPECT_FALSE(Contains("close"));
    Window.RunDeferred();
    EXPECT_TRUE(Contains("close"));
    EXPECT_FALSE(Control.DeferClose());
}

TEST_F(SearchControl, CloseWinsOverAStartPutOffWithIt)
{
    Control.Start();
    Window.OnProcessEvents = [this] {
        Control.Start();
        Control.DeferClose();
    };
    Offer(QStringLiteral("/d/a"));
    Log.clear();
    Window.RunDeferred();
    EXPECT_EQ(Log, std::vector<std::string>{"close"});
}

TEST_F(SearchControl, CloseWhileIdleIsNotPutOff)
{
    EXPECT_FALSE(Control.DeferClose());
    Control.Start();
    EXPECT_FALSE(Control.DeferClose());
    EXPECT_TRUE(Window.Deferred.empty());
}

TEST_F(SearchControl, TimerFiringInsideABatchStopsAfterIt)
{
    Control.Start();
    Control.RequestStop();
    Window.OnProcessEvents = [] {};
    Offer(QStringLiteral("/d/a"));
    // A timer that fires from an outer offer's event processing.
    Window.OnProcessEvents = [this] {
        Control.RequestStop();
        Control.StopperTimerFired();
    };
    Control.EndSearch();
    Control.Start();
    Offer(QStringLiteral("/d/b"));
    EXPECT_EQ(Log.back(), "queue");
    Log.clear();
    Window.RunDeferred();
    EXPECT_EQ(Log, std::vector<std::string>{"list stop"});
}

TEST_F(SearchControl, DeferredCallsDoNothingAfterDestruction)
{
    Control.Start();
    Window.OnProcessEvents = [this] { Control.KeyPress(13); };
    Offer(QStringLiteral("/d/a"));
    ASSERT_EQ(Window.Deferred.size(), 1u);
    Control.WindowDestroying();
    Log.clear();
    Window.RunDeferred();
    EXPECT_TRUE(Log.empty());
}

TEST_F(SearchControl, PathsOfferedWhileAStartStopsTheListAreRefused)
{
    Window.Values.edtTextToFind = QStringLiteral("x");
    Control.Start();
    bool offered = true;
    List.OnStop = [&] { offered = Offer(QStringLiteral("/old/hit")); };
    Control.Start();
    EXPECT_FALSE(offered);
    EXPECT_TRUE(Checked.empty());
}

// ---- the program's own services ----

TEST(SearchControlServices, RealContentCheckAndSkipList)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto write = [&](const QString &aName, const QByteArray &aBytes) {
        QFile file(dir.filePath(aName));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(aBytes);
        return file.fileName();
    };
    const QString hit = write(QStringLiteral("notes.txt"), "Some Needle here\n");
    const QString miss = write(QStringLiteral("other.txt"), "nothing\n");
    const QString skipped = write(QStringLiteral("photo.JPG"), "Needle\n");

    std::vector<std::string> log;
    TFakeWindow window(log);
    TFakeList list(log);
    TSearchControl control(window, list);
    control.SelectionPaths = [&] { return window.Paths; };
    control.Clock = [now = uint32_t(0)]() mutable { return now += 1000; };
    window.Values.edtTextToFind = QStringLiteral("needle");
    control.Start();
    const auto offer = [&](const QString &aPath) {
        bool canAdd = true;
        control.AcceptPath(aPath, canAdd);
        return canAdd;
    };
    EXPECT_TRUE(offer(hit));
    EXPECT_FALSE(offer(miss));
    EXPECT_FALSE(offer(skipped));
    EXPECT_FALSE(offer(dir.filePath(QStringLiteral("vanished.txt"))));
    EXPECT_EQ(control.MatchCount(), 1);
    // English is current: the texts are the phrases themselves.
    EXPECT_EQ(window.Status,
              QStringLiteral("Items found: 1. Processing: ") + dir.filePath(QStringLiteral("vanished.txt")));
}

} // namespace
