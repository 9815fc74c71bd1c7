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

TExtractionService::TExtractionService(TOptions aOptions) : fOptions(std::move(aOptions)) {}

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
    QString errorText;
    TDocumentProblem problem = TDocumentProblem::None;
    if (ExtractTextViaServer(aPath, aText, errorText, *server, aCancel, &problem))
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
