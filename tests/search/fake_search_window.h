// Test doubles of the search control's window and result list that record their calls.
#pragma once

#include "search/search_control.h"

#include <functional>
#include <string>
#include <system_error>
#include <vector>

// Records every effect in one log shared with the fake list, so tests can check the order.
class TFakeWindow : public ISearchWindow
{
public:
    explicit TFakeWindow(std::vector<std::string> &aLog) : fLog(aLog) {}

    TSearchFormValues SearchFormValues() const override { return Values; }
    QString TextToFindText() const override { return Values.edtTextToFind; }
    void SetSearchDates(TDateTime aMin, TDateTime aMax) override
    {
        Values.SearchMinDate = aMin;
        Values.SearchMaxDate = aMax;
        fLog.push_back("dates");
    }
    void SaveSettings() override { fLog.push_back("save"); }
    void SetStatusText(const QString &aText) override
    {
        Status = aText;
        fLog.push_back("status " + aText.toStdString());
    }
    void RepaintStatusLine() override { fLog.push_back("repaint"); }
    void ProcessPendingEvents() override
    {
        fLog.push_back("events");
        if (OnProcessEvents) {
            // One round of events, like the event loop's; it may offer more paths.
            auto events = std::move(OnProcessEvents);
            OnProcessEvents = nullptr;
            events();
        }
    }
    void SetBusyCursor(bool aBusy) override
    {
        Busy = aBusy;
        fLog.push_back(aBusy ? "cursor busy" : "cursor default");
    }
    void EnableStartButton(bool aEnabled) override
    {
        StartEnabled = aEnabled;
        fLog.push_back(aEnabled ? "start on" : "start off");
    }
    void EnableStopButton(bool aEnabled) override
    {
        StopEnabled = aEnabled;
        fLog.push_back(aEnabled ? "stop on" : "stop off");
    }
    void ClearPreview() override { fLog.push_back("clear preview"); }
    void FocusResultList() override { fLog.push_back("focus list"); }
    bool StopperTimerActive() const override { return TimerActive; }
    void StartStopperTimer() override
    {
        TimerActive = true;
        ++TimerStarts;
        fLog.push_back("timer");
    }
    void QueueDeferred(std::function<void()> aCall) override
    {
        Deferred.push_back(std::move(aCall));
        fLog.push_back("queue");
    }
    void CloseWindow() override { fLog.push_back("close"); }
    void ShowTextToFindError(const QString &aError) override { TextToFindError = aError; }
    void ReportServerNotStarted(const QString &aDetail) override
    {
        ServerNotStarted.push_back(aDetail);
        fLog.push_back("server not started");
    }

    // The main event loop's turn: runs what was queued.
    void RunDeferred()
    {
        auto calls = std::move(Deferred);
        Deferred.clear();
        for (auto &call : calls)
            call();
    }

    TSearchFormValues Values{46000.5};
    // What the control's SelectionPaths gives in these tests.
    QStringList Paths;
    QString Status;
    bool Busy = false;
    bool StartEnabled = true;
    bool StopEnabled = false;
    bool TimerActive = false;
    int TimerStarts = 0;
    QString TextToFindError;
    // The details of the server notices, in order.
    std::vector<QString> ServerNotStarted;
    std::function<void()> OnProcessEvents;
    std::vector<std::function<void()>> Deferred;

private:
    std::vector<std::string> &fLog;
};

class TFakeList : public ISearchResultList
{
public:
    explicit TFakeList(std::vector<std::string> &aLog) : fLog(aLog) {}

    void Stop() override
    {
        fLog.push_back("list stop");
        if (OnStop)
            OnStop();
    }
    void Clear() override
    {
        Items = 0;
        fLog.push_back("list clear");
    }
    void Search(const QString &aPath) override
    {
        if (SearchThrows)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        Searched.append(aPath);
        fLog.push_back("search " + aPath.toStdString());
        if (OnSearch)
            OnSearch();
    }
    TZorSearchOptions &SearchOptions() override { return Options; }
    int Count() const override { return Items; }
    void SetContentCheck(std::shared_ptr<const TContentCheck> aCheck) override { Check = std::move(aCheck); }
    std::optional<bool> OfferedVerdict(const QString &aText) const override
    {
        return Check && Check->fText == aText ? Verdict : std::nullopt;
    }

    std::shared_ptr<const TContentCheck> Check;
    // The verdict the path being offered carries (for the check's text).
    std::optional<bool> Verdict;
    TZorSearchOptions Options;
    QStringList Searched;
    int Items = 0;
    bool SearchThrows = false;
    std::function<void()> OnStop;
    std::function<void()> OnSearch;

private:
    std::vector<std::string> &fLog;
};
