// The folder tree view under the offscreen platform: a click on a check box ticks without
// selecting, a click on the text selects without ticking, Space ticks, and the five state images.
#include "gui/views/selection_state_image_list.h"
#include "gui/views/shell_tree.h"
#include "support/shell_tree_waits.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QTest>

namespace {

class ShellTree : public ::testing::Test
{
protected:
    ShellTree()
    {
        fTree.Folder("A/B");
        fTree.Folder("C");
        fView.resize(300, 300);
        fView.SetShellLink(&fLink);
        fView.SetCheckboxes(true);
        fView.SetRootedAt(TZorShellItem::FromPath(fTree.Root()));
        fView.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&fView));
        EXPECT_TRUE(WaitForCheckStates());
    }
    ~ShellTree() override { WaitForCheckStates(); }

    QModelIndex IndexOf(const QString &aRelative)
    {
        return fView.Model().IndexFromNode(NodeOf(fView.Model(), fTree.Path(aRelative)));
    }
    // The middle of the check box and of the text of a row.
    QPoint BoxPoint(const QModelIndex &aIndex)
    {
        const QRect rect = fView.visualRect(aIndex);
        return QPoint(rect.left() + fView.StateImages()->ImageSize().width() / 2, rect.center().y());
    }
    QPoint TextPoint(const QModelIndex &aIndex)
    {
        const QRect rect = fView.visualRect(aIndex);
        return QPoint(rect.left() + fView.StateImages()->ImageSize().width() + 30, rect.center().y());
    }

    TTempTree fTree;
    TZorShellLink fLink;
    TZorShellTree fView;
};

TEST_F(ShellTree, ClickOnTheBoxTicksAndDoesNotSelect)
{
    const QModelIndex a = IndexOf("A");
    ASSERT_TRUE(a.isValid());
    EXPECT_EQ(fView.Model().data(a, TZorShellTreeModel::StateIndexRole).toInt(), int(ssUnChecked));
    const QModelIndex before = fView.currentIndex();
    EXPECT_TRUE(fView.IsOnCheckBox(a, BoxPoint(a)));
    EXPECT_FALSE(fView.IsOnCheckBox(a, TextPoint(a)));

    QTest::mouseClick(fView.viewport(), Qt::LeftButton, {}, BoxPoint(a));
    EXPECT_EQ(fLink.SelectionList().Paths(), QStringList({fTree.Path("A") + "/*"}));
    EXPECT_EQ(fView.currentIndex(), before);
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(fView.Model().data(a, TZorShellTreeModel::StateIndexRole).toInt(), int(ssChecked));

    // Mirrored for a right-to-left language: the box is at the row's right end.
    fView.setLayoutDirection(Qt::RightToLeft);
    const QRect item = fView.visualRect(a);
    const QPoint mirroredBox(item.right() - fView.StateImages()->ImageSize().width() / 2, item.center().y());
    EXPECT_TRUE(fView.IsOnCheckBox(a, mirroredBox));
    EXPECT_FALSE(fView.IsOnCheckBox(a, BoxPoint(a)));
    QTest::mouseClick(fView.viewport(), Qt::LeftButton, {}, mirroredBox);
    EXPECT_TRUE(fLink.SelectionList().Paths().isEmpty());
    fView.setLayoutDirection(Qt::LeftToRight);
}

TEST_F(ShellTree, ClickOnTheTextSelectsAndDoesNotTick)
{
    const QModelIndex c = IndexOf("C");
    QTest::mouseClick(fView.viewport(), Qt::LeftButton, {}, TextPoint(c));
    EXPECT_EQ(fView.currentIndex(), c);
    EXPECT_EQ(fView.SelectedFolder(), fTree.Path("C"));
    EXPECT_TRUE(fLink.SelectionList().Paths().isEmpty());

    // Space ticks the selected node; a second Space unticks it.
    QTest::keyClick(&fView, Qt::Key_Space);
    EXPECT_EQ(fLink.SelectionList().Paths(), QStringList({fTree.Path("C") + "/*"}));
    ASSERT_TRUE(WaitForCheckStates());
    QTest::keyClick(&fView, Qt::Key_Space);
    EXPECT_TRUE(fLink.SelectionList().Paths().isEmpty());
}

TEST_F(ShellTree, SelectedFolderExpandsDownToTheFolder)
{
    fView.SetSelectedFolder(fTree.Path("A/B"));
    EXPECT_TRUE(fView.isExpanded(IndexOf("A")));
    EXPECT_EQ(fView.currentIndex(), IndexOf("A/B"));
    fView.SetSelectedFolder(fTree.Path("missing"));
    EXPECT_EQ(fView.SelectedFolder(), fTree.Path("A/B"));
}

TEST_F(ShellTree, FiveStateImagesFromTheStyle)
{
    const TZorSelectionStateImageList *images = fView.StateImages();
    ASSERT_NE(images, nullptr);
    const QSize size = images->ImageSize();
    EXPECT_GT(size.height(), 0);
    EXPECT_EQ(size.width(), size.height() + 2);
    auto pixels = [&](int aIndex) { return images->Image(aIndex).toImage(); };
    const QImage none = pixels(ssUnused);
    bool empty = true;
    for (int y = 0; y < none.height(); ++y)
        for (int x = 0; x < none.width(); ++x)
            empty = empty && qAlpha(none.pixel(x, y)) == 0;
    EXPECT_TRUE(empty);
    EXPECT_NE(pixels(ssDisabled), pixels(ssUnChecked));
    EXPECT_NE(pixels(ssChecked), pixels(ssUnChecked));
    EXPECT_NE(pixels(ssGrayed), pixels(ssChecked));
    EXPECT_NE(pixels(ssGrayed), pixels(ssDisabled));
    EXPECT_TRUE(images->Image(-1).isNull());

    const QModelIndex a = IndexOf("A");
    const QPoint box = BoxPoint(a);
    fView.SetCheckboxes(false);
    EXPECT_EQ(fView.StateImages(), nullptr);
    EXPECT_FALSE(fView.IsOnCheckBox(a, box));
}

} // namespace
