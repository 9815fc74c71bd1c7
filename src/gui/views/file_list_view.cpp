// The result list view and its commands on the selected files.
#include "gui/views/file_list_view.h"

#include "filesearch/file_list.h"
#include "filesearch/file_operations.h"
#include "filesearch/result_export.h"
#include "gui/views/file_list_delegate.h"
#include "i18n/translation.h"
#include "platform/file_name.h"
#include "platform/long_path_access.h"
#include "platform/path_routines.h"

#include <algorithm>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The widest a fitted Name or In Folder column may become, as a share of the view's width.
constexpr double kMaxFittedShare = 0.45;

struct TMenuEntry
{
    const char16_t *fCaption;
    TShellAction fAction;
    bool fChanges; // left out when the list is read-only
};

// The item menu, in order; nullptr captions are separators.
// clang-format off
constexpr TMenuEntry kMenu[] = {
    {u"Open", saOpen, false},
    {u"Open containing folder", saExplore, false},
    {nullptr, saUnknown, false},
    {u"Cut", saCut, true},
    {u"Copy", saCopy, false},
    {u"Paste", saPaste, true},
    {u"Copy path", saCopyPath, false},
    {nullptr, saUnknown, false},
    {u"Rename", saRename, true},
    {u"Move to trash", saDelete, true},
    {nullptr, saUnknown, false},
    {u"Properties", saProperties, false},
};
// clang-format on

bool ChangesFiles(TShellAction pAction)
{
    return pAction == saCut || pAction == saPaste || pAction == saRename || pAction == saDelete ||
           pAction == saDeleteNoUndo;
}

} // namespace

TFileListView::TFileListView(QWidget *aParent) : QTreeView(aParent)
{
    fDelegate = new TFileListDelegate(this);
    fDelegate->OnRename = [this](int pRow, const QString &pNewName) { return RenameRow(pRow, pNewName); };
    setItemDelegate(fDelegate);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers); // renaming starts with F2 or the menu only
    setSortingEnabled(false); // results stay in the order found until a header is clicked
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header()->setStretchLastSection(true); // the Context column reaches the edge

    OnConfirm = [this](const QString &pQuestion) {
        return QMessageBox::question(this, QApplication::applicationDisplayName(), pQuestion) ==
               QMessageBox::Yes;
    };
    OnShowError = [this](const QString &pMessage) {
        QMessageBox::warning(this, QApplication::applicationDisplayName(), pMessage);
    };
    OnOpenUrl = [](const QUrl &pUrl) { return QDesktopServices::openUrl(pUrl); };

    connect(header(), &QHeaderView::sortIndicatorChanged, this, &TFileListView::HeaderSortChanged);
    // Only a column the user drags keeps its width; widths set by code do not count.
    connect(header(), &QHeaderView::sectionResized, this, [this] {
        if (!fFitting && QApplication::mouseButtons() != Qt::NoButton)
            fUserSizedColumns = true;
    });
    fFitTimer.setSingleShot(true);
    fFitTimer.setInterval(150);
    connect(&fFitTimer, &QTimer::timeout, this, &TFileListView::FitColumns);
}

TFileListView::~TFileListView() = default;

void TFileListView::SetFileList(TZorFileList *aList)
{
    if (aList == fFileList)
        return;
    if (fFileList)
        disconnect(fFileList, nullptr, this, nullptr);
    fFileList = aList;
    fDelegate->SetFileList(aList);
    setModel(aList);
    if (!aList)
        return;
    // The list's selection model replaces the one setModel made.
    QItemSelectionModel *made = selectionModel();
    setSelectionModel(&aList->SelectionModel());
    if (made != &aList->SelectionModel())
        made->deleteLater();
    connect(aList, &QAbstractItemModel::rowsInserted, this, &TFileListView::ScheduleFit);
    connect(aList, &QAbstractItemModel::layoutChanged, this, &TFileListView::ScheduleFit);
    connect(aList, &QAbstractItemModel::modelReset, this, [this] { fUserSizedColumns = false; });
}

void TFileListView::SelectRows(const QList<int> &pRows)
{
    fFileList->SetSelectedRows(pRows);
    if (!pRows.isEmpty() && pRows.first() >= 0 && pRows.first() < fFileList->rowCount())
        selectionModel()->setCurrentIndex(fFileList->index(pRows.first(), 0), QItemSelectionModel::NoUpdate);
}

void TFileListView::SelectAllItems()
{
    selectAll();
}

void TFileListView::HeaderSortChanged(int aColumn, Qt::SortOrder aOrder)
{
    if (aColumn >= 0 && aColumn < flcColumnCount)
        fFileList->sort(aColumn, aOrder);
}

void TFileListView::ScheduleFit()
{
    if (!fUserSizedColumns && !fFitTimer.isActive())
        fFitTimer.start();
}

void TFileListView::FitColumns()
{
    if (fUserSizedColumns)
        return;
    fFitting = true;
    const int widest = std::max(120, int(viewport()->width() * kMaxFittedShare));
    for (int column = 0; column < flcColumnCount; ++column) {
        int width = std::max(sizeHintForColumn(column), header()->sectionSizeHint(column));
        if (column == flcName || column == flcInFolder || column == flcContext)
            width = std::min(width, widest);
        header()->resizeSection(column, width + 8);
    }
    fFitting = false;
}

void TFileListView::FullRefresh()
{
    if (!isEnabled())
        return;
    for (int i = fFileList->Count() - 1; i >= 0; --i) {
        TZorFileListItem &item = fFileList->Item(i);
        item.Refresh();
        if (!item.Exists() && !PathExists(item.DisplayPath()))
            fFileList->Delete(i);
    }
    if (fFileList->rowCount() > 0)
        Q_EMIT fFileList->dataChanged(fFileList->index(0, 0),
                                      fFileList->index(fFileList->rowCount() - 1, flcColumnCount - 1));
}

bool TFileListView::InvokeContextMenuCommand(const QString &Command)
{
    return InvokeCommandOnSelected(TShellCommand::FromVerb(Command));
}

bool TFileListView::InvokeCommandOnSelected(TShellCommand pCommand)
{
    if (fFileList->SelCount() == 0)
        return false;
    const QStringList paths = fFileList->SelectedPaths();
    if (paths.isEmpty())
        return false;
    if (fReadOnly && ChangesFiles(pCommand.fCommand))
        return false;
    switch (pCommand.fCommand) {
    case saDefault:
    case saOpen:
        return OpenSelected(paths);
    case saExplore:
        return OpenContainingFolders(paths);
    case saCopy:
        return CopyToClipboard(paths, false);
    case saCut:
        return CopyToClipboard(paths, true);
    case saPaste:
        return PasteFromClipboard();
    case saCopyPath:
        QApplication::clipboard()->setText(paths.join(u'\n'));
        return true;
    case saRename:
        return fFileList->SelCount() == 1 && StartRename();
    case saDelete:
        return MoveSelectedToTrash();
    case saProperties:
        return ShowProperties(paths.first());
    default:
        return false; // not supported here
    }
}

bool TFileListView::OpenSelected(const QStringList &pPaths)
{
    bool allOpened = true;
    for (const QString &path : pPaths)
        allOpened = OnOpenUrl(FileUrl(path)) && allOpened;
    return allOpened;
}

bool TFileListView::OpenContainingFolders(const QStringList &pPaths)
{
    QStringList folders;
    for (const QString &path : pPaths) {
        const QString folder = ParentFolder(path);
        if (!folders.contains(folder))
            folders.append(folder);
    }
    // The file manager shows the files selected in their folders; when none answers, or it
    // fails, the folders are opened as they are.
    if (fFileManager.ShowItems(pPaths, this, [this, folders] { OpenSelected(folders); }))
        return true;
    return OpenSelected(folders);
}

bool TFileListView::CopyToClipboard(const QStringList &pPaths, bool pCut)
{
    QApplication::clipboard()->setMimeData(FileListMimeData(pPaths, pCut).release());
    fDelegate->SetCutPaths(pCut ? pPaths : QStringList());
    viewport()->update();
    return true;
}

bool TFileListView::PasteFromClipboard()
{
    const QMimeData *data = QApplication::clipboard()->mimeData();
    bool cut = false;
    const QStringList sources = data ? FilePathsOfMimeData(*data, &cut) : QStringList();
    if (sources.isEmpty())
        return false;
    // Into the selected folder, or the folder that holds the selected file.
    const TZorFileListItem &target = fFileList->Item(fFileList->ItemIndex());
    const QString folder =
        target.fIsFolder || IsFolder(target.Path()) ? target.Path() : ParentFolder(target.Path());
    QStringList errors;
    for (const QString &source : sources) {
        const TFileOperationResult result = PasteFile(source, folder, cut);
        if (!result.fOk)
            errors.append(DisplayFileName(source) + QStringLiteral(": ") + result.fError);
        else if (cut)
            RenamePathInList(source, result.fNewPath);
    }
    if (cut) {
        QApplication::clipboard()->clear();
        fDelegate->SetCutPaths({});
        viewport()->update();
    }
    if (!errors.isEmpty())
        OnShowError(errors.join(u'\n'));
    return errors.isEmpty();
}

bool TFileListView::MoveSelectedToTrash()
{
    if (!OnConfirm(Translate(QStringLiteral("Move the selected files to the trash?"))))
        return true;
    QStringList errors;
    QList<int> moved;
    QList<int> stayed;
    for (int i : fFileList->SelectedRows()) {
        const QString path = fFileList->Item(i).Path();
        const TFileOperationResult result = MoveFileToTrash(path);
        if (result.fOk) {
            moved.append(i);
        } else {
            stayed.append(i);
            errors.append(path + QStringLiteral(": ") + result.fError);
        }
    }
    RemoveRows(moved, stayed);
    if (!errors.isEmpty())
        OnShowError(Translate(QStringLiteral("Cannot move the file to the trash.")) + u'\n' +
                    errors.join(u'\n'));
    return errors.isEmpty();
}

void TFileListView::RemoveSelectedRows()
{
    RemoveRows(fFileList->SelectedRows(), {});
}

void TFileListView::RemoveRows(const QList<int> &pRows, const QList<int> &pSelectedAfter)
{
    if (pRows.isEmpty())
        return;
    // One selection change first, so that removing the rows raises none per row.
    SelectRows(pSelectedAfter);
    fFileList->BeginUpdate();
    for (auto row = pRows.crbegin(); row != pRows.crend(); ++row)
        fFileList->Delete(*row);
    fFileList->EndUpdate();
}

bool TFileListView::StartRename()
{
    const int row = fFileList->ItemIndex();
    if (row < 0 || row >= fFileList->rowCount())
        return false;
    const QModelIndex index = fFileList->index(row, flcName);
    setCurrentIndex(index);
    scrollTo(index);
    edit(index);
    return true;
}

bool TFileListView::RenameRow(int pRow, const QString &pNewName)
{
    if (pRow < 0 || pRow >= fFileList->Count() || fReadOnly)
        return false;
    const QString oldPath = fFileList->Item(pRow).Path();
    const TFileOperationResult result = RenameFileTo(oldPath, pNewName);
    if (!result.fOk) {
        OnShowError(Translate(QStringLiteral("Cannot rename the file.")) + u'\n' + DisplayFileName(oldPath) +
                    QStringLiteral(": ") + result.fError);
        return false;
    }
    RenamePathInList(oldPath, result.fNewPath);
    return true;
}

void TFileListView::RenamePathInList(const QString &pOldPath, const QString &pNewPath)
{
    if (pOldPath == pNewPath)
        return;
    // Each call renames the first row with the old path; duplicates allowed, so repeat.
    for (int guard = fFileList->Count(); guard > 0 && fFileList->IsItemInList(pOldPath); --guard)
        fFileList->HandleShellChange(neFileRename, pOldPath, pNewPath);
}

bool TFileListView::ShowProperties(const QString &pPath)
{
    const auto rows = FilePropertyRows(pPath);
    if (rows.isEmpty())
        return false;
    auto *dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("PropertiesDialog"));
    dialog->setWindowTitle(Translate(QStringLiteral("Properties")) + QStringLiteral(" - ") +
                           DisplayFileName(QStringView(pPath).mid(pPath.lastIndexOf(u'/') + 1)));
    auto *layout = new QVBoxLayout(dialog);
    auto *form = new QFormLayout;
    for (const auto &[label, value] : rows) {
        auto *text = new QLabel(value, dialog);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text->setTextFormat(Qt::PlainText);
        form->addRow(Translate(label), text);
    }
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    layout->addWidget(buttons);
    dialog->show();
    return true;
}

void TFileListView::BuildContextMenu(QMenu &pMenu) const
{
    for (const TMenuEntry &entry : kMenu) {
        if (!entry.fCaption) {
            pMenu.addSeparator();
            continue;
        }
        if (entry.fChanges && fReadOnly)
            continue;
        QAction *action = pMenu.addAction(Translate(QString::fromUtf16(entry.fCaption)));
        action->setData(VerbOfAction(entry.fAction));
        if (entry.fAction == saRename)
            action->setEnabled(fFileList->SelCount() == 1);
        if (entry.fAction == saPaste) {
            const QMimeData *data = QApplication::clipboard()->mimeData();
            action->setEnabled(data && !FilePathsOfMimeData(*data).isEmpty());
        }
    }
    if (OnExtendMenu)
        OnExtendMenu(pMenu);
}

QString TFileListView::ShowContextMenu(const QPoint &pGlobalPos)
{
    if (fFileList->SelCount() == 0)
        return {};
    QMenu menu(this);
    BuildContextMenu(menu);
    const QAction *chosen = menu.exec(pGlobalPos);
    return chosen ? chosen->data().toString() : QString();
}

void TFileListView::AfterMenuCommand(const QString &pVerb)
{
    // Pasted or trashed files may have changed listed items: read them again.
    if (pVerb == VerbOfAction(saPaste) || pVerb == VerbOfAction(saDelete))
        FullRefresh();
}

void TFileListView::contextMenuEvent(QContextMenuEvent *aEvent)
{
    QModelIndex index;
    QPoint at = aEvent->globalPos();
    if (aEvent->reason() == QContextMenuEvent::Keyboard) {
        const int row = fFileList->ItemIndex();
        if (row >= 0 && row < fFileList->rowCount()) {
            index = fFileList->index(row, 0);
            at = viewport()->mapToGlobal(visualRect(index).bottomLeft());
        } else {
            at = viewport()->mapToGlobal(QPoint(1, 1));
        }
    } else {
        index = indexAt(viewport()->mapFromGlobal(aEvent->globalPos()));
        if (index.isValid() && !selectionModel()->isRowSelected(index.row(), QModelIndex()))
            SelectRows({index.row()});
    }
    if (!index.isValid() && fContextMenu && OnExtendMenu) {
        QMenu menu(this);
        OnExtendMenu(menu);
        if (!menu.isEmpty()) {
            menu.exec(at);
            return;
        }
    }
    if (!index.isValid() || !fContextMenu) {
        QTreeView::contextMenuEvent(aEvent);
        return;
    }
    const QString verb = ShowContextMenu(at);
    if (verb.isEmpty())
        return;
    InvokeContextMenuCommand(verb);
    AfterMenuCommand(verb);
}

void TFileListView::mouseDoubleClickEvent(QMouseEvent *aEvent)
{
    if (aEvent->button() == Qt::LeftButton && indexAt(aEvent->position().toPoint()).isValid()) {
        InvokeContextMenuCommand(VerbOfAction(saDefault));
        aEvent->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(aEvent);
}

void TFileListView::keyPressEvent(QKeyEvent *aEvent)
{
    if (state() == QAbstractItemView::EditingState) {
        QTreeView::keyPressEvent(aEvent);
        return;
    }
    const TListKeyAction action =
        ListKeyAction(aEvent->key(), aEvent->modifiers(), fReadOnly, fFileList->SelCount() > 0);
    if (action.fEffect == lkNone) {
        QTreeView::keyPressEvent(aEvent);
        return;
    }
    switch (action.fEffect) {
    case lkSelectAll:
        SelectAllItems();
        break;
    case lkRefresh:
        FullRefresh();
        break;
    case lkCopyRows:
        if (fFileList->SelCount() > 0)
            QApplication::clipboard()->setText(ResultsTabSeparated(*fFileList, fFileList->SelectedRows()));
        break;
    case lkCommand:
        if (action.fCommand == saDefault && fFileList->SelCount() == 0 && OnEnterWithoutSelection) {
            OnEnterWithoutSelection();
        } else if (action.fCommand == saDelete) {
            // A file that cannot be moved stays on disk but leaves the list.
            if (!InvokeCommandOnSelected(TShellCommand::FromAction(saDelete)) && fFileList->SelCount() > 0 &&
                fFileList->AllowDuplicates())
                RemoveSelectedRows();
        } else {
            InvokeCommandOnSelected(TShellCommand::FromAction(action.fCommand));
        }
        break;
    default:
        break;
    }
    if (action.fConsumed)
        aEvent->accept();
    else
        aEvent->ignore();
}
