// The search control: start, stop, acceptance of offered paths, end of search, deferral.
#include "search/search_control.h"

#include "content/content_matching.h"
#include "content/text_extraction.h"
#include "i18n/translation.h"
#include "platform/file_name.h"
#include "platform/tick_count.h"
#include "search/search_roots.h"

#include <exception>
#include <optional>
#include <QtGlobal>

namespace {

constexpr char16_t cEnterKey = 13;

// Counts one level of path offering for the lifetime of the guard.
class TOfferGuard
{
public:
    TOfferGuard(int &aDepth, std::function<void()> aOnLeave) : fDepth(aDepth), fOnLeave(std::move(aOnLeave))
    {
        ++fDepth;
    }
    ~TOfferGuard()
    {
        --fDepth;
        fOnLeave();
    }
    TOfferGuard(const TOfferGuard &) = delete;
    TOfferGuard &operator=(const TOfferGuard &) = delete;

private:
    int &fDepth;
    std::function<void()> fOnLeave;
};

} // namespace

TSearchControl::TSearchControl(ISearchWindow &aWindow, ISearchResultList &aList)
    : Translate([](const QString &aPhrase) { return ::Translate(aPhrase); }),
      IsSkippedExtension([](QStringView aExt) { return ::IsSkippedExtension(aExt); }),
      FileContainsText([](const QString &aPath, const QString &aText, TDocumentFailure &aFailure) {
          return ::FileContainsText(aPath, aText, {}, nullptr, &aFailure);
      }),
      CheckInBackground([](const QString &aPath, const QString &aText, const ICancellationIndicator &aCancel,
                           TDocumentFailure &aFailure, TMatchSummary *aSummary) {
          return ::FileContainsText(aPath, aText, {}, &aCancel, &aFailure, {}, aSummary);
      }),
      Clock([] { return GetTickCount(); }), fWindow(aWindow), fList(aList)
{
}

void TSearchControl::Start()
{
    if (fStarting)
        return;
    if (fOfferDepth > 0) {
        fStartDeferred = true;
        return;
    }
    StartNow();
}

void TSearchControl::StartNow()
{
    const TSearchFormValues values = fWindow.SearchFormValues();
    // A regular expression that does not compile is shown, and nothing starts.
    const TMatchOptions options{values.MatchCase, values.WholeWords, values.RegularExpression};
    const QString text = values.edtTextToFind.trimmed();
    if (options.fRegex && !text.isEmpty()) {
        const TTextMatcher probe(text, options, false);
        fWindow.ShowTextToFindError(probe.ErrorText());
        if (!probe.IsValid())
            return;
    } else {
        fWindow.ShowTextToFindError(QString());
    }
    fMatchOptionBits =
        uint8_t((options.fMatchCase ? 1 : 0) | (options.fWholeWords ? 2 : 0) | (options.fRegex ? 4 : 0));
    fStarting = true;
    fWindow.SaveSettings();
    fStopRequested = false;
    fMatchCount = 0;
    fWindow.ClearPreview();
    fList.Stop();
    const TDateTime minDate = WithTimeOfDay(values.SearchMinDate, QTime(0, 0));
    fWindow.SetSearchDates(minDate, WithTimeOfDay(values.SearchMaxDate, QTime(0, 0)));
    fWindow.EnableStartButton(false);
    fWindow.EnableStopButton(true);
    fWindow.SetStatusText(Translate(QStringLiteral("Searching...")));
    fWindow.SetBusyCursor(true);
    fSearching = true;
    fList.Clear();
    fWindow.FocusResultList();
    FTextToFind = values.edtTextToFind.trimmed();
    fUnread = std::make_shared<TUnreadDocuments>();
    fList.SetContentCheck(ContentCheckFor(FTextToFind));
    fProgressShown = true;

    FillSearchOptions(values, fList.SearchOptions());
    SearchUnrecognizedFormats() = values.CheckBox1;
    if (values.SearchDateRB)
        fWindow.SetSearchDates(minDate, WithTimeOfDay(values.SearchMaxDate, cEndOfDay));

    bool searchFailed = false;
    try {
        SearchRoots(SelectionPaths ? SelectionPaths() : QStringList());
    } catch (const std::exception &error) {
        qWarning("Search could not start: %s", error.what());
        searchFailed = true;
    }
    fStarting = false;
    // Without a walk no end of search would come to restore the form.
    if (searchFailed)
        EndSearch();
    // A close asked for while the list was being stopped comes now.
    QueueDeferredIfNeeded();
}

void TSearchControl::SearchRoots(const QStringList &aPaths)
{
    if (aPaths.isEmpty()) {
        fList.Search(QString());
        return;
    }
    for (const QString &entry : aPaths) {
        if (const std::optional<QString> folder = FolderOfSelectionEntry(entry))
            fList.Search(*folder);
        if (fStopRequested)
            break;
    }
}

void TSearchControl::RequestStop()
{
    fStopRequested = true;
    // The timer runs from the click too: a walk that offers no more paths (a narrow filter in a
    // large tree) would otherwise go on to its end.
    if (fSearching && !fWindow.StopperTimerActive())
        fWindow.StartStopperTimer();
}

void TSearchControl::StopperTimerFired()
{
    // A timer left running by a search that has ended meanwhile must not stop the next one.
    if (!fStopRequested)
        return;
    if (fOfferDepth > 0 || fStarting) {
        fStopDeferred = true;
        return;
    }
    fList.Stop();
}

void TSearchControl::AcceptPath(const QString &Path, bool &CanAdd)
{
    if (fStopRequested) {
        CanAdd = false;
        if (!fWindow.StopperTimerActive())
            fWindow.StartStopperTimer();
        return;
    }
    // Paths offered while the list is being stopped by a start, or after a start or a close was
    // put off, belong to a list that is about to be cleared.
    if (fStarting || HasDeferred()) {
        CanAdd = false;
        return;
    }

    TOfferGuard guard(fOfferDepth, [this] { QueueDeferredIfNeeded(); });
    ReportProgress(Path);
    const uint32_t now = Clock();
    if (!fEverProcessed || TicksBetween(fLastEvents, now) >= EventsIntervalMs) {
        fEverProcessed = true;
        fLastEvents = now;
        fWindow.ProcessPendingEvents();
    }

    // The user may have stopped, restarted or closed meanwhile: no content check then.
    if (fStopRequested || HasDeferred() || fDestroying) {
        CanAdd = false;
        if (fStopRequested && !fWindow.StopperTimerActive())
            fWindow.StartStopperTimer();
        return;
    }

    const QString text = CurrentTextToFind();
    if (text.isEmpty()) {
        CanAdd = true;
        ++fMatchCount;
        return;
    }
    if (IsSkippedExtension(ExtractFileExt(Path))) {
        CanAdd = false;
        return;
    }
    const std::optional<bool> verdict = fList.OfferedVerdict(text);
    if (verdict) {
        CanAdd = *verdict;
    } else {
        TDocumentFailure failure;
        CanAdd = FileContainsText(Path, text, failure);
        if (!CanAdd)
            fUnread->Add(Path, failure);
    }
    if (CanAdd)
        ++fMatchCount;
    if (fUnread->ServerNotStarted())
        ReportServerNotStartedOnce();
}

void TSearchControl::WalkProgress(const QString &Path)
{
    if (fSearching && !fStopRequested && !fStarting && !HasDeferred() && !fDestroying)
        ReportProgress(Path);
}

void TSearchControl::ReportServerNotStartedOnce()
{
    if (fServerNotStartedReported)
        return;
    fServerNotStartedReported = true;
    QString detail;
    for (const TUnreadDocument &document : fUnread->Entries())
        if (document.fFailure.fProblem == TDocumentProblem::ServerNotStarted) {
            detail = document.fFailure.fDetail;
            break;
        }
    fWindow.ReportServerNotStarted(detail);
}

void TSearchControl::ReportProgress(const QString &Path)
{
    fProgressPath = Path;
    fProgressCount = fMatchCount;
    fProgressShown = false;
    const uint32_t now = Clock();
    if (!fEverRepainted || TicksBetween(fLastProgressRepaint, now) >= ProgressRepaintIntervalMs) {
        ShowProgress();
        return;
    }
    if (!fProgressFlushQueued) {
        fProgressFlushQueued = true;
        fWindow.QueueDeferred([this] {
            fProgressFlushQueued = false;
            if (!fDestroying && fSearching && !fStopRequested)
                ShowProgress();
        });
    }
}

void TSearchControl::ShowProgress()
{
    if (fProgressShown)
        return;
    fProgressShown = true;
    fEverRepainted = true;
    fLastProgressRepaint = Clock();
    fWindow.SetStatusText(Translate(QStringLiteral("Items found:")) + u' ' + QString::number(fProgressCount) +
                          QStringLiteral(". ") + Translate(QStringLiteral("Processing:")) + u' ' +
                          DisplayFileName(fProgressPath));
    fWindow.RepaintStatusLine();
}

std::shared_ptr<const ::TContentCheck> TSearchControl::ContentCheckFor(const QString &aText) const
{
    if (aText.isEmpty() || !CheckInBackground)
        return nullptr;
    auto check = std::make_shared<::TContentCheck>();
    check->fText = aText;
    // The skip list is the program's own (pure, so safe on any thread); the acceptance applies
    // IsSkippedExtension again before it looks at a verdict.
    // A document that could not be read goes to the search's list, unless the search is ending.
    check->fContains =
        [background = CheckInBackground, aText, unread = fUnread, summarize = FillMatchColumns](
            const QString &aPath, const ICancellationIndicator &aCancel, TMatchFinding &aFinding) {
            if (::IsSkippedExtension(ExtractFileExt(aPath)))
                return false;
            TDocumentFailure failure;
            TMatchSummary summary;
            const bool contains = background(aPath, aText, aCancel, failure, summarize ? &summary : nullptr);
            if (!contains && !aCancel.IsCancellationRequested())
                unread->Add(aPath, failure);
            aFinding = {summary.fMatches, std::move(summary.fContext), summary.fPage};
            return contains;
        };
    return check;
}

void TSearchControl::EndSearch()
{
    if (fDestroying)
        return;
    fProgressShown = true;
    fWindow.EnableStartButton(true);
    fWindow.EnableStopButton(false);
    fWindow.SetStatusText(ItemsFoundText(fList.Count()) + UnreadNote());
    fWindow.SetBusyCursor(false);
    if (fUnread->ServerNotStarted())
        ReportServerNotStartedOnce();
    fStopRequested = false;
    fSearching = false;
}

void TSearchControl::KeyPress(char16_t aKey)
{
    if (aKey == cEnterKey)
        Start();
}

bool TSearchControl::DeferClose()
{
    if (fOfferDepth == 0 && !fStarting)
        return false;
    fCloseDeferred = true;
    return true;
}

void TSearchControl::WindowDestroying()
{
    fDestroying = true;
}

TMatchOptions TSearchControl::MatchOptions() const
{
    const uint8_t bits = fMatchOptionBits.load();
    return {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
}

QString TSearchControl::CurrentTextToFind() const
{
    if (!FTextToFind.isEmpty())
        return FTextToFind;
    return fWindow.TextToFindText().trimmed();
}

TSearchState TSearchControl::State() const
{
    if (!fSearching)
        return scIdle;
    return fStopRequested ? scStopping : scSearching;
}

void TSearchControl::QueueDeferredIfNeeded()
{
    if (fOfferDepth > 0 || fStarting || fDeferredQueued || !HasDeferred() || fDestroying)
        return;
    fDeferredQueued = true;
    fWindow.QueueDeferred([this] { RunDeferred(); });
}

void TSearchControl::RunDeferred()
{
    fDeferredQueued = false;
    if (fDestroying)
        return;
    if (fOfferDepth > 0 || fStarting) {
        // Reached from inside an offer after all; the offer's end queues this again.
        return;
    }
    if (fCloseDeferred) {
        fCloseDeferred = false;
        fStartDeferred = false;
        fStopDeferred = false;
        fWindow.CloseWindow();
        return;
    }
    if (fStopDeferred) {
        fStopDeferred = false;
        fList.Stop();
    }
    if (fStartDeferred) {
        fStartDeferred = false;
        StartNow();
    }
}

QString TSearchControl::ItemsFoundText(qint64 aCount) const
{
    return Translate(QStringLiteral("Items found:")) + u' ' + QString::number(aCount);
}

QString TSearchControl::UnreadNote() const
{
    const int32_t count = fUnread->Count();
    if (count == 0)
        return {};
    const QString note = count == 1 ? Translate(QStringLiteral("1 document could not be read"))
                                    : Translate(QStringLiteral("%s documents could not be read"))
                                          .replace(QStringLiteral("%s"), QString::number(count));
    return QStringLiteral(" (") + note + u')';
}
