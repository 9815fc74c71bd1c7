// The path vocabulary on Linux paths: trailing separators, folder part, parent, root, same path.
#include "platform/long_path_access.h"
#include "platform/path_routines.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

TEST(PathVocabulary, TrailingSeparator)
{
    EXPECT_EQ(WithTrailingSeparator("/a"), "/a/");
    EXPECT_EQ(WithTrailingSeparator("/a/"), "/a/");
    EXPECT_EQ(WithTrailingSeparator(""), "/");
    EXPECT_EQ(WithoutTrailingSeparator("/a/"), "/a");
    EXPECT_EQ(WithoutTrailingSeparator("/a//"), "/a/"); // one separator only
    EXPECT_EQ(WithoutTrailingSeparator("/a"), "/a");
    EXPECT_EQ(WithoutTrailingSeparator("/"), "/"); // the root keeps its separator
    EXPECT_EQ(WithoutTrailingSeparator(""), "");
}

TEST(PathVocabulary, FolderPartAndParent)
{
    EXPECT_EQ(FolderPart("/a/b"), "/a/");
    EXPECT_EQ(FolderPart("/a/b/*"), "/a/b/");
    EXPECT_EQ(FolderPart("/a"), "/");
    EXPECT_EQ(FolderPart("/"), "/");
    EXPECT_EQ(FolderPart("name"), "");

    EXPECT_EQ(ParentFolder("/a/b"), "/a");
    EXPECT_EQ(ParentFolder("/a"), "/");
    EXPECT_EQ(ParentFolder("/"), "/");
    EXPECT_EQ(ParentFolder("name"), "");
    EXPECT_EQ(ParentFolder("/a/b/"), "/a/b");

    EXPECT_EQ(GetParentPathFromPath("/a/b/"), "/a/");
    EXPECT_EQ(GetParentPathFromPath("/a/b"), "/a/");
    EXPECT_EQ(GetParentPathFromPath("/a"), "/");
}

TEST(PathVocabulary, DriveRootIsTheRootOnly)
{
    EXPECT_TRUE(IsDriveRoot("/"));
    EXPECT_FALSE(IsDriveRoot(""));
    EXPECT_FALSE(IsDriveRoot("/a"));
    EXPECT_FALSE(IsDriveRoot("/*"));
    EXPECT_FALSE(IsDriveRoot("//"));
    EXPECT_FALSE(IsDriveRoot("C:"));
    EXPECT_FALSE(IsDriveRoot("C:\\"));
    EXPECT_EQ(DrivePart("/home/u"), "");
    EXPECT_EQ(WithTrailingSeparator(DrivePart("/home/u")), "/");
}

TEST(PathVocabulary, SamePathIgnoresOneFinalSeparatorButNotCase)
{
    EXPECT_TRUE(SamePath("/a/", "/a"));
    EXPECT_TRUE(SamePath("/a", "/a"));
    EXPECT_FALSE(SamePath("/a//", "/a"));
    // Linux names are case-sensitive: these are two folders.
    EXPECT_FALSE(SamePath("/data/Docs", "/data/docs"));
    EXPECT_FALSE(SamePath(QString::fromUtf8("/Ärger"), QString::fromUtf8("/ärger")));
    EXPECT_TRUE(SameText("/a", "/a"));
    EXPECT_FALSE(SameText("/A", "/a"));
}

TEST(PathVocabulary, LongPathForm)
{
    EXPECT_EQ(GetUnicodeAPICallPath("/a/"), "/a");
    EXPECT_EQ(GetUnicodeAPICallPath("/data/*"), "/data/*");
    EXPECT_EQ(GetUnicodeAPICallPath("/"), "/");
    EXPECT_EQ(GetUnicodeAPICallPath("rel/dir/"), "rel/dir");
    EXPECT_EQ(GetUnicodeAPICallPath("/a//"), "/a/");
    EXPECT_EQ(GetUnicodeAPICallPath(""), "");
}

TEST(PathVocabulary, FoldersToIgnore)
{
    EXPECT_TRUE(IsFolderToIgnore("."));
    EXPECT_TRUE(IsFolderToIgnore(".."));
    EXPECT_FALSE(IsFolderToIgnore("..."));
    EXPECT_FALSE(IsFolderToIgnore(".hidden"));
    EXPECT_FALSE(IsFolderToIgnore(""));
}
