// The search control of the main window without widgets: starts and stops searches, decides for
// every offered path whether it is listed, reports progress and restores the form at the end.
// The window and the result list are reached through the two small interfaces below.
#pragma once

#include "content/content_matching.h"
#include "content/document_failure.h"
#include "content/text_matcher.h"
#include "filesearch/content_verdict.h"
#include "filesearch/search_options.h"
#include "platform/tick_count.h"
#include "search/search_form_values.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <QString>
#include <QStringList>
#include <QStringView>

// What the search control asks of the main window. Every call comes on the UI thread.
class ISearchWindow
{
public:
    virtual ~ISearchWindow() = default;

    // The current values of the search form's controls.
    virtual TSearchFormValues SearchFormValues() const = 0;
    // The current content of "Text to find:", as typed.
    virtual QString TextToFindText() const = 0;
    // Puts the given date-times into the two date pickers.
    virtual void SetSearchDates(TDateTime aMin, TDateTime aMax) = 0;
    virtual void SaveSettings() = 0;
    virtual void SetStatusText(const QString &aText) = 0;
    // Draws the status line now, without waiting for the event loop.
    virtual void RepaintStatusLine() = 0;
    // Lets pending user-interface events run once (input, timers, other hand-overs).
    virtual void ProcessPendingEvents() = 0;
    // The application-wide cursor: working in background, or the default.
    virtual void SetBusyCursor(bool aBusy) = 0;
    virtual void EnableStartButton(bool aEnabled) = 0;
    virtual void EnableStopButton(bool aEnabled) = 0;
    virtual void ClearPreview() = 0;
    virtual void FocusResultList() = 0;
    // The one-shot stop timer (1000 ms): whether it is running, and starting it.
    virtual bool StopperTimerActive() const = 0;
    virtual void StartStopperTimer() = 0;
    // Runs aCall later from the main event loop, never from inside the current call chain.
    virtual void QueueDeferred(std::function<void()> aCall) = 0;
    // Closes the window (a close that was put off comes back through here).
    virtual void CloseWindow() = 0;
    // Tells the user, without waiting for an answer, that documents cannot be searched because
    // the extraction server could not be started (aDetail says why, in English). Called once
    // per run at most.
    virtual void ReportServerNotStarted(const QString &aDetail) = 0;
    // Shows why the text to find cannot be used (a regular expression that does not compile)
    // next to its field; an empty text takes the message away.
    virtual void ShowTextToFindError(const QString &aError) = 0;
};

// What the search control asks of the result list. Every call comes on the UI thread.
class ISearchResultList
{
public:
    virtual ~ISearchResultList() = default;

    // Ends every walk; may raise the end-of-search event before it returns. Never called while
    // a batch of paths is being offered.
    virtual void Stop() = 0;
    // Removes every item; stops nothing.
    virtual void Clear() = 0;
    // Queues one walk of aPath (empty: every volume, or the desktop folder when not recursive).
    virtual void Search(const QString &aPath) = 0;
    // The criteria the next Search copies.
    virtual TZorSearchOptions &SearchOptions() = 0;
    virtual int Count() const = 0;
    // The content check the next walks run ahead for every file (null: none).
    virtual void SetContentCheck(std::shared_ptr<const TContentCheck> aCheck) = 0;
    // While a path is being offered: its precomputed verdict for aText, if the walk has one.
    virtual std::optional<bool> OfferedVerdict(const QString &aText) const = 0;
};

// The states of the search form (buttons, cursor, stop flag).
enum TSearchState : uint8_t
{
    scIdle,
    scSearching,
    scStopping
};

// The search control. UI thread only; holds no lock. A start, a close or the stop timer that
// arrives while a path is being offered (the acceptance lets events run) is put off until the
// offering call chain has returned to the event loop, so the list is never stopped or cleared in
// the middle of a batch.
class TSearchControl
{
public:
    using TTranslator = std::function<QString(const QString &aPhrase)>;
    using TSkippedExtensionTest = std::function<bool(QStringView aExt)>;
    // A content check: whether the file holds the text; when it could not be read, aFailure
    // says why.
    using TContentCheck =
        std::function<bool(const QString &aPath, const QString &aText, TDocumentFailure &aFailure)>;
    // The check run ahead: the same, and for a file that holds the text, when aSummary is given,
    // its matches and context.
    using TBackgroundCheck =
        std::function<bool(const QString &aPath, const QString &aText, const ICancellationIndicator &aCancel,
                           TDocumentFailure &aFailure, TMatchSummary *aSummary)>;
    using TSelectionPaths = std::function<QStringList()>;
    using TClock = TTickClock;

    // The status line shows the progress text at most this often, and the acceptance lets pending
    // events run at most this often (milliseconds).
    static constexpr uint32_t ProgressRepaintIntervalMs = 50;
    static constexpr uint32_t EventsIntervalMs = 20;

    // Both must outlive the control.
    TSearchControl(ISearchWindow &aWindow, ISearchResultList &aList);
    TSearchControl(const TSearchControl &) = delete;
    TSearchControl &operator=(const TSearchControl &) = delete;

    // The start: saves the settings, stops and clears the list, fills its options from the form,
    // copies "Search in unrecognized formats" into the content check's SearchUnrecognizedFormats
    // and searches every folder entry of the selection (or once with an empty path when there is
    // none). With a text to find, the walks check every file ahead with CheckInBackground. Put off
    // while a path is being offered; ignored while a start is running. Never raises: when the
    // list cannot search, the form is restored as at an end of search.
    void Start();
    // The Stop button: sets StopRequested and, during a search, starts the stop timer unless it
    // runs already. The list itself is stopped only when the timer fires.
    void RequestStop();
    // The stop timer has fired (the window has disabled it): stops the list, or, while a path is
    // being offered, later. Does nothing when no stop is requested (the search has ended).
    void StopperTimerFired();
    // The result list's OnAddPath: sets CanAdd for Path and counts accepted paths. Takes the
    // verdict the walk computed ahead when it answers for the text looked for now, else calls
    // FileContainsText. The progress text names the latest path; it is shown at once when
    // ProgressRepaintIntervalMs have passed since it was last shown, else once the offering call
    // chain has returned. Pending events run when EventsIntervalMs have passed since they last did.
    void AcceptPath(const QString &Path, bool &CanAdd);
    // The result list's OnSearchProgress: a walk is at Path, among files it does not offer (those
    // its checks found not to hold the text). Shown as progress like an offered path, while a
    // search runs and no stop, start or close is pending.
    void WalkProgress(const QString &Path);
    // The result list's OnEndSearch: restores the buttons, the status line ("Items found: N",
    // followed by a note of the documents that could not be read) and the cursor.
    void EndSearch();
    // A key typed in the window: Enter (13) starts a search, even while one runs.
    void KeyPress(char16_t aKey);
    // True when the window must not close now: a path is being offered or a start is running.
    // The close is then made later through ISearchWindow::CloseWindow.
    bool DeferClose();
    // The window is being destroyed: later end-of-search events and deferred calls do nothing.
    void WindowDestroying();

    // The match options of the latest start (case, whole words, regular expression). Any thread.
    TMatchOptions MatchOptions() const;

    // The trimmed text to find, captured at each start; empty until the first start.
    const QString &TextToFind() const { return FTextToFind; }
    // Replaces the captured text to find: what the acceptance and the preview look for next.
    void SetTextToFind(const QString &aText) { FTextToFind = aText; }
    // The text the acceptance looks for: FTextToFind, or when that is empty the trimmed content
    // of "Text to find:" now.
    QString CurrentTextToFind() const;
    bool StopRequested() const { return fStopRequested; }
    // The documents the latest search could not read (filled while it runs).
    const TUnreadDocuments &UnreadDocuments() const { return *fUnread; }
    // " (N documents could not be read)", translated; empty when every document was read.
    QString UnreadNote() const;
    int32_t MatchCount() const { return fMatchCount; }
    TSearchState State() const;
    // True while a path is being offered (AcceptPath on the call stack).
    bool IsOfferingPath() const { return fOfferDepth > 0; }

    // The services the decision uses: the program's Translate, IsSkippedExtension and
    // FileContainsText (with the default extraction server) unless replaced, e.g. by tests.
    TTranslator Translate;
    TSkippedExtensionTest IsSkippedExtension;
    TContentCheck FileContainsText;
    // The check the walks run ahead on check threads: ::FileContainsText with the default
    // extraction server unless replaced. Empty: no verdicts ahead, every path is checked by
    // FileContainsText as it is offered.
    TBackgroundCheck CheckInBackground;
    // Whether the checks run ahead fill the Matches and Context columns (on unless turned off,
    // e.g. to measure what they cost). Read at each start.
    bool FillMatchColumns = true;
    // Milliseconds of a monotonic clock (GetTickCount unless replaced).
    TClock Clock;
    // What a start searches: the selection list's entries ("<folder>/*" or a file path). None
    // until set: a start then walks every volume.
    TSelectionPaths SelectionPaths;

private:
    // Runs the start now (not while offering). A Search that throws ends the search at once.
    void StartNow();
    // Calls Search for every folder entry of aPaths (or once with "" when there are none) until
    // a stop is requested.
    void SearchRoots(const QStringList &aPaths);
    // Queues RunDeferred once, when something was put off and no path is being offered.
    void QueueDeferredIfNeeded();
    // Carries out what was put off: a close first, else the stop, then a start.
    void RunDeferred();
    // Something was put off: remaining offered paths are refused without any work.
    bool HasDeferred() const { return fCloseDeferred || fStartDeferred || fStopDeferred; }
    // "Items found: N" through the translator.
    QString ItemsFoundText(qint64 aCount) const;
    // The content check of a search for aText, or null when none is to run ahead.
    std::shared_ptr<const ::TContentCheck> ContentCheckFor(const QString &aText) const;
    // Notes Path as the latest offered one and shows the progress text when it is due.
    void ReportProgress(const QString &Path);
    // Shows the progress text of the latest offered path, if it is not shown yet.
    void ShowProgress();
    // Tells the window, once per run, when the extraction server could not be started.
    void ReportServerNotStartedOnce();

    ISearchWindow &fWindow;
    ISearchResultList &fList;
    QString FTextToFind;
    bool fStopRequested = false;
    int32_t fMatchCount = 0;
    bool fSearching = false;
    bool fStarting = false;
    bool fDestroying = false;
    int fOfferDepth = 0;
    bool fStartDeferred = false;
    bool fCloseDeferred = false;
    bool fStopDeferred = false;
    bool fDeferredQueued = false;
    // The progress text's latest path, the count it shows, and whether it is on screen.
    QString fProgressPath;
    int32_t fProgressCount = 0;
    bool fProgressShown = true;
    bool fProgressFlushQueued = false;
    uint32_t fLastProgressRepaint = 0;
    uint32_t fLastEvents = 0;
    bool fEverRepainted = false;
    bool fEverProcessed = false;
    // Shared with the check threads of the latest search.
    std::shared_ptr<TUnreadDocuments> fUnread = std::make_shared<TUnreadDocuments>();
    // The match options as bits (case 1, whole words 2, regular expression 4): read by the
    // check threads, written at a start.
    std::atomic<uint8_t> fMatchOptionBits{0};
    bool fServerNotStartedReported = false;
};
