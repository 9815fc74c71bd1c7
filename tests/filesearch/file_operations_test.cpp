// Tests of what the result list's commands do on disk: rename without overwriting, the trash,
// paste, clipboard data and the properties rows.
#include "filesearch/file_operations.h"
#include "platform/file_name.h"
#include "support/scoped_trash_home.h"
#include "support/temp_tree.h"
#include "support/test_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <sys/stat.h>

namespace {

QByteArray ReadAll(const QString &pPath)
{
    QFile file(pPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class FileOperationsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fDir.isValid());
        ASSERT_TRUE(fTrashHome.IsValid());
    }
    QString Path(const QString &pName) const { return fDir.filePath(pName); }

    QTemporaryDir fDir;
    TScopedTrashHome fTrashHome;
};

TEST_F(FileOperationsTest, RenameRenamesWithinTheFolder)
{
    WriteTestFile(Path("a.txt"), "alpha");
    const TFileOperationResult result = RenameFileTo(Path("a.txt"), QStringLiteral("b.txt"));
    ASSERT_TRUE(result.fOk) << result.fError.toStdString();
    EXPECT_EQ(result.fNewPath, Path("b.txt"));
    EXPECT_FALSE(QFileInfo::exists(Path("a.txt")));
    EXPECT_EQ(ReadAll(Path("b.txt")), "alpha");
}

TEST_F(FileOperationsTest, RenameNeverOverwritesAnExistingFile)
{
    WriteTestFile(Path("a.txt"), "alpha");
    WriteTestFile(Path("b.txt"), "beta");
    const TFileOperationResult result = RenameFileTo(Path("a.txt"), QStringLiteral("b.txt"));
    EXPECT_FALSE(result.fOk);
    EXPECT_FALSE(result.fError.isEmpty());
    EXPECT_EQ(ReadAll(Path("a.txt")), "alpha");
    EXPECT_EQ(ReadAll(Path("b.txt")), "beta");
}

TEST_F(FileOperationsTest, RenameRefusesNamesThatAreNoFileNames)
{
    WriteTestFile(Path("a.txt"), "alpha");
    ASSERT_TRUE(QDir(fDir.path()).mkdir("sub"));
    for (const QString &name : {QString(), QStringLiteral("."), QStringLiteral(".."),
                                QStringLiteral("sub/a.txt"), QStringLiteral("x") + QChar(0)}) {
        EXPECT_FALSE(RenameFileTo(Path("a.txt"), name).fOk) << name.toStdString();
    }
    EXPECT_EQ(ReadAll(Path("a.txt")), "alpha");
    EXPECT_FALSE(QFileInfo::exists(Path("sub/a.txt")));
}

TEST_F(FileOperationsTest, RenameOfAMissingFileFailsAndToTheSameNameSucceeds)
{
    EXPECT_FALSE(RenameFileTo(Path("gone.txt"), QStringLiteral("new.txt")).fOk);
    EXPECT_FALSE(QFileInfo::exists(Path("new.txt")));
    WriteTestFile(Path("same.txt"), "s");
    const TFileOperationResult result = RenameFileTo(Path("same.txt"), QStringLiteral("same.txt"));
    EXPECT_TRUE(result.fOk);
    EXPECT_EQ(ReadAll(Path("same.txt")), "s");
}

TEST_F(FileOperationsTest, RenameKeepsNamesThatAreNotUtf8)
{
    const QString odd = QFile::decodeName(QByteArray("odd-\xff\xfe.txt"));
    WriteTestFile(Path("plain.txt"), "p");
    ASSERT_TRUE(RenameFileTo(Path("plain.txt"), odd).fOk);
    EXPECT_EQ(ReadAll(Path(odd)), "p");
    EXPECT_TRUE(RenameFileTo(Path(odd), QStringLiteral("back.txt")).fOk);
    EXPECT_EQ(ReadAll(Path("back.txt")), "p");
}

TEST_F(FileOperationsTest, MoveToTrashMovesIntoTheTrashFolder)
{
    WriteTestFile(Path("doomed.txt"), "bye");
    const TFileOperationResult result = MoveFileToTrash(Path("doomed.txt"));
    ASSERT_TRUE(result.fOk) << result.fError.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path("doomed.txt")));
    EXPECT_TRUE(result.fNewPath.startsWith(fTrashHome.Path())) << result.fNewPath.toStdString();
    EXPECT_EQ(ReadAll(result.fNewPath), "bye");
}

TEST_F(FileOperationsTest, MoveToTrashCreatesAMissingDataFolder)
{
    qputenv("XDG_DATA_HOME", (fTrashHome.Path() + QStringLiteral("/new/share")).toLocal8Bit());
    WriteTestFile(Path("later.txt"), "l");
    ASSERT_TRUE(MoveFileToTrash(Path("later.txt")).fOk);
    EXPECT_TRUE(QFileInfo::exists(fTrashHome.Path() + QStringLiteral("/new/share/Trash/files/later.txt")));
}

TEST_F(FileOperationsTest, WithoutAUsableTrashTheFileStaysWhereItIs)
{
    // The data folder is a plain file: no trash can be made there, and nothing may be filed
    // anywhere else (such as the current folder).
    const QString blocker = WriteTestFile(fTrashHome.Path() + QStringLiteral("/blocker"), "x");
    qputenv("XDG_DATA_HOME", blocker.toLocal8Bit());
    WriteTestFile(Path("stays.txt"), "s");
    const TFileOperationResult result = MoveFileToTrash(Path("stays.txt"));
    EXPECT_FALSE(result.fOk);
    EXPECT_FALSE(result.fError.isEmpty());
    EXPECT_EQ(ReadAll(Path("stays.txt")), "s");
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(QStringLiteral("files/stays.txt"))));
}

TEST_F(FileOperationsTest, MoveToTrashOfAMissingFileFails)
{
    const TFileOperationResult result = MoveFileToTrash(Path("never.txt"));
    EXPECT_FALSE(result.fOk);
    EXPECT_FALSE(result.fError.isEmpty());
}

TEST_F(FileOperationsTest, FreeTargetPathCountsUpBeforeTheExtension)
{
    EXPECT_EQ(FreeTargetPath(fDir.path(), QStringLiteral("r.txt")), Path("r.txt"));
    WriteTestFile(Path("r.txt"), "1");
    EXPECT_EQ(FreeTargetPath(fDir.path(), QStringLiteral("r.txt")), Path("r (2).txt"));
    WriteTestFile(Path("r (2).txt"), "2");
    EXPECT_EQ(FreeTargetPath(fDir.path() + u'/', QStringLiteral("r.txt")), Path("r (3).txt"));
    WriteTestFile(Path(".hidden"), "h");
    EXPECT_EQ(FreeTargetPath(fDir.path(), QStringLiteral(".hidden")), Path(".hidden (2)"));
}

TEST_F(FileOperationsTest, PasteCopiesUnderAFreeNameAndNeverOverwrites)
{
    ASSERT_TRUE(QDir(fDir.path()).mkdir("to"));
    WriteTestFile(Path("src.txt"), "new");
    WriteTestFile(Path("to/src.txt"), "old");
    const TFileOperationResult result = PasteFile(Path("src.txt"), Path("to"), false);
    ASSERT_TRUE(result.fOk) << result.fError.toStdString();
    EXPECT_EQ(result.fNewPath, Path("to/src (2).txt"));
    EXPECT_EQ(ReadAll(Path("to/src.txt")), "old");
    EXPECT_EQ(ReadAll(Path("to/src (2).txt")), "new");
    EXPECT_EQ(ReadAll(Path("src.txt")), "new");
}

TEST_F(FileOperationsTest, PasteAfterCutMovesAndIntoTheSameFolderDoesNothing)
{
    ASSERT_TRUE(QDir(fDir.path()).mkdir("to"));
    WriteTestFile(Path("m.txt"), "m");
    const TFileOperationResult same = PasteFile(Path("m.txt"), fDir.path(), true);
    EXPECT_TRUE(same.fOk);
    EXPECT_EQ(ReadAll(Path("m.txt")), "m");
    const TFileOperationResult moved = PasteFile(Path("m.txt"), Path("to"), true);
    ASSERT_TRUE(moved.fOk);
    EXPECT_EQ(moved.fNewPath, Path("to/m.txt"));
    EXPECT_FALSE(QFileInfo::exists(Path("m.txt")));
    EXPECT_EQ(ReadAll(Path("to/m.txt")), "m");
}

TEST_F(FileOperationsTest, PasteFailsForMissingSourcesAndFolderTargets)
{
    WriteTestFile(Path("f.txt"), "f");
    EXPECT_FALSE(PasteFile(Path("none.txt"), fDir.path(), false).fOk);
    EXPECT_FALSE(PasteFile(Path("f.txt"), Path("f.txt"), false).fOk);
    ASSERT_TRUE(QDir(fDir.path()).mkdir("d"));
    EXPECT_FALSE(PasteFile(Path("d"), Path("d"), false).fOk);
}

TEST_F(FileOperationsTest, ClipboardDataCarriesUrlsAndTheCutMark)
{
    const QStringList paths = {Path("one.txt"), Path("two words.txt")};
    std::unique_ptr<QMimeData> copied = FileListMimeData(paths, false);
    EXPECT_TRUE(copied->hasFormat(QStringLiteral("text/uri-list")));
    EXPECT_EQ(copied->urls().first(), QUrl::fromLocalFile(paths.first()));
    EXPECT_EQ(copied->text(), paths.join(u'\n'));
    bool cut = true;
    EXPECT_EQ(FilePathsOfMimeData(*copied, &cut), paths);
    EXPECT_FALSE(cut);

    std::unique_ptr<QMimeData> moved = FileListMimeData(paths, true);
    EXPECT_TRUE(moved->data(QStringLiteral("x-special/gnome-copied-files")).startsWith("cut\nfile://"));
    EXPECT_EQ(FilePathsOfMimeData(*moved, &cut), paths);
    EXPECT_TRUE(cut);

    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/x"))});
    EXPECT_TRUE(FilePathsOfMimeData(web).isEmpty());
}

TEST_F(FileOperationsTest, PropertyRowsDescribeTheFile)
{
    WriteTestFile(Path("p.txt"), QByteArray(2048, 'x'));
    QFile::setPermissions(Path("p.txt"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const auto rows = FilePropertyRows(Path("p.txt"));
    ASSERT_EQ(rows.size(), 7);
    const QStringList labels = {
        "Path:", "Type:", "Size:", "Created:", "Modified:", "Accessed:", "Permissions:"};
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].first, labels[i]);
    EXPECT_EQ(rows[0].second, Path("p.txt"));
    EXPECT_FALSE(rows[1].second.isEmpty());
    EXPECT_TRUE(rows[2].second.contains(QStringLiteral("2,048")) ||
                rows[2].second.contains(QStringLiteral("2048")))
        << rows[2].second.toStdString();
    EXPECT_FALSE(rows[4].second.isEmpty());
    EXPECT_EQ(rows[6].second, QStringLiteral("-rw-r-----"));
    EXPECT_EQ(PermissionText(fDir.path()).left(1), QStringLiteral("d"));
    EXPECT_TRUE(FilePropertyRows(Path("missing")).isEmpty());
}

// Names that are not valid UTF-8 keep their bytes through every command: two names that show
// alike are never confused, and the clipboard and the trash carry the bytes.
TEST(FileOperationsOnRawNames, LookAlikeNamesAreNeverConfused)
{
    TTempTree tree;
    TScopedTrashHome trashHome;
    ASSERT_TRUE(tree.IsValid());
    const auto bytesOf = [](const QString &aPath) {
        QFile file;
        QByteArray content;
        const int fd = ::open(FileNameBytes(aPath).constData(), O_RDONLY);
        if (fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            content = file.readAll();
        return content;
    };
    const auto exists = [](const QString &aPath) {
        struct stat info;
        return ::lstat(FileNameBytes(aPath).constData(), &info) == 0;
    };
    const QString raw = WriteRawNamedFile(tree.Root(), "x\xFF.txt", "raw");
    const QString alike = WriteRawNamedFile(tree.Root(), "x\xEF\xBF\xBD.txt", "alike");
    ASSERT_NE(raw, alike);
    EXPECT_EQ(DisplayFileName(raw), DisplayFileName(alike));

    bool cut = false;
    const auto data = FileListMimeData({raw}, true);
    EXPECT_TRUE(data->urls().value(0).toEncoded().endsWith("/x%FF.txt"));
    EXPECT_EQ(FilePathsOfMimeData(*data, &cut), QStringList{raw});
    EXPECT_TRUE(cut);
    EXPECT_EQ(FilePropertyRows(raw).value(0).second, DisplayFileName(raw));

    const QString folder = tree.Folder(QStringLiteral("to"));
    const TFileOperationResult copied = PasteFile(raw, folder, false);
    ASSERT_TRUE(copied.fOk) << copied.fError.toStdString();
    EXPECT_EQ(copied.fNewPath, FileNameText(FileNameBytes(folder) + "/x\xFF.txt"));
    EXPECT_EQ(bytesOf(copied.fNewPath), "raw");

    const TFileOperationResult renamed = RenameFileTo(raw, QStringLiteral("renamed.txt"));
    ASSERT_TRUE(renamed.fOk) << renamed.fError.toStdString();
    EXPECT_EQ(bytesOf(tree.Path(QStringLiteral("renamed.txt"))), "raw");
    EXPECT_FALSE(exists(raw));
    EXPECT_EQ(bytesOf(alike), "alike");

    const QString other = WriteRawNamedFile(tree.Root(), "y\xFE.txt", "trashed");
    const TFileOperationResult trashed = MoveFileToTrash(other);
    ASSERT_TRUE(trashed.fOk) << trashed.fError.toStdString();
    EXPECT_FALSE(exists(other));
    EXPECT_EQ(bytesOf(trashed.fNewPath), "trashed");
    EXPECT_TRUE(FileNameBytes(trashed.fNewPath).endsWith("/Trash/files/y\xFE.txt"));
    const QByteArray info = bytesOf(trashHome.FilePath(QStringLiteral("Trash/info/")) +
                                    FileNameText("y\xFE.txt") + QStringLiteral(".trashinfo"));
    EXPECT_TRUE(info.contains("/y%FE.txt\n")) << info.toStdString();
    EXPECT_EQ(bytesOf(alike), "alike");
}

} // namespace
