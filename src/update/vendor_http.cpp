// A blocking HTTP GET on libcurl for the vendor's web server.
#include "update/vendor_http.h"

#include <chrono>
#include <curl/curl.h>
#include <QList>
#include <QPair>
#include <QUrl>
#include <stdexcept>

namespace {

// Headers are short; a reply that sends more than this is not a web page.
constexpr qsizetype kMaxHeaderBytes = 256 * 1024;

bool IsLoopbackHost(const QString &aHost)
{
    if (aHost.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0 || aHost == u"::1")
        return true;
    // 127.0.0.0/8 written as four decimal numbers.
    const QStringList parts = aHost.split(u'.');
    if (parts.size() != 4 || parts.first() != u"127")
        return false;
    for (const QString &part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok, 10);
        if (!ok || value < 0 || value > 255 || part.size() > 3)
            return false;
    }
    return true;
}

} // namespace

void CheckVendorBaseUrl(const QString &aBaseUrl)
{
    const QUrl url(aBaseUrl);
    if (url.isValid() && url.scheme() == u"https" && !url.host().isEmpty())
        return;
    if (url.isValid() && url.scheme() == u"http" && IsLoopbackHost(url.host()))
        return;
    throw std::runtime_error("Not a secure address of the vendor: " + aBaseUrl.toStdString());
}

struct THttpClient::TState
{
    CURL *fCurl = nullptr;
    char fError[CURL_ERROR_SIZE] = {};
    QByteArray fStatusLine;
    QList<QPair<QByteArray, QByteArray>> fHeaders;
    qsizetype fHeaderBytes = 0;
    QString fAbortMessage;
    const TDataSink *fOnData = nullptr;
    const TProgressSink *fOnProgress = nullptr;
    int fReadTimeoutMs = 0;
    curl_off_t fLastCount = -1;
    std::chrono::steady_clock::time_point fLastActivity;

    static size_t OnHeader(char *aData, size_t aSize, size_t aCount, void *aUser)
    {
        auto *s = static_cast<TState *>(aUser);
        const size_t size = aSize * aCount;
        s->fHeaderBytes += qsizetype(size);
        if (s->fHeaderBytes > kMaxHeaderBytes) {
            s->fAbortMessage = QStringLiteral("The server's reply headers are too long");
            return 0;
        }
        const QByteArray line = QByteArray(aData, qsizetype(size)).trimmed();
        if (line.startsWith("HTTP/")) {
            // A new reply (after a redirect or an interim reply) replaces the headers before it.
            s->fStatusLine = line;
            s->fHeaders.clear();
        } else if (const qsizetype colon = line.indexOf(':'); colon > 0) {
            s->fHeaders.append({line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed()});
        }
        return size;
    }

    static size_t OnWrite(char *aData, size_t aSize, size_t aCount, void *aUser)
    {
        auto *s = static_cast<TState *>(aUser);
        const size_t size = aSize * aCount;
        s->fAbortMessage = (*s->fOnData)(aData, size);
        return s->fAbortMessage.isEmpty() ? size : 0;
    }

    static int OnProgress(void *aUser, curl_off_t, curl_off_t aNow, curl_off_t, curl_off_t)
    {
        auto *s = static_cast<TState *>(aUser);
        const auto now = std::chrono::steady_clock::now();
        if (aNow != s->fLastCount) {
            s->fLastCount = aNow;
            s->fLastActivity = now;
        } else if (s->fReadTimeoutMs > 0 &&
                   now - s->fLastActivity > std::chrono::milliseconds(s->fReadTimeoutMs)) {
            s->fAbortMessage = QStringLiteral("Read timed out");
            return 1;
        }
        if (s->fOnProgress && *s->fOnProgress) {
            s->fAbortMessage = (*s->fOnProgress)(int64_t(aNow));
            if (!s->fAbortMessage.isEmpty())
                return 1;
        }
        return 0;
    }
};

THttpClient::THttpClient() : fState(std::make_unique<TState>())
{
    fState->fCurl = curl_easy_init();
}

THttpClient::~THttpClient()
{
    if (fState->fCurl)
        curl_easy_cleanup(fState->fCurl);
}

void THttpClient::Get(const QString &aUrl, const THttpOptions &aOptions, const TDataSink &aOnData,
                      const TProgressSink &aOnProgress)
{
    TState &s = *fState;
    CURL *curl = s.fCurl;
    if (!curl)
        throw std::runtime_error("Cannot create an HTTP client");
    const QByteArray url = aUrl.toUtf8();
    const QByteArray scheme = QUrl(aUrl).scheme().toLatin1();
    s.fError[0] = 0;
    s.fStatusLine.clear();
    s.fHeaders.clear();
    s.fHeaderBytes = 0;
    s.fAbortMessage.clear();
    s.fOnData = &aOnData;
    s.fOnProgress = &aOnProgress;
    s.fReadTimeoutMs = aOptions.fReadTimeoutMs;
    s.fLastCount = -1;
    s.fLastActivity = std::chrono::steady_clock::now();

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, scheme.constData());
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, scheme.constData());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kVendorUserAgent);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, aOptions.fFollowRedirects ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, aOptions.fMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, s.fError);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &TState::OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &s);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &TState::OnWrite);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &s);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &TState::OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &s);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

    const CURLcode code = curl_easy_perform(curl);
    s.fOnData = nullptr;
    s.fOnProgress = nullptr;
    if (!s.fAbortMessage.isEmpty())
        throw std::runtime_error(s.fAbortMessage.toStdString());
    if (code != CURLE_OK)
        throw std::runtime_error(s.fError[0] ? s.fError : curl_easy_strerror(code));
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299)
        throw std::runtime_error(s.fStatusLine.isEmpty() ? "No reply from the server"
                                                         : s.fStatusLine.toStdString());
}

QByteArray THttpClient::Header(const QByteArray &aName) const
{
    const QByteArray name = aName.toLower();
    for (const auto &header : fState->fHeaders) {
        if (header.first == name)
            return header.second;
    }
    return QByteArray();
}

long THttpClient::Status() const
{
    long status = 0;
    if (fState->fCurl)
        curl_easy_getinfo(fState->fCurl, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

QByteArray THttpClient::GetBody(const QString &aUrl, const THttpOptions &aOptions, qsizetype aMaxBytes)
{
    QByteArray body;
    Get(aUrl, aOptions, [&body, aMaxBytes](const char *aData, size_t aSize) {
        if (qsizetype(aSize) > aMaxBytes - body.size())
            return QStringLiteral("The server's reply is too long");
        body.append(aData, qsizetype(aSize));
        return QString();
    });
    return body;
}
