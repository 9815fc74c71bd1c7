// The folder walk of one search: a work item that enumerates a folder tree on a worker thread,
// tests each entry with its copy of the search options and hands the hits to a sink.
#pragma once

#include "filesearch/file_search_sink.h"
#include "filesearch/search_options.h"
#include "platform/tick_count.h"
#include "threads/work_item.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <QPointer>
#include <QSet>
#include <QStringList>

class TCheckPool;
class TFolderHandle;

// Created on the UI thread (by the result list's Search or its automatic refresh) and run once by
// the list's pool. Depth first; all hits of a folder are collected before any subfolder is entered.
// Symbolic links to folders are listed but never entered (enumeration does not mark them as
// folders) and mount points of pseudo file systems and second mounts are never entered, so no tree
// makes it run forever. The walk keeps its own stack instead of recursing and holds a bounded
// number of descriptors, so it has no depth limit.
// Hits are handed to the sink on the UI thread whenever more than 400 ms have passed since the
// last hand-over (50 ms while the sink lists nothing yet, so the first hit shows at once), and
// once at the end; the walker waits for each hand-over.
// With a content check, every file hit is checked on the check pool as soon as its folder has
// been examined, while the walk goes on; hits are handed over in walk order, each once its verdict
// is known (a file found not to hold the text is not handed over: the sink hears of the walk's
// progress instead), and the walk ends only when every check it posted has ended. A cancelled walk
// withdraws its queued checks and waits for the running ones, which give up between chunks.
class TZorFileSearch : public TBasicWorkItem
{
public:
    // The hand-over cadence, in milliseconds.
    static constexpr uint32_t HandOverIntervalMs = 400;
    // The cadence while the sink lists nothing yet.
    static constexpr uint32_t FirstHandOverIntervalMs = 50;

    // UI thread. Copies aSearchOptions. aSink receives the hits; aSinkOwner is the object whose
    // destruction ends the sink's life (hand-overs and reports that come later do nothing).
    // aInitialPath: the root folder (with or without trailing "/"); "" walks "/" and every volume
    // mount point when the options are recursive, else lists the desktop folder. pOnlyNewFiles:
    // hand over only paths the sink does not list yet. aClock times the hand-overs and resorts
    // (GetTickCount when empty); the walker thread calls it too.
    TZorFileSearch(const TZorSearchOptions &aSearchOptions, IZorFileSearchSink &aSink, QObject &aSinkOwner,
                   const QString &aInitialPath, bool pOnlyNewFiles, TTickClock aClock = {});

    // Before the walk is queued: every file hit gets a verdict of aCheck from a job on aPool
    // (which must outlive the walk). A file that the enumeration gives as empty does not hold any
    // text: it is not a hit then.
    void SetContentCheck(std::shared_ptr<const TContentCheck> aCheck, TCheckPool &aPool);

    // Worker thread, called once by the pool. Raises only what the sink's OfferFoundPath raised in
    // a hand-over (after the final hand-over has run).
    void DoWork() override;

private:
    // Everything of DoWork but the final hand-over.
    void Walk();
    // Walks the folder pRootPath (with trailing "/") and, when recursive, the tree below it.
    void WalkFolder(const QString &pRootPath);
    // Collects the hits of the open folder aFolder, at pFolderPath, and (when recursive) the names
    // of its subfolders to enter into aSubfolders. False when the walk was cancelled.
    bool ExamineFolder(const TFolderHandle &aFolder, const QString &pFolderPath, QStringList &aSubfolders);
    // Whether the cadence calls for a hand-over at aNow.
    bool HandOverDue(uint32_t aNow) const;
    void HandOverIfDue(const QString &pFolderPath, const QString &pName);
    // Hands over the hits whose verdicts are known, up to the first that is still being checked.
    void HandOverReadyHits();
    // Queues the checks of the hits from fFirstUnposted on.
    void PostChecks();
    // Waits until every posted check has ended, handing over what is ready meanwhile; a
    // cancelled walk withdraws its queued checks first.
    void FinishChecks();
    // UI thread, while the walker waits: offers the first aCount hits (all when negative) to
    // the sink, which lists those it accepts.
    void AddItemsToList(qsizetype aCount = -1);
    // The sink, or null once its owner is gone.
    IZorFileSearchSink *Sink() const { return fSinkOwner ? &fSink : nullptr; }
    void QueueResort();
    void ReportSearchProgress(const QString &pPath);

    // A hit waiting for its hand-over. Its verdict is written once by its check job.
    struct THit
    {
        explicit THit(QString aPath) : fPath(std::move(aPath)) {}
        QString fPath;
        std::atomic<TContentVerdict> fVerdict{TContentVerdict::None};
        TMatchFinding fFinding; // written by the check job before fVerdict
        bool fChecked = false;  // a job computes fVerdict
    };
    // Hits up to the first still being checked.
    qsizetype ReadyHitCount() const;

    TZorSearchOptions fSearchOptions;
    std::deque<THit> fItemsToAdd; // the walker appends, the hand-over takes from the front
    mutable std::mutex fItemsToAddLock;
    std::shared_ptr<const TContentCheck> fContentCheck;
    TCheckPool *fCheckPool = nullptr;
    qsizetype fFirstUnposted = 0; // index into fItemsToAdd of the first hit whose check is not queued
    int fChecksRunning = 0;       // posted and not ended; under fChecksLock
    std::mutex fChecksLock;
    std::condition_variable fCheckEnded;
    IZorFileSearchSink &fSink;
    QPointer<QObject> fSinkOwner; // read on the UI thread only
    QString fInitialPath;
    TTickClock fClock;
    bool fWereItemsAddedSinceLastSort = false;
    uint32_t fLastResortTickCount = 0;
    uint32_t fLastUpdateTickCount = 0;
    std::atomic<bool> fSinkListsAny{false}; // as the sink said at the end of the last hand-over
    bool fSearchComplete = false;
    QString fCurrentlyScannedPath;
    bool fOnlyNewFiles = false;
    bool fHasProgressHandler = false; // the sink wanted progress reports at creation
    QSet<QString> fFoldersNotEntered; // with trailing "/"
};
