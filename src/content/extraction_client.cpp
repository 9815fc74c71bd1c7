// The extraction-server exchange on libcurl's blocking easy interface, the body streamed from
// the open file.
#include "content/extraction_client.h"

#include "platform/file_access.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>

namespace {

struct TCurlDeleter
{
    void operator()(CURL *aHandle) const { curl_easy_cleanup(aHandle); }
};
struct TSlistDeleter
{
    void operator()(curl_slist *aList) const { curl_slist_free_all(aList); }
};

// What the callbacks of one exchange work on.
struct TExchange
{
    TFileStream *fFile = nullptr;
    // Bytes of the announced body still to send; a file that grows meanwhile is cut there.
    int64_t fRemaining = 0;
    std::string fBody;
    bool fBodyTooLarge = false;
    std::string fReason;
    // The server's own word for a refusal (its X-Extraction-Failure header).
    std::string fFailureKind;
    // The pause a busy server asks for (its Retry-After header in seconds).
    std::optional<std::chrono::seconds> fRetryAfter;
    // The read time-out: the byte counts last changed at fLastMove.
    std::chrono::milliseconds fReadTimeout{0};
    curl_off_t fLastBytes = -1;
    std::chrono::steady_clock::time_point fLastMove;
    bool fTimedOut = false;
    const ICancellationIndicator *fCancel = nullptr;
    bool fCancelled = false;
};

size_t ReadBody(char *pBuffer, size_t aSize, size_t aCount, void *pExchange)
{
    auto *exchange = static_cast<TExchange *>(pExchange);
    const int64_t wanted = std::min<int64_t>(int64_t(aSize * aCount), exchange->fRemaining);
    const int64_t got = wanted > 0 ? exchange->fFile->Read(pBuffer, wanted) : 0;
    if (got < 0)
        return CURL_READFUNC_ABORT;
    exchange->fRemaining -= got;
    return size_t(got);
}

size_t WriteReply(char *pData, size_t aSize, size_t aCount, void *pExchange)
{
    auto *exchange = static_cast<TExchange *>(pExchange);
    const size_t bytes = aSize * aCount;
    if (int64_t(exchange->fBody.size() + bytes) > MaxExtractionReplyBytes) {
        exchange->fBodyTooLarge = true;
        return CURL_WRITEFUNC_ERROR;
    }
    exchange->fBody.append(pData, bytes);
    return bytes;
}

// The value of the header aName (lower case, with its colon) when aLine is that header, trimmed.
std::optional<std::string_view> HeaderValue(std::string_view aLine, std::string_view aName)
{
    if (aLine.size() <= aName.size())
        return std::nullopt;
    for (size_t i = 0; i < aName.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(aLine[i])) != aName[i])
            return std::nullopt;
    std::string_view value = aLine.substr(aName.size());
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' '))
        value.remove_suffix(1);
    return value;
}

// Keeps the reason phrase of the last status line ("HTTP/1.1 422 Unprocessable Entity").
size_t ReadHeader(char *pData, size_t aSize, size_t aCount, void *pExchange)
{
    auto *exchange = static_cast<TExchange *>(pExchange);
    const std::string_view line(pData, aSize * aCount);
    if (line.starts_with("HTTP/")) {
        std::string_view rest = line;
        for (int field = 0; field < 2; ++field) {
            const size_t space = rest.find(' ');
            rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        }
        while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n' || rest.back() == ' '))
            rest.remove_suffix(1);
        exchange->fReason.assign(rest);
        exchange->fFailureKind.clear();
        exchange->fRetryAfter.reset();
    }
    if (const auto kind = HeaderValue(line, "x-extraction-failure:"))
        exchange->fFailureKind.assign(*kind);
    // Only seconds are taken; a date is left to the client's own pauses.
    if (const auto after = HeaderValue(line, "retry-after:");
        after && !after->empty() && after->size() <= 9 &&
        after->find_first_not_of("0123456789") == std::string_view::npos)
        exchange->fRetryAfter = std::chrono::seconds(std::stol(std::string(*after)));
    return aSize * aCount;
}

// Called by libcurl at least once a second: ends the exchange when no byte has moved in either
// direction for the read time-out, so a slow but steady transfer goes on.
int WatchProgress(void *pExchange, curl_off_t, curl_off_t aReceived, curl_off_t, curl_off_t aSent)
{
    auto *exchange = static_cast<TExchange *>(pExchange);
    if (exchange->fCancel && exchange->fCancel->IsCancellationRequested()) {
        exchange->fCancelled = true;
        return 1;
    }
    const auto now = std::chrono::steady_clock::now();
    if (aReceived + aSent != exchange->fLastBytes) {
        exchange->fLastBytes = aReceived + aSent;
        exchange->fLastMove = now;
        return 0;
    }
    exchange->fTimedOut = now - exchange->fLastMove >= exchange->fReadTimeout;
    return exchange->fTimedOut ? 1 : 0;
}

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The kind of failure of a reply with a status outside 2xx: the server's own word when it gives
// one, else what the status and the body say.
TDocumentProblem ProblemOfStatus(long aStatus, const std::string &aKind, const std::string &aBody)
{
    if (aStatus == 413 || aKind == "too-large" || aKind == "bomb" || aKind == "out-of-memory")
        return TDocumentProblem::TooLarge;
    if (aKind == "encrypted")
        return TDocumentProblem::Encrypted;
    if (aKind == "timeout")
        return TDocumentProblem::TimedOut;
    if (aStatus == 422) {
        std::string body = aBody.substr(0, 4096);
        for (char &c : body)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        const bool locked =
            body.find("encrypt") != std::string::npos || body.find("password") != std::string::npos;
        return locked ? TDocumentProblem::Encrypted : TDocumentProblem::Corrupt;
    }
    if (aStatus == 415)
        return TDocumentProblem::Corrupt;
    return TDocumentProblem::ServerError;
}

TDocumentProblem ProblemOfTransfer(CURLcode aResult, const TExchange &aExchange)
{
    if (aExchange.fCancelled)
        return TDocumentProblem::None;
    if (aExchange.fBodyTooLarge)
        return TDocumentProblem::TooLarge;
    if (aExchange.fTimedOut || aResult == CURLE_OPERATION_TIMEDOUT)
        return TDocumentProblem::TimedOut;
    if (aResult == CURLE_COULDNT_CONNECT || aResult == CURLE_COULDNT_RESOLVE_HOST)
        return TDocumentProblem::NoServer;
    if (aResult == CURLE_READ_ERROR || aResult == CURLE_ABORTED_BY_CALLBACK)
        return TDocumentProblem::UnreadableFile;
    return TDocumentProblem::ServerError;
}

} // namespace

bool PauseUnlessCancelled(std::chrono::milliseconds aPause, const ICancellationIndicator *aCancel)
{
    constexpr auto kStep = std::chrono::milliseconds(20);
    const auto until = std::chrono::steady_clock::now() + aPause;
    for (;;) {
        if (aCancel && aCancel->IsCancellationRequested())
            return false;
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return true;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kStep));
    }
}

std::string ServerUrl(const TExtractionServerAddress &aServer)
{
    const bool ipv6 = aServer.fHost.find(':') != std::string::npos;
    return "http://" + (ipv6 ? "[" + aServer.fHost + "]" : aServer.fHost) + ":" +
           std::to_string(aServer.fPort) + aServer.fPath;
}

namespace {

// A GET of aServer's address within aTimeoutMs, keeping at most 1024 bytes of the reply in
// aReply (nullptr: none kept); true for a 2xx status.
bool GetFromServer(const TExtractionServerAddress &aServer, int32_t aTimeoutMs, std::string *aReply)
{
    InitCurlOnce();
    std::unique_ptr<CURL, TCurlDeleter> curl(curl_easy_init());
    if (!curl)
        return false;
    const std::string url = ServerUrl(aServer);
    CURL *handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, long(std::max(aTimeoutMs, 1)));
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, aReply);
    curl_easy_setopt(
        handle, CURLOPT_WRITEFUNCTION, +[](char *aData, size_t aSize, size_t aCount, void *aTarget) {
            const size_t bytes = aSize * aCount;
            auto *reply = static_cast<std::string *>(aTarget);
            if (!reply)
                return bytes;
            // A short answer is wanted; a longer reply is not one.
            if (reply->size() + bytes > 1024)
                return size_t(0);
            reply->append(aData, bytes);
            return bytes;
        });
    long status = 0;
    return curl_easy_perform(handle) == CURLE_OK &&
           curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status >= 200 &&
           status < 300;
}

} // namespace

bool ServerAnswers(const TExtractionServerAddress &aServer, int32_t aTimeoutMs)
{
    return GetFromServer(aServer, aTimeoutMs, nullptr);
}

bool FetchServerVersion(const TExtractionServerAddress &aServer, int32_t aTimeoutMs, std::string &aVersion)
{
    aVersion.clear();
    TExtractionServerAddress root = aServer;
    root.fPath = "/version";
    const bool answered = GetFromServer(root, aTimeoutMs, &aVersion);
    aVersion = QString::fromStdString(aVersion).trimmed().toStdString();
    if (!answered || aVersion.empty()) {
        aVersion.clear();
        return false;
    }
    return true;
}

bool ExtractTextViaServer(const QString &pPath, QString &aText, QString &aErrorText,
                          const TExtractionServerAddress &aServer, const ICancellationIndicator *aCancel,
                          TDocumentProblem *aProblem, const TBusyRetry &aBusy)
{
    aText.clear();
    aErrorText.clear();
    TDocumentProblem unused = TDocumentProblem::None;
    TDocumentProblem &problem = aProblem ? *aProblem : unused;
    problem = TDocumentProblem::None;
    try {
        std::optional<TFileStream> file = OpenFileForReading(pPath, aErrorText);
        if (!file) {
            problem = TDocumentProblem::UnreadableFile;
            return false;
        }
        if (file->Size() > MaxExtractionRequestBytes) {
            problem = TDocumentProblem::TooLarge;
            aErrorText = QStringLiteral("Error: the file is larger than the extraction server accepts "
                                        "(%1 bytes, at most %2)")
                             .arg(file->Size())
                             .arg(MaxExtractionRequestBytes);
            return false;
        }

        InitCurlOnce();
        std::unique_ptr<CURL, TCurlDeleter> curl(curl_easy_init());
        if (!curl) {
            aErrorText = QStringLiteral("Error: cannot create the HTTP client");
            problem = TDocumentProblem::ServerError;
            return false;
        }
        curl_slist *headers = nullptr;
        for (const char *header :
             {"Content-Type: application/octet-stream", "Accept: text/plain; charset=utf-8",
              "Expect:"}) // no "100-continue" round trip for large files
            headers = curl_slist_append(headers, header);
        std::unique_ptr<curl_slist, TSlistDeleter> headerList(headers);

        TExchange exchange;
        const std::string url = ServerUrl(aServer);
        char errorBuffer[CURL_ERROR_SIZE] = {};
        CURL *handle = curl.get();
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http");
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_PROXY, "");
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, curl_off_t(file->Size()));
        curl_easy_setopt(handle, CURLOPT_READFUNCTION, ReadBody);
        curl_easy_setopt(handle, CURLOPT_READDATA, &exchange);
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteReply);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &exchange);
        curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, ReadHeader);
        curl_easy_setopt(handle, CURLOPT_HEADERDATA, &exchange);
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, WatchProgress);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &exchange);

        // A busy server gets the document again until its time limit, counted from the first try.
        const auto now = [&aBusy] { return aBusy.fNow ? aBusy.fNow() : std::chrono::steady_clock::now(); };
        const auto limit = now() + std::chrono::milliseconds(std::max<int32_t>(aServer.fReadTimeoutMs, 1));
        std::chrono::milliseconds nextPause = aBusy.fFirstPause;
        for (int attempt = 0;; ++attempt) {
            if (attempt > 0 && lseek(file->Descriptor(), 0, SEEK_SET) != 0) {
                aErrorText = QStringLiteral("Error: cannot read the file again");
                problem = TDocumentProblem::UnreadableFile;
                return false;
            }
            exchange = TExchange();
            exchange.fFile = &*file;
            exchange.fCancel = aCancel;
            exchange.fRemaining = file->Size();
            exchange.fReadTimeout = std::chrono::milliseconds(std::max<int32_t>(aServer.fReadTimeoutMs, 1));
            exchange.fLastMove = std::chrono::steady_clock::now();
            errorBuffer[0] = '\0';

            const CURLcode result = curl_easy_perform(handle);
            if (result != CURLE_OK) {
                const char *message = exchange.fCancelled      ? "Cancelled."
                                      : exchange.fBodyTooLarge ? "The reply is too large."
                                      : exchange.fTimedOut     ? "Read timed out."
                                      : errorBuffer[0] != '\0' ? errorBuffer
                                                               : curl_easy_strerror(result);
                aErrorText = QStringLiteral("Error: ") + QString::fromUtf8(message);
                problem = ProblemOfTransfer(result, exchange);
                return false;
            }
            long status = 0;
            curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
            if (status >= 200 && status < 300)
                break;
            QString refusal =
                QStringLiteral("HTTP error (%1): %2").arg(status).arg(QString::fromUtf8(exchange.fReason));
            const QString said = QString::fromUtf8(exchange.fBody.substr(0, 512)).trimmed();
            if (!said.isEmpty())
                refusal += QStringLiteral(" (") + said + u')';
            if (status != 503) {
                aErrorText = refusal;
                problem = ProblemOfStatus(status, exchange.fFailureKind, exchange.fBody);
                return false;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(limit - now());
            if (left.count() <= 0) {
                aErrorText = refusal + QStringLiteral("; busy for %1 ms").arg(aServer.fReadTimeoutMs);
                problem = TDocumentProblem::TimedOut;
                return false;
            }
            std::chrono::milliseconds pause = nextPause;
            if (exchange.fRetryAfter)
                pause = std::min<std::chrono::milliseconds>(*exchange.fRetryAfter, aBusy.fLongestPause);
            nextPause = std::min(nextPause * 2, aBusy.fLongestPause);
            const bool waited = aBusy.fPause ? aBusy.fPause(std::min(pause, left), aCancel)
                                             : PauseUnlessCancelled(std::min(pause, left), aCancel);
            if (!waited) {
                aErrorText = QStringLiteral("Error: Cancelled.");
                problem = TDocumentProblem::None;
                return false;
            }
        }
        aText = QString::fromUtf8(exchange.fBody);
        return !aText.isEmpty();
    } catch (...) {
        aText.clear();
        if (aErrorText.isEmpty())
            aErrorText = QStringLiteral("Error: out of memory");
        problem = TDocumentProblem::TooLarge;
        return false;
    }
}
