// One search session of the window, without widgets: the folders ticked to search, the result
// list the walks fill, the search control that starts, stops and decides, the extraction server
// documents go to, and the one text to find. The window keeps only its widgets and calls in here.
#pragma once

#include "content/extraction_client.h"
#include "filesearch/file_list.h"
#include "search/file_list_search_target.h"
#include "search/search_control.h"
#include "selection/shell_link.h"

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

    // Where the content check and the preview send documents for their text.
    TExtractionServerAddress ExtractionServer;

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
    bool fClosed = false;
};
