// TZorPathList: sorted, duplicate-free entries under the entry rule, events, StringPointer,
// and the class-level path tests.
#include "selection/path_list.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <vector>

TEST(PathListTests, SubPaths)
{
    EXPECT_FALSE(TZorPathList::IsSubPathOf("/a", "/ab/x"));
    EXPECT_FALSE(TZorPathList::IsSubPathOf("/a", "/a/"));
    EXPECT_FALSE(TZorPathList::IsSubPathOf("/a", "/a"));
    EXPECT_TRUE(TZorPathList::IsSubPathOf("/a", "/a/b"));
    EXPECT_TRUE(TZorPathList::IsSubPathOf("/a/", "/a/b/*"));
    EXPECT_TRUE(TZorPathList::IsSubPathOf("/", "/x"));
    EXPECT_FALSE(TZorPathList::IsSubPathOf("/a", "/A/b")); // case counts on Linux
    EXPECT_FALSE(TZorPathList::IsSubPathOf("/a", ""));
}

TEST(PathListTests, UncAndDriveLetterTestsAnswerFalse)
{
    for (const char *path :
         {"\\\\server\\share", "//server/share", "\\\\server", "\\\\?\\UNC\\s\\x", "C:\\A", "C:"}) {
        EXPECT_FALSE(TZorPathList::IsUNCPath(path)) << path;
        EXPECT_FALSE(TZorPathList::IsUncServer(path)) << path;
        EXPECT_FALSE(TZorPathList::StartsWithDriveLetter(path)) << path;
    }
}

TEST(PathListTests, SplitAndRoots)
{
    QString folder;
    EXPECT_EQ(TZorPathList::SplitPath("/a/b/c.txt", folder), "c.txt");
    EXPECT_EQ(folder, "/a/b/");
    EXPECT_EQ(TZorPathList::SplitPath("c.txt", folder), "c.txt");
    EXPECT_EQ(folder, "");
    EXPECT_EQ(TZorPathList::SplitPath("/a/", folder), "");
    EXPECT_EQ(folder, "/a/");

    EXPECT_EQ(TZorPathList::SplitPathByDelimiter("/a//b/", "/"), (QStringList{"a", "b"}));
    EXPECT_EQ(TZorPathList::SplitPathByDelimiter("x;;y", ";"), (QStringList{"x", "y"}));
    EXPECT_EQ(TZorPathList::SplitPathByDelimiter("xy", ""), QStringList{"xy"});
    EXPECT_TRUE(TZorPathList::SplitPathByDelimiter("", ";").isEmpty());

    EXPECT_TRUE(TZorPathList::ShareSameRoot({}));
    EXPECT_TRUE(TZorPathList::ShareSameRoot({"/a", "/b/c", "/media/usb/x"}));
}

TEST(PathListTests, EntryRule)
{
    EXPECT_EQ(TZorPathList::ApplyEntryRule("/a/"), "/a");
    EXPECT_EQ(TZorPathList::ApplyEntryRule("/a"), "/a");
    EXPECT_EQ(TZorPathList::ApplyEntryRule("/"), "/");
    EXPECT_EQ(TZorPathList::ApplyEntryRule("-/a/"), "-/a");
    EXPECT_EQ(TZorPathList::ApplyEntryRule("-/"), "-/");
}

TEST(PathListTests, SortedWithoutDuplicates)
{
    TZorPathList list(QString("/b;/a/;/c;/a;/B"));
    EXPECT_EQ(list.Items(), (QStringList{"/B", "/a", "/b", "/c"}));
    EXPECT_EQ(list.Add("/b/"), 2); // already there: its index
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Add(""), -1);
    EXPECT_EQ(list.IndexOfPath("/c/"), 3);
    EXPECT_EQ(list.IndexOfPath("/d"), -1);
    EXPECT_TRUE(list.ContainsPath("/a/"));
    EXPECT_EQ(list.DelimitedText(), "/B;/a;/b;/c");

    EXPECT_TRUE(list.Remove("/a/"));
    EXPECT_FALSE(list.Remove("/a"));
    EXPECT_FALSE(list.Remove(QStringList{"/b", "/zz", "/c"})); // one was missing, the others go
    EXPECT_EQ(list.Items(), QStringList{"/B"});

    TZorPathList copy(QStringList{"/x", "/y", "/z", "/w"});
    TZorPathList part;
    part.AddRange(copy.Items(), 1, 2);
    EXPECT_EQ(part.Items(), (QStringList{"/x", "/y"}));
}

TEST(PathListTests, AllItemsSubpathOf)
{
    TZorPathList list;
    EXPECT_TRUE(list.AllItemsSubpathOf("/a"));
    list.Add("/a/b");
    list.Add("/a/c/d");
    EXPECT_TRUE(list.AllItemsSubpathOf("/a"));
    EXPECT_TRUE(list.AllItemsSubpathOf("/a/"));
    list.Add("/ab");
    EXPECT_FALSE(list.AllItemsSubpathOf("/a"));
}

TEST(PathListTests, EventsAndSkipping)
{
    TZorPathList list;
    std::vector<std::pair<QString, int>> added, removed;
    list.OnAdd = [&](const QString &aPath, int Index) { added.emplace_back(aPath, Index); };
    list.OnRemove = [&](const QString &aPath, int Index) { removed.emplace_back(aPath, Index); };

    list.Add("/m/");
    list.Add("/a");
    list.Add("/a"); // no second event for a duplicate
    EXPECT_EQ(added, (std::vector<std::pair<QString, int>>{{"/m", 0}, {"/a", 0}}));
    list.Remove("/m");
    EXPECT_EQ(removed, (std::vector<std::pair<QString, int>>{{"/m", 1}}));

    list.BeginSkipEvents();
    list.Add("/z");
    list.Delete(0);
    list.EndSkipEvents();
    EXPECT_EQ(added.size(), 2u);
    EXPECT_EQ(removed.size(), 1u);

    list.Clear();
    EXPECT_EQ(removed.size(), 2u);
    EXPECT_EQ(list.Count(), 0);
}

TEST(PathListTests, CheckIfExists)
{
    TTempTree tree;
    const QString file = tree.File("here.txt");
    TZorPathList list;
    list.SetCheckIfExists(true);
    EXPECT_EQ(list.Add(tree.Path("missing")), -1);
    EXPECT_EQ(list.Add(file), 0);
    EXPECT_EQ(list.Add(tree.Root() + "/"), 0);
    EXPECT_EQ(list.Add("/"), 0);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_FALSE(list.ContainsNetworkPath());
}

TEST(PathListTests, StringPointerIsDoubleNulTerminatedAndRebuilt)
{
    TZorPathList list;
    const char16_t *empty = list.StringPointer();
    EXPECT_EQ(empty[0], u'\0');

    list.Add("/b");
    list.Add("/a");
    const char16_t *text = list.StringPointer();
    EXPECT_EQ(QString::fromUtf16(text, 7), QString::fromUtf16(u"/a\0/b\0\0", 7));
    EXPECT_EQ(list.StringPointer(), text); // cached

    list.Remove("/a");
    EXPECT_EQ(QString::fromUtf16(list.StringPointer(), 4), QString::fromUtf16(u"/b\0\0", 4));
}
