// Content matching: the skip list, the text helpers, the byte matchers, and FileContainsText
// with its text match and raw search across chunk borders.
#include "content/content_matching.h"
#include "platform/ansi_code_page.h"
#include "support/fake_extraction_server.h"
#include "support/test_files.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

TEST(SkippedExtensionsTest, TableAndCaseInsensitiveLookup)
{
    QSet<QString> distinct;
    for (QStringView entry : SkippedExtensions) {
        EXPECT_TRUE(entry.startsWith(u'.') && entry.size() > 1 && entry == entry.toString().toLower());
        distinct.insert(entry.toString());
    }
    EXPECT_EQ(distinct.size(), 145);
    EXPECT_EQ(SkippedExtensions.front(), u".mp4");
    EXPECT_EQ(SkippedExtensions.back(), u".core");
    EXPECT_TRUE(IsSkippedExtension(u".MP4"));
    EXPECT_TRUE(IsSkippedExtension(u".Zip"));
    EXPECT_TRUE(IsSkippedExtension(u".ts"));
    EXPECT_FALSE(IsSkippedExtension(u".7z"));
    EXPECT_FALSE(IsSkippedExtension(u".tar"));
    EXPECT_FALSE(IsSkippedExtension(u""));
    EXPECT_FALSE(IsSkippedExtension(u"mp4"));
}

TEST(TextHelpersTest, PosIgnoreCase)
{
    EXPECT_EQ(PosIgnoreCase(u"Hello World", u""), 0);
    EXPECT_EQ(PosIgnoreCase(u"", u"a"), 0);
    EXPECT_EQ(PosIgnoreCase(u"Hello World", u"WORLD"), 7);
    EXPECT_EQ(PosIgnoreCase(u"Hello World", u"worlds"), 0);
    EXPECT_EQ(PosIgnoreCase(u"ABAB", u"bab"), 2);
    EXPECT_EQ(PosIgnoreCase(QString::fromUtf8("x ÄÖÜ"), QString::fromUtf8("äöü")), 3);
    EXPECT_EQ(PosIgnoreCase(QString::fromUtf8("😀Ab"), u"ab"), 3); // positions count UTF-16 units
}

TEST(TextHelpersTest, IsAsciiText)
{
    EXPECT_TRUE(IsAsciiText(u""));
    EXPECT_TRUE(IsAsciiText(u"plain ~ text\x7F"));
    EXPECT_FALSE(IsAsciiText(QString::fromUtf8("café")));
}

TEST(ByteMatchersTest, FindBytes)
{
    EXPECT_EQ(FindBytes("abc", ""), -1);
    EXPECT_EQ(FindBytes("abc", "abcd"), -1);
    EXPECT_EQ(FindBytes("abcabc", "cab"), 2);
    EXPECT_EQ(FindBytes("abc", "abc"), 0);
    EXPECT_EQ(FindBytes("abc", "bc"), 1);
    EXPECT_EQ(FindBytes("abc", "ABC"), -1);
    EXPECT_EQ(FindBytes(QByteArray("a\0b", 3), QByteArray("\0b", 2)), 1);
}

TEST(ByteMatchersTest, ContainsBytesIgnoreAsciiCase)
{
    EXPECT_TRUE(ContainsBytesIgnoreAsciiCase("HeLLo", "ello"));
    EXPECT_TRUE(ContainsBytesIgnoreAsciiCase("xxHELLO", "hello"));
    EXPECT_FALSE(ContainsBytesIgnoreAsciiCase("hello", "ELLO")); // the needle must be lower case
    EXPECT_FALSE(ContainsBytesIgnoreAsciiCase("hello", ""));
    EXPECT_FALSE(ContainsBytesIgnoreAsciiCase("he", "hel"));
    EXPECT_TRUE(ContainsBytesIgnoreAsciiCase("a[B]", "[b]"));
    EXPECT_FALSE(ContainsBytesIgnoreAsciiCase("\xC9", "\xE9")); // only A to Z fold
    EXPECT_FALSE(ContainsBytesIgnoreAsciiCase("@", "`"));
}

// Sets the raw-search option for one test and restores it afterwards.
class TRawSearchOption
{
public:
    explicit TRawSearchOption(bool aOn) : fSaved(SearchUnrecognizedFormats().exchange(aOn)) {}
    ~TRawSearchOption() { SearchUnrecognizedFormats() = fSaved; }

private:
    bool fSaved;
};

class FileContainsTextTest : public ::testing::Test
{
protected:
    QTemporaryDir fDir;
    // No server listens here: every non-text file yields no text.
    TExtractionServerAddress fNoServer{"localhost", UnusedLoopbackPort(), 30000};

    QString Write(const QString &aName, const QByteArray &aBytes)
    {
        return WriteTestFile(fDir.filePath(aName), aBytes);
    }
    bool Contains(const QString &aPath, const QString &aNeedle)
    {
        return FileContainsText(aPath, aNeedle, fNoServer);
    }
    // Bytes of an unknown format: binary filler with Pattern at byte Offset.
    static QByteArray Binary(qsizetype aSize, qsizetype aOffset, const QByteArray &aPattern)
    {
        QByteArray bytes(aSize, '\x01');
        bytes.replace(aOffset, aPattern.size(), aPattern);
        return bytes;
    }
};

TEST_F(FileContainsTextTest, TextMatchIgnoresCase)
{
    const QString path = Write("a.txt", "Some TEXT in capitals");
    TRawSearchOption off(false);
    EXPECT_TRUE(Contains(path, "text in"));
    EXPECT_FALSE(Contains(path, "absent"));
    EXPECT_FALSE(Contains(path, ""));
    EXPECT_FALSE(Contains(fDir.filePath("missing.txt"), "text"));
    EXPECT_FALSE(Contains(fDir.path(), "text"));
}

TEST_F(FileContainsTextTest, ServerTextIsSearched)
{
    TFakeExtractionServer server;
    server.SetReply(TFakeReply::frText, "Quarterly Report 2024");
    TRawSearchOption off(false);
    const QString path = Write("report.pdf", "%PDF binary");
    EXPECT_TRUE(FileContainsText(path, "report", server.Address()));
    EXPECT_FALSE(FileContainsText(path, "binary", server.Address()));
    server.SetReply(TFakeReply::frUnprocessable);
    EXPECT_FALSE(FileContainsText(path, "report", server.Address()));
}

TEST_F(FileContainsTextTest, RawSearchOnlyWithTheOption)
{
    const QString path = Write("data.xyz", Binary(1000, 500, "NEEDLE"));
    {
        TRawSearchOption off(false);
        EXPECT_FALSE(Contains(path, "needle"));
    }
    TRawSearchOption on(true);
    EXPECT_TRUE(Contains(path, "needle"));
    EXPECT_TRUE(Contains(path, "NeEdLe"));
    EXPECT_FALSE(Contains(path, "needles"));
}

TEST_F(FileContainsTextTest, RawSearchFindsMatchAcrossChunkBorder)
{
    TRawSearchOption on(true);
    for (qsizetype offset : {RawSearchChunkBytes - 6, RawSearchChunkBytes - 1, RawSearchChunkBytes,
                             2 * RawSearchChunkBytes - 3}) {
        const QString path = Write("border.xyz", Binary(3 * RawSearchChunkBytes, offset, "BorderWord"));
        EXPECT_TRUE(Contains(path, "borderword")) << offset;
    }
    // The last bytes of the file, after a short final chunk.
    const QString tailPath =
        Write("tail.xyz", Binary(RawSearchChunkBytes + 20, RawSearchChunkBytes + 10, "end"));
    EXPECT_TRUE(Contains(tailPath, "end"));
}

TEST_F(FileContainsTextTest, OneCharacterNeedle)
{
    TRawSearchOption on(true);
    EXPECT_TRUE(
        Contains(Write("one.xyz", Binary(2 * RawSearchChunkBytes, RawSearchChunkBytes - 1, "Q")), "q"));
    EXPECT_TRUE(
        Contains(Write("one.xyz", Binary(2 * RawSearchChunkBytes, RawSearchChunkBytes + 7, "Q")), "q"));
    EXPECT_FALSE(Contains(Write("one.xyz", Binary(2 * RawSearchChunkBytes, 0, "")), "q"));
}

TEST_F(FileContainsTextTest, NonAsciiNeedleOnlyInAnsiBytesWithSameCase)
{
    if (GetAnsiCodePage() != 1252)
        GTEST_SKIP() << "written for Windows-1252";
    TRawSearchOption on(true);
    const QString needle = QString::fromUtf8("café");
    EXPECT_TRUE(Contains(Write("ansi.xyz", Binary(200000, RawSearchChunkBytes - 2, "caf\xE9")), needle));
    EXPECT_FALSE(Contains(Write("utf8.xyz", Binary(200000, 100, "caf\xC3\xA9")), needle));
    EXPECT_FALSE(Contains(Write("upper.xyz", Binary(200000, 100, "CAF\xC9")), needle));
}

TEST_F(FileContainsTextTest, AnsiTextFileFoundOnlyByRawSearch)
{
    if (GetAnsiCodePage() != 1252)
        GTEST_SKIP() << "written for Windows-1252";
    const QString path = Write("latin.txt", "Une cr\xE8me br\xFBl\xE9"
                                            "e pour le caf\xE9.");
    const QString needle = QString::fromUtf8("crème");
    {
        TRawSearchOption off(false);
        EXPECT_FALSE(Contains(path, needle));
    }
    TRawSearchOption on(true);
    EXPECT_TRUE(Contains(path, needle));
}

TEST_F(FileContainsTextTest, RawSearchReadsBeyondTheTextLimit)
{
    QByteArray bytes(3 * 1024 * 1024, 'a');
    bytes.replace(2500000, 6, "Needle");
    const QString path = Write("long.log", bytes);
    {
        TRawSearchOption off(false);
        EXPECT_FALSE(Contains(path, "needle"));
    }
    TRawSearchOption on(true);
    EXPECT_TRUE(Contains(path, "needle"));
}

TEST_F(FileContainsTextTest, FilesThatCannotBeReadAreNoMatch)
{
    TRawSearchOption on(true);
    const QByteArray fifo = QFile::encodeName(fDir.filePath("pipe.xyz"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_FALSE(Contains(fDir.filePath("pipe.xyz"), "x"));
    EXPECT_FALSE(Contains(Write("empty.txt", ""), "x"));
    EXPECT_FALSE(Contains(fDir.filePath("missing.xyz"), "x"));
}

} // namespace
