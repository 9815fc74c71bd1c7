// The search session: the wiring of selection list, result list, search control and the
// extraction server.
#include "search/search_session.h"

#include "content/content_matching.h"

TSearchSession::TSearchSession(ISearchWindow &aWindow)
    : fSearchTarget(fFileList), fControl(aWindow, fSearchTarget)
{
    SetExtractionServer(std::nullopt);
    // The checks hold the service while they run, so a change of the choice cannot end a server
    // under a request.
    fControl.FileContainsText = [this](const QString &aPath, const QString &aText,
                                       TDocumentFailure &aFailure) {
        const std::shared_ptr<TExtractionService> service = Extraction();
        return service &&
               ::FileContainsText(aPath, aText, *service, nullptr, &aFailure, fControl.MatchOptions());
    };
    fControl.CheckInBackground = [this](const QString &aPath, const QString &aText,
                                        const ICancellationIndicator &aCancel, TDocumentFailure &aFailure,
                                        TMatchSummary *aSummary) {
        const std::shared_ptr<TExtractionService> service = Extraction();
        return service && ::FileContainsText(aPath, aText, *service, &aCancel, &aFailure,
                                             fControl.MatchOptions(), aSummary);
    };
    fControl.SelectionPaths = [this] { return SelectionList().Paths(); };
    ConnectSearchControl(fFileList, fControl);
}

TSearchSession::~TSearchSession()
{
    Close();
}

void TSearchSession::SetExtractionServer(const std::optional<TExtractionServerAddress> &aFixed)
{
    fFixedServer = aFixed;
    TExtractionService::TOptions options;
    options.fFixed = aFixed;
    options.fPrograms = TExtractionService::DefaultPrograms();
    if (fTextCacheOn)
        options.fCache = fTextCache;
    std::shared_ptr<TExtractionService> service = std::make_shared<TExtractionService>(std::move(options));
    std::lock_guard lock(fExtractionLock);
    fExtraction.swap(service);
    // The former service (and the server it started) ends with its last check, outside the lock.
}

std::shared_ptr<TExtractionService> TSearchSession::Extraction() const
{
    std::lock_guard lock(fExtractionLock);
    return fExtraction;
}

void TSearchSession::ApplyTextCacheSettings(const QString &aFolder, bool aEnabled, int64_t aLimitBytes)
{
    if (!fTextCache || fTextCache->FileName() != aFolder + u'/' + TTextCache::DatabaseName()) {
        TTextCache::TOptions options;
        options.fFolder = aFolder;
        options.fLimitBytes = aLimitBytes;
        fTextCache = std::make_shared<TTextCache>(std::move(options));
    }
    fTextCache->SetLimit(aLimitBytes);
    fTextCacheOn = aEnabled;
    if (const std::shared_ptr<TExtractionService> service = Extraction())
        service->SetCache(aEnabled ? fTextCache : nullptr);
}

std::shared_ptr<TTextCache> TSearchSession::TextCache() const
{
    return fTextCache;
}

void TSearchSession::TickCommandLineFolders(const QStringList &aFolderEntries)
{
    SelectionList().Paths().append(aFolderEntries);
}

void TSearchSession::Close()
{
    if (fClosed)
        return;
    fClosed = true;
    fControl.WindowDestroying();
    fFileList.OnAddPath = nullptr;
    fFileList.OnEndSearch = nullptr;
    fFileList.Stop();
    // The program's own extraction server ends with the window.
    std::shared_ptr<TExtractionService> service;
    std::lock_guard lock(fExtractionLock);
    fExtraction.swap(service);
}
