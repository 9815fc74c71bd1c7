// TCheckBoxWorkItem: computes the check state of one folder-tree node on a worker thread of the
// process-wide pool and hands the result to the tree (ICheckBoxViewer) on the UI thread.
#pragma once

#include "selection/selection_list.h"
#include "selection/shell_item.h"
#include "threads/work_item.h"

#include <atomic>
#include <memory>

class TCheckBoxWorkItem;

// The tree's side of a state query.
class ICheckBoxViewer
{
public:
    virtual ~ICheckBoxViewer() = default;
    // UI thread. aWorkItem has finished without being cancelled; its tag names the node.
    virtual void CheckBoxWorkItemDone(TCheckBoxWorkItem &aWorkItem) = 0;
};

class TCheckBoxWorkItem : public TBasicWorkItem
{
public:
    // aTag names the node the state is for; pCancellationToken is the node's token, so that
    // deleting the node drops the result. The item keeps the selection list alive while it runs.
    TCheckBoxWorkItem(const TZorShellItem &aPIDL, std::shared_ptr<TZorSelectionList> aSelectionList,
                      ICheckBoxViewer *aCheckBoxViewer, intptr_t aTag,
                      std::shared_ptr<ICancellationIndicator> pCancellationToken);

    // Worker thread: asks the selection list for the item's state (read lock, file-system
    // access). A cancelled item does nothing; any exception gives ssDisabled.
    void DoWork() override;
    // Clears the viewer, so that a cancelled item reports to nobody.
    void Terminate() override;

    // The result; ssUnused until DoWork has run.
    TZorSelectionState CheckState() const { return fSelectionState.load(); }
    // Whether a checked item is checked through an ancestor's folder entry.
    bool IsSubItemOf() const { return fIsSubItemOf.load(); }
    const TZorShellItem &PIDL() const { return fPIDL; }

protected:
    // UI thread: hands the result to the viewer.
    void DoWorkDone() override;

private:
    const TZorShellItem fPIDL;
    const std::shared_ptr<TZorSelectionList> fSelectionList;
    std::atomic<ICheckBoxViewer *> fCheckBoxViewer;
    std::atomic<TZorSelectionState> fSelectionState{ssUnused};
    std::atomic<bool> fIsSubItemOf{false};
};
