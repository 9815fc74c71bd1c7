// The program's process-wide state, kept in one object per run: the shared worker pool and the
// UI-thread hand-over, the translation table and current language, the content check's
// "Search in unrecognized formats", and the update check's verdict. Every other file reaches it
// through the accessors its own layer declares (Translate's table, SearchUnrecognizedFormats(),
// TWorkerThreadPool::Instance(), ...); tests start each case with a fresh one.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <QList>
#include <QString>
#include <QStringList>

class TUiThreadDispatcher;
class TWorkerThreadPool;

class TRunContext
{
public:
    TRunContext();
    // Ends the shared pool's threads first, then the hand-over to the UI thread.
    ~TRunContext();
    TRunContext(const TRunContext &) = delete;
    TRunContext &operator=(const TRunContext &) = delete;

    // The hand-over to the UI thread, and the shared pool for short queries; each created on
    // first use (create the dispatcher on the UI thread: the application does at start-up).
    TUiThreadDispatcher &UiThreadDispatcher();
    TWorkerThreadPool &WorkerPool();

    // "Search in unrecognized formats", copied from the search form at each start. Any thread.
    std::atomic<bool> SearchUnrecognizedFormats{false};

    // The translation table (one column per language), the current column and its code.
    // UI thread.
    QList<QStringList> TranslationTable;
    int32_t CurrentLanguageIndex = 0;
    QString CurrentLanguageCode;

    // The version check's verdict and the new-version dialog's text (UI thread), and the
    // installer download's cancel request (any thread).
    bool UpdateRequired = false;
    QString UpdateMessage;
    std::atomic<bool> DownloadCancelled{false};

private:
    std::once_flag fDispatcherCreated;
    std::once_flag fPoolCreated;
    std::unique_ptr<TUiThreadDispatcher> fDispatcher;
    std::unique_ptr<TWorkerThreadPool> fPool;
};

// The context of this run, created on first use. Any thread.
TRunContext &RunContext();

// Replaces the context of this run by a fresh one whose dispatcher belongs to the calling thread,
// and ends the old one. For tests, on the UI thread between two cases: nothing may still use the
// old context.
void ResetRunContext();
