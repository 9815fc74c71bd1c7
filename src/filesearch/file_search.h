// The folder walk of one search: a work item that enumerates a folder tree on a worker thread,
// tests each entry with its copy of the search options and hands the hits to a sink.
#pragma once

#include "filesearch/file_search_sink.h"
#include "filesearch/search_options.h"
#include "threads/work_item.h"

#include <cstdint>
#include <mutex>
#include <QPointer>
#include <QSet>
#include <QStringList>

class TFolderHandle;

// Created on the UI thread (by the result list's Search or its automatic refresh) and run once by
// the list's pool. Depth first; all hits of a folder are collected before any subfolder is entered.
// Symbolic links to folders are listed but never entered (enumeration does not mark them as
// folders) and mount points of pseudo file systems and second mounts are never entered, so no tree
// makes it run forever. The walk keeps its own stack instead of recursing and holds a bounded
// number of descriptors, so it has no depth limit.
// Hits are handed to the sink on the UI thread whenever more than 400 ms have passed since the
// last hand-over, and once at the end; the walker waits for each hand-over.
class TZorFileSearch : public TBasicWorkItem
{
public:
    // The hand-over cadence, in milliseconds.
    static constexpr uint32_t HandOverIntervalMs = 400;

    // UI thread. Copies aSearchOptions. aSink receives the hits; aSinkOwner is the object whose
    // destruction ends the sink's life (hand-overs and reports that come later do nothing).
    // aInitialPath: the root folder (with or without trailing "/"); "" walks "/" and every volume
    // mount point when the options are recursive, else lists the desktop folder. pOnlyNewFiles:
    // hand over only paths the sink does not list yet.
    TZorFileSearch(const TZorSearchOptions &aSearchOptions, IZorFileSearchSink &aSink, QObject &aSinkOwner,
                   const QString &aInitialPath, bool pOnlyNewFiles);

    // Worker thread, called once by the pool. Raises only what the sink's OfferFoundPath raised in
    // a hand-over (after the final hand-over has run).
    void DoWork() override;

private:
    // Everything of DoWork but the final hand-over.
    void Walk();
    // Walks the folder pRootPath (with trailing "/") and, when recursive, the tree below it.
    void WalkTree(const QString &pRootPath);
    // Collects the hits of the open folder aFolder, at pFolderPath, and (when recursive) the names
    // of its subfolders to enter into aSubfolders. False when the walk was cancelled.
    bool ExamineFolder(const TFolderHandle &aFolder, const QString &pFolderPath, QStringList &aSubfolders);
    void HandOverIfDue(const QString &pFolderPath, const QString &pName);
    // UI thread, while the walker waits.
    void HandOverToSink();
    // The sink, or null once its owner is gone.
    IZorFileSearchSink *Sink() const { return fSinkOwner ? &fSink : nullptr; }
    void QueueResort();
    void ReportSearchProgress(const QString &pPath);

    TZorSearchOptions fSearchOptions;
    QStringList fItemsToAdd;
    std::mutex fItemsToAddLock;
    IZorFileSearchSink &fSink;
    QPointer<QObject> fSinkOwner; // read on the UI thread only
    QString fInitialPath;
    bool fWereItemsAddedSinceLastSort = false;
    uint32_t fLastResortTickCount = 0;
    uint32_t fLastUpdateTickCount = 0;
    bool fSearchComplete = false;
    QString fCurrentlyScannedPath;
    bool fOnlyNewFiles = false;
    bool fHasProgressHandler = false; // the sink wanted progress reports at creation
    QSet<QString> fFoldersNotEntered; // with trailing "/"
};
