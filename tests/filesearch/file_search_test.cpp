// Tests of the folder walk through the result list's Search and Stop: order, recursion, hidden
// folders, folder hits, the end-of-search event, stopping, and hostile trees.
#include "filesearch/file_list.h"
#include "filesearch/file_search.h"
#include "support/gate.h"
#include "support/search_list_fixture.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <QSignalSpy>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace {

class FileSearchTest : public TSearchListTest
{
protected:
    // Searches each folder in one go and waits for the end of the search.
    void SearchAndWait(const QStringList &aFolders)
    {
        const int before = fEndSearchCount;
        for (const QString &folder : aFolders)
            fList.Search(folder);
        ASSERT_TRUE(PumpUntil([&] { return fEndSearchCount > before; })) << "no OnEndSearch";
    }

    QStringList Paths() const
    {
        QStringList paths;
        for (int i = 0; i < fList.Count(); ++i)
            paths.append(fList.Item(i).Path());
        return paths;
    }
};

TEST_F(FileSearchTest, HitsOfAFolderComeBeforeThoseOfItsSubfolders)
{
    fTree.File("a.txt");
    fTree.File("z.txt");
    fTree.File("sub/b.txt");
    fTree.File("sub/deeper/c.txt");
    fTree.File("other/d.txt");
    SearchAndWait({fTree.Root()});

    const QStringList paths = Paths();
    ASSERT_EQ(paths.size(), 8) << paths.join(", ").toStdString();
    const auto at = [&](const QString &aRelative) { return paths.indexOf(fTree.Path(aRelative)); };
    for (const char *top : {"a.txt", "z.txt", "sub/", "other/"})
        for (const char *below : {"sub/b.txt", "sub/deeper/", "sub/deeper/c.txt", "other/d.txt"})
            EXPECT_LT(at(top), at(below)) << top << " / " << below;
    EXPECT_LT(at("sub/deeper/"), at("sub/deeper/c.txt"));
    // Depth first: everything below sub/ on one side of other/d.txt.
    EXPECT_EQ(at("sub/b.txt") < at("other/d.txt"), at("sub/deeper/c.txt") < at("other/d.txt"));
    EXPECT_EQ(fEndSearchCount, 1);
}

// A sink that records what a walk hands over, and in which batches.
class TRecordingSink : public IZorFileSearchSink
{
public:
    void BeginHandOver() override { ++fBatches; }
    void EndHandOver() override {}
    void OfferFoundPath(const QString &aPath, TContentVerdict, const QString &,
                        const TMatchFinding &) override
    {
        fPaths.append(aPath);
    }
    bool IsPathListed(const QString &aPath) const override { return fPaths.contains(aPath); }
    int FoundCount() const override { return int(fPaths.size()); }
    void ResortFound() override { ++fResorts; }
    bool WantsSearchProgress() const override { return false; }
    void SearchProgress(const QString &) override {}

    QStringList fPaths;
    int fBatches = 0;
    int fResorts = 0;
};

TEST_F(FileSearchTest, AWalkNeedsOnlyASinkAndDropsItsHitsOnceTheSinkIsGone)
{
    fTree.File("a.txt");
    fTree.File("sub/b.txt");
    // Runs a walk of the tree on a thread of its own while this (UI) thread takes the hand-overs.
    const auto walk = [&](IZorFileSearchSink &aSink, std::unique_ptr<QObject> aOwner, bool aOwnerGoesFirst) {
        // A clock that never moves: one hand-over at the end, however slow the walk.
        auto walker = std::make_shared<TZorFileSearch>(TZorSearchOptions(), aSink, *aOwner, fTree.Root(),
                                                       false, [] { return 0u; });
        if (aOwnerGoesFirst)
            aOwner.reset();
        std::atomic<bool> done = false;
        std::thread thread([&] {
            walker->DoWork();
            done = true;
        });
        EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
        thread.join();
    };

    TRecordingSink sink;
    walk(sink, std::make_unique<QObject>(), false);
    QStringList found = sink.fPaths;
    found.sort(); // a folder's entries come in the order the file system gives them
    EXPECT_EQ(found, QStringList({fTree.Path("a.txt"), fTree.Path("sub/"), fTree.Path("sub/b.txt")}));
    EXPECT_EQ(sink.fPaths.last(), fTree.Path("sub/b.txt"));
    EXPECT_EQ(sink.fBatches, 1);
    EXPECT_EQ(sink.fResorts, 1);

    TRecordingSink orphan;
    walk(orphan, std::make_unique<QObject>(), true);
    EXPECT_TRUE(orphan.fPaths.isEmpty());
    EXPECT_EQ(orphan.fBatches, 0);
}

TEST_F(FileSearchTest, NonRecursiveSearchListsTheRootOnly)
{
    fTree.File("a.txt");
    fTree.File("sub/b.txt");
    fList.SearchOptions().SetRecursiveSearch(false);
    SearchAndWait({fTree.Root() + "/"});
    EXPECT_EQ(Paths().size(), 2);
    EXPECT_TRUE(fList.IsItemInList(fTree.Path("a.txt")));
    EXPECT_TRUE(fList.IsItemInList(fTree.Path("sub/")));
}

TEST_F(FileSearchTest, HiddenFoldersAreSkippedUnlessIncluded)
{
    fTree.File(".hidden/inside.txt");
    fTree.File("visible.txt");
    SearchAndWait({fTree.Root()});
    EXPECT_EQ(Paths(), QStringList({fTree.Path("visible.txt")}));

    fList.Clear();
    fList.SearchOptions().SetIncludeHidden(true);
    SearchAndWait({fTree.Root()});
    EXPECT_TRUE(fList.IsItemInList(fTree.Path(".hidden/")));
    EXPECT_TRUE(fList.IsItemInList(fTree.Path(".hidden/inside.txt")));
}

TEST_F(FileSearchTest, FolderHitsEndWithASeparatorAndAreFolders)
{
    fTree.Folder("Sub");
    fTree.File("file.txt");
    SearchAndWait({fTree.Root()});
    const int index = fList.ReturnItemInList(fTree.Path("Sub"));
    ASSERT_GE(index, 0);
    EXPECT_EQ(fList.Item(index).Path(), fTree.Path("Sub/"));
    EXPECT_TRUE(fList.Item(index).fIsFolder);
    EXPECT_FALSE(fList.Item(fList.ReturnItemInList(fTree.Path("file.txt"))).fIsFolder);

    fList.Clear();
    fList.SearchOptions().SetFilesAndFolders(ffFilesOnly);
    SearchAndWait({fTree.Root()});
    EXPECT_EQ(Paths(), QStringList({fTree.Path("file.txt")}));
}

TEST_F(FileSearchTest, AMissingRootEndsNormallyWithOneEndOfSearch)
{
    SearchAndWait({fTree.Path("does-not-exist")});
    Settle();
    EXPECT_EQ(fList.Count(), 0);
    EXPECT_EQ(fEndSearchCount, 1);
    EXPECT_FALSE(fList.IsSearching());
}

TEST_F(FileSearchTest, AShortWalkHandsOverOnce)
{
    for (int i = 0; i < 20; ++i)
        fTree.File(QStringLiteral("f%1.txt").arg(i));
    // However slowly the walk goes, its clock never says a hand-over is due before the end.
    fList.Clock = [] { return 1000u; };
    QSignalSpy inserted(&fList, &QAbstractItemModel::rowsInserted);
    SearchAndWait({fTree.Root()});
    EXPECT_EQ(fList.Count(), 20);
    EXPECT_EQ(inserted.count(), 1);
}

// While nothing is listed, hand-overs come at the short cadence: a hit of the first folder shows
// while the walk is still busy (here: a check below it that waits at a gate).
TEST_F(FileSearchTest, TheFirstHitShowsWithoutWaitingForTheCadence)
{
    fTree.File("hit.txt");
    fTree.File("sub/wait.txt");
    TGate gate;
    std::atomic<uint32_t> now{1000};
    fList.Clock = [&] { return now.load(); };
    fList.SetContentCheck(std::make_shared<TContentCheck>(
        TContentCheck{QStringLiteral("x"),
                      [&](const QString &aPath, const ICancellationIndicator &aCancel, TMatchFinding &) {
                          while (aPath.endsWith(QStringLiteral("wait.txt")) && !gate.Wait(5))
                              if (aCancel.IsCancellationRequested())
                                  return false;
                          return true;
                      }}));
    const int before = fEndSearchCount;
    fList.Search(fTree.Root());
    now = 1000 + TZorFileSearch::FirstHandOverIntervalMs + 1; // due for a first, not for a later one
    EXPECT_TRUE(PumpUntil([&] { return Paths().contains(fTree.Path("hit.txt")); }));
    EXPECT_FALSE(Paths().contains(fTree.Path("sub/wait.txt")));
    gate.Open();
    ASSERT_TRUE(PumpUntil([&] { return fEndSearchCount > before; }));
    EXPECT_TRUE(Paths().contains(fTree.Path("sub/wait.txt")));
}

// A file its check found not to hold the text is not handed over at all.
TEST_F(FileSearchTest, FilesFoundNotToHoldTheTextAreNotOffered)
{
    fTree.File("hit.txt");
    fTree.File("miss.txt");
    fList.SetContentCheck(std::make_shared<TContentCheck>(TContentCheck{
        QStringLiteral("x"), [](const QString &aPath, const ICancellationIndicator &, TMatchFinding &) {
            return aPath.endsWith(QStringLiteral("hit.txt"));
        }}));
    SearchAndWait({fTree.Root()});
    EXPECT_EQ(Paths(), QStringList{fTree.Path("hit.txt")});
}

TEST_F(FileSearchTest, TwoSearchesGiveTwoWalksAndOneEndOfSearch)
{
    fTree.File("one/a.txt");
    fTree.File("two/b.txt");
    fTree.File("two/c.txt");
    SearchAndWait({fTree.Path("one"), fTree.Path("two")});
    Settle();
    EXPECT_EQ(fEndSearchCount, 1);
    EXPECT_EQ(fList.Count(), 3);

    // Overlapping walks list a file twice; a later search is a new burst.
    SearchAndWait({fTree.Path("one"), fTree.Root()});
    EXPECT_EQ(fEndSearchCount, 2);
    int seen = 0;
    for (int i = fList.ReturnItemInList(fTree.Path("one/a.txt")); i >= 0;
         i = fList.ReturnItemInList(fTree.Path("one/a.txt"), i + 1))
        ++seen;
    EXPECT_EQ(seen, 3);
}

TEST_F(FileSearchTest, StopRightAfterSearchListsNothingAndEndsOnce)
{
    for (int i = 0; i < 200; ++i)
        fTree.File(QStringLiteral("d%1/f.txt").arg(i));
    fList.Search(fTree.Root());
    EXPECT_TRUE(fList.Stop());
    EXPECT_EQ(fEndSearchCount, 1);
    EXPECT_FALSE(fList.IsSearching());
    Settle();
    EXPECT_EQ(fList.Count(), 0);
    EXPECT_EQ(fEndSearchCount, 1);
}

TEST_F(FileSearchTest, StopDuringAWalkDiscardsWhatWasNotHandedOver)
{
    for (int i = 0; i < 300; ++i)
        for (int j = 0; j < 100; ++j)
            fTree.File(QStringLiteral("d%1/f%2.txt").arg(i).arg(j), {});
    fList.Search(fTree.Root());
    ASSERT_TRUE(PumpUntil([&] { return fList.Count() > 0; }));
    fList.Stop();
    EXPECT_EQ(fEndSearchCount, 1);
    EXPECT_FALSE(fList.IsSearching());
    const int listed = fList.Count();
    Settle();
    EXPECT_EQ(fList.Count(), listed);
    EXPECT_EQ(fEndSearchCount, 1);
}

TEST_F(FileSearchTest, StopWithNothingRunningRaisesNothing)
{
    EXPECT_TRUE(fList.Stop()); // never searched
    fTree.File("a.txt");
    SearchAndWait({fTree.Root()});
    fList.Stop();
    Settle();
    EXPECT_EQ(fEndSearchCount, 1);
}

TEST_F(FileSearchTest, ARefusingHandlerLeavesTheListEmptyAndTheSearchStillEnds)
{
    fTree.File("a.txt");
    fTree.File("sub/b.txt");
    int asked = 0;
    fList.OnAddPath = [&](const QString &, bool &aCanAdd) {
        ++asked;
        aCanAdd = false;
    };
    SearchAndWait({fTree.Root()});
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(fList.Count(), 0);
    EXPECT_EQ(fEndSearchCount, 1);
}

TEST_F(FileSearchTest, StopFromInsideAHandOverIsDeferredNotAHang)
{
    for (int i = 0; i < 50; ++i)
        fTree.File(QStringLiteral("f%1.txt").arg(i));
    int asked = 0;
    int stopResult = -1;
    fList.OnAddPath = [&](const QString &, bool &) {
        if (++asked == 5)
            stopResult = fList.Stop() ? 1 : 0;
    };
    fList.Search(fTree.Root());
    ASSERT_TRUE(PumpUntil([&] { return fEndSearchCount > 0 && !fList.IsSearching(); }, 20000));
    EXPECT_EQ(stopResult, 0);
    EXPECT_EQ(asked, 5);
    EXPECT_EQ(fList.Count(), 5);
    Settle();
    EXPECT_EQ(fEndSearchCount, 1);
}

TEST_F(FileSearchTest, ASymbolicLinkLoopIsListedButNotEntered)
{
    fTree.File("a/file.txt");
    fTree.Link("a/up", fTree.Root());
    fTree.Link("loop", "loop");
    SearchAndWait({fTree.Root()});
    EXPECT_TRUE(fList.IsItemInList(fTree.Path("a/up")));
    EXPECT_FALSE(fList.IsItemInList(fTree.Path("a/up/a/")));
    EXPECT_TRUE(fList.IsItemInList(fTree.Path("loop")));
    EXPECT_EQ(fList.Count(), 4); // a/, loop, a/file.txt, a/up: nothing through the links
}

TEST_F(FileSearchTest, UnreadableAndVanishingFoldersEndTheWalkQuietly)
{
    fTree.File("locked/secret.txt");
    ::chmod(fTree.Path("locked").toLocal8Bit().constData(), 0);
    for (int i = 0; i < 50; ++i)
        fTree.File(QStringLiteral("going/d%1/f.txt").arg(i));
    fTree.File("stays.txt");
    fList.Search(fTree.Root());
    QDir(fTree.Path("going")).removeRecursively();
    ASSERT_TRUE(PumpUntil([&] { return fEndSearchCount == 1; }));
    ::chmod(fTree.Path("locked").toLocal8Bit().constData(), 0700);
    EXPECT_TRUE(fList.IsItemInList(fTree.Path("stays.txt")));
    EXPECT_TRUE(fList.IsItemInList(fTree.Path("locked/")));
}

// Lowers the limit on open descriptors to what is open now plus aSpare, for its lifetime.
class TDescriptorLimit
{
public:
    explicit TDescriptorLimit(rlim_t aSpare)
    {
        fValid = ::getrlimit(RLIMIT_NOFILE, &fSaved) == 0;
        const rlim_t open =
            QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
        struct rlimit lowered = fSaved;
        lowered.rlim_cur = std::min(fSaved.rlim_cur, open + aSpare);
        fValid = fValid && ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~TDescriptorLimit()
    {
        if (fValid)
            ::setrlimit(RLIMIT_NOFILE, &fSaved);
    }
    TDescriptorLimit(const TDescriptorLimit &) = delete;
    TDescriptorLimit &operator=(const TDescriptorLimit &) = delete;
    bool IsValid() const { return fValid; }

private:
    struct rlimit fSaved = {};
    bool fValid = false;
};

TEST_F(FileSearchTest, AFileFiveThousandFoldersDownIsFoundWithFewDescriptors)
{
    const QString deepFile = fTree.FolderChain("chain", 5000, "bottom.txt");
    ASSERT_FALSE(deepFile.isEmpty());
    fTree.File("chain/top.txt");
    // Side folders met again after the walk climbs back from the bottom, where the folders that
    // hold them no longer have their descriptors open.
    QStringList sideFiles;
    for (int level = 20; level < 40; ++level)
        sideFiles.append(
            fTree.File(QStringLiteral("chain/%1s%2/side.txt").arg(QString("d/").repeated(level)).arg(level)));
    {
        // Far fewer descriptors than levels: the walk must not keep one per folder.
        const TDescriptorLimit limit(64);
        ASSERT_TRUE(limit.IsValid());
        SearchAndWait({fTree.Path("chain")});
    }
    EXPECT_TRUE(fList.IsItemInList(deepFile));
    EXPECT_TRUE(fList.IsItemInList(fTree.Path("chain/top.txt")));
    for (const QString &side : std::as_const(sideFiles))
        EXPECT_TRUE(fList.IsItemInList(side)) << side.toStdString();
    EXPECT_EQ(fList.Count(), 5042); // 5000 folders and two files, and 20 side folders with a file each
    Settle();
    EXPECT_EQ(fEndSearchCount, 1);
}

TEST_F(FileSearchTest, AHundredThousandFilesInOneFolder)
{
    const QString folder = fTree.Folder("big");
    for (int i = 0; i < 100000; ++i) {
        QFile file(QStringLiteral("%1/f%2").arg(folder).arg(i));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    SearchAndWait({folder});
    EXPECT_EQ(fList.Count(), 100000);
    EXPECT_EQ(fEndSearchCount, 1);
}

// Exclusions fit whole names at every depth: an excluded folder is neither listed nor entered,
// an excluded file is not listed, and names that merely contain a mask are kept.
TEST_F(FileSearchTest, ExcludedNamesAreLeftOutAtEveryDepth)
{
    fTree.File("keep.txt");
    fTree.File(".git/config");
    fTree.File("src/node_modules/lib/index.js");
    fTree.File("src/deep/er/old.bak");
    fTree.File("src/deep/er/kept.txt");
    fTree.File("src/node_modules_notes.txt");
    fList.SearchOptions().SetIncludeHidden(true);
    fList.SearchOptions().SetFilesAndFolders(ffFilesOnly);
    struct TCase
    {
        const char *fExclude;
        QStringList fListed;
    };
    const TCase cases[] = {
        {"",
         {"keep.txt", ".git/config", "src/node_modules/lib/index.js", "src/deep/er/old.bak",
          "src/deep/er/kept.txt", "src/node_modules_notes.txt"}},
        {" .git ; node_modules;*.bak;", {"keep.txt", "src/deep/er/kept.txt", "src/node_modules_notes.txt"}},
        {"deep", {"keep.txt", ".git/config", "src/node_modules/lib/index.js", "src/node_modules_notes.txt"}},
        {"*.TXT;config", {"src/node_modules/lib/index.js", "src/deep/er/old.bak"}},
    };
    for (const TCase &test : cases) {
        fList.Clear();
        fList.SearchOptions().SetExclude(QString::fromUtf8(test.fExclude));
        SearchAndWait({fTree.Root()});
        QStringList expected;
        for (const QString &relative : test.fListed)
            expected << fTree.Path(relative);
        QStringList listed = Paths();
        listed.sort();
        expected.sort();
        EXPECT_EQ(listed, expected) << test.fExclude;
    }
}

TEST_F(FileSearchTest, NamesThatAreNoUtf8AreWalked)
{
    const QByteArray root = QFile::encodeName(fTree.Root());
    ASSERT_EQ(::mkdir((root + "/bad\xff\xfe").constData(), 0700), 0);
    fTree.File("ok.txt");
    SearchAndWait({fTree.Root()});
    EXPECT_EQ(fList.Count(), 2);
}

TEST_F(FileSearchTest, AnEmptyPathNonRecursiveListsTheDesktop)
{
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(fTree.Root()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(fTree.Path("config")));
    fTree.File("Desktop/on-desktop.txt");
    fTree.File("in-home.txt");
    fList.SearchOptions().SetRecursiveSearch(false);
    SearchAndWait({QString()});
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    EXPECT_EQ(Paths(), QStringList({fTree.Path("Desktop/on-desktop.txt")}));
}

TEST_F(FileSearchTest, ARescanHandsOverOnlyNewPaths)
{
    fTree.File("one/a.txt");
    fTree.File("one/b.txt");
    fTree.File("other.txt");
    SearchAndWait({fTree.Root()});
    ASSERT_EQ(fList.Count(), 4);
    fList.Delete(fList.ReturnItemInList(fTree.Path("one/b.txt")));
    fList.RescanFolder(fTree.Path("one"));
    ASSERT_TRUE(PumpUntil([&] { return fEndSearchCount == 2; }));
    EXPECT_EQ(fList.Count(), 4);
    EXPECT_TRUE(fList.IsItemInList(fTree.Path("one/b.txt")));
}

} // namespace
