// The selection list's rules on real temporary trees: the worked examples of ticking and
// unticking row by row, and the edge cases of completion, expansion, spellings and links.
#include "selection/selection_list.h"
#include "selection/shell_link.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <QSet>
#include <sys/stat.h>

namespace {

// Records every refresh the link forwards.
class TRecordingControl : public IZorShellControl
{
public:
    void Refresh(TRefreshLevel pRefreshLevel, const TZorShellItem &pItemIdList) override
    {
        fLevels.push_back(pRefreshLevel);
        fItems.push_back(pItemIdList);
    }
    std::vector<TRefreshLevel> fLevels;
    std::vector<TZorShellItem> fItems;
};

// A tree with the folder A (subfolders B and C, file f.txt) beside further folders and files.
class SelectionList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fTree.IsValid());
        fTree.File("A/B/b1.txt");
        fTree.File("A/C/c1.txt");
        fTree.File("A/f.txt");
        fTree.File("other/o.txt");
        fTree.File("top.txt");
        fLink.RegisterControl(&fControl);
        List().OnChange = [this](TZorBaseSelectionList &aSender) {
            EXPECT_EQ(&aSender, &List());
            fSnapshots.push_back(List().Paths());
        };
    }
    void TearDown() override { fLink.UnregisterControl(&fControl); }

    TZorSelectionList &List() { return fLink.SelectionList(); }
    QString P(const QString &aRelative) const { return fTree.Path(aRelative); }
    QSet<QString> Entries() { return QSet<QString>(List().Paths().cbegin(), List().Paths().cend()); }
    void ResetRecords()
    {
        fSnapshots.clear();
        fControl.fLevels.clear();
        fControl.fItems.clear();
    }

    TTempTree fTree;
    TZorShellLink fLink;
    TRecordingControl fControl;
    std::vector<QStringList> fSnapshots;
};

} // namespace

TEST_F(SelectionList, WorkedExampleTickFolder)
{
    List().AddPathToSelection(P("A"));
    EXPECT_EQ(List().Paths(), QStringList{P("A/*")});
    EXPECT_EQ(fSnapshots.size(), 1u);
    ASSERT_EQ(fControl.fItems.size(), 1u);
    EXPECT_EQ(fControl.fLevels[0], rfCheckboxes);
    EXPECT_EQ(fControl.fItems[0], TZorShellItem::FromPath(P("A")));
}

TEST_F(SelectionList, WorkedExampleTickBelowTickedChangesNothing)
{
    List().AddPathToSelection(P("A"));
    ResetRecords();
    List().AddPathToSelection(P("A/B"));
    List().AddPathToSelection(P("A/f.txt"));
    EXPECT_EQ(List().Paths(), QStringList{P("A/*")});
    EXPECT_TRUE(fSnapshots.empty());
    EXPECT_TRUE(fControl.fItems.empty());
}

TEST_F(SelectionList, WorkedExampleUntickChildOfTickedFolder)
{
    List().AddPathToSelection(P("A"));
    ResetRecords();
    List().RemovePathFromSelection(P("A/B"));
    EXPECT_EQ(Entries(), (QSet<QString>{P("A/C/*"), P("A/f.txt")}));
    // The siblings were appended before the folder's entry was deleted.
    ASSERT_EQ(fSnapshots.size(), 3u);
    EXPECT_EQ(fSnapshots[1].size(), 3);
    EXPECT_EQ(fSnapshots[2].size(), 2);
    EXPECT_EQ(List().IsPathSelected(P("A/B")), ssUnChecked);
    EXPECT_EQ(List().IsPathSelected(P("A")), ssGrayed);
    EXPECT_EQ(List().IsPathSelected(P("A/C/c1.txt")), ssChecked);
}

TEST_F(SelectionList, WorkedExampleLastChildCompletesFolder)
{
    List().AddPathToSelection(P("A/C"));
    List().AddPathToSelection(P("A/f.txt"));
    EXPECT_EQ(List().Paths(), (QStringList{P("A/C/*"), P("A/f.txt")}));
    List().AddPathToSelection(P("A/B"));
    EXPECT_EQ(List().Paths(), QStringList{P("A/*")});
}

TEST_F(SelectionList, WorkedExampleUntickGrayedFolder)
{
    List().AddPathToSelection(P("A/B"));
    List().RemovePathFromSelection(P("A"));
    EXPECT_TRUE(List().Paths().isEmpty());
}

TEST_F(SelectionList, WorkedExampleTickRootAndTheStarFormAsInput)
{
    List().AddPathToSelection("/");
    EXPECT_EQ(List().Paths(), QStringList{"/*"});
    ASSERT_FALSE(fControl.fItems.empty());
    EXPECT_EQ(fControl.fItems[0], TZorShellItem::FromPath("/")); // the root entry stands for "/"

    TZorSelectionList other;
    other.AddPathToSelection(P("A/*"));
    EXPECT_EQ(other.Paths(), QStringList{P("A/*")});
}

TEST_F(SelectionList, WorkedExampleUntickBelowTickedRoot)
{
    List().AddPathToSelection("/");
    List().RemovePathFromSelection(P("A/B"));
    const QStringList &entries = List().Paths();
    ASSERT_GE(entries.size(), 4);
    EXPECT_EQ(QSet<QString>({entries[0], entries[1]}), (QSet<QString>{P("A/C/*"), P("A/f.txt")}));
    EXPECT_FALSE(entries.contains("/*"));
    EXPECT_TRUE(entries.contains(P("other/*")));
    EXPECT_TRUE(entries.contains(P("top.txt")));
    for (const QString &entry : entries) {
        EXPECT_FALSE(entry.startsWith(P("A/B"))) << entry.toStdString();
        EXPECT_FALSE(entry.contains("//")) << entry.toStdString();
    }
    EXPECT_TRUE(entries.contains("/etc/*"));
    EXPECT_EQ(List().IsPathSelected(P("A/B")), ssUnChecked);
    EXPECT_EQ(List().IsPathSelected(P("A")), ssGrayed);
    EXPECT_EQ(List().IsPathSelected("/"), ssGrayed);
    EXPECT_EQ(List().IsPathSelected("/etc"), ssChecked);
}

TEST_F(SelectionList, ShareStylePathsAreOrdinaryMissingPaths)
{
    QStringList invalid;
    List().OnInvalidPath = [&](TZorBaseSelectionList &, const QString &aPath) { invalid << aPath; };
    List().AddPathToSelection("//server/share");
    EXPECT_TRUE(List().Paths().isEmpty());
    EXPECT_EQ(invalid, QStringList{"//server/share"});
}

TEST_F(SelectionList, TickingFolderReplacesPartlyTickedDescendantsLastFirst)
{
    List().AddPathToSelection(P("A/B/b1.txt"));
    List().AddPathToSelection(P("A/C/c1.txt")); // completes A/C ...
    List().AddPathToSelection(P("other/o.txt"));
    ASSERT_EQ(List().Paths(), (QStringList{P("A/B/*"), P("A/C/*"), P("other/*")}));
    ResetRecords();
    List().AddPathToSelection(P("A"));
    EXPECT_EQ(List().Paths(), (QStringList{P("other/*"), P("A/*")}));
    ASSERT_EQ(fSnapshots.size(), 3u);
    EXPECT_EQ(fSnapshots[0], (QStringList{P("A/B/*"), P("other/*")})); // the last inner entry went first
}

TEST_F(SelectionList, CompletionClimbsWhileEverySiblingIsComplete)
{
    fTree.File("P/Q/x.txt");
    fTree.File("P/Q/y.txt");
    fTree.File("P/z.txt");
    List().AddPathToSelection(P("P/z.txt"));
    List().AddPathToSelection(P("P/Q/x.txt"));
    EXPECT_EQ(List().Paths(), (QStringList{P("P/z.txt"), P("P/Q/x.txt")}));
    List().AddPathToSelection(P("P/Q/y.txt"));
    EXPECT_EQ(List().Paths(), QStringList{P("P/*")});
}

TEST_F(SelectionList, EmptyUntickedSiblingBlocksCompletion)
{
    fTree.Folder("A/empty");
    List().AddPathToSelection(P("A/B"));
    List().AddPathToSelection(P("A/C"));
    List().AddPathToSelection(P("A/f.txt"));
    EXPECT_EQ(List().Paths(), (QStringList{P("A/B/*"), P("A/C/*"), P("A/f.txt")}));
    List().AddPathToSelection(P("A/empty"));
    EXPECT_EQ(List().Paths(), QStringList{P("A/*")});
}

TEST_F(SelectionList, UntickingOnlyChildRemovesParentEntry)
{
    fTree.File("solo/only/x.txt");
    List().AddPathToSelection(P("solo"));
    List().RemovePathFromSelection(P("solo/only"));
    EXPECT_TRUE(List().Paths().isEmpty());
}

TEST_F(SelectionList, DeepUntickExpandsEveryLevel)
{
    fTree.File("A/B/deep/d.txt");
    List().AddPathToSelection(P("A"));
    List().RemovePathFromSelection(P("A/B/deep/d.txt"));
    EXPECT_EQ(Entries(), (QSet<QString>{P("A/B/b1.txt"), P("A/C/*"), P("A/f.txt")}));
    List().AddPathToSelection(P("A/B/deep/d.txt"));
    EXPECT_EQ(List().Paths(), QStringList{P("A/*")});
}

TEST_F(SelectionList, RootSpellings)
{
    List().AddPathToSelection("/*");
    EXPECT_EQ(List().Paths(), QStringList{"/*"});
    List().RemovePathFromSelection("/");
    EXPECT_TRUE(List().Paths().isEmpty());
    EXPECT_EQ(List().IsPathSelected("/"), ssUnChecked);
}

TEST_F(SelectionList, ThreeSpellingsOfAFolderAnswerTheSame)
{
    auto expectSame = [&](const char *aRelative, TZorSelectionState aState) {
        for (const QString &spelling : {P(aRelative), P(aRelative) + "/", P(aRelative) + "/*"}) {
            bool isSub = true;
            EXPECT_EQ(List().GetPathSelectionState(spelling, isSub), aState) << spelling.toStdString();
        }
    };
    List().AddPathToSelection(P("A/B"));
    expectSame("A/B", ssChecked);
    expectSame("A", ssGrayed);
    expectSame("A/C", ssUnChecked);
    expectSame("other", ssUnChecked);

    bool isSub = true;
    EXPECT_EQ(List().GetPathSelectionState(P("A/B"), isSub), ssChecked);
    EXPECT_FALSE(isSub);
    EXPECT_EQ(List().GetPathSelectionState(P("A/B/b1.txt"), isSub), ssChecked);
    EXPECT_TRUE(isSub);
    isSub = true;
    EXPECT_EQ(List().GetPathSelectionState("", isSub), ssDisabled);
    EXPECT_TRUE(isSub); // left alone
    EXPECT_EQ(List().IsPathSelected(P("missing")), ssDisabled);
    EXPECT_EQ(List().IsPathSelected("."), ssDisabled);
}

TEST_F(SelectionList, NamesDifferingInCaseAreDifferentItems)
{
    fTree.File("Docs/x.txt");
    fTree.File("docs/y.txt");
    List().AddPathToSelection(P("Docs"));
    EXPECT_EQ(List().IsPathSelected(P("docs")), ssUnChecked);
    List().RemovePathFromSelection(P("docs"));
    EXPECT_EQ(List().Paths(), QStringList{P("Docs/*")});
}

TEST_F(SelectionList, SameNameDeeperDownIsNotBelow)
{
    // "<T>/A/" occurs inside "<T>/x/A/*" only as text: nothing below <T>/A is ticked.
    const QString nested = fTree.Root() + "/x" + fTree.Root() + "/A";
    fTree.File(nested.mid(fTree.Root().size() + 1) + "/z.txt");
    List().Paths() = QStringList{nested + "/*"};
    EXPECT_EQ(List().IsPathSelected(P("A")), ssUnChecked);
    EXPECT_EQ(List().IsPathSelected(P("x")), ssGrayed);
}

TEST_F(SelectionList, EntryWithDoubledSeparatorWrittenDirectly)
{
    fTree.File("data/sub/s.txt");
    List().Paths().append(P("data/") + "/*");
    EXPECT_EQ(List().IsPathSelected(P("data")), ssGrayed);
    EXPECT_EQ(List().IsPathSelected(P("data/sub")), ssUnChecked);
    // Unticking the grayed folder takes the odd entry away.
    List().RemovePathFromSelection(P("data"));
    EXPECT_TRUE(List().Paths().isEmpty());
}

TEST_F(SelectionList, ClearNotifiesOncePerEntry)
{
    List().AddPathToSelection(P("A/B"));
    List().AddPathToSelection(P("other"));
    List().AddPathToSelection(P("top.txt"));
    ASSERT_EQ(List().Count(), 3);
    ResetRecords();
    List().Clear();
    EXPECT_TRUE(List().IsEmpty());
    EXPECT_EQ(fSnapshots.size(), 3u);
    EXPECT_EQ(fControl.fItems.size(), 3u);
}

TEST_F(SelectionList, UpdateBracketMakesOneFullRefresh)
{
    ResetRecords();
    List().AddPIDLToSelection(TZorShellItem::FromPath(P("A")));
    List().RemovePIDLFromSelection(TZorShellItem::FromPath(P("A/B")));
    EXPECT_EQ(fSnapshots.size(), 6u); // OnChange for every entry and at each bracket's end
    ASSERT_EQ(fControl.fItems.size(), 2u);
    EXPECT_TRUE(fControl.fItems[0].IsNull());
    EXPECT_TRUE(fControl.fItems[1].IsNull());

    ResetRecords();
    List().BeginUpdate();
    List().BeginUpdate();
    List().AddPathToSelection(P("top.txt"));
    List().EndUpdate();
    EXPECT_TRUE(fControl.fItems.empty());
    List().EndUpdate();
    EXPECT_EQ(fControl.fItems.size(), 1u);
}

TEST_F(SelectionList, LinkToFolderIsReplacedByItsTarget)
{
    fTree.File("real/r.txt");
    fTree.Link("A/link", P("real"));
    List().AddPathToSelection(P("A/link"));
    EXPECT_EQ(List().Paths(), QStringList{P("real/*")});
    EXPECT_EQ(List().IsPathSelected(P("A/link")), ssChecked);
    EXPECT_EQ(List().IsPathSelected(P("A/link/")), ssChecked);
    List().RemovePathFromSelection(P("A/link"));
    EXPECT_TRUE(List().Paths().isEmpty());

    List().SetHandleShellLinks(false);
    EXPECT_EQ(List().IsPathSelected(P("A/link")), ssDisabled);
}

TEST_F(SelectionList, UntickingLinkBelowTickedFolderUnticksItsTarget)
{
    fTree.File("real/r.txt");
    fTree.Link("link", P("real"));
    List().AddPathToSelection(fTree.Root());
    List().RemovePathFromSelection(P("link"));
    EXPECT_EQ(List().IsPathSelected(P("real")), ssUnChecked);
    EXPECT_EQ(List().IsPathSelected(P("A")), ssChecked);
    EXPECT_FALSE(List().Paths().contains(P("real/*")));
}

TEST_F(SelectionList, LinkToFolderInsideFolderIsListedAsItemNotEntered)
{
    fTree.Link("A/loop", P("A"));
    List().AddPathToSelection(P("A"));
    List().RemovePathFromSelection(P("A/B"));
    EXPECT_EQ(Entries(), (QSet<QString>{P("A/C/*"), P("A/f.txt"), P("A/loop")}));
}

TEST_F(SelectionList, InvalidPaths)
{
    QStringList invalid;
    List().OnInvalidPath = [&](TZorBaseSelectionList &, const QString &aPath) { invalid << aPath; };
    List().AddPathToSelection(P("missing/*"));
    List().AddPathToSelection("..");
    List().AddPathToSelection("");
    EXPECT_TRUE(List().Paths().isEmpty());
    EXPECT_EQ(invalid, (QStringList{P("missing/"), ".."}));
    EXPECT_TRUE(fSnapshots.empty());

    List().SetRemoveInvalidPaths(false);
    List().AddPathToSelection(P("missing"));
    EXPECT_EQ(List().Paths(), QStringList{P("missing")});
    List().RemovePathFromSelection(P("missing")); // disabled now: stays until Clear
    EXPECT_EQ(List().Count(), 1);
}

TEST_F(SelectionList, UnreadableFoldersStopCompletionAndExpansion)
{
    fTree.File("A/locked/l.txt");
    ASSERT_EQ(::chmod(QFile::encodeName(P("A/locked")).constData(), 0), 0);
    RunWithoutFileOverride([&] {
        List().AddPathToSelection(P("A/B"));
        List().AddPathToSelection(P("A/C"));
        List().AddPathToSelection(P("A/f.txt"));
        EXPECT_EQ(List().Count(), 3); // the locked folder is never completely selected
        EXPECT_EQ(List().IsPathSelected(P("A/locked/l.txt")), ssDisabled);
        List().AddPathToSelection(P("A/locked"));
        EXPECT_EQ(List().Paths(), QStringList{P("A/*")});
        List().RemovePathFromSelection(P("A/locked/l.txt"));
        EXPECT_EQ(List().Paths(), QStringList{P("A/*")});
    });
}

TEST_F(SelectionList, SpecialFoldersAndQueries)
{
    bool isSub = true;
    EXPECT_EQ(List().IsPIDLSelected(TZorShellItem(), isSub), ssDisabled);
    EXPECT_EQ(List().IsPIDLSelected(TZorShellItem::FromSpecialFolder(SF_DRIVES), isSub), ssDisabled);
    EXPECT_EQ(List().IsPIDLSelected(TZorShellItem::FromSpecialFolder(SF_NETWORK), isSub), ssDisabled);
    EXPECT_FALSE(List().IsLocalPathSelected());
    List().AddPIDLToSelection(TZorShellItem::FromSpecialFolder(SF_DRIVES)); // no path: nothing
    EXPECT_TRUE(List().IsEmpty());

    List().AddPathToSelection(P("A/B"));
    EXPECT_EQ(List().IsPIDLSelected(TZorShellItem::FromSpecialFolder(SF_DRIVES), isSub), ssGrayed);
    EXPECT_EQ(List().IsPIDLSelected(TZorShellItem::FromSpecialFolder(SF_NETWORK), isSub), ssDisabled);
    EXPECT_TRUE(isSub);
    EXPECT_EQ(List().IsPIDLSelected(TZorShellItem::FromPath(P("A")), isSub), ssGrayed);
    EXPECT_TRUE(List().IsLocalPathSelected());
    EXPECT_FALSE(List().IsUNCPathSelected());
    List().AddPathToSelection(P("top.txt"));
    EXPECT_FALSE(List().DifferentDrives());
    EXPECT_EQ(List().ToString(), P("A/B/*") + "\n" + P("top.txt") + "\n");
    EXPECT_EQ(List().GetListItem(1), P("top.txt"));
    EXPECT_EQ(List().GetListItem(5), "");
    EXPECT_EQ(TZorSelectionList::BoolToSelectionState(true), ssChecked);
    EXPECT_EQ(TZorSelectionList::BoolToSelectionState(false), ssUnChecked);
    EXPECT_FALSE(TZorShellItem::FromSpecialFolder(SF_DESKTOP).Path().isEmpty());
}

TEST_F(SelectionList, AssigningPaths)
{
    List().Paths() = QStringList{P("A/B"), P("A/C/"), P("A/f.txt"), P("gone")};
    List().SetPaths(List().Paths()); // its own entries: every rule applied again
    EXPECT_EQ(List().Paths(), QStringList{P("A/*")});

    TZorSelectionList copy;
    copy.Assign(List());
    EXPECT_EQ(copy.Paths(), QStringList{P("A/*")});
}

TEST_F(SelectionList, PathWasRenamed)
{
    fTree.File("A2/x.txt");
    List().Paths() = QStringList{P("A/*"), P("A"), P("A/B/*"), P("AB/*"), P("top.txt")};
    List().PathWasRenamed(P("A"), P("A2"));
    EXPECT_EQ(List().Paths(), (QStringList{P("A2/*"), P("A2"), P("A2/B/*"), P("AB/*"), P("top.txt")}));
    EXPECT_TRUE(fSnapshots.empty());
}

TEST_F(SelectionList, CompletePathSelected)
{
    List().Paths() = QStringList{P("A/C/*"), P("A/f.txt")};
    // The highest complete folder; A's siblings are not complete, so T itself is not.
    EXPECT_EQ(List().CompletePathSelected(P("A/B")), P("A"));
    EXPECT_EQ(List().CompletePathSelected(P("other/o.txt")), P("other"));
    EXPECT_EQ(List().CompletePathSelected(P("A/C")), P("A/C"));
    EXPECT_EQ(List().CompletePathSelected(P("missing/x")), "");
}
