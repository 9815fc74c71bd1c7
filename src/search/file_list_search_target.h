// The result list as the search control sees it, and the wiring of the list's events to the
// control.
#pragma once

#include "filesearch/file_list.h"
#include "search/search_control.h"

// Forwards the search control's calls to a TZorFileList. UI thread only.
class TFileListSearchTarget : public ISearchResultList
{
public:
    // aList must outlive this object.
    explicit TFileListSearchTarget(TZorFileList &aList) : fList(aList) {}

    void Stop() override { fList.Stop(); }
    void Clear() override { fList.Clear(); }
    // Throws std::system_error when the list's pool cannot start any thread.
    void Search(const QString &aPath) override { fList.Search(aPath); }
    TZorSearchOptions &SearchOptions() override { return fList.SearchOptions(); }
    int Count() const override { return fList.Count(); }
    void SetContentCheck(std::shared_ptr<const TContentCheck> aCheck) override
    {
        fList.SetContentCheck(std::move(aCheck));
    }
    std::optional<bool> OfferedVerdict(const QString &aText) const override
    {
        return fList.OfferedVerdict(aText);
    }

private:
    TZorFileList &fList;
};

// Makes aList's OnAddPath and OnEndSearch the control's AcceptPath and EndSearch. aControl must
// outlive aList's events (clear them, or destroy the list first). UI thread.
void ConnectSearchControl(TZorFileList &aList, TSearchControl &aControl);
