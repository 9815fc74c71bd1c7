// TZorShellTree: the check-box folder tree, a tree view over a TZorShellTreeModel. A click on a
// node's check box (or Space) ticks or unticks it through the linked selection list; states are
// computed in the background and filled in as they arrive, so the window never waits for them.
#pragma once

#include "selection/shell_tree_model.h"

#include <functional>
#include <memory>
#include <QTimer>
#include <QTreeView>

class TZorSelectionStateImageList;

// UI thread only.
class TZorShellTree : public QTreeView
{
    Q_OBJECT
public:
    using TOnAddNode = TZorShellTreeModel::TOnAddNode;
    using TOnTreeNodeCheckStateChanged = std::function<void(
        TZorShellTree &sender, TZorShellTreeNode &pShellTreeNode, TZorSelectionState CheckState)>;

    // A tree rooted at the drives folder ("Computer"), without check boxes and without a link.
    // It is filled when first shown or when a folder is selected, so set OnAddFolder first.
    explicit TZorShellTree(QWidget *aParent = nullptr);
    ~TZorShellTree() override;

    TZorShellTreeModel &Model() const { return *fModel; }

    TZorShellLink *ShellLink() const { return fModel->ShellLink(); }
    // Without a link the check boxes cannot be used (they are switched off).
    void SetShellLink(TZorShellLink *aValue);
    bool Checkboxes() const { return fModel->Checkboxes(); }
    // Creates the state images when switched on (and a link is set), frees them when off; then
    // the check boxes are refreshed.
    void SetCheckboxes(bool aValue);
    const TZorShellItem &RootedAt() const { return fModel->RootedAt(); }
    // A filled tree is filled again below the new root, with the root expanded.
    void SetRootedAt(const TZorShellItem &aValue);
    TMultipleRoots MultipleRoots() const { return fModel->MultipleRoots(); }
    void SetMultipleRoots(TMultipleRoots aValue) { fModel->SetMultipleRoots(aValue); }
    const QString &Filter() const { return fModel->Filter(); }
    void SetFilter(const QString &aValue) { fModel->SetFilter(aValue); }
    // Selects the node of a special folder and shows it.
    void SetSpecialFolder(TZorSpecialFolder aValue);

    // The path of the selected node ("" for the drives folder or when nothing is selected).
    QString SelectedFolder() const { return fModel->SelectedFolder(); }
    // Opens Value from the root down, selects its node and scrolls it into view; an empty Value
    // selects the drives folder; a path the tree cannot find changes nothing (no message).
    void SetSelectedFolder(const QString &Value);

    // The link's refresh of this tree (see TZorShellTreeModel::Refresh).
    void Refresh(TRefreshLevel pRefreshLevel, const TZorShellItem &pItemIdList = TZorShellItem());
    // The stored state index of the node at an absolute index (every loaded node counted).
    int GetItemSelectionState(int aIndex) const { return fModel->GetItemSelectionState(aIndex); }
    // Null while check boxes are off.
    const TZorSelectionStateImageList *StateImages() const { return fStateImages.get(); }

    // Whether aPoint (viewport coordinates) lies on the check box of aIndex's row.
    bool IsOnCheckBox(const QModelIndex &aIndex, const QPoint &aPoint) const;
    // Checked := not Checked under the busy cursor; needs check boxes and a link.
    void ToggleNodeCheck(TZorShellTreeNode &aNode);

    // Offered every child node before it is shown (path: its full path); a false CanAdd drops it.
    TOnAddNode OnAddFolder;
    // Raised when a node's shown state changes (not on its first assignment).
    TOnTreeNodeCheckStateChanged OnTreeNodeCheckStateChanged;

protected:
    void mousePressEvent(QMouseEvent *aEvent) override;
    void mouseReleaseEvent(QMouseEvent *aEvent) override;
    void mouseDoubleClickEvent(QMouseEvent *aEvent) override;
    void mouseMoveEvent(QMouseEvent *aEvent) override;
    // Space ticks or unticks the selected node; F5 refreshes this tree and the link's others.
    void keyPressEvent(QKeyEvent *aEvent) override;
    void changeEvent(QEvent *aEvent) override;
    void showEvent(QShowEvent *aEvent) override;
    void resizeEvent(QResizeEvent *aEvent) override;

private:
    // Handles a left press or double click on a check box; false when it is not on one.
    bool ClickOnCheckBox(QMouseEvent *aEvent);
    // Fills the model if needed and expands its root.
    void EnsureFilled();
    // The one column as wide as the widest shown name needs, at least the view's width; a longer
    // one scrolls sideways.
    void FitColumn();

    TZorShellTreeModel *fModel; // owned through Qt parenting
    std::unique_ptr<TZorSelectionStateImageList> fStateImages;
    bool fPressedOnCheckBox = false;
    QTimer fFitTimer;
    int fNamesWidth = 0; // what the shown names need, as FitColumn last measured
};
