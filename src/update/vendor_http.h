// A blocking HTTP GET on libcurl for the vendor's web server: User-Agent, redirect limit, read
// time-out, streamed body, progress reports, the reply's status line and headers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <QByteArray>
#include <QString>

inline constexpr char kVendorUserAgent[] = "Mozilla/4.0 (compatible; MyApp)";

// Throws std::runtime_error unless aBaseUrl is an https address, or a plain http address of the
// loopback host (a local test server): programs and pages from the vendor must not be
// replaceable on the way. Any thread.
void CheckVendorBaseUrl(const QString &aBaseUrl);

struct THttpOptions
{
    bool fFollowRedirects = false;
    long fMaxRedirects = 0;
    // Milliseconds without a received byte, connecting included, after which the request fails;
    // 0 waits for ever (the progress report can still stop it).
    int fReadTimeoutMs = 0;
};

class THttpClient
{
public:
    // Receives each piece of the body; a non-empty result stops the transfer with that message.
    using TDataSink = std::function<QString(const char *aData, size_t aSize)>;
    // Called at each progress report with the bytes of the body received so far; a non-empty
    // result stops the transfer with that message.
    using TProgressSink = std::function<QString(int64_t aCount)>;

    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient &) = delete;
    THttpClient &operator=(const THttpClient &) = delete;

    // GET of aUrl on the calling thread; returns when the reply has been received. Only the scheme
    // of aUrl is allowed, also for redirects. Throws std::runtime_error with the client's error
    // text, the sink's message, or the status line ("HTTP/1.1 404 Not Found") when the final
    // reply is not a success.
    void Get(const QString &aUrl, const THttpOptions &aOptions, const TDataSink &aOnData,
             const TProgressSink &aOnProgress = {});

    // A header of the last reply (name without regard to case, value trimmed), empty when absent.
    QByteArray Header(const QByteArray &aName) const;
    // The status code of the last reply (404), also after a failed or stopped transfer; 0 when no
    // reply arrived.
    long Status() const;

    // GET of aUrl into memory, at most aMaxBytes of body (more is an error).
    QByteArray GetBody(const QString &aUrl, const THttpOptions &aOptions, qsizetype aMaxBytes);

private:
    struct TState;
    std::unique_ptr<TState> fState;
};
