// The main window as the search control sees it: the form's controls, status line, cursor,
// buttons and timers of TMainForm behind ISearchWindow.
#pragma once

#include "search/search_control.h"

class TMainForm;

// Forwards the search control's calls to the main window's widgets. UI thread only.
class TMainFormSearchWindow : public ISearchWindow
{
public:
    // aForm must outlive this object.
    explicit TMainFormSearchWindow(TMainForm &aForm) : fForm(aForm) {}

    TSearchFormValues SearchFormValues() const override;
    QString TextToFindText() const override;
    void SetSearchDates(TDateTime aMin, TDateTime aMax) override;
    void SaveSettings() override;
    void SetStatusText(const QString &aText) override;
    void RepaintStatusLine() override;
    void ProcessPendingEvents() override;
    void SetBusyCursor(bool aBusy) override;
    void EnableStartButton(bool aEnabled) override;
    void EnableStopButton(bool aEnabled) override;
    void ClearPreview() override;
    void FocusResultList() override;
    bool StopperTimerActive() const override;
    void StartStopperTimer() override;
    void QueueDeferred(std::function<void()> aCall) override;
    void CloseWindow() override;
    void ReportServerNotStarted(const QString &aDetail) override;
    void ShowTextToFindError(const QString &aError) override;

private:
    TMainForm &fForm;
    // Whether the application cursor is overridden by this window (so it is restored once).
    bool fBusy = false;
};
