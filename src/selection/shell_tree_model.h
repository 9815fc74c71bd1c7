// TZorShellTreeModel: the folder tree's nodes as a Qt item model, with the rules of its check
// boxes: states computed on the process-wide worker pool and filled in on the UI thread, ticking
// and unticking through the linked selection list, and the refreshes the link asks for.
#pragma once

#include "selection/check_box_work_item.h"
#include "selection/shell_link.h"
#include "selection/shell_tree_node.h"

#include <functional>
#include <memory>
#include <QAbstractItemModel>
#include <QCollator>
#include <QItemSelectionModel>
#include <vector>

enum TMultipleRoots
{
    mrSingleRoot,
    mrMultipleRoots,
    mrAuto,
    mrFirstLevel
};

// Everything here runs on the UI thread; only the state queries (TCheckBoxWorkItem) run on the
// worker pool, and their results come back on the UI thread. A node's state is first computed
// when the view first asks for its icon or state (it is painted), not when it is created.
class TZorShellTreeModel : public QAbstractItemModel, public IZorShellControl, public ICheckBoxViewer
{
    Q_OBJECT
public:
    enum TRole
    {
        StateIndexRole = Qt::UserRole + 1, // int: the node's state index; asking marks it shown
        FullPathRole,                      // QString
        IconKindRole                       // int: TZorShellIconKind
    };
    // Offered every child node before it is shown; a false CanAdd deletes it at once.
    using TOnAddNode = std::function<void(TZorShellTreeNode &Node, const QString &path, bool &CanAdd)>;
    using TOnCheckStateChanged =
        std::function<void(TZorShellTreeNode &pShellTreeNode, TZorSelectionState CheckState)>;

    explicit TZorShellTreeModel(QObject *aParent = nullptr);
    ~TZorShellTreeModel() override;

    // ---- QAbstractItemModel: one column; children are filled by fetchMore (first expansion).
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    // Display text, tool tip and the roles above. Asking for the state of a node that was never
    // shown (the view paints it) updates it (UpdateNode): it takes its parent's state and queues
    // its query. Icons are the window's (DecorationRole is empty here).
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    // Enumerates the folder (synchronously) and adds its children; an error leaves it empty.
    void fetchMore(const QModelIndex &parent) override;

    TZorShellTreeNode *NodeFromIndex(const QModelIndex &aIndex) const;
    QModelIndex IndexFromNode(const TZorShellTreeNode *aNode) const;
    // The first root, or null while the tree is empty.
    TZorShellTreeNode *RootNode() const;
    // Gives the root node a new caption (after a language change); nothing while the tree is empty.
    void SetRootText(const QString &aText);
    // The selection the view shares; its current index is the selected node.
    QItemSelectionModel *SelectionModel() const { return fSelection; }
    TZorShellTreeNode *SelectedNode() const;
    void SelectNode(TZorShellTreeNode *aNode);

    // ---- Properties.
    TZorShellLink *ShellLink() const { return fShellLink; }
    // Unregisters from the old link, registers with the new one; pending queries are dropped.
    void SetShellLink(TZorShellLink *aValue);
    bool Checkboxes() const { return fCheckBoxes; }
    // Switched off again while no link is set; then the check boxes are refreshed.
    void SetCheckboxes(bool aValue);
    // The root: a special folder or a folder path (no item: SF_DRIVES). Setting it fills the
    // tree again if it was filled.
    const TZorShellItem &RootedAt() const { return fRootedAt; }
    void SetRootedAt(const TZorShellItem &aValue);
    // Fills the tree if that has not happened yet: the root node, its children (each offered to
    // OnAddFolder, so assign that first), the root's state; the root is selected.
    void EnsureFilled();
    TMultipleRoots MultipleRoots() const { return fMultipleRoots; }
    // Every mode shows the one RootedAt root.
    void SetMultipleRoots(TMultipleRoots aValue) { fMultipleRoots = aValue; }
    // Names a folder must fit to be shown ("*": every name). Applies to folders listed later.
    const QString &Filter() const { return fFilter; }
    void SetFilter(const QString &aValue) { fFilter = aValue; }

    // The path of the selected node; for a node without a path, the path of the root special
    // folder ("" for the drives folder); "" when nothing is selected.
    QString SelectedFolder() const;
    // Both fill the tree first (EnsureFilled).
    // Non-empty Value: variables expanded (ExpandFolderText); an existing folder is opened from
    // the root down (filling nodes on the way) and its node selected; when a folder on the way is
    // not shown (hidden, refused, behind a link) the deepest node reached is selected. Anything
    // else changes nothing. Empty Value: selects the drives folder. Returns the selected node
    // (null when nothing changed).
    TZorShellTreeNode *SetSelectedFolder(const QString &Value);
    // Selects the node of a special folder (the root when it is that folder).
    TZorShellTreeNode *SetSpecialFolder(TZorSpecialFolder aValue);

    // ---- Nodes.
    // Fills aNode's children if that has not happened yet (see fetchMore).
    void FillChildren(TZorShellTreeNode &aNode);
    // Creates one child of aParent for aItem, offers it to OnAddFolder and inserts it in name
    // order. Returns the node, or null when it was refused.
    TZorShellTreeNode *AddChildNode(TZorShellTreeNode &aParent, const TZorShellFolderItem &aItem);
    // The loaded node showing aItem, else the deepest loaded node on its path; nothing is filled.
    // Null when the item lies outside the tree.
    TZorShellTreeNode *LocateNode(const TZorShellItem &aItem) const;
    // The node at aIndex counting every loaded node from the first root in display order, as in
    // a fully expanded tree; null outside.
    TZorShellTreeNode *NodeAtAbsoluteIndex(int aIndex) const;
    // The stored state index of that node as is (-1 when there is none).
    int GetItemSelectionState(int aIndex) const;
    // Marks the node shown and updates it (icon and check state) if that has not happened yet.
    void NodeShown(TZorShellTreeNode &aNode);

    // ---- Check states.
    TZorSelectionState CheckState(TZorShellTreeNode &aNode);
    void SetCheckState(TZorShellTreeNode &aNode, TZorSelectionState aValue);
    bool Checked(TZorShellTreeNode &aNode) { return CheckState(aNode) == ssChecked; }
    // Needs a link. Nothing for a disabled or unused node. Otherwise shows the new state at once
    // (the change event comes before the list changes), changes the selection list (which then
    // refreshes every shown state) and queues a query for the node.
    void SetChecked(TZorShellTreeNode &aNode, bool aValue);
    // Checked := not Checked, with check boxes on and a link.
    void ToggleNodeCheck(TZorShellTreeNode &aNode);
    // The node's icon and check state: a node without a state shows its parent's and queues its
    // query; otherwise its shown states are recomputed (aFull) or, not full, only a checked or
    // unchecked one; the first root's state is set directly from the selection list.
    void UpdateNode(TZorShellTreeNode &aNode, bool aFull);
    // Queues a query for aNode and every loaded node below it that has been shown and is not
    // disabled; every root when aNode is null.
    void RecomputeCheckStates(TZorShellTreeNode *aNode = nullptr);
    // Recomputes (or sets, for nodes without a state) aNode and each of its ancestors.
    void UpdateCheckStatesUpwards(TZorShellTreeNode &aNode);
    // Re-reads the loaded folders below aNode from the file system and updates every shown node.
    void RefreshNode(TZorShellTreeNode &aNode);

    // IZorShellControl: rfFull refreshes every root, rfSmart the selected node and its
    // ancestors, rfCheckboxes recomputes the states of all nodes (no item, or an empty list) or
    // refreshes the node of the item. Nothing while the tree is empty. Another level throws
    // std::runtime_error("Unknown TRefreshLevel").
    void Refresh(TRefreshLevel pRefreshLevel, const TZorShellItem &pItemIdList) override;
    void ShellLinkDestroyed(TZorShellLink &aLink) override;
    // ICheckBoxViewer: the node of the finished query shows its result.
    void CheckBoxWorkItemDone(TCheckBoxWorkItem &aWorkItem) override;

    TOnAddNode OnAddFolder;
    TOnCheckStateChanged OnTreeNodeCheckStateChanged;

protected:
    // The state of the first root, set directly: grayed or disabled for a folder without a path
    // (the drives folder) or the desktop, else from the selection list.
    TZorSelectionState RootState(TZorShellTreeNode &aRoot) const;

private:
    void Fill();
    void ClearNodes();
    bool CanUseCheckBoxes() const { return fCheckBoxes && fShellLink; }
    void QueueQueries(const std::vector<TZorShellTreeNode *> &aNodes);
    void SetStateIndex(TZorShellTreeNode &aNode, int aValue);
    void SyncChildren(TZorShellTreeNode &aNode);
    void UpdateShownNodes(TZorShellTreeNode &aNode);
    void InsertChildren(TZorShellTreeNode &aParent, std::vector<std::unique_ptr<TZorShellTreeNode>> aNodes);
    void RemoveChild(TZorShellTreeNode &aParent, int aRow);
    std::unique_ptr<TZorShellTreeNode> OfferNode(TZorShellTreeNode &aParent,
                                                 const TZorShellFolderItem &aItem);
    void CancelAllQueries();
    static void Renumber(TZorShellTreeNode &aParent, int aFrom);

    std::vector<std::unique_ptr<TZorShellTreeNode>> fRoots;
    QItemSelectionModel *fSelection;
    TZorShellLink *fShellLink = nullptr;
    bool fCheckBoxes = false;
    TZorShellItem fRootedAt = TZorShellItem::FromSpecialFolder(SF_DESKTOP);
    TMultipleRoots fMultipleRoots = mrAuto;
    QString fFilter = QStringLiteral("*");
    QCollator fCollator;
    // Set while data() updates a node: the view is painting it, so no change signals then.
    bool fInData = false;
};
