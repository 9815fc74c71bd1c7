// The main window's folder tree and where-to-search list under the offscreen platform: the list
// is rebuilt 500 ms after the last tick, "Uncheck All" empties it, archives stay out of the tree,
// and command-line folders are ticked with the last one selected.
#include "gui/main_form/main_form.h"
#include "gui/views/shell_tree.h"
#include "gui/widgets/link_label.h"
#include "support/shell_tree_waits.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace {

class MainFormTree : public ::testing::Test
{
protected:
    MainFormTree()
    {
        for (const char *folder : {"Data/One", "Data/Two", "Backup.zip", "Backup.ZIP", "Old.rar", "Notes"})
            fTree.Folder(folder);
        fTree.File("file.txt");
    }
    ~MainFormTree() override { WaitForCheckStates(); }

    TZorShellTreeNode *Node(TMainForm &aForm, const QString &aRelative)
    {
        return NodeOf(aForm.ZorShellTree1->Model(), fTree.Path(aRelative));
    }
    TZorShellTreeNode &Open(TMainForm &aForm, const QString &aRelative)
    {
        aForm.ZorShellTree1->SetSelectedFolder(fTree.Path(aRelative));
        TZorShellTreeNode *node = Node(aForm, aRelative);
        EXPECT_NE(node, nullptr) << aRelative.toStdString();
        aForm.ZorShellTree1->Model().NodeShown(*node);
        return *node;
    }

    TTempTree fTree;
};

TEST_F(MainFormTree, TreeIsLinkedAndKeepsArchivesOut)
{
    TMainForm form{TCommandLine{}};
    form.show();
    ASSERT_NE(form.ZorShellTree1, nullptr);
    EXPECT_EQ(form.ZorShellTree1->parentWidget(), form.fFolderTreePlace);
    EXPECT_EQ(form.ZorShellTree1->ShellLink(), form.ZorShellLink1);
    EXPECT_TRUE(form.ZorShellTree1->Checkboxes());
    EXPECT_EQ(form.ZorShellTree1->Model().RootNode()->Text(), QStringLiteral("Computer"));
    EXPECT_TRUE(form.ZorShellTree1->RootedAt().IsSpecialFolder(SF_DRIVES));
    EXPECT_EQ(form.ZorShellTree1->SelectedFolder(), QString()); // the drives folder

    Open(form, "Notes"); // fills the temporary folder's node
    EXPECT_EQ(Node(form, "Backup.zip"), nullptr);
    EXPECT_EQ(Node(form, "Old.rar"), nullptr);
    EXPECT_NE(Node(form, "Backup.ZIP"), nullptr);
    EXPECT_NE(Node(form, "Notes"), nullptr);
    bool canAdd = true;
    TZorShellTreeNode &notes = *Node(form, "Notes");
    form.ZorShellTree1AddFolder(notes, QStringLiteral("/x/a.zip.old"), canAdd);
    EXPECT_TRUE(canAdd);
    form.ZorShellTree1AddFolder(notes, QStringLiteral("/x/.rar"), canAdd);
    EXPECT_FALSE(canAdd);
}

TEST_F(MainFormTree, ListIsRebuiltOnceHalfASecondAfterTheLastTick)
{
    TMainForm form{TCommandLine{}};
    form.show();
    TZorShellTreeNode &one = Open(form, "Data/One");
    TZorShellTreeNode &notes = Open(form, "Notes");
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_TRUE(form.StaticText1->isVisible());
    // One single-shot timer of half a second, (re)started by every tick: only the last counts.
    EXPECT_TRUE(form.TimerListUpdate->isSingleShot());
    EXPECT_EQ(form.TimerListUpdate->interval(), 500);
    QSignalSpy rebuilds(form.TimerListUpdate, &QTimer::timeout);

    form.ZorShellTree1->ToggleNodeCheck(one);
    EXPECT_TRUE(form.TimerListUpdate->isActive());
    form.TimerListUpdate->stop(); // as if time passed: the next tick must start it again
    form.ZorShellTree1->ToggleNodeCheck(notes);
    EXPECT_TRUE(form.TimerListUpdate->isActive());
    EXPECT_EQ(rebuilds.count(), 0);
    EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
    // State changes arriving late restart the timer: wait until it has run after the last one.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return WaitForCheckStates() && rebuilds.count() > 0 && !form.TimerListUpdate->isActive(); },
        5000));
    EXPECT_EQ(form.Memo1->toPlainText(), fTree.Path("Data/One") + "\n" + fTree.Path("Notes"));
    EXPECT_FALSE(form.StaticText1->isVisible());
    // Nothing is left to rebuild it again.
    const int settled = int(rebuilds.count());
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.TimerListUpdate->isActive());
    EXPECT_EQ(rebuilds.count(), settled);

    // A ticked folder deleted meanwhile drops out; single files are never listed.
    QDir(fTree.Path("Notes")).removeRecursively();
    form.ZorShellLink1->SelectionList().Paths().append(fTree.Path("file.txt"));
    form.TimerListUpdateTimer();
    EXPECT_EQ(form.Memo1->toPlainText(), fTree.Path("Data/One"));
    EXPECT_FALSE(form.TimerListUpdate->isActive());
}

TEST_F(MainFormTree, UncheckAllEmptiesTheListAndShowsTheNotice)
{
    TMainForm form{TCommandLine{}};
    form.show();
    TZorShellTreeNode &two = Open(form, "Data/Two");
    ASSERT_TRUE(WaitForCheckStates());
    form.ZorShellTree1->ToggleNodeCheck(two);
    ASSERT_TRUE(WaitForCheckStates());
    form.TimerListUpdateTimer();
    EXPECT_EQ(form.Memo1->toPlainText(), fTree.Path("Data/Two"));

    QTest::mouseClick(form.Label8, Qt::LeftButton);
    EXPECT_TRUE(form.ZorShellLink1->SelectionList().Paths().isEmpty());
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(two.StateIndex(), int(ssUnChecked));
    EXPECT_TRUE(form.TimerListUpdate->isActive()); // restarted by the state changes
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.TimerListUpdate->isActive(); }, 3000));
    EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
    EXPECT_TRUE(form.StaticText1->isVisible());
}

TEST_F(MainFormTree, CommandLineFoldersAreTickedAndTheLastOneSelected)
{
    TCommandLine commandLine;
    commandLine.HasArguments = true;
    commandLine.FolderEntries = {fTree.Path("Data/One") + "/*", fTree.Path("Notes") + "/*"};
    commandLine.LastFolder = fTree.Path("Notes");
    TMainForm form(commandLine);
    form.show();
    EXPECT_EQ(form.ZorShellLink1->SelectionList().Paths(), commandLine.FolderEntries);
    EXPECT_EQ(form.ZorShellTree1->SelectedFolder(), fTree.Path("Notes"));
    EXPECT_TRUE(form.TimerListUpdate->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.TimerListUpdate->isActive(); }, 3000));
    EXPECT_EQ(form.Memo1->toPlainText(), fTree.Path("Data/One") + "\n" + fTree.Path("Notes"));
    ASSERT_TRUE(WaitForCheckStates());
    EXPECT_EQ(Node(form, "Notes")->StateIndex(), int(ssChecked));
}

// Folders come in without the tree: "Add folder..." ticks the picked one, a drop of folders from
// a file manager on the tree or the where-to-search list ticks them (files and other URLs are
// refused), Enter on the focused "Uncheck All" empties the list, and the ticked folder is shown
// with the folders above it.
TEST_F(MainFormTree, FoldersAreAddedByTheDialogAndByDropping)
{
    TMainForm form{TCommandLine{}};
    form.show();
    QString picked = fTree.Path("Data/One");
    form.AskFolder = [&] { return picked; };
    form.btnAddFolder->click();
    EXPECT_EQ(form.ZorShellLink1->SelectionList().Paths(), QStringList{picked + "/*"});
    EXPECT_EQ(form.ZorShellTree1->SelectedFolder(), picked);
    EXPECT_TRUE(form.ZorShellTree1->visualRect(form.ZorShellTree1->currentIndex().parent()).isValid());
    picked.clear(); // cancelled
    form.btnAddFolder->click();
    EXPECT_EQ(form.ZorShellLink1->SelectionList().Paths().size(), 1);

    const auto drop = [&](QWidget *aTarget, const QList<QUrl> &aUrls) {
        QMimeData data;
        data.setUrls(aUrls);
        const QPoint at = aTarget->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(aTarget, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                           Qt::NoModifier);
        QCoreApplication::sendEvent(aTarget, &dropped);
        return dropped.isAccepted();
    };
    EXPECT_FALSE(drop(form.ZorShellTree1->viewport(), {QUrl::fromLocalFile(fTree.Path("file.txt")),
                                                       QUrl(QStringLiteral("https://example.org/"))}));
    EXPECT_TRUE(drop(form.ZorShellTree1->viewport(), {QUrl::fromLocalFile(fTree.Path("Notes"))}));
    EXPECT_TRUE(drop(form.Memo1->viewport(), {QUrl::fromLocalFile(fTree.Path("Data/Two")),
                                              QUrl::fromLocalFile(fTree.Path("file.txt"))}));
    QStringList ticked = form.ZorShellLink1->SelectionList().Paths();
    ticked.sort();
    // Both folders of Data ticked: Data itself stands for them.
    EXPECT_EQ(ticked, (QStringList{fTree.Path("Data") + "/*", fTree.Path("Notes") + "/*"}));

    form.Label8->setFocus();
    QTest::keyClick(form.Label8, Qt::Key_Return);
    EXPECT_TRUE(form.ZorShellLink1->SelectionList().Paths().isEmpty());
}

} // namespace
