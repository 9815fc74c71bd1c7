// Folder-tree nodes.
#include "selection/shell_tree_node.h"

#include "platform/path_routines.h"
#include "selection/shell_tree_model.h"

TZorShellTreeNode::TZorShellTreeNode(TZorShellTreeModel &aTree, TZorShellTreeNode *aParent,
                                     const TZorShellFolderItem &aItem)
    : fTree(aTree), fParent(aParent), fAbsoluteItemIdList(aItem.Item),
      fRelativeItemIdList(aItem.Item.Path().mid(FolderPart(aItem.Item.Path()).size())),
      fText(aItem.DisplayName), fIconKind(aItem.IconKind), fMayHaveChildren(aItem.MayHaveChildren)
{
    if (!aParent)
        fFlags |= nfRoot;
}

TZorShellTreeNode::~TZorShellTreeNode()
{
    fCancellationToken.Reset();
    // Children go first and one level at a time, so even a very deep chain of loaded folders is
    // freed without deep recursion.
    std::vector<std::unique_ptr<TZorShellTreeNode>> pending = std::move(fChildren);
    while (!pending.empty()) {
        std::unique_ptr<TZorShellTreeNode> node = std::move(pending.back());
        pending.pop_back();
        for (std::unique_ptr<TZorShellTreeNode> &child : node->fChildren)
            pending.push_back(std::move(child));
        node->fChildren.clear();
    }
}

int TZorShellTreeNode::Level() const
{
    int level = 0;
    for (const TZorShellTreeNode *node = fParent; node; node = node->fParent)
        ++level;
    return level;
}

TZorShellTreeNode *TZorShellTreeNode::Child(int aRow) const
{
    return aRow >= 0 && aRow < ChildCount() ? fChildren[size_t(aRow)].get() : nullptr;
}

TZorShellTreeNode *TZorShellTreeNode::ChildWithPath(const QString &aPath) const
{
    for (const std::unique_ptr<TZorShellTreeNode> &child : fChildren)
        if (SamePath(child->FullPath(), aPath))
            return child.get();
    return nullptr;
}

TZorSelectionState TZorShellTreeNode::CheckState()
{
    return fTree.CheckState(*this);
}

void TZorShellTreeNode::SetCheckState(TZorSelectionState aValue)
{
    fTree.SetCheckState(*this, aValue);
}

bool TZorShellTreeNode::Checked()
{
    return CheckState() == ssChecked;
}

void TZorShellTreeNode::SetChecked(bool aValue)
{
    fTree.SetChecked(*this, aValue);
}
