// Tests of the result list's automatic refresh: new, deleted and renamed files in the searched
// folder, its throttles and limits, and the change notifier it is built on.
#include "filesearch/change_notifier.h"
#include "filesearch/file_list.h"
#include "filesearch/folder_listing.h"
#include "platform/file_name.h"
#include "platform/tick_count.h"
#include "support/search_list_fixture.h"
#include "support/temp_tree.h"

#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class FileListRefreshTest : public TSearchListTest
{
protected:
    void SetUp() override
    {
        TSearchListTest::SetUp();
        fList.Clock = [this] { return GetTickCount() + fSkew.load(); };
    }

    // Searches aFolder and waits until the search ended and the notifier watches.
    void SearchAndWatch(const QString &aFolder)
    {
        fList.Search(aFolder);
        ASSERT_TRUE(PumpUntil([&] { return fEndSearchCount > 0; }));
        ASSERT_TRUE(PumpUntil([&] { return !fList.ChangeNotifier().WatchedFolders().isEmpty(); }));
    }

    // The list's clock runs as the real one, and a test may move it on at once.
    std::atomic<uint32_t> fSkew{0};
};

TEST_F(FileListRefreshTest, ANewMatchingFileIsAddedAfterTheVeto)
{
    fTree.File("a.txt");
    QStringList asked;
    fList.OnAddPath = [&](const QString &aPath, bool &aCanAdd) {
        asked.append(aPath);
        aCanAdd = !aPath.endsWith("refused.txt");
    };
    fList.SearchOptions().SetFilter("*.txt");
    SearchAndWatch(fTree.Root());
    ASSERT_EQ(fList.Count(), 1);

    fTree.File("new.txt");
    fTree.File("new.dat");
    ASSERT_TRUE(PumpUntil([&] { return fList.IsItemInList(fTree.Path("new.txt")); }, 20000));
    EXPECT_FALSE(fList.IsItemInList(fTree.Path("new.dat")));
    EXPECT_TRUE(asked.contains(fTree.Path("new.txt")));
}

TEST_F(FileListRefreshTest, DeletedAndRenamedFilesAreFollowed)
{
    fTree.File("gone.txt");
    fTree.File("old.txt", "same");
    fTree.File("sub/deep.txt");
    SearchAndWatch(fTree.Root());
    ASSERT_EQ(fList.Count(), 4);

    QFile::remove(fTree.Path("gone.txt"));
    ASSERT_TRUE(PumpUntil([&] { return !fList.IsItemInList(fTree.Path("gone.txt")); }, 20000));

    ASSERT_TRUE(QFile::rename(fTree.Path("old.txt"), fTree.Path("renamed.txt")));
    ASSERT_TRUE(PumpUntil([&] { return fList.IsItemInList(fTree.Path("renamed.txt")); }, 20000));
    EXPECT_FALSE(fList.IsItemInList(fTree.Path("old.txt")));
    EXPECT_EQ(fList.Item(fList.ReturnItemInList(fTree.Path("renamed.txt"))).Caption(), "renamed.txt");

    QFile::remove(fTree.Path("sub/deep.txt"));
    ASSERT_TRUE(PumpUntil([&] { return !fList.IsItemInList(fTree.Path("sub/deep.txt")); }, 20000));
}

TEST_F(FileListRefreshTest, AtMostOneAdditionPerSecondAndNoneLost)
{
    fTree.File("a.txt");
    SearchAndWatch(fTree.Root());
    const QString first = fTree.File("first.txt");
    const QString second = fTree.File("second.txt");
    fList.HandleShellChange(neFileCreate, first, {});
    fList.HandleShellChange(neFileCreate, second, {});
    EXPECT_TRUE(fList.IsItemInList(first));
    EXPECT_FALSE(fList.IsItemInList(second));
    ASSERT_TRUE(PumpUntil([&] { return fList.IsItemInList(second); }, 20000));
    EXPECT_EQ(fList.Count(), 3);
}

TEST_F(FileListRefreshTest, OnlyWhatTheSearchCoversIsAdded)
{
    fTree.File("searched/a.txt");
    fTree.File("searched/.hidden/x.txt");
    const QString outside = fTree.File("elsewhere/b.txt");
    SearchAndWatch(fTree.Path("searched"));
    fList.AddPathIfNew(outside);
    EXPECT_FALSE(fList.IsItemInList(outside));
    fSkew += TZorFileList::AddIfNewIntervalMs; // past the throttle of the try before
    fList.AddPathIfNew(fTree.Path("searched/.hidden/x.txt"));
    EXPECT_FALSE(fList.IsItemInList(fTree.Path("searched/.hidden/x.txt")));
}

TEST_F(FileListRefreshTest, NothingIsAddedAboveFiveThousandItems)
{
    fTree.File("a.txt");
    SearchAndWatch(fTree.Root());
    fList.BeginUpdate();
    for (int i = 0; i < TZorFileList::MaxItemsForRefresh; ++i)
        fList.Add(QStringLiteral("/nowhere/%1").arg(i));
    fList.EndUpdate();
    const QString fresh = fTree.File("fresh.txt");
    fList.AddPathIfNew(fresh);
    EXPECT_FALSE(fList.IsItemInList(fresh));
}

TEST_F(FileListRefreshTest, TheNotifierReportsKindsAndPaths)
{
    TZorShellChangeNotifier notifier;
    QList<std::tuple<int, QString, QString>> reports;
    notifier.OnChange = [&](TNotificationEvent aKind, const QString &a, const QString &b) {
        reports.append({aKind, a, b});
    };
    fTree.File("keep.txt", "1");
    fTree.File("old.txt", "2");
    fTree.Folder("sub");
    // A folder whose name is not valid UTF-8 is watched under its own bytes.
    const QByteArray rawFolder = FileNameBytes(fTree.Root()) + "/r\xFF";
    ASSERT_EQ(::mkdir(rawFolder.constData(), 0700), 0);
    notifier.SetRootFolder(fTree.Root() + "/");
    notifier.SetActive(true);
    ASSERT_TRUE(PumpUntil([&] { return notifier.WatchedFolders().size() == 3; }));
    EXPECT_TRUE(notifier.WatchedFolders().contains(FileNameText(rawFolder)));

    fTree.File("keep.txt", "changed");
    QFile::rename(fTree.Path("old.txt"), fTree.Path("new.txt"));
    fTree.File("sub/made.txt");
    const QString rawFile = WriteRawNamedFile(FileNameText(rawFolder), "f\xFE", "x");
    const auto has = [&](int aKind, const QString &a, const QString &b = {}) {
        return reports.contains({aKind, a, b});
    };
    ASSERT_TRUE(PumpUntil(
        [&] {
            return has(neFileCreate, fTree.Path("sub/made.txt")) && has(neFileCreate, rawFile) &&
                   has(neFileChange, fTree.Path("keep.txt")) &&
                   has(neFileRename, fTree.Path("old.txt"), fTree.Path("new.txt"));
        },
        20000));
    EXPECT_TRUE(has(neFolderUpdate, fTree.Root()));

    notifier.SetActive(false);
    EXPECT_TRUE(notifier.WatchedFolders().isEmpty());
}

// The folders are listed on a pool thread: a listing that is no longer wanted when it is ready
// (another root, or the notifier gone) is never installed.
TEST_F(FileListRefreshTest, AWatchReadForAFormerRootIsDropped)
{
    fTree.Folder("a/x");
    fTree.Folder("b/y");
    TZorShellChangeNotifier notifier;
    notifier.SetRootFolder(fTree.Path("a"));
    notifier.SetActive(true);
    QCoreApplication::processEvents(); // the listing of a/ may start
    notifier.SetRootFolder(fTree.Path("b"));
    const QStringList wanted{fTree.Path("b"), fTree.Path("b/y")};
    ASSERT_TRUE(PumpUntil([&] {
        QStringList watched = notifier.WatchedFolders();
        watched.sort();
        return watched == wanted;
    }));
    {
        TZorShellChangeNotifier gone;
        gone.SetRootFolder(fTree.Root());
        gone.SetActive(true);
        QCoreApplication::processEvents();
    }
    PumpPending();
    QStringList watched = notifier.WatchedFolders();
    watched.sort();
    EXPECT_EQ(watched, wanted);
}

// The watch's listing of a folder: any order of entries in, each found by its exact name.
TEST(FolderListing, FindsEachEntryByItsExactName)
{
    TFolderListing listing;
    const QStringList names{QStringLiteral("b.txt"),    QStringLiteral("a"), QStringLiteral("ab"),
                            QString::fromUtf8("Größe"), QStringLiteral("A"), QString()};
    for (qsizetype i = 0; i < names.size(); ++i)
        listing.Add(names[i], TEntryState{i % 2 == 0, i, TFileTime(100 + i)});
    listing.Finish();
    ASSERT_EQ(listing.Size(), names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        const TEntryState *state = listing.Find(names[i]);
        ASSERT_TRUE(state) << names[i].toStdString();
        EXPECT_EQ(*state, (TEntryState{i % 2 == 0, i, TFileTime(100 + i)})) << names[i].toStdString();
    }
    for (const char *missing : {"B.TXT", "abc", "b", "Grosse"})
        EXPECT_FALSE(listing.Find(QString::fromUtf8(missing))) << missing;
    for (qsizetype i = 1; i < listing.Size(); ++i)
        EXPECT_LT(listing.Name(i - 1), listing.Name(i));
}

TEST_F(FileListRefreshTest, AboveTheCapOnlyTheRootIsWatched)
{
    for (int i = 0; i < TZorShellChangeNotifier::MaxWatchedFolders; ++i)
        fTree.Folder(QStringLiteral("d%1").arg(i));
    TZorShellChangeNotifier notifier;
    notifier.SetRootFolder(fTree.Root());
    notifier.SetActive(true);
    ASSERT_TRUE(PumpUntil([&] { return !notifier.WatchedFolders().isEmpty(); }));
    EXPECT_EQ(notifier.WatchedFolders(), QStringList({fTree.Root()}));
}

} // namespace
