// One search session of the window, without widgets: the folders ticked to search, the result
// list the walks fill, the search control that starts, stops and decides, the extraction server
// documents go to with their text cache, and the one text to find. The window keeps only its widgets and
// calls in here.
#pragma once

#include "content/extraction_service.h"
#include "filesearch/file_list.h"
#include "search/file_list_search_target.h"
#include "search/search_control.h"
#include "selection/shell_link.h"

#include <memory>
#include <mutex>
#include <optional>
#include <QString>
#include <QStringList>

// UI thread only.
class TSearchSession
{
public:
    // aWindow is the window side of the search control; it must outlive the session.
    explicit TSearchSession(ISearchWindow &aWindow);
    // Ends every walk without raising the end of search.
    ~TSearchSession();
    TSearchSession(const TSearchSession &) = delete;
    TSearchSession &operator=(const TSearchSession &) = delete;

    // The link between the folder tree and the selection list it owns; the selection list's
    // entries are what a start searches.
    TZorShellLink &ShellLink() { return fShellLink; }
    TZorSelectionList &SelectionList() { return fShellLink.SelectionList(); }
    // The result list: its OnAddPath and OnEndSearch are the control's.
    TZorFileList &FileList() { return fFileList; }
    const TZorFileList &FileList() const { return fFileList; }
    TSearchControl &Control() { return fControl; }
    const TSearchControl &Control() const { return fControl; }

    // Where the content check and the preview send documents for their text: a fixed server,
    // or with nullopt the automatic choice (a server on the default address, else the program's
    // own one, started at the first document). Automatic until set; a change ends the program's
    // own server once no check uses it any more.
    void SetExtractionServer(const std::optional<TExtractionServerAddress> &aFixed);
    // The service behind the current choice. Any thread.
    std::shared_ptr<TExtractionService> Extraction() const;
    // Ends the program's own extraction server (once no check uses it); the same choice starts
    // one again when a document needs it.
    void EndExtractionServer() { SetExtractionServer(fFixedServer); }

    // Documents' text is read through the text cache in aFolder (made at the first document)
    // when aEnabled, and kept within aLimitBytes. The same folder keeps the same cache object.
    void ApplyTextCacheSettings(const QString &aFolder, bool aEnabled, int64_t aLimitBytes);
    // The text cache, also while it is switched off (so that it can be cleared); null until
    // ApplyTextCacheSettings.
    std::shared_ptr<TTextCache> TextCache() const;

    // Ticks the folders given on the command line ("<folder>/*" entries) exactly as given: no
    // rule of the selection list is applied and nobody is notified.
    void TickCommandLineFolders(const QStringList &aFolderEntries);

    // The text to find as captured at the start of a search; empty until the first start.
    const QString &TextToFind() const { return fControl.TextToFind(); }
    void SetTextToFind(const QString &aText) { fControl.SetTextToFind(aText); }
    // What the acceptance and the preview look for: TextToFind, or when that is empty the
    // trimmed content of "Text to find:" now.
    QString CurrentTextToFind() const { return fControl.CurrentTextToFind(); }

    // The window is going: later end-of-search events and deferred calls do nothing, the walks
    // end. Safe to call more than once.
    void Close();

private:
    TZorShellLink fShellLink;
    TZorFileList fFileList;
    TFileListSearchTarget fSearchTarget;
    TSearchControl fControl;
    mutable std::mutex fExtractionLock;
    std::shared_ptr<TExtractionService> fExtraction;
    std::optional<TExtractionServerAddress> fFixedServer;
    std::shared_ptr<TTextCache> fTextCache;
    bool fTextCacheOn = false;
    bool fClosed = false;
};
