// TZorShellLink: ties the controls that show the file system (the folder tree) to the selection
// list it owns, and forwards refresh requests from one control, or from the list, to the others.
#pragma once

#include "selection/selection_list.h"
#include "selection/shell_item.h"

#include <memory>
#include <vector>

enum TRefreshLevel
{
    rfFull,
    rfSmart,
    rfCheckboxes
};

// A control registered with a link.
class TZorShellLink;

class IZorShellControl
{
public:
    virtual ~IZorShellControl() = default;
    // UI thread. Redraw at pRefreshLevel: the given item, or every item when pItemIdList is null.
    virtual void Refresh(TRefreshLevel pRefreshLevel, const TZorShellItem &pItemIdList) = 0;
    // UI thread. The link this control is registered with is being destroyed; the control must
    // forget it. The link has already unregistered the control.
    virtual void ShellLinkDestroyed(TZorShellLink & /*aLink*/) {}
};

// UI thread only, except SelectionList(), whose own rules say which calls may come from workers.
class TZorShellLink
{
public:
    // Creates the link's selection list, with the link as its parent.
    TZorShellLink();
    // Tells every registered control (ShellLinkDestroyed). The selection list lives on while
    // someone still holds SharedSelectionList() (a state query on a worker thread).
    ~TZorShellLink();
    TZorShellLink(const TZorShellLink &) = delete;
    TZorShellLink &operator=(const TZorShellLink &) = delete;

    TZorSelectionList &SelectionList() { return *fSelectionList; }
    // The same list, for work that may outlive the link (state queries on worker threads).
    std::shared_ptr<TZorSelectionList> SharedSelectionList() const { return fSelectionList; }

    // A control is registered at most once; it must unregister before it is destroyed.
    void RegisterControl(IZorShellControl *aControl);
    void UnregisterControl(IZorShellControl *aControl);

    // Calls the Refresh of every registered control except Sender (null: every control);
    // nothing while the link is disabled.
    void Refresh(IZorShellControl *Sender, TRefreshLevel pRefreshLevel, const TZorShellItem &pItemIdList);

    bool Enabled() const { return fEnabled; }
    void SetEnabled(bool aValue) { fEnabled = aValue; }

private:
    std::vector<IZorShellControl *> fControls;
    bool fEnabled = true;
    std::shared_ptr<TZorSelectionList> fSelectionList;
};
