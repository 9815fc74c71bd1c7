// The result list as the user sees it: a details view over the result list model with icons,
// multiple selection, sorting by a click on a column header, and the commands on the selected
// files (open, clipboard, rename in place, move to trash, properties) by mouse, keys and menu.
#pragma once

#include "filesearch/shell_command.h"
#include "gui/file_manager_link.h"

#include <functional>
#include <QTimer>
#include <QTreeView>

class QMenu;
class QUrl;
class TFileListDelegate;
class TZorFileList;

// UI thread only. The view shows a TZorFileList it is given (the model the search fills).
class TFileListView : public QTreeView
{
    Q_OBJECT

public:
    explicit TFileListView(QWidget *aParent = nullptr);
    ~TFileListView() override;

    // Shows aList (which must outlive the view or be replaced first) and takes its selection
    // model as the view's own, so the list's selection is the one the user sees and changes;
    // null shows nothing.
    void SetFileList(TZorFileList *aList);
    // The list shown; only while one is set.
    TZorFileList &FileList() { return *fFileList; }
    // Icons, cut marks and the in-place rename.
    TFileListDelegate &Delegate() { return *fDelegate; }

    // Hooks to the desktop, replaceable (tests). OnConfirm asks a yes/no question (default: a
    // message box); OnShowError tells of a failure (default: a warning box); OnOpenUrl opens a
    // file or folder with its associated application (default: QDesktopServices::openUrl).
    std::function<bool(const QString &pQuestion)> OnConfirm;
    std::function<void(const QString &pMessage)> OnShowError;
    std::function<bool(const QUrl &pUrl)> OnOpenUrl;
    // The file manager "Open containing folder" asks to show the selected files (tests name a
    // service of their own, or none); when it cannot, the folders are opened through OnOpenUrl.
    TFileManagerLink fFileManager;

    // Adds the window's own entries at the end of the item menu; a right-click outside the items
    // shows them alone when there are any. Their actions carry no verb and act when triggered.
    std::function<void(QMenu &pMenu)> OnExtendMenu;
    // Enter with no row selected (nothing to open): the window's own use of the key.
    std::function<void()> OnEnterWithoutSelection;

    // A read-only list refuses paste, cut, rename and delete. Off by default.
    bool ReadOnly() const { return fReadOnly; }
    void SetReadOnly(bool pValue) { fReadOnly = pValue; }
    // Whether a right-click on an item shows the item menu (on by default).
    bool fContextMenu = true;

    // Carries out pCommand on the selected items. False when nothing is selected, when the
    // action is not supported here (unknown verbs, rename of several items, ...), when the list is
    // read-only for a changing action, or when the operation failed for an item (the user has been
    // told). saRename with one selected item starts the in-place edit of its name and returns true.
    // saDelete asks first and moves the files to the trash; a refused question changes nothing
    // and returns true; rows of files that were moved leave the list, rows of files that could not
    // be moved stay selected. saExplore asks the file manager to show the items selected and
    // returns true once asked (their folders are opened when it fails later), or opens the folders.
    bool InvokeCommandOnSelected(TShellCommand pCommand);
    // InvokeCommandOnSelected with the command of the verb text Command.
    bool InvokeContextMenuCommand(const QString &Command);
    // Shows the item menu for the selected items at pGlobalPos and returns the verb picked, ""
    // when none was picked or nothing is selected. Does not carry the verb out.
    QString ShowContextMenu(const QPoint &pGlobalPos);
    // Fills pMenu with the item menu's entries (translated), each action's data being its verb.
    void BuildContextMenu(QMenu &pMenu) const;

    // Selects every item.
    void SelectAllItems();
    // Reads every item's data again and removes the items whose file is gone.
    void FullRefresh();
    // Sizes the columns to their contents (the rows in view) unless the user has sized one.
    void FitColumns();
    // Selects the given rows only (the core's selection follows).
    void SelectRows(const QList<int> &pRows);

protected:
    void keyPressEvent(QKeyEvent *aEvent) override;
    void mouseDoubleClickEvent(QMouseEvent *aEvent) override;
    void contextMenuEvent(QContextMenuEvent *aEvent) override;

private:
    void HeaderSortChanged(int aColumn, Qt::SortOrder aOrder);
    void AfterMenuCommand(const QString &pVerb);
    bool OpenSelected(const QStringList &pPaths);
    bool OpenContainingFolders(const QStringList &pPaths);
    bool CopyToClipboard(const QStringList &pPaths, bool pCut);
    bool PasteFromClipboard();
    bool MoveSelectedToTrash();
    bool ShowProperties(const QString &pPath);
    bool StartRename();
    // In-place rename of the item at pRow; tells the user and returns false on failure.
    bool RenameRow(int pRow, const QString &pNewName);
    // Every row whose path is pOldPath takes pNewPath.
    void RenamePathInList(const QString &pOldPath, const QString &pNewPath);
    void RemoveSelectedRows();
    // Removes pRows (ascending) with one selection change to pSelectedAfter (rows before removal).
    void RemoveRows(const QList<int> &pRows, const QList<int> &pSelectedAfter);
    void ScheduleFit();

    TZorFileList *fFileList = nullptr;
    TFileListDelegate *fDelegate = nullptr;
    bool fReadOnly = false;
    bool fFitting = false;
    bool fUserSizedColumns = false;
    QTimer fFitTimer;
};
