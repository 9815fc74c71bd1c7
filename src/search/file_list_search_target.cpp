// Wiring of the result list's events to the search control.
#include "search/file_list_search_target.h"

void ConnectSearchControl(TZorFileList &aList, TSearchControl &aControl)
{
    aList.OnAddPath = [&aControl](const QString &Path, bool &CanAdd) { aControl.AcceptPath(Path, CanAdd); };
    aList.OnEndSearch = [&aControl] { aControl.EndSearch(); };
    aList.OnSearchProgress = [&aControl](const QString &Path) { aControl.WalkProgress(Path); };
}
