// The folder tree's node model without a view: folders only and in name order, lazy filling,
// the item-model contract, check states computed on the worker pool, ticking and unticking through
// the selection list, refreshes and the selected folder.
#include "selection/check_box_hit_test.h"
#include "selection/shell_tree_model.h"
#include "support/shell_tree_waits.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QDir>
#include <stdexcept>

namespace {

class ShellTreeModel : public ::testing::Test
{
protected:
    ShellTreeModel()
    {
        for (const char *folder : {"A/B/D", "A/C", "E", "empty", ".hidden/inner", "z10", "z9"})
            fTree.Folder(folder);
        fTree.File("A/f.txt");
        fTree.File("plain.txt");
        fTree.Link("toE", fTree.Path("E"));
        fModel.OnTreeNodeCheckStateChanged = [this](TZorShellTreeNode &aNode, TZorSelectionState aState) {
            fEvents.append({aNode.FullPath(), aState});
            fListHadEntryAtEvent.append(fLink.SelectionList().Paths());
        };
    }
    ~ShellTreeModel() override { WaitForCheckStates(); }

    // Rooted at the temporary folder, linked, check boxes on, filled.
    void SetUpLinked()
    {
        fModel.SetShellLink(&fLink);
        fModel.SetCheckboxes(true);
        fModel.SetRootedAt(TZorShellItem::FromPath(fTree.Root()));
        fModel.EnsureFilled();
    }
    // What a view does when it paints the node: ask its state.
    TZorShellTreeNode &Show(const QString &aRelative)
    {
        TZorShellTreeNode *node = NodeOf(fModel, aRelative.isEmpty() ? fTree.Root() : fTree.Path(aRelative));
        EXPECT_NE(node, nullptr) << aRelative.toStdString();
        fModel.data(fModel.IndexFromNode(node), TZorShellTreeModel::StateIndexRole);
        return *node;
    }
    TZorShellTreeNode &Expand(const QString &aRelative)
    {
        TZorShellTreeNode *node = NodeOf(fModel, aRelative.isEmpty() ? fTree.Root() : fTree.Path(aRelative));
        EXPECT_NE(node, nullptr) << aRelative.toStdString();
        fModel.fetchMore(fModel.IndexFromNode(node));
        return *node;
    }
    TZorSelectionState State(const QString &aRelative)
    {
        const TZorShellTreeNode *node = NodeOf(fModel, fTree.Path(aRelative));
        return node ? TZorSelectionState(node->StateIndex()) : ssUnused;
    }
    QStringList ChildTexts(const TZorShellTreeNode &aNode)
    {
        QStringList texts;
        for (int row = 0; row < aNode.ChildCount(); ++row)
            texts.append(aNode.Child(row)->Text());
        return texts;
    }

    TTempTree fTree;
    TZorShellLink fLink;
    TZorShellTreeModel fModel;
    QList<QPair<QString, TZorSelectionState>> fEvents;
    QList<QStringList> fListHadEntryAtEvent;
};

TEST_F(ShellTreeModel, ShowsFoldersOnlyInNameOrderWithoutHiddenOnesAndLinksAsLeaves)
{
    SetUpLinked();
    TZorShellTreeNode *root = fModel.RootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(root->IsRoot());
    EXPECT_TRUE(root->ChildrenFilled()); // expanded at once
    EXPECT_EQ(ChildTexts(*root), QStringList({"A", "E", "empty", "toE", "z9", "z10"}));
    TZorShellTreeNode *link = NodeOf(fModel, fTree.Path("toE"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->IconKind(), ikFolderLink);
    EXPECT_FALSE(fModel.hasChildren(fModel.IndexFromNode(link)));
    EXPECT_FALSE(fModel.canFetchMore(fModel.IndexFromNode(link)));

    TZorShellTreeNode &a = *NodeOf(fModel, fTree.Path("A"));
    EXPECT_FALSE(a.ChildrenFilled()); // lazily, on first expansion
    EXPECT_TRUE(fModel.hasChildren(fModel.IndexFromNode(&a)));
    Expand("A");
    EXPECT_EQ(ChildTexts(a), QStringList({"B", "C"}));
    EXPECT_EQ(a.Level(), 1);
    EXPECT_EQ(NodeOf(fModel, fTree.Path("A/C"))->RelativeItemIdList(), QStringLiteral("C"));

    Expand("empty");
    EXPECT_FALSE(fModel.hasChildren(fModel.IndexFromNode(NodeOf(fModel, fTree.Path("empty")))));
}

TEST_F(ShellTreeModel, PassesTheItemModelTesterWhileFillingAndRefreshing)
{
    SetUpLinked();
    QAbstractItemModelTester tester(&fModel, QAbstractItemModelTester::FailureReportingMode::Fatal);
    // Filling from inside the tester's own checks would nest changes; the test fills instead.
    tester.setUseFetchMore(false);
    Expand("A");
    Show("A");
    Show("A/B");
    fTree.Folder("A/Bnew");
    QDir(fTree.Path("A/C")).removeRecursively();
    fModel.Refresh(rfFull, TZorShellItem());
    EXPECT_EQ(ChildTexts(*NodeOf(fModel, fTree.Path("A"))), QStringList({"B", "Bnew"}));
    fModel.SetRootedAt(TZorShellItem::FromPath(fTree.Path("A")));
    EXPECT_EQ(fModel.RootNode()->FullPath(), fTree.Path("A"));
    ASSERT_TRUE(WaitForCheckStates());
}

TEST_F(ShellTreeModel, TickingShowsCheckedAtOnceAndListsTheFolder)
{
    SetUpLinked();
    Expand("A");
    TZorShellTreeNode &a = Show("A");
    Show("A/B");
    Show("E");
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(State("A"), ssUnChecked);
    EXPECT_TRUE(fEvents.isEmpty()); // first assignments raise nothing

    fModel.ToggleNodeCheck(a);
    EXPECT_EQ(State("A"), ssChecked); // before any query answered
    ASSERT_FALSE(fEvents.isEmpty());
    EXPECT_EQ(fEvents.first(), qMakePair(fTree.Path("A"), ssChecked));
    EXPECT_TRUE(fListHadEntryAtEvent.first().isEmpty()); // the event comes before the list changes
    EXPECT_EQ(fLink.SelectionList().Paths(), QStringList({fTree.Path("A") + "/*"}));

    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(State("A"), ssChecked);
    EXPECT_EQ(State("A/B"), ssChecked);
    EXPECT_EQ(State("E"), ssUnChecked);
    EXPECT_TRUE(a.Checked());
}

TEST_F(ShellTreeModel, UntickingASubfolderGraysTheParentAndKeepsTheSiblings)
{
    SetUpLinked();
    Expand("A");
    Show("A");
    Show("A/B");
    Show("A/C");
    fModel.SetChecked(*NodeOf(fModel, fTree.Path("A")), true);
    ASSERT_TRUE(WaitForCheckStates());
    fModel.SetChecked(*NodeOf(fModel, fTree.Path("A/B")), false);
    EXPECT_EQ(State("A/B"), ssUnChecked);
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(State("A"), ssGrayed);
    EXPECT_EQ(State("A/C"), ssChecked);
    EXPECT_EQ(State("A/B"), ssUnChecked);
    EXPECT_TRUE(fEvents.contains(qMakePair(fTree.Path("A"), ssGrayed)));

    // A new node below the grayed parent shows the parent's state until its own query answers.
    Expand("A/B");
    TZorShellTreeNode &d = *NodeOf(fModel, fTree.Path("A/B/D"));
    EXPECT_EQ(d.StateIndex(), -1);
    fModel.NodeShown(d);
    EXPECT_EQ(d.StateIndex(), int(ssUnChecked)); // B's state
    ASSERT_TRUE(WaitForCheckStates());

    // A click on the grayed folder ticks it whole; a second one unticks it entirely.
    fModel.ToggleNodeCheck(*NodeOf(fModel, fTree.Path("A")));
    EXPECT_EQ(fLink.SelectionList().Paths(), QStringList({fTree.Path("A") + "/*"}));
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(State("A/B"), ssChecked);
    fModel.ToggleNodeCheck(*NodeOf(fModel, fTree.Path("A")));
    EXPECT_TRUE(fLink.SelectionList().Paths().isEmpty());
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(State("A/C"), ssUnChecked);
}

TEST_F(ShellTreeModel, ClearingTheListUnticksEveryShownNode)
{
    SetUpLinked();
    Expand("A");
    Show("A");
    Show("A/C");
    Show("E");
    fModel.SetChecked(*NodeOf(fModel, fTree.Path("A/C")), true);
    fModel.SetChecked(*NodeOf(fModel, fTree.Path("E")), true);
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(State("A"), ssGrayed);
    fEvents.clear();
    fLink.SelectionList().Clear();
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(State("A"), ssUnChecked);
    EXPECT_EQ(State("A/C"), ssUnChecked);
    EXPECT_EQ(State("E"), ssUnChecked);
    EXPECT_EQ(fEvents.size(), 4); // A, A/C, E and the grayed root
}

TEST_F(ShellTreeModel, DisabledAndUnusedNodesCannotBeTicked)
{
    SetUpLinked();
    TZorShellTreeNode &e = Show("E");
    ASSERT_TRUE(WaitForCheckStates());
    QDir(fTree.Path("E")).removeRecursively();
    fModel.RecomputeCheckStates();
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(e.StateIndex(), int(ssDisabled));
    fModel.ToggleNodeCheck(e);
    EXPECT_EQ(e.StateIndex(), int(ssDisabled));
    EXPECT_TRUE(fLink.SelectionList().Paths().isEmpty());
}

TEST_F(ShellTreeModel, UnreadableFolderHasNoChildrenAndCanStillBeTicked)
{
    const QString locked = fTree.Folder("locked/inside");
    QFile::setPermissions(fTree.Path("locked"), QFileDevice::WriteOwner);
    SetUpLinked();
    TZorShellTreeNode *node = NodeOf(fModel, fTree.Path("locked"));
    ASSERT_NE(node, nullptr);
    RunWithoutFileOverride([&] { fModel.FillChildren(*node); });
    EXPECT_TRUE(node->ChildrenFilled());
    EXPECT_EQ(node->ChildCount(), 0);
    EXPECT_FALSE(fModel.hasChildren(fModel.IndexFromNode(node)));
    fModel.NodeShown(*node);
    ASSERT_TRUE(WaitForCheckStates());
    fModel.ToggleNodeCheck(*node);
    EXPECT_EQ(fLink.SelectionList().Paths(), QStringList({fTree.Path("locked") + "/*"}));
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(node->StateIndex(), int(ssChecked));
    QFile::setPermissions(fTree.Path("locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(ShellTreeModel, DeletedNodesGetNoResults)
{
    SetUpLinked();
    for (int round = 0; round < 20; ++round) {
        Expand("A");
        for (const char *folder : {"A", "A/B", "A/C", "E", "z9", "z10"})
            Show(folder);
        fModel.RecomputeCheckStates();
        // Filling again deletes every node while their queries are queued or running.
        fModel.SetRootedAt(TZorShellItem::FromPath(fTree.Root()));
    }
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_TRUE(fEvents.isEmpty());
}

TEST_F(ShellTreeModel, AddFolderHandlerRefusesNodesAndKeepsTheTextItSets)
{
    fModel.OnAddFolder = [](TZorShellTreeNode &aNode, const QString &aPath, bool &aCanAdd) {
        aCanAdd = !aPath.endsWith(QStringLiteral("/E"));
        if (aPath.endsWith(QStringLiteral("/A")))
            aNode.SetText(QStringLiteral("Alpha"));
    };
    SetUpLinked();
    EXPECT_EQ(NodeOf(fModel, fTree.Path("E")), nullptr);
    TZorShellTreeNode *a = NodeOf(fModel, fTree.Path("A"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Text(), QStringLiteral("Alpha"));
    EXPECT_NE(a->Flags() & nfTextByHandler, 0u);
    fModel.Refresh(rfFull, TZorShellItem());
    EXPECT_EQ(NodeOf(fModel, fTree.Path("A"))->Text(), QStringLiteral("Alpha"));
    EXPECT_EQ(NodeOf(fModel, fTree.Path("E")), nullptr);
    // A folder reached only through a refused node cannot be selected.
    fModel.SetSelectedFolder(fTree.Path("E"));
    EXPECT_EQ(fModel.SelectedFolder(), fTree.Root());
}

TEST_F(ShellTreeModel, SelectedFolderOpensThePathAndSelectsIt)
{
    SetUpLinked();
    EXPECT_EQ(fModel.SelectedFolder(), fTree.Root()); // the root is the initial selection
    EXPECT_NE(fModel.SetSelectedFolder(fTree.Path("A/B/D/")), nullptr);
    EXPECT_EQ(fModel.SelectedFolder(), fTree.Path("A/B/D"));
    EXPECT_TRUE(NodeOf(fModel, fTree.Path("A/B"))->ChildrenFilled());

    // Unknown paths, files and relative paths change nothing.
    for (const QString &value : {fTree.Path("nothing"), fTree.Path("plain.txt"), QStringLiteral("A/B"),
                                 QStringLiteral("/proc/../nonexistent-folder")}) {
        EXPECT_EQ(fModel.SetSelectedFolder(value), nullptr) << value.toStdString();
        EXPECT_EQ(fModel.SelectedFolder(), fTree.Path("A/B/D"));
    }
    // Variables are expanded.
    qputenv("ORDWELL_TREE_TEST", fTree.Path("A").toUtf8());
    fModel.SetSelectedFolder(QStringLiteral("%ORDWELL_TREE_TEST%/C"));
    EXPECT_EQ(fModel.SelectedFolder(), fTree.Path("A/C"));
    qunsetenv("ORDWELL_TREE_TEST");
    // A hidden folder is not shown: its nearest shown ancestor is selected.
    fModel.SetSelectedFolder(fTree.Path(".hidden/inner"));
    EXPECT_EQ(fModel.SelectedFolder(), fTree.Root());
}

TEST_F(ShellTreeModel, DrivesRootHoldsHomeRootAndVolumesAndIsNeverChecked)
{
    fModel.SetShellLink(&fLink);
    fModel.SetCheckboxes(true);
    fModel.SetRootedAt(TZorShellItem::FromSpecialFolder(SF_DRIVES));
    fModel.EnsureFilled();
    TZorShellTreeNode *root = fModel.RootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Text(), QStringLiteral("Computer"));
    EXPECT_EQ(root->FullPath(), QString());
    EXPECT_NE(root->ChildWithPath(QStringLiteral("/")), nullptr);
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(root->StateIndex(), int(ssDisabled)); // nothing ticked
    EXPECT_EQ(fModel.SelectedFolder(), QString());

    // Opening a path from "Computer" down.
    EXPECT_NE(fModel.SetSelectedFolder(fTree.Path("A/C")), nullptr);
    EXPECT_EQ(fModel.SelectedFolder(), fTree.Path("A/C"));
    fModel.SetSelectedFolder(QString());
    EXPECT_EQ(fModel.SelectedNode(), root);

    TZorShellTreeNode &c = *NodeOf(fModel, fTree.Path("A/C"));
    fModel.NodeShown(c);
    ASSERT_TRUE(WaitForCheckStates());
    fModel.ToggleNodeCheck(c);
    fModel.Refresh(rfFull, TZorShellItem());
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(root->StateIndex(), int(ssGrayed));
    // Ticking the root shows it ticked until its query answers; it stays grayed.
    fModel.ToggleNodeCheck(*root);
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(root->StateIndex(), int(ssGrayed));
    EXPECT_EQ(fLink.SelectionList().Paths(), QStringList({fTree.Path("A/C") + "/*"}));
}

TEST_F(ShellTreeModel, RefreshLevelsAndAbsoluteIndexes)
{
    SetUpLinked();
    EXPECT_THROW(fModel.Refresh(TRefreshLevel(7), TZorShellItem()), std::runtime_error);
    Expand("A");
    // Pre-order over loaded nodes: root, A, B, C, E, ...
    EXPECT_EQ(fModel.NodeAtAbsoluteIndex(0), fModel.RootNode());
    EXPECT_EQ(fModel.NodeAtAbsoluteIndex(2)->FullPath(), fTree.Path("A/B"));
    EXPECT_EQ(fModel.NodeAtAbsoluteIndex(4)->FullPath(), fTree.Path("E"));
    EXPECT_EQ(fModel.NodeAtAbsoluteIndex(1000), nullptr);
    EXPECT_EQ(fModel.GetItemSelectionState(2), -1); // never shown
    Show("A/B");
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(fModel.GetItemSelectionState(2), int(ssUnChecked));

    // A smart refresh re-reads the selected node and sets the root again.
    fModel.SelectNode(NodeOf(fModel, fTree.Path("A")));
    fTree.Folder("A/late");
    fModel.Refresh(rfSmart, TZorShellItem());
    EXPECT_NE(NodeOf(fModel, fTree.Path("A/late")), nullptr);
    // An item refresh re-reads that node only.
    fTree.Folder("A/B/later");
    fTree.Folder("late-top");
    fModel.Refresh(rfCheckboxes, TZorShellItem::FromPath(fTree.Path("A/B")));
    EXPECT_EQ(NodeOf(fModel, fTree.Path("late-top")), nullptr);
    ASSERT_TRUE(WaitForCheckStates());
}

TEST_F(ShellTreeModel, LinkDestroyedFirstIsForgotten)
{
    auto link = std::make_unique<TZorShellLink>();
    fModel.SetShellLink(link.get());
    fModel.SetCheckboxes(true);
    fModel.SetRootedAt(TZorShellItem::FromPath(fTree.Root()));
    fModel.EnsureFilled();
    Show("A");
    link.reset(); // queries may still run against its list
    EXPECT_EQ(fModel.ShellLink(), nullptr);
    EXPECT_FALSE(fModel.Checkboxes());
    ASSERT_TRUE(WaitForCheckStates());
}

TEST(ShellFolder, ExpandFolderTextReplacesVariablesDateAndTime)
{
    const QDateTime now(QDate(2026, 3, 4), QTime(5, 6, 7));
    qputenv("ORDWELL_X", "/data");
    EXPECT_EQ(ExpandFolderText(QStringLiteral("%ORDWELL_X%/in/%DATE%_%TIME%"), now),
              QStringLiteral("/data/in/2026-03-04_05-06-07"));
    qunsetenv("ORDWELL_X");
    EXPECT_EQ(ExpandFolderText(QStringLiteral("/a/%ORDWELL_UNSET_VARIABLE%/b%"), now),
              QStringLiteral("/a/%ORDWELL_UNSET_VARIABLE%/b%"));
    EXPECT_FALSE(ExpandFolderText(QStringLiteral("%MYDOCUMENTS%"), now).contains(u'%'));
}

struct THitCase
{
    QPoint Click;
    int ScrollX;
    int Level;
    bool Expected;
};

class CheckBoxHitTest : public ::testing::TestWithParam<THitCase>
{
};

// A row at y 40..59 (height 20), indentation 20, root decorated, images 15 x 13: g = 3, so the
// box spans x from 20 (level 0) to 34 and y from 43 to 57.
TEST_P(CheckBoxHitTest, MatchesTheBoxRectangle)
{
    const THitCase &c = GetParam();
    EXPECT_EQ(IsClickOnCheckBox(QRect(0, 40, 300, 20), c.Click, c.ScrollX, 20, c.Level, true, QSize(15, 13)),
              c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckBoxHitTest,
                         ::testing::Values(THitCase{{20, 50}, 0, 0, true}, THitCase{{19, 50}, 0, 0, false},
                                           THitCase{{34, 50}, 0, 0, true}, THitCase{{35, 50}, 0, 0, false},
                                           THitCase{{25, 43}, 0, 0, true}, THitCase{{25, 42}, 0, 0, false},
                                           THitCase{{25, 57}, 0, 0, true}, THitCase{{25, 58}, 0, 0, false},
                                           THitCase{{45, 50}, 0, 1, true}, THitCase{{25, 50}, 0, 1, false},
                                           THitCase{{15, 50}, 30, 1, true},
                                           THitCase{{45, 50}, 30, 1, false}));

} // namespace
