// Where documents get their text: the extraction server setting, and the service that finds the
// server a run uses (a fixed address, a Tika server the user runs on the default address, or the
// program's own ordwell-extractd, started at the first document and ended with the program).
#pragma once

#include "content/document_failure.h"
#include "content/extraction_client.h"
#include "content/text_cache.h"
#include "threads/cancellation.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <QString>
#include <string>
#include <sys/types.h>
#include <vector>

class TChildServer;

// The setting's value for "find or start a server".
inline constexpr char16_t AutomaticExtractionServer[] = u"auto";

// Reads the extraction server setting: empty or "auto" (any case) is automatic (an engaged
// optional holding nothing); an http URL with a host gives that address (port 80 when none is
// written, path "/tika" when none); anything else is not valid (nullopt). Pure.
std::optional<std::optional<TExtractionServerAddress>> ParseExtractionServerSetting(const QString &aValue);

// Finds the extraction server of this run. Thread-safe: check threads, the preview and the
// search share one.
class TExtractionService
{
public:
    struct TOptions
    {
        // A fixed server (the setting holds a URL): used as it is, nothing is started.
        std::optional<TExtractionServerAddress> fFixed;
        // Automatic: this address when a server answers there...
        TExtractionServerAddress fDefault;
        // ...else the first of these programs that exists is started.
        std::vector<std::string> fPrograms;
        std::chrono::milliseconds fStartTimeout{3000};
        std::chrono::milliseconds fRetryAfter{60000};
        // Where documents' text is kept between runs; none: every document is extracted.
        std::shared_ptr<TTextCache> fCache;
    };

    // The paths where ordwell-extractd is looked for: $ORDWELL_EXTRACTD when set, beside the
    // running executable, then in the installed layout. Any thread.
    static std::vector<std::string> DefaultPrograms();

    explicit TExtractionService(TOptions aOptions);
    // Ends the program's own server, if it started one.
    ~TExtractionService();
    TExtractionService(const TExtractionService &) = delete;
    TExtractionService &operator=(const TExtractionService &) = delete;

    // The server documents go to now. Automatic: the first call asks the default address and,
    // when nothing answers, starts the program's own server (at most fStartTimeout); later calls
    // return the same at once. Null, with aFailure saying why, when there is none: a start that
    // failed is tried again only after fRetryAfter.
    std::optional<TExtractionServerAddress> Resolve(TDocumentFailure &aFailure);
    // A request to aServer found nothing listening: the next Resolve looks again (and starts the
    // program's own server anew when it has ended).
    void ReportNoServer(const TExtractionServerAddress &aServer);
    // The process of the program's own server; -1 when none runs.
    pid_t OwnServerPid() const;

    // The text cache documents are read through now; null when off. Any thread.
    std::shared_ptr<TTextCache> Cache() const;
    // Switches the cache; a document already being extracted keeps the one it started with.
    void SetCache(std::shared_ptr<TTextCache> aCache);
    // Who extracts at aServer, as the text cache keys an entry: "ordwell-extractd <version>" for
    // the program's own server (its port changes from run to run), the URL and the answer to
    // GET /version for any other. Asked once per server; empty when the server does not say its
    // version (then nothing is cached). Blocks at most a second the first time. Any thread.
    std::string ServerIdentity(const TExtractionServerAddress &aServer);

private:
    const TOptions fOptions;
    mutable std::mutex fLock;
    std::optional<TExtractionServerAddress> fResolved;
    std::unique_ptr<TChildServer> fOwnServer;
    std::optional<QString> fStartError;
    std::chrono::steady_clock::time_point fStartFailedAt;
    std::shared_ptr<TTextCache> fCache;
    // The identity last asked for, and the server it belongs to ("host:port").
    std::string fIdentityServer;
    std::string fIdentity;
};

// Where one call gets a document's text: a fixed server address, or a service. Cheap to copy;
// the service must outlive it.
class TDocumentSource
{
public:
    TDocumentSource(const TExtractionServerAddress &aServer = {}) : fServer(aServer) {}
    TDocumentSource(TExtractionService &aService) : fService(&aService) {}

    // The text of the document at aPath from the server (see ExtractTextViaServer), or from the
    // service's text cache when it holds it for this very file and server. What the server said
    // is stored there unless the failure is not about the document (no server, time-out,
    // cancellation, a server error) or the file changed while it was read. On failure, Text is
    // empty and aFailure says why (None when cancelled). Blocks; any thread.
    bool Extract(const QString &aPath, QString &aText, TDocumentFailure &aFailure,
                 const ICancellationIndicator *aCancel = nullptr) const;

private:
    TExtractionServerAddress fServer;
    TExtractionService *fService = nullptr;
};
