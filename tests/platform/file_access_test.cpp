// File existence test and shared reading: regular files, folders, links, pipes, odd names.
#include "platform/file_access.h"
#include "platform/file_name.h"
#include "support/test_files.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileAccessTest : public ::testing::Test
{
protected:
    QTemporaryDir fDir;
    QString Path(const QString &aName) const { return fDir.filePath(aName); }
};

TEST_F(FileAccessTest, ExistenceFollowsLinksAndExcludesFolders)
{
    const QString file = WriteTestFile(Path("a file.txt"), "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(fDir.path()));
    EXPECT_FALSE(FileExists(Path("missing.txt")));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(FileExists(file + QChar(0) + "more"));
    ASSERT_TRUE(QFile::link(file, Path("link.txt")));
    EXPECT_TRUE(FileExists(Path("link.txt")));
    ASSERT_TRUE(QFile::link(Path("gone"), Path("dangling.txt")));
    EXPECT_FALSE(FileExists(Path("dangling.txt")));
    EXPECT_TRUE(FileExists(WriteTestFile(Path("new\nline.txt"), "x")));
}

TEST_F(FileAccessTest, OpensAndReadsWholeFile)
{
    const QByteArray bytes(100000, 'q');
    QString error = "stale";
    std::optional<TFileStream> file = OpenFileForReading(WriteTestFile(Path("f.bin"), bytes), error);
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(file->Size(), 100000);
    QByteArray read(200000, '\0');
    EXPECT_EQ(file->Read(read.data(), 200000), 100000);
    EXPECT_EQ(read.left(100000), bytes);
    EXPECT_EQ(file->Read(read.data(), 10), 0);
}

TEST_F(FileAccessTest, MovedStreamKeepsTheFile)
{
    QString error;
    std::optional<TFileStream> file = OpenFileForReading(WriteTestFile(Path("f.txt"), "abc"), error);
    ASSERT_TRUE(file);
    TFileStream moved = std::move(*file);
    char buffer[3];
    EXPECT_EQ(moved.Read(buffer, 3), 3);
    EXPECT_EQ(file->Read(buffer, 3), -1);
}

TEST_F(FileAccessTest, FailuresGiveErrorText)
{
    QString error;
    EXPECT_FALSE(OpenFileForReading(Path("missing.txt"), error));
    EXPECT_TRUE(error.startsWith("EFOpenError: ")) << error.toStdString();
    EXPECT_FALSE(OpenFileForReading(QString(), error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(OpenFileForReading(fDir.path(), error));
    EXPECT_TRUE(error.startsWith("EFOpenError: "));
}

TEST_F(FileAccessTest, PipeIsRefusedWithoutBlocking)
{
    const QByteArray fifo = QFile::encodeName(Path("pipe.txt"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    QString error;
    EXPECT_FALSE(OpenFileForReading(Path("pipe.txt"), error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(FileAccessTest, UnreadableFileIsRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const QString file = WriteTestFile(Path("secret.txt"), "x");
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::Permissions()));
    QString error;
    EXPECT_FALSE(OpenFileForReading(file, error));
    EXPECT_TRUE(error.startsWith("EFOpenError: "));
}

// Names as the system has them: every byte sequence comes back unchanged, two names that look
// alike stay two names, and only the shown form has the replacement mark.
TEST(FileNames, BytesRoundTripLosslesslyAndShowWithAReplacementMark)
{
    struct TCase
    {
        QByteArray fBytes;
        const char16_t *fShown;
        bool fRaw;
    };
    const TCase cases[] = {
        {"plain.txt", u"plain.txt", false},
        {"na\xC3\xAFve \xE6\x97\xA5\xF0\x9F\x98\x80", u"naïve 日😀", false},
        {"x\xFF.txt", u"x\uFFFD.txt", true},
        {"x\xEF\xBF\xBD.txt", u"x\uFFFD.txt", false}, // a real U+FFFD
        {"bad\xFF\xFE"
         "01025.txt",
         u"bad\uFFFD\uFFFD"
         "01025.txt",
         true},
        {"\xC0\xAF", u"\uFFFD\uFFFD", true},                     // overlong "/"
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", true},           // a surrogate written as UTF-8
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", true}, // beyond U+10FFFF
        {"end\xE6\x97", u"end\uFFFD\uFFFD", true},               // cut short
        {"\x80lead", u"\uFFFDlead", true},
    };
    QStringList seen;
    for (const TCase &test : cases) {
        const QString path = FileNameText(test.fBytes);
        EXPECT_EQ(FileNameBytes(path), test.fBytes) << test.fBytes.toHex().toStdString();
        EXPECT_EQ(DisplayFileName(path), QString::fromUtf16(test.fShown))
            << test.fBytes.toHex().toStdString();
        EXPECT_EQ(HasRawBytes(path), test.fRaw) << test.fBytes.toHex().toStdString();
        EXPECT_FALSE(seen.contains(path)) << test.fBytes.toHex().toStdString();
        seen << path;
        const QString full = QStringLiteral("/tmp/") + path;
        const QUrl url = FileUrl(full);
        EXPECT_EQ(PathOfFileUrl(url), full) << url.toEncoded().toStdString();
        EXPECT_EQ(PathOfFileUrl(QUrl::fromEncoded(url.toEncoded())), full);
    }
    EXPECT_TRUE(FileUrl(FileNameText("/tmp/x\xFF.txt")).toEncoded().endsWith("/tmp/x%FF.txt"));
    EXPECT_EQ(PathOfFileUrl(QUrl(QStringLiteral("https://example.org/x"))), QString());
}

} // namespace
