// The search session: the wiring of selection list, result list, search control and the
// extraction server.
#include "search/search_session.h"

#include "content/content_matching.h"

TSearchSession::TSearchSession(ISearchWindow &aWindow)
    : fSearchTarget(fFileList), fControl(aWindow, fSearchTarget)
{
    fControl.FileContainsText = [this](const QString &aPath, const QString &aText) {
        return ::FileContainsText(aPath, aText, ExtractionServer);
    };
    fControl.CheckInBackground = [this](const QString &aPath, const QString &aText,
                                        const ICancellationIndicator &aCancel) {
        return ::FileContainsText(aPath, aText, ExtractionServer, &aCancel);
    };
    fControl.SelectionPaths = [this] { return SelectionList().Paths(); };
    ConnectSearchControl(fFileList, fControl);
}

TSearchSession::~TSearchSession()
{
    Close();
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
}
