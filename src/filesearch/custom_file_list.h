// The result list's item store as a table model: adding with the veto events, path look-ups,
// batched updates, sorting and the selection, all on the UI thread. Views show it directly and
// share its selection model, the one record of which items are selected.
#pragma once

#include "filesearch/file_list_item.h"

#include <functional>
#include <memory>
#include <QAbstractTableModel>
#include <QHash>
#include <QItemSelectionModel>
#include <QList>
#include <QStringList>
#include <utility>
#include <vector>

class TZorCustomFileList : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Veto on a new item, asked before OnAddPath; CanAdd is true on entry.
    using TOnAddItem = std::function<void(TZorFileListItem &Item, bool &CanAdd)>;
    // Veto on a new item by its path; CanAdd is true on entry.
    using TOnAddPath = std::function<void(const QString &Path, bool &CanAdd)>;
    // The selection changed; pSelectedPath is SelectedPath ("" when nothing is selected).
    using TItemIdListEvent = std::function<void(TZorCustomFileList &Sender, const QString &pSelectedPath)>;

    // The role under which data() gives an item's full path (display path for virtual elements).
    static constexpr int PathRole = Qt::UserRole + 1;

    explicit TZorCustomFileList(QObject *aParent = nullptr);
    ~TZorCustomFileList() override;

    TOnAddItem OnAddItem;
    TOnAddPath OnAddPath;
    TItemIdListEvent OnSelectionChanged;

    // UI thread. Adds Path as a new item at pPos (appended when pPos is not within 0..Count-1),
    // checked when Checked is set, and asks ConfirmNewItem; a refused item is removed again at
    // once. Returns the item (valid until it is removed), or null when refused.
    // A path that does not begin with "/" and has no scheme ("name:...") cannot become an item.
    // Throws std::invalid_argument: "pPath must be assigned" for "", "pItemIdList must be
    // assigned" for a path that cannot become an item, "Virtual elements cannot be added if
    // FileSystemOnly is true" for a "scheme:..." path while FileSystemOnly is set.
    // Exceptions of the events pass through; the item they were asked about is then removed.
    TZorFileListItem *Add(const QString &Path, bool Checked = false, int pPos = -1);

    // UI thread. Asks OnAddItem, then (when still accepted) OnAddPath with the item's path, both
    // with CanAdd true on entry. Returns CanAdd.
    bool ConfirmNewItem(TZorFileListItem &Item);

    // Index of the first item from lStartIndex on whose path (display path for virtual elements)
    // equals pFilePath by SamePath; -1 when none or pFilePath is "". Linear.
    int ReturnItemInList(const QString &pFilePath, int lStartIndex = 0) const;
    // ReturnItemInList(FileName, 0) finds an item.
    bool IsItemInList(const QString &FileName) const;

    // Removes every item. Stops no search.
    void Clear();
    // Removes the item at pIndex (ignored when out of range).
    void Delete(int pIndex);

    // Batches additions: rows added between the outermost BeginUpdate and its EndUpdate reach the
    // model's views in one insertion at EndUpdate (Count and Item see them at once). Nestable.
    void BeginUpdate();
    void EndUpdate();
    bool IsUpdating() const { return fUpdateCount > 0; }

    // Items, including those not yet announced to views during an update.
    int Count() const { return int(fItems.size()); }
    TZorFileListItem &Item(int pIndex) { return *fItems.at(size_t(pIndex)); }
    const TZorFileListItem &Item(int pIndex) const { return *fItems.at(size_t(pIndex)); }

    // The selection. SelectionModel, over this list, is its only record: a view that shows the
    // list hands it to setSelectionModel, so that the user's clicks and the functions below read
    // and change the same selection. A row counts as selected when any of its cells is. Only rows
    // views have been told of can be selected (rows added during an update from its EndUpdate
    // on). Sorting keeps the selected items selected; a removed row leaves the selection.
    // Reading it costs in proportion to the selection's ranges, not to Count.
    QItemSelectionModel &SelectionModel() { return fSelection; }
    const QItemSelectionModel &SelectionModel() const { return fSelection; }
    // ItemIndex: the first selected item (lowest row), -1 when none. SetItemIndex selects that one
    // item only (-1 clears). SetSelectedRows replaces the selection (out-of-range rows ignored).
    // SelectedRows: the selected rows, ascending; SelectedPaths their paths in the same order.
    // OnSelectionChanged is raised once for every change of the selection, whoever makes it; once
    // for a Delete or Clear that removes selected rows; never for sorting.
    QString SelectedPath() const;
    QStringList SelectedPaths() const;
    QList<int> SelectedRows() const;
    bool IsSelected(int pIndex) const;
    int ItemIndex() const;
    void SetItemIndex(int pIndex);
    int SelCount() const;
    void SetSelected(int pIndex, bool pSelected);
    void SetSelectedRows(const QList<int> &pRows);

    // Behaviour switches; defaults as for the base list (TZorFileList allows duplicates).
    bool AllowDuplicates() const { return fAllowDuplicates; }
    void SetAllowDuplicates(bool pValue) { fAllowDuplicates = pValue; }
    bool FileSystemOnly() const { return fFileSystemOnly; }
    void SetFileSystemOnly(bool pValue) { fFileSystemOnly = pValue; }
    // No background existence check exists on Linux; the flag is kept for the form's sake.
    bool CheckIfExists() const { return fCheckIfExists; }
    void SetCheckIfExists(bool pValue) { fCheckIfExists = pValue; }

    // Sorted mode: Resort orders the items by SortColumn/SortOrder. sort() switches it on.
    bool IsSorted() const { return fIsSorted; }
    void SetIsSorted(bool pValue);
    int SortColumn() const { return fSortColumn; }
    Qt::SortOrder SortOrder() const { return fSortOrder; }
    // UI thread. Re-sorts when in sorted mode (after the update when one is in progress).
    void Resort();

    // The Type column's text for an item: "Folder", "File" for a name without extension, else the
    // MIME database's description of the extension, or "<EXT> File" when it knows none.
    QString TypeName(const TZorFileListItem &pItem) const;

    // The column captions, English until the window sets its translated ones (five texts).
    void SetColumnCaptions(const QStringList &pCaptions);

    // QAbstractItemModel
    int rowCount(const QModelIndex &aParent = QModelIndex()) const override;
    int columnCount(const QModelIndex &aParent = QModelIndex()) const override;
    // The Name cell is editable (a view renames the file in place; setData changes nothing).
    QVariant data(const QModelIndex &aIndex, int aRole = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &aIndex) const override;
    QVariant headerData(int aSection, Qt::Orientation aOrientation,
                        int aRole = Qt::DisplayRole) const override;
    void sort(int aColumn, Qt::SortOrder aOrder = Qt::AscendingOrder) override;

protected:
    // Runs after an item has been added and accepted (TZorFileList switches its notifier).
    virtual void ItemAccepted(TZorFileListItem &pItem);
    // Tells views that the item's data may have changed and forgets its cached details.
    void RefreshItem(int pIndex);
    // Item at pIndex takes pNewPath (a rename).
    void RenameItem(int pIndex, const QString &pNewPath);

private:
    // Ascending, disjoint, non-adjacent [first, last] row spans of the selection.
    using TRowSpans = std::vector<std::pair<int, int>>;
    TRowSpans SelectedSpans() const;
    // The selection model changed the selection; raises the event unless fQuietSelection is set.
    void SelectionModelChanged();
    void RaiseSelectionChanged();
    void InsertItem(int pPos, std::unique_ptr<TZorFileListItem> pItem);
    bool LessThan(const TZorFileListItem &a, const TZorFileListItem &b) const;

    std::vector<std::unique_ptr<TZorFileListItem>> fItems;
    int fPublished = 0; // rows announced to views; the rest were added during an update
    int fUpdateCount = 0;
    bool fResortPending = false;
    bool fAllowDuplicates = false;
    bool fFileSystemOnly = true;
    bool fCheckIfExists = false;
    bool fIsSorted = false;
    int fSortColumn = flcName;
    Qt::SortOrder fSortOrder = Qt::AscendingOrder;
    QStringList fColumnCaptions;
    mutable QHash<QString, QString> fTypeNames; // lower-case extension -> type name
    QString fLastFolder;                        // the folder string new items of that folder share
    QItemSelectionModel fSelection{this};
    // Set while rows are removed or reordered: the selection model's own signals are not passed
    // on then, the caller raises the one event the change is worth.
    bool fQuietSelection = false;
};
