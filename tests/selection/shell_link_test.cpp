// The shell link: refresh forwarding to registered controls, the sender left out, disabling,
// and ownership of the selection list.
#include "selection/shell_link.h"

#include <gtest/gtest.h>

namespace {

class TCountingControl : public IZorShellControl
{
public:
    void Refresh(TRefreshLevel pRefreshLevel, const TZorShellItem &pItemIdList) override
    {
        ++fCount;
        fLastLevel = pRefreshLevel;
        fLastItem = pItemIdList;
        if (fOnRefresh)
            fOnRefresh();
    }
    int fCount = 0;
    TRefreshLevel fLastLevel = rfFull;
    TZorShellItem fLastItem;
    std::function<void()> fOnRefresh;
};

} // namespace

TEST(ShellLink, ForwardsToEveryControlButTheSender)
{
    TCountingControl tree, list; // outlive the link, which tells them when it goes
    TZorShellLink link;
    link.RegisterControl(&tree);
    link.RegisterControl(&list);
    link.RegisterControl(&tree); // once only

    link.Refresh(&tree, rfSmart, TZorShellItem::FromPath("/home"));
    EXPECT_EQ(tree.fCount, 0);
    EXPECT_EQ(list.fCount, 1);
    EXPECT_EQ(list.fLastLevel, rfSmart);
    EXPECT_EQ(list.fLastItem, TZorShellItem::FromPath("/home"));

    link.Refresh(nullptr, rfFull, TZorShellItem());
    EXPECT_EQ(tree.fCount, 1);
    EXPECT_EQ(list.fCount, 2);
    EXPECT_TRUE(list.fLastItem.IsNull());

    link.SetEnabled(false);
    link.Refresh(nullptr, rfFull, TZorShellItem());
    EXPECT_EQ(tree.fCount + list.fCount, 3);
    link.SetEnabled(true);

    link.UnregisterControl(&list);
    link.Refresh(nullptr, rfCheckboxes, TZorShellItem());
    EXPECT_EQ(list.fCount, 2);
    EXPECT_EQ(tree.fCount, 2);
}

TEST(ShellLink, ControlMayUnregisterAnotherWhileRefreshing)
{
    TCountingControl first, second;
    TZorShellLink link;
    link.RegisterControl(&first);
    link.RegisterControl(&second);
    first.fOnRefresh = [&] { link.UnregisterControl(&second); };
    link.Refresh(nullptr, rfFull, TZorShellItem());
    EXPECT_EQ(first.fCount, 1);
    EXPECT_EQ(second.fCount, 0);
}

TEST(ShellLink, OwnsItsSelectionList)
{
    TZorShellLink link;
    EXPECT_EQ(link.SelectionList().Parent(), &link);
    EXPECT_TRUE(link.SelectionList().IsEmpty());
    EXPECT_TRUE(link.SelectionList().HandleShellLinks());
    EXPECT_TRUE(link.SelectionList().RemoveInvalidPaths());
}

TEST(ShellItems, Values)
{
    EXPECT_TRUE(TZorShellItem().IsNull());
    EXPECT_TRUE(TZorShellItem::FromPath("").IsNull());
    EXPECT_EQ(TZorShellItem::FromPath("/a").Path(), "/a");
    EXPECT_TRUE(TZorShellItem::FromSpecialFolder(SF_DRIVES).IsSpecialFolder(SF_DRIVES));
    EXPECT_FALSE(TZorShellItem::FromSpecialFolder(SF_DRIVES).IsSpecialFolder(SF_NETWORK));
    EXPECT_FALSE(TZorShellItem::FromPath("/a").IsSpecialFolder(SF_DESKTOP));
    EXPECT_EQ(TZorShellItem::FromSpecialFolder(SF_NETWORK).Path(), "");
    EXPECT_FALSE(TZorShellItem::FromSpecialFolder(SF_DRIVES) == TZorShellItem::FromSpecialFolder(SF_NETWORK));
    EXPECT_FALSE(TZorShellItem::FromPath("/a") == TZorShellItem::FromPath("/b"));
}
