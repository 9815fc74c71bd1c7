// TZorShellTreeNode: one item of the check-box folder tree: the shell item it shows, its text,
// flags, children (filled on first expansion) and its check state, kept as a state index
// (-1 until computed, else a TZorSelectionState value).
#pragma once

#include "selection/selection_list.h"
#include "selection/shell_folder.h"
#include "threads/cancellation.h"

#include <cstdint>
#include <memory>
#include <vector>

class TZorShellTreeModel;

// Bits of TZorShellTreeNode::Flags().
enum TZorShellTreeNodeFlag : uint32_t
{
    nfFolder = 0x1,           // the item is a folder (the tree shows folders only)
    nfRoot = 0x10,            // a root node
    nfFillingChildren = 0x40, // its children are being filled
    nfTextByHandler = 0x80,   // OnAddFolder set the text; refreshes keep it
    nfGap = 0x100             // a placeholder node (never created on Linux)
};

// Nodes belong to their TZorShellTreeModel and live on the UI thread. Deleting a node cancels its
// pending state queries, so their results never reach it.
class TZorShellTreeNode
{
public:
    TZorShellTreeNode(TZorShellTreeModel &aTree, TZorShellTreeNode *aParent,
                      const TZorShellFolderItem &aItem);
    ~TZorShellTreeNode();
    TZorShellTreeNode(const TZorShellTreeNode &) = delete;
    TZorShellTreeNode &operator=(const TZorShellTreeNode &) = delete;

    TZorShellTreeModel &Tree() const { return fTree; }
    TZorShellTreeNode *Parent() const { return fParent; }
    // Position among the parent's children (among the roots for a root).
    int Row() const { return fRow; }
    // 0 for a root, 1 for its children, ...
    int Level() const;
    int ChildCount() const { return int(fChildren.size()); }
    TZorShellTreeNode *Child(int aRow) const;
    // The loaded child showing exactly aPath, or null.
    TZorShellTreeNode *ChildWithPath(const QString &aPath) const;

    // The shell item shown (absolute) and its name within the parent folder (relative).
    const TZorShellItem &AbsoluteItemIdList() const { return fAbsoluteItemIdList; }
    const QString &RelativeItemIdList() const { return fRelativeItemIdList; }
    // The file-system path; "" for the drives folder, which has none.
    QString FullPath() const { return fAbsoluteItemIdList.Path(); }
    const QString &Text() const { return fText; }
    // For OnAddFolder: a text set there is kept by later refreshes.
    void SetText(const QString &aText) { fText = aText; }
    TZorShellIconKind IconKind() const { return fIconKind; }
    uint32_t Flags() const { return fFlags; }
    bool IsFolder() const { return (fFlags & nfFolder) != 0; }
    bool IsGap() const { return (fFlags & nfGap) != 0; }
    bool IsRoot() const { return (fFlags & nfRoot) != 0; }
    // False for links to folders: they are never expanded.
    bool MayHaveChildren() const { return fMayHaveChildren; }
    bool ChildrenFilled() const { return fChildrenFilled; }
    // True once the node has been updated for display (it has its icon and a state).
    bool Shown() const { return fShown; }
    // The stored state index as is: -1 until computed, else a TZorSelectionState value.
    int StateIndex() const { return fStateIndex; }

    // The check state; reading a node without one computes it at once on this thread (no change
    // event). Setting it shows it and raises OnTreeNodeCheckStateChanged when the node had a
    // state before. UI thread; see TZorShellTreeModel.
    TZorSelectionState CheckState();
    void SetCheckState(TZorSelectionState aValue);
    // The state is ssChecked. Setting ticks or unticks the item in the selection list.
    bool Checked();
    void SetChecked(bool aValue);

    // The node's token, handed to its state queries.
    std::shared_ptr<ICancellationIndicator> CancellationToken() { return fCancellationToken.Token(); }
    // Cancels every pending state query of this node (later queries get a fresh token).
    void CancelPendingQueries() { fCancellationToken.Reset(); }

private:
    friend class TZorShellTreeModel;

    TZorShellTreeModel &fTree;
    TZorShellTreeNode *fParent;
    int fRow = 0;
    std::vector<std::unique_ptr<TZorShellTreeNode>> fChildren;
    TZorShellItem fAbsoluteItemIdList;
    QString fRelativeItemIdList;
    QString fText;
    TZorShellIconKind fIconKind;
    uint32_t fFlags = nfFolder;
    bool fMayHaveChildren;
    bool fChildrenFilled = false;
    bool fShown = false;
    int fStateIndex = -1;
    TCancellationToken fCancellationToken;
};
