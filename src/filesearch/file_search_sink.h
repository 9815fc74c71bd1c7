// What a folder walk hands its hits to: the batch hand-over, re-sorting and progress reports.
// The result list implements it; the walker knows nothing else of the list.
#pragma once

#include "filesearch/content_verdict.h"

#include <QString>

// Every call comes on the UI thread while the walker that makes it waits.
class IZorFileSearchSink
{
public:
    virtual ~IZorFileSearchSink() = default;

    // Bracket one batch of hits. EndHandOver always follows BeginHandOver, also when an
    // OfferFoundPath in between threw.
    virtual void BeginHandOver() = 0;
    virtual void EndHandOver() = 0;
    // Offers one hit to the list (the acceptance may run the event loop, and may throw), with its
    // content verdict for aCheckedText (None: not computed) and, when Present, what the check found.
    virtual void OfferFoundPath(const QString &aPath, TContentVerdict aVerdict, const QString &aCheckedText,
                                const TMatchFinding &aFinding) = 0;
    // Whether aPath is listed already; a refresh walk hands over only paths that are not.
    virtual bool IsPathListed(const QString &aPath) const = 0;
    // How many paths are listed, and re-sorting them after hits were added.
    virtual int FoundCount() const = 0;
    virtual void ResortFound() = 0;
    // Whether progress reports are wanted, asked once when a walk is created; and one report:
    // the path being examined.
    virtual bool WantsSearchProgress() const = 0;
    virtual void SearchProgress(const QString &aPath) = 0;
};
