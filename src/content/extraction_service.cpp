// The extraction server of a run: the setting, the look for a running server, the start of the
// program's own one, and the document source the content check and the preview read through.
#include "content/extraction_service.h"

#include "platform/child_server.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

namespace {

// How long the default address gets to answer before the program's own server is started.
constexpr int32_t kProbeTimeoutMs = 1000;
constexpr char kServerProgram[] = "ordwell-extractd";

} // namespace

std::optional<std::optional<TExtractionServerAddress>> ParseExtractionServerSetting(const QString &aValue)
{
    const QString value = aValue.trimmed();
    if (value.isEmpty() || value.compare(QStringView(AutomaticExtractionServer), Qt::CaseInsensitive) == 0)
        return std::optional<TExtractionServerAddress>();
    const QUrl url(value, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().compare(u"http", Qt::CaseInsensitive) != 0 || url.host().isEmpty() ||
        !url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    TExtractionServerAddress address;
    address.fHost = url.host().toStdString();
    address.fPort = uint16_t(url.port(80));
    const QString path = url.path(QUrl::FullyEncoded);
    address.fPath = path.isEmpty() || path == u"/" ? std::string("/tika") : path.toStdString();
    return std::optional<TExtractionServerAddress>(address);
}

std::vector<std::string> TExtractionService::DefaultPrograms()
{
    std::vector<std::string> programs;
    // A build tree or a test names its own server.
    if (const QByteArray chosen = qgetenv("ORDWELL_EXTRACTD"); !chosen.isEmpty())
        programs.push_back(chosen.toStdString());
    if (QCoreApplication::instance())
        programs.push_back(QCoreApplication::applicationDirPath().toStdString() + "/" + kServerProgram);
    const std::string installed = std::string(ORDWELL_INSTALL_BINDIR) + "/" + kServerProgram;
    if (programs.empty() || programs.front() != installed)
        programs.push_back(installed);
    return programs;
}

TExtractionService::TExtractionService(TOptions aOptions)
    : fOptions(std::move(aOptions)), fCache(fOptions.fCache)
{
}

TExtractionService::~TExtractionService() = default;

std::optional<TExtractionServerAddress> TExtractionService::Resolve(TDocumentFailure &aFailure)
{
    aFailure = {};
    if (fOptions.fFixed)
        return fOptions.fFixed;
    std::lock_guard lock(fLock);
    if (fResolved)
        return fResolved;
    if (fStartError && std::chrono::steady_clock::now() - fStartFailedAt >= fOptions.fRetryAfter)
        fStartError.reset();
    if (fStartError) {
        aFailure = {TDocumentProblem::ServerNotStarted, *fStartError};
        return std::nullopt;
    }
    // A Tika server the user runs on the usual address keeps being used.
    if (ServerAnswers(fOptions.fDefault, kProbeTimeoutMs)) {
        fResolved = fOptions.fDefault;
        return fResolved;
    }
    fOwnServer.reset();
    QString tried;
    for (const std::string &program : fOptions.fPrograms) {
        if (!QFileInfo(QString::fromStdString(program)).isFile())
            continue;
        std::string error;
        fOwnServer = TChildServer::Start(program, {"--host", "127.0.0.1", "--port", "0"},
                                         fOptions.fStartTimeout, error);
        if (fOwnServer) {
            TExtractionServerAddress own;
            own.fHost = "127.0.0.1";
            own.fPort = fOwnServer->Port();
            fResolved = own;
            return fResolved;
        }
        tried +=
            QStringLiteral("%1: %2. ").arg(QString::fromStdString(program), QString::fromStdString(error));
    }
    if (tried.isEmpty()) {
        QStringList places;
        for (const std::string &program : fOptions.fPrograms)
            places << QString::fromStdString(program);
        tried = QStringLiteral("%1 was not found (looked for %2).")
                    .arg(QString::fromLatin1(kServerProgram), places.join(QStringLiteral(", ")));
    }
    fStartError = tried.trimmed();
    fStartFailedAt = std::chrono::steady_clock::now();
    aFailure = {TDocumentProblem::ServerNotStarted, *fStartError};
    return std::nullopt;
}

void TExtractionService::ReportNoServer(const TExtractionServerAddress &aServer)
{
    std::lock_guard lock(fLock);
    if (!fResolved || fResolved->fHost != aServer.fHost || fResolved->fPort != aServer.fPort)
        return;
    // The own server is only started anew once it has ended; one that still runs but did not
    // take a connection (a burst) is kept.
    if (fOwnServer && fOwnServer->IsRunning())
        return;
    fResolved.reset();
    fOwnServer.reset();
}

pid_t TExtractionService::OwnServerPid() const
{
    std::lock_guard lock(fLock);
    return fOwnServer ? fOwnServer->Pid() : -1;
}

std::shared_ptr<TTextCache> TExtractionService::Cache() const
{
    std::lock_guard lock(fLock);
    return fCache;
}

void TExtractionService::SetCache(std::shared_ptr<TTextCache> aCache)
{
    std::lock_guard lock(fLock);
    fCache.swap(aCache);
}

std::string TExtractionService::ServerIdentity(const TExtractionServerAddress &aServer)
{
    const std::string server = aServer.fHost + ":" + std::to_string(aServer.fPort);
    bool own = false;
    {
        std::lock_guard lock(fLock);
        if (fIdentityServer == server)
            return fIdentity;
        own =
            fOwnServer && fResolved && fResolved->fHost == aServer.fHost && fResolved->fPort == aServer.fPort;
    }
    std::string version;
    std::string identity;
    if (FetchServerVersion(aServer, kProbeTimeoutMs, version))
        identity = own ? (version.starts_with(kServerProgram) ? version
                                                              : std::string(kServerProgram) + " " + version)
                       : ServerUrl(aServer) + " " + version;
    std::lock_guard lock(fLock);
    fIdentityServer = server;
    fIdentity = identity;
    return identity;
}

namespace {

// Whether an outcome of the server is a fact about the document, to be kept in the cache.
bool IsLastingOutcome(bool aExtracted, TDocumentProblem aProblem, const QString &aErrorText,
                      const ICancellationIndicator *aCancel)
{
    if (aCancel && aCancel->IsCancellationRequested())
        return false;
    if (aExtracted)
        return true;
    switch (aProblem) {
    case TDocumentProblem::Encrypted:
    case TDocumentProblem::Corrupt:
        return true;
    case TDocumentProblem::TooLarge:
        // Memory this process ran out of says nothing about the document.
        return !aErrorText.endsWith(u"out of memory");
    case TDocumentProblem::None:
        // A reply without text; a cancellation also comes without a problem, but with its message.
        return aErrorText.isEmpty();
    default:
        return false;
    }
}

} // namespace

bool TDocumentSource::Extract(const QString &aPath, QString &aText, TDocumentFailure &aFailure,
                              const ICancellationIndicator *aCancel) const
{
    aText.clear();
    aFailure = {};
    std::optional<TExtractionServerAddress> server = fServer;
    if (fService) {
        server = fService->Resolve(aFailure);
        if (!server)
            return false;
    }
    // The cache is asked for this file as it is now, and told only what was read from the same.
    const std::shared_ptr<TTextCache> cache = fService ? fService->Cache() : nullptr;
    std::string extractor;
    std::optional<TFileStamp> before;
    if (cache) {
        extractor = fService->ServerIdentity(*server);
        if (!extractor.empty())
            before = FileStamp(aPath);
        if (before && cache->Find(aPath, *before, extractor, aText, aFailure))
            return aFailure.fProblem == TDocumentProblem::None && !aText.isEmpty();
    }
    QString errorText;
    TDocumentProblem problem = TDocumentProblem::None;
    const bool extracted = ExtractTextViaServer(aPath, aText, errorText, *server, aCancel, &problem);
    if (before && IsLastingOutcome(extracted, problem, errorText, aCancel) && FileStamp(aPath) == before)
        cache->Store(aPath, *before, extractor, aText,
                     extracted ? TDocumentFailure{} : TDocumentFailure{problem, errorText});
    if (extracted)
        return true;
    if (problem == TDocumentProblem::NoServer && fService) {
        // The server of this run has gone: one more try with the one Resolve finds now.
        fService->ReportNoServer(*server);
        server = fService->Resolve(aFailure);
        if (!server)
            return false;
        if (ExtractTextViaServer(aPath, aText, errorText, *server, aCancel, &problem))
            return true;
    }
    aFailure = {problem, errorText};
    return false;
}
