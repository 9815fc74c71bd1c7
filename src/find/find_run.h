// One run of ordwell-find: the window's search session without a window, fed the request from the
// command line, its results printed as the walks hand them over, ended by the last walk, a signal,
// a closed output or the first file found under --quiet.
#pragma once

#include "find/find_printer.h"
#include "find/find_progress.h"
#include "find/find_request.h"
#include "search/search_session.h"

#include <cstdint>
#include <memory>
#include <QObject>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class QEventLoop;

// How a run ended: the exit status, or the signal that ended it (to be raised again once
// everything is cleaned up).
struct TFindOutcome
{
    int fStatus = 0;
    int fSignal = 0;
};

// Main thread only (it is the search's UI thread).
class TFindRun : private ISearchWindow
{
public:
    explicit TFindRun(TFindRequest aRequest);
    ~TFindRun() override;
    TFindRun(const TFindRun &) = delete;
    TFindRun &operator=(const TFindRun &) = delete;

    // Searches and prints; returns when the search has ended or was ended. Exit status as grep's:
    // 0 something was found, 1 nothing was, 2 an error (a folder that cannot be searched, a bad
    // regular expression or server address, a failed output), also when something was found
    // (unless --quiet found one). The program's own extraction server has ended when it returns.
    TFindOutcome Run();

private:
    // ISearchWindow: the search control's window, here without controls.
    TSearchFormValues SearchFormValues() const override { return fRequest.fForm; }
    QString TextToFindText() const override { return fRequest.fForm.edtTextToFind; }
    void SetSearchDates(TDateTime, TDateTime) override {}
    void SaveSettings() override {}
    void SetStatusText(const QString &) override {}
    void RepaintStatusLine() override {}
    void ProcessPendingEvents() override {}
    void SetBusyCursor(bool) override {}
    void EnableStartButton(bool) override {}
    void EnableStopButton(bool) override {}
    void ClearPreview() override {}
    void FocusResultList() override {}
    bool StopperTimerActive() const override { return false; }
    void StartStopperTimer() override;
    void QueueDeferred(std::function<void()> aCall) override;
    void CloseWindow() override {}
    void ReportServerNotStarted(const QString &aDetail) override;
    void ShowTextToFindError(const QString &aError) override { fTextError = aError; }

    // Checks the folders and the server address, gives the session its roots, server and cache.
    // False when nothing can be searched.
    bool Prepare();
    // Prints the rows the list has added since the last call.
    void PrintNewRows();
    // The path as the user named its folder (relative stays relative).
    QString ShownPath(const QString &aPath) const;
    // Ends the search early (a signal, a closed output, --quiet); the end of search follows.
    void EndEarly();
    void SignalReceived(int aSignal);
    void SearchEnded();
    void PrintSummary();
    void Complain(const QString &aMessage);

    TFindRequest fRequest;
    TFindPrinter fPrinter;
    TFindProgress fProgress;
    // Each root as walked (absolute, ending with "/") and as shown (as given, ending with "/",
    // or empty for the current folder named by none).
    std::vector<std::pair<QString, QString>> fRoots;
    std::unique_ptr<TSearchSession> fSession;
    // The receiver of this run's deferred calls: gone before the session is, so none outlives it.
    std::unique_ptr<QObject> fContext;
    QEventLoop *fLoop = nullptr;
    QString fTextError;
    int fPrinted = 0;
    bool fError = false;
    bool fEnding = false;
    bool fEnded = false;
    int fSignal = 0;
};
