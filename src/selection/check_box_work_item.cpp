// The state query of one folder-tree node.
#include "selection/check_box_work_item.h"

TCheckBoxWorkItem::TCheckBoxWorkItem(const TZorShellItem &aPIDL,
                                     std::shared_ptr<TZorSelectionList> aSelectionList,
                                     ICheckBoxViewer *aCheckBoxViewer, intptr_t aTag,
                                     std::shared_ptr<ICancellationIndicator> pCancellationToken)
    : TBasicWorkItem(std::move(pCancellationToken)), fPIDL(aPIDL), fSelectionList(std::move(aSelectionList)),
      fCheckBoxViewer(aCheckBoxViewer)
{
    SetTag(aTag);
}

void TCheckBoxWorkItem::DoWork()
{
    if (IsWorkItemCancelled())
        return;
    TZorSelectionState state = ssDisabled;
    bool isSubItemOf = false;
    try {
        if (fSelectionList)
            state = fSelectionList->IsPIDLSelected(fPIDL, isSubItemOf);
    } catch (...) {
        state = ssDisabled;
    }
    fIsSubItemOf.store(isSubItemOf);
    fSelectionState.store(state);
}

void TCheckBoxWorkItem::Terminate()
{
    fCheckBoxViewer.store(nullptr);
    TBasicWorkItem::Terminate();
}

void TCheckBoxWorkItem::DoWorkDone()
{
    if (ICheckBoxViewer *viewer = fCheckBoxViewer.load())
        viewer->CheckBoxWorkItemDone(*this);
}
