// Which work items a pool operation is about: any combination of tag, group tag and class.
#pragma once

#include "threads/work_item.h"

#include <cstdint>
#include <optional>
#include <typeinfo>

struct TWorkItemFilter
{
    std::optional<intptr_t> Tag;
    std::optional<intptr_t> GroupTag;
    const std::type_info *Class = nullptr; // the item's exact class, e.g. &typeid(TMyItem)

    bool IsEmpty() const { return !Tag && !GroupTag && !Class; }
    // True when aItem meets every criterion given.
    bool Matches(IWorkItem &aItem) const
    {
        return (!Tag || aItem.GetTag() == *Tag) && (!GroupTag || aItem.GetGroupTag() == *GroupTag) &&
               (!Class || typeid(aItem) == *Class);
    }
};
