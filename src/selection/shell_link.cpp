// The shell link: its selection list and the refresh path to the registered controls.
#include "selection/shell_link.h"

#include <algorithm>

TZorShellLink::TZorShellLink() : fSelectionList(std::make_shared<TZorSelectionList>(this)) {}

TZorShellLink::~TZorShellLink()
{
    // A control may unregister others while it is told: take them one at a time.
    while (!fControls.empty()) {
        IZorShellControl *control = fControls.back();
        fControls.pop_back();
        control->ShellLinkDestroyed(*this);
    }
}

void TZorShellLink::RegisterControl(IZorShellControl *aControl)
{
    if (aControl && std::find(fControls.begin(), fControls.end(), aControl) == fControls.end())
        fControls.push_back(aControl);
}

void TZorShellLink::UnregisterControl(IZorShellControl *aControl)
{
    std::erase(fControls, aControl);
}

void TZorShellLink::Refresh(IZorShellControl *Sender, TRefreshLevel pRefreshLevel,
                            const TZorShellItem &pItemIdList)
{
    if (!fEnabled)
        return;
    // A control may unregister while it refreshes: work on a copy.
    const std::vector<IZorShellControl *> controls = fControls;
    for (IZorShellControl *control : controls)
        if (control != Sender && std::find(fControls.begin(), fControls.end(), control) != fControls.end())
            control->Refresh(pRefreshLevel, pItemIdList);
}
