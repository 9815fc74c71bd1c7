// Client of the local text-extraction server: sends a whole file by HTTP PUT to "/tika" and
// takes the plain-text reply as the file's text.
#pragma once

#include "content/document_failure.h"
#include "threads/cancellation.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <QString>
#include <string>

// Where an extraction server listens: a Tika server the user runs (the default address), the
// program's own one, or a test's.
struct TExtractionServerAddress
{
    std::string fHost = "127.0.0.1";
    uint16_t fPort = 9998;
    // The read time-out: the exchange ends when no byte has moved either way for this long. It
    // is also the document's time limit while the server is busy: a document it answers 503 is
    // sent again (see TBusyRetry) until this long after the first request.
    int32_t fReadTimeoutMs = 30000;
    // The path documents are sent to.
    std::string fPath = "/tika";
};

// Bytes of reply text accepted at most; a longer reply fails, so a faulty server cannot make
// the program allocate without bound.
inline constexpr int64_t MaxExtractionReplyBytes = 128LL * 1024 * 1024;
// Bytes of a file sent at most: the default body limit of ordwell-extractd (--max-body-mb).
// A larger file is refused without a request.
inline constexpr int64_t MaxExtractionRequestBytes = 1024LL * 1024 * 1024;

// How a document the server answers 503 (busy: ordwell-extractd admits four requests per worker,
// and several programs may share it) is sent again: after a pause of the server's Retry-After
// (seconds; at most fLongestPause), else of fFirstPause doubled after each busy answer up to
// fLongestPause, never past the document's time limit.
struct TBusyRetry
{
    std::chrono::milliseconds fFirstPause{100};
    std::chrono::milliseconds fLongestPause{5000};
    // Waits aPause unless aCancel (may be null) is cancelled first; false when it was. Empty:
    // PauseUnlessCancelled.
    std::function<bool(std::chrono::milliseconds aPause, const ICancellationIndicator *aCancel)> fPause;
    // The clock of the time limit. Empty: std::chrono::steady_clock.
    std::function<std::chrono::steady_clock::time_point()> fNow;
};

// Waits aPause, or less when aCancel (may be null) is cancelled first; false when it was. The
// indicator can only be asked, not waited on: it is asked every 20 ms. Any thread.
bool PauseUnlessCancelled(std::chrono::milliseconds aPause, const ICancellationIndicator *aCancel);

// "http://<host>:<port><path>" (an IPv6 host in brackets).
std::string ServerUrl(const TExtractionServerAddress &aServer);

// True when the server answers a GET of its path with a 2xx status within aTimeoutMs. Any thread.
bool ServerAnswers(const TExtractionServerAddress &aServer, int32_t aTimeoutMs);

// The server's answer to GET /version ("ordwell-extractd 2.3", "Apache Tika 2.9.1"), trimmed,
// within aTimeoutMs; false with aVersion empty when it does not answer with a short 2xx reply.
// Any thread.
bool FetchServerVersion(const TExtractionServerAddress &aServer, int32_t aTimeoutMs, std::string &aVersion);

// Sends the file at Path, whole, to the extraction server and puts the UTF-8 reply into Text.
// Returns true when Text is not empty (a reply of white space counts). Both out values are
// emptied first; on failure Text is empty and ErrorText says why: the open error when the file
// cannot be opened, "Error: " and its size when it is larger than MaxExtractionRequestBytes
// (then nothing is sent), "HTTP error (<status>): <reason>" for a reply status outside 2xx,
// otherwise "Error: " and the transfer error's message. A busy answer (503) is not a failure
// while the document's time limit lasts: the file is sent again as aBusy says, and when the
// limit runs out the failure is a time-out. Blocks the calling thread until the exchange ends,
// at most until no data has moved for the read time-out, or until aCancel is cancelled ("Error:
// Cancelled.": within a second, at once during a pause for a busy server). Each call makes
// its own connection: no redirects, no proxy, nothing kept. When aProblem is given it gets the
// kind of the failure (None on success and on cancellation). Any thread; never raises.
bool ExtractTextViaServer(const QString &pPath, QString &aText, QString &aErrorText,
                          const TExtractionServerAddress &aServer = {},
                          const ICancellationIndicator *aCancel = nullptr,
                          TDocumentProblem *aProblem = nullptr, const TBusyRetry &aBusy = {});
