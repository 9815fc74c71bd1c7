// Folder enumeration and file-system tests on real temporary trees: entry records, symbolic
// links, folder shortcuts, unreadable folders, paths longer than PATH_MAX and odd names.
#include "platform/long_path_access.h"
#include "selection/path_list.h"
#include "support/temp_tree.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <QDateTime>
#include <QMap>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QMap<QString, TWin32FindData> ListFolder(const QString &aFolder)
{
    QMap<QString, TWin32FindData> entries;
    TWin32FindData data;
    TFindHandle handle = FindFirstFile(aFolder + "/*", data);
    if (!handle.IsValid())
        return entries;
    do {
        entries.insert(data.cFileName, data);
    } while (FindNextFile(handle, data));
    FindClose(handle);
    return entries;
}

QStringList NamesIn(const TFolderHandle &aFolder)
{
    QStringList names;
    TWin32FindData data;
    TFindHandle handle = FindFirstFileIn(aFolder, data);
    if (!handle.IsValid())
        return names;
    do {
        names.append(data.cFileName);
    } while (FindNextFile(handle, data));
    names.sort();
    return names;
}

TFileTime FileTimeOf(const QDateTime &aTime)
{
    return TFileTime(aTime.toMSecsSinceEpoch() + 11644473600000LL) * 10000;
}

class LongPathAccess : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(fTree.IsValid()); }
    TTempTree fTree;
};

} // namespace

TEST_F(LongPathAccess, EnumerationReportsEveryEntryWithItsRecord)
{
    fTree.File("top/notes.txt", QByteArray(5000, 'n'));
    fTree.File("top/.hidden", "h");
    fTree.Folder("top/sub");
    const QDateTime written = QDateTime::fromString("2020-05-17T10:20:30Z", Qt::ISODate);
    {
        QFile file(fTree.Path("top/notes.txt"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(written, QFileDevice::FileModificationTime));
    }

    const auto entries = ListFolder(fTree.Path("top"));
    EXPECT_EQ(entries.keys(), (QStringList{".", "..", ".hidden", "notes.txt", "sub"}));

    const TWin32FindData notes = entries.value("notes.txt");
    EXPECT_EQ(notes.dwFileAttributes, 0u);
    EXPECT_EQ(notes.FileSize(), 5000);
    EXPECT_EQ(notes.ftLastWriteTime, FileTimeOf(written));
    EXPECT_NE(notes.ftCreationTime, 0u);
    EXPECT_NE(notes.ftLastAccessTime, 0u);

    EXPECT_EQ(entries.value("sub").dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(entries.value("sub").FileSize(), 0);
    EXPECT_EQ(entries.value(".hidden").dwFileAttributes, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(entries.value(".").IsDirectory());
    EXPECT_TRUE(entries.value("..").IsDirectory());
}

TEST_F(LongPathAccess, LargeFileSizeUsesBothHalves)
{
    const QString path = fTree.File("big.bin", "");
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), (int64_t(5) << 32) + 7), 0);
    const TWin32FindData big = ListFolder(fTree.Root()).value("big.bin");
    EXPECT_EQ(big.nFileSizeHigh, 5u);
    EXPECT_EQ(big.nFileSizeLow, 7u);
}

TEST_F(LongPathAccess, OneItemLookup)
{
    const QString file = fTree.File("a/f.txt", "abc");
    TWin32FindData data;
    TFindHandle handle = FindFirstFile(file, data);
    ASSERT_TRUE(handle.IsValid());
    EXPECT_EQ(data.cFileName, "f.txt");
    EXPECT_EQ(data.FileSize(), 3);
    EXPECT_FALSE(FindNextFile(handle, data));

    handle = FindFirstFile(fTree.Path("a/"), data); // trailing separator
    ASSERT_TRUE(handle.IsValid());
    EXPECT_EQ(data.cFileName, "a");
    EXPECT_TRUE(data.IsDirectory());

    handle = FindFirstFile("/", data);
    ASSERT_TRUE(handle.IsValid());
    EXPECT_TRUE(data.IsDirectory());
}

TEST_F(LongPathAccess, MissingItemsGiveAnInvalidHandle)
{
    TWin32FindData data;
    errno = 0;
    EXPECT_FALSE(FindFirstFile(fTree.Path("nothing"), data).IsValid());
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(FindFirstFile(fTree.Path("nothing/*"), data).IsValid());
    EXPECT_FALSE(FindFirstFile("", data).IsValid());
    const QString file = fTree.File("plain.txt");
    EXPECT_FALSE(FindFirstFile(file + "/*", data).IsValid()); // a file is no folder to list

    TFindHandle invalid;
    EXPECT_FALSE(FindNextFile(invalid, data));
    FindClose(invalid);
    FindClose(invalid);
}

TEST_F(LongPathAccess, SymbolicLinks)
{
    fTree.File("real/inside.txt");
    fTree.File("target.txt", "0123456789");
    fTree.Link("links/to-folder", fTree.Path("real"));
    fTree.Link("links/to-file", "../target.txt");
    fTree.Link("links/dangling", fTree.Path("gone"));
    fTree.Link("links/loop", fTree.Path("links"));

    const auto entries = ListFolder(fTree.Path("links"));
    // A link to a folder is listed but never reported as a folder to enter.
    EXPECT_EQ(entries.value("to-folder").dwFileAttributes, FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(entries.value("loop").dwFileAttributes, FILE_ATTRIBUTE_REPARSE_POINT);
    // A link to a file is the file it points to.
    EXPECT_EQ(entries.value("to-file").dwFileAttributes, FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(entries.value("to-file").FileSize(), 10);
    EXPECT_EQ(entries.value("dangling").dwFileAttributes, FILE_ATTRIBUTE_REPARSE_POINT);

    EXPECT_TRUE(IsFolder(fTree.Path("links/to-folder")));
    EXPECT_FALSE(IsFile(fTree.Path("links/to-folder")));
    EXPECT_TRUE(IsFile(fTree.Path("links/to-file")));
    EXPECT_FALSE(IsFile(fTree.Path("links/dangling")));
    EXPECT_FALSE(IsFolder(fTree.Path("links/dangling")));
    EXPECT_TRUE(PathExists(fTree.Path("links/dangling")));
    // Listing through the link itself works: it is only never entered from its parent.
    EXPECT_TRUE(ListFolder(fTree.Path("links/to-folder")).contains("inside.txt"));
}

TEST_F(LongPathAccess, FolderShortcutsAreLinksToFolders)
{
    fTree.Folder("docs/real");
    fTree.File("docs/file.txt");
    const QString absolute = fTree.Link("absolute", fTree.Path("docs/real"));
    const QString relative = fTree.Link("docs/relative", "real");
    const QString chained = fTree.Link("chained", "docs/relative");
    const QString toFile = fTree.Link("to-file", "docs/file.txt");
    const QString dangling = fTree.Link("dangling", "docs/none");

    for (const QString &spelling : {absolute, absolute + "/", absolute + "/*"}) {
        EXPECT_TRUE(IsFolderShortcut(spelling)) << spelling.toStdString();
        EXPECT_EQ(TZorPathList::GetShortcutTarget(spelling), fTree.Path("docs/real"));
    }
    EXPECT_EQ(TZorPathList::GetShortcutTarget(relative), fTree.Path("docs/real"));
    EXPECT_EQ(TZorPathList::GetShortcutTarget(chained), fTree.Path("docs/real"));
    EXPECT_FALSE(IsFolderShortcut(toFile));
    EXPECT_EQ(TZorPathList::GetShortcutTarget(toFile), "");
    EXPECT_FALSE(IsFolderShortcut(dangling));
    EXPECT_EQ(TZorPathList::GetShortcutTarget(dangling), "");
    EXPECT_FALSE(IsFolderShortcut(fTree.Path("docs/real")));
    EXPECT_FALSE(IsFolderShortcut(""));
    EXPECT_FALSE(IsFolderShortcut("/*"));
}

TEST_F(LongPathAccess, TargetBehindLinkedParentIsResolvedByTheKernel)
{
    // "up/../x" read as text would give the wrong folder when "up" is itself a link.
    fTree.Folder("deep/inner/x");
    fTree.Folder("x");
    fTree.Link("up", "deep/inner/y");
    fTree.Folder("deep/inner/y");
    fTree.Link("tricky", "up/../x");
    EXPECT_EQ(TZorPathList::GetShortcutTarget(fTree.Path("tricky")), fTree.Path("deep/inner/x"));
}

TEST_F(LongPathAccess, FileAndFolderTests)
{
    const QString file = fTree.File("a/b.txt");
    EXPECT_TRUE(IsFile(file));
    EXPECT_FALSE(IsFolder(file));
    EXPECT_TRUE(IsFolder(fTree.Path("a")));
    EXPECT_TRUE(IsFolder(fTree.Path("a/")));
    EXPECT_FALSE(IsFile(fTree.Path("a")));
    EXPECT_FALSE(IsFolder(""));
    EXPECT_FALSE(IsFile(""));
    EXPECT_TRUE(IsFolder("/"));
    EXPECT_FALSE(IsFile(fTree.Path("none")));
    EXPECT_FALSE(IsFolder(fTree.Path("none")));

    EXPECT_TRUE(PathExists(file));
    EXPECT_TRUE(PathExists(fTree.Path("a/")));
    EXPECT_TRUE(PathExists("/"));
    EXPECT_FALSE(PathExists(fTree.Path("none")));
    EXPECT_FALSE(PathExists(""));
}

TEST_F(LongPathAccess, DrivesAndNetworkPaths)
{
    EXPECT_TRUE(IsDriveAvailable("/"));
    EXPECT_TRUE(IsDriveAvailable(fTree.Root(), true));
    EXPECT_FALSE(IsDriveAvailable(fTree.Path("none")));
    EXPECT_FALSE(IsDriveAvailable(""));

    EXPECT_TRUE(IsNetworkFileSystemType("nfs4"));
    EXPECT_TRUE(IsNetworkFileSystemType("cifs"));
    EXPECT_TRUE(IsNetworkFileSystemType("fuse.sshfs"));
    EXPECT_FALSE(IsNetworkFileSystemType("ext4"));
    EXPECT_FALSE(IsNetworkFileSystemType("tmpfs"));
    EXPECT_FALSE(IsNetworkPath("/proc"));
    EXPECT_FALSE(IsNetworkPath(""));
    EXPECT_FALSE(IsNetworkPath(fTree.Path("none")));
}

TEST_F(LongPathAccess, UnreadableFolders)
{
    fTree.File("closed/secret.txt");
    fTree.File("listonly/item.txt");
    fTree.Folder("listonly/sub");
    ASSERT_EQ(::chmod(QFile::encodeName(fTree.Path("closed")).constData(), 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(fTree.Path("listonly")).constData(), 0400), 0);

    RunWithoutFileOverride([&] {
        TWin32FindData data;
        errno = 0;
        EXPECT_FALSE(FindFirstFile(fTree.Path("closed/*"), data).IsValid());
        EXPECT_EQ(errno, EACCES);
        EXPECT_TRUE(IsFolder(fTree.Path("closed")));
        EXPECT_FALSE(IsFile(fTree.Path("closed/secret.txt")));

        // Readable but not searchable: names are listed, kinds come from the listing.
        const auto entries = ListFolder(fTree.Path("listonly"));
        EXPECT_TRUE(entries.contains("item.txt"));
        EXPECT_TRUE(entries.value("sub").IsDirectory());
        EXPECT_EQ(entries.value("item.txt").FileSize(), 0);
    });
}

TEST_F(LongPathAccess, FolderHandlesOpenAndEnumerateByName)
{
    fTree.File("top/sub/inner.txt");
    fTree.Link("top/linked", fTree.Path("top/sub"));
    const TFolderHandle top = OpenFolder(fTree.Path("top") + "/");
    ASSERT_TRUE(top.IsValid());
    const TFolderHandle sub = OpenSubfolder(top, "sub");
    ASSERT_TRUE(sub.IsValid());
    EXPECT_NE(sub.Id(), top.Id());

    // Every enumeration of a handle starts from the first entry.
    const QStringList expected({".", "..", "inner.txt"});
    EXPECT_EQ(NamesIn(sub), expected);
    EXPECT_EQ(NamesIn(sub), expected);
    TWin32FindData data;
    TFindHandle handle = FindFirstFileIn(sub, data);
    EXPECT_TRUE(handle.IsValid());
    EXPECT_FALSE(FindFirstFileIn(TFolderHandle(), data).IsValid());

    // A link is entered by path, never by name.
    EXPECT_FALSE(OpenSubfolder(top, "linked").IsValid());
    EXPECT_EQ(OpenFolder(fTree.Path("top/linked")).Id(), sub.Id());
    EXPECT_FALSE(OpenSubfolder(top, "missing").IsValid());
    EXPECT_FALSE(OpenSubfolder(sub, "inner.txt").IsValid());
    EXPECT_FALSE(OpenSubfolder(TFolderHandle(), "sub").IsValid());
    EXPECT_FALSE(OpenFolder(fTree.Path("top/sub/inner.txt")).IsValid());
    EXPECT_FALSE(OpenFolder("").IsValid());

    // The parent only when it is the folder expected.
    EXPECT_EQ(OpenParentFolder(sub, top.Id()).Id(), top.Id());
    EXPECT_FALSE(OpenParentFolder(sub, sub.Id()).IsValid());
    EXPECT_FALSE(OpenParentFolder(TFolderHandle(), top.Id()).IsValid());

    TFolderHandle moved = OpenFolder(fTree.Path("top"));
    const TFolderHandle target = std::move(moved);
    EXPECT_FALSE(moved.IsValid());
    EXPECT_EQ(target.Id(), top.Id());
}

TEST_F(LongPathAccess, FolderHandlesOfUnsearchableAndDeepFolders)
{
    fTree.File("listonly/item.txt");
    fTree.Folder("listonly/sub");
    ASSERT_EQ(::chmod(QFile::encodeName(fTree.Path("listonly")).constData(), 0400), 0);
    RunWithoutFileOverride([&] {
        const TFolderHandle listOnly = OpenFolder(fTree.Path("listonly"));
        ASSERT_TRUE(listOnly.IsValid());
        EXPECT_EQ(NamesIn(listOnly), QStringList({".", "..", "item.txt", "sub"}));
        EXPECT_FALSE(OpenSubfolder(listOnly, "sub").IsValid());
    });
    ::chmod(QFile::encodeName(fTree.Path("listonly")).constData(), 0700);

    const QString deep = fTree.DeepFolder("deep");
    const TFolderHandle folder = OpenFolder(deep);
    ASSERT_TRUE(folder.IsValid());
    EXPECT_EQ(NamesIn(folder), QStringList({".", "..", "deep.txt"}));
}

TEST_F(LongPathAccess, PathsLongerThanPathMax)
{
    const QString deep = fTree.DeepFolder("deep");
    ASSERT_GT(QFile::encodeName(deep).size(), PATH_MAX);

    EXPECT_TRUE(IsFolder(deep));
    EXPECT_TRUE(IsFolder(deep + "/"));
    EXPECT_TRUE(IsFile(deep + "/deep.txt"));
    EXPECT_TRUE(PathExists(deep + "/deep.txt"));
    EXPECT_FALSE(PathExists(deep + "/missing.txt"));
    const auto entries = ListFolder(deep);
    EXPECT_EQ(entries.value("deep.txt").FileSize(), 4);

    TWin32FindData data;
    TFindHandle handle = FindFirstFile(deep + "/deep.txt", data);
    ASSERT_TRUE(handle.IsValid());
    EXPECT_EQ(data.cFileName, "deep.txt");

    // Hostile lengths answer false without harm.
    const QString huge = "/" + QString(100000, u'x');
    EXPECT_FALSE(IsFolder(huge));
    EXPECT_FALSE(IsFile(huge));
    EXPECT_FALSE(PathExists(huge));
    EXPECT_FALSE(IsFolderShortcut(huge));
    EXPECT_FALSE(IsNetworkPath(huge));
    EXPECT_FALSE(IsDriveAvailable(huge));
    EXPECT_FALSE(FindFirstFile(huge + "/*", data).IsValid());
    EXPECT_EQ(TZorPathList::GetShortcutTarget(huge), "");
}

TEST_F(LongPathAccess, NamesThatAreNotUtf8)
{
    const QByteArray name = QFile::encodeName(fTree.Root()) + "/odd-\xff\xfe.txt";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const auto entries = ListFolder(fTree.Root());
    EXPECT_EQ(entries.size(), 3); // ".", ".." and the odd name, with replacement characters
}
