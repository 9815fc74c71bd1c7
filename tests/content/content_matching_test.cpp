// Content matching: the skip list, the text helpers, the byte matchers, and FileContainsText
// with its text match and raw search across chunk borders.
#include "content/content_matching.h"
#include "content/spaced_text_match.h"
#include "content/text_encoding.h"
#include "content/text_extraction.h"
#include "content/utf8_text_finder.h"
#include "platform/ansi_code_page.h"
#include "support/fake_extraction_server.h"
#include "support/test_files.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QStringEncoder>
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

// The white-space-run rule of extracted text: where the match starts and how long it is, -1 for none.
struct TSpacedCase
{
    const char16_t *fText;
    const char16_t *fNeedle;
    qsizetype fStart;
    qsizetype fLength;
};

void PrintTo(const TSpacedCase &aCase, std::ostream *aOut)
{
    // One line of ASCII, as ctest names the case after it.
    for (const char16_t *c : {aCase.fNeedle, u"_in_", aCase.fText}) {
        for (; *c != 0; ++c) {
            if (*c > u' ' && *c < 127)
                *aOut << char(*c);
            else
                *aOut << '%' << std::hex << int(*c) << std::dec;
        }
    }
}

class SpacedTextFinderTest : public ::testing::TestWithParam<TSpacedCase>
{
};

TEST_P(SpacedTextFinderTest, FindsTheFirstMatch)
{
    const TSpacedCase &c = GetParam();
    const QString text = QString::fromUtf16(c.fText);
    const QString needle = QString::fromUtf16(c.fNeedle);
    const std::optional<TTextSpan> expected =
        c.fStart >= 0 ? std::optional<TTextSpan>(TTextSpan{c.fStart, c.fLength}) : std::nullopt;
    EXPECT_EQ(TSpacedTextFinder(needle).Find(text), expected);
    EXPECT_EQ(TTextMatcher(needle, {}, true).Contains(text), c.fStart >= 0);
    // A needle without white space answers as PosIgnoreCase does.
    const bool spaced =
        std::any_of(needle.begin(), needle.end(), [](QChar u) { return IsRunSpace(u.unicode()); });
    if (!spaced) {
        EXPECT_EQ(PosIgnoreCase(text, needle), c.fStart + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpacedTextFinderTest,
    ::testing::Values(TSpacedCase{u"Hello World", u"WORLD", 6, 5}, TSpacedCase{u"ABAB", u"bab", 1, 3},
                      TSpacedCase{u"x ÄÖÜ", u"äöü", 2, 3}, TSpacedCase{u"abc", u"abcd", -1, 0},
                      TSpacedCase{u"", u"a", -1, 0}, TSpacedCase{u"abc", u"", -1, 0},
                      TSpacedCase{u"the quick\nbrown fox", u"Quick Brown", 4, 11},
                      TSpacedCase{u"quick \r\n\t brown", u"quick brown", 0, 15},
                      TSpacedCase{u"a quick\u00A0brown", u"quick brown", 2, 11},
                      TSpacedCase{u"quick\u2028brown quick\u3000brown", u"quick brown", 0, 11},
                      TSpacedCase{u"quick\f\vbrown", u"quick\tbrown", 0, 12},
                      TSpacedCase{u"quickbrown quick-brown", u"quick brown", -1, 0},
                      TSpacedCase{u"quick brownie", u"quick brown", 0, 11},
                      TSpacedCase{u"quick  quick brown", u"quick   brown", 7, 11},
                      TSpacedCase{u"a b", u"  a b  ", 0, 3}, TSpacedCase{u"a b", u" \n ", -1, 0},
                      TSpacedCase{u"quick\u200Bbrown", u"quick brown", -1, 0}));

TEST(SpacedTextFinder, FindsFromAndBackwardsWithinBounds)
{
    const TSpacedTextFinder finder(u"ab  cd");
    const QString text = QStringLiteral("ab cd\nAB\n\nCD ab");
    EXPECT_EQ(finder.Find(text, 1), (TTextSpan{6, 6}));
    EXPECT_FALSE(finder.Find(text, 1, 5));
    EXPECT_EQ(finder.FindLast(text), (TTextSpan{6, 6}));
    EXPECT_EQ(finder.FindLast(text, 5), (TTextSpan{0, 5}));
    EXPECT_FALSE(finder.FindLast(text.left(4)));
    EXPECT_FALSE(TSpacedTextFinder(u" ").IsUsable());
}

// Random strings of UTF-8 (four-byte sequences among them): the byte scan answers as decoding and
// PosIgnoreCase do, in one piece and split at every position.
TEST(Utf8TextFinderTest, AgreesWithTheDecoding)
{
    const QByteArray pieces[] = {"a",
                                 "Z",
                                 "z",
                                 "?",
                                 " ",
                                 "\xC3\xA4",
                                 "\xC3\x84",
                                 "\xC3\xB6",
                                 "\xE2\x84\xAA",
                                 "k",
                                 "\xC4\xB0",
                                 "i",
                                 "\xF0\x9F\x98\x80"};
    // Also needles whose rarest unit, the one the scan looks for, comes after units of varying length.
    const char *const needles[] = {"z", "ä", "Äz", "kK", "ik", "İ", "za", "zz ä", "äöä", "kiz", "äkz", "ika"};
    QRandomGenerator random(20261210);
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes;
        const int count = random.bounded(1, 40); // past 16 bytes, the vector scans
        for (int i = 0; i < count; ++i)
            bytes += pieces[random.bounded(int(std::size(pieces)))];
        const QString decoded = QString::fromUtf8(bytes);
        for (const char *text : needles) {
            const QString needle = QString::fromUtf8(text);
            const TUtf8TextFinder finder(needle);
            ASSERT_TRUE(finder.IsUsable());
            const bool expected = PosIgnoreCase(decoded, needle) > 0;
            qsizetype carry = 0;
            EXPECT_EQ(finder.Find(bytes, true, carry), expected) << bytes.toHex().constData() << " " << text;
            for (qsizetype split = 0; split <= bytes.size(); ++split) {
                qsizetype from = 0;
                bool found = finder.Find(QByteArrayView(bytes).first(split), false, from);
                if (!found)
                    found = finder.Find(QByteArrayView(bytes).sliced(from), true, carry);
                EXPECT_EQ(found, expected) << bytes.toHex().constData() << " " << text << " split " << split;
            }
        }
        // A cut short of the end falls between characters: decoding both sides gives the whole.
        for (qsizetype split = 0; split <= bytes.size(); ++split) {
            const QByteArrayView head = QByteArrayView(bytes).first(split);
            const qsizetype end = CompleteUnitsEnd(head);
            EXPECT_EQ(QString::fromUtf8(head.first(end)) +
                          QString::fromUtf8(QByteArrayView(bytes).sliced(end)),
                      decoded)
                << bytes.toHex().constData();
        }
    }
    EXPECT_FALSE(TUtf8TextFinder(u"a?").IsUsable());
    EXPECT_FALSE(TUtf8TextFinder(u"").IsUsable());
    EXPECT_FALSE(TUtf8TextFinder(QString::fromUtf8("😀")).IsUsable());
}

// Bytes the text-matcher fuzz target found (fuzz/corpus/text_matcher/): the overlong forms of
// "?" are not UTF-8, so such text is never decided to be UTF-8.
TEST(Utf8TextFinderTest, OverlongFormsAreNotUtf8)
{
    const QByteArray findings[] = {
        QByteArray("\x08\xF5\xC0\xBF"),
        QByteArray("\xE0\x80\xBF\xC0\xBF"
                   "a"),
    };
    for (const QByteArray &bytes : findings) {
        EXPECT_FALSE(IsValidUtf8(bytes)) << bytes.toHex().constData();
        const std::optional<TTextEncoding> encoding = DecideTextEncoding(bytes);
        EXPECT_TRUE(!encoding || !encoding->IsUtf8()) << bytes.toHex().constData();
    }
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

TEST_F(FileContainsTextTest, ServerTextMatchesAPhraseAcrossLinesButPlainTextDoesNot)
{
    TFakeExtractionServer server;
    server.SetReply(TFakeReply::frText, "Annual\r\nReport\t2024");
    TRawSearchOption off(false);
    EXPECT_TRUE(FileContainsText(Write("r.pdf", "%PDF"), "annual report 2024", server.Address()));
    EXPECT_FALSE(
        FileContainsText(Write("r.txt", "Annual\r\nReport 2024"), "annual report", server.Address()));
    EXPECT_TRUE(FileContainsText(Write("s.txt", "Annual report"), "annual report", server.Address()));
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

TEST_F(FileContainsTextTest, AnsiTextFileIsFoundByItsText)
{
    if (GetAnsiCodePage() != 1252)
        GTEST_SKIP() << "written for Windows-1252";
    const QString path = Write("latin.txt", "Une cr\xE8me br\xFBl\xE9"
                                            "e pour le caf\xE9.");
    TRawSearchOption off(false);
    EXPECT_TRUE(Contains(path, QString::fromUtf8("CRÈME brûlée")));
}

// Files of other encodings than UTF-8 are found by their text; RTF, by its extension or its
// first bytes, is asked of the server.
TEST_F(FileContainsTextTest, EncodingsAndRtf)
{
    TRawSearchOption off(false);
    QStringEncoder utf16(QStringConverter::Utf16LE);
    const QByteArray russian = utf16.encode(QString::fromUtf8("Таблица приливов"));
    EXPECT_TRUE(Contains(Write("marked.txt", "\xFF\xFE" + russian), QString::fromUtf8("ПРИЛИВОВ")));
    EXPECT_TRUE(Contains(Write("unmarked.txt", utf16.encode(u"Tide table")), "table"));

    TFakeExtractionServer server;
    server.SetReply(TFakeReply::frText, "Notiz f\xC3\xBCr die Fl\xC3\xB6\xC3\x9F"
                                        "erei");
    const QByteArray rtf = "{\\rtf1\\ansi Notiz f\\'fcr die Fl\\'f6\\'dferei\\par}";
    for (const char *name : {"memo.rtf", "memo.txt", "memo.RTF"}) {
        const QString path = Write(QString::fromLatin1(name), rtf);
        TMatchSummary summary;
        EXPECT_TRUE(FileContainsText(path, QString::fromUtf8("für die"), server.Address(), nullptr, nullptr,
                                     {}, &summary))
            << name;
        EXPECT_EQ(summary.fContext, QString::fromUtf8("Notiz für die Flößerei"));
        EXPECT_FALSE(FileContainsText(path, "par", server.Address())) << name; // markup is no text
    }
    EXPECT_EQ(server.RequestCount(), 6u);
}

// A file whose first chunk is ASCII and whose later bytes are Windows-1251 is decided again there:
// neither searched as UTF-8 with marks nor missed.
TEST_F(FileContainsTextTest, ALaterChunkThatIsNotUtf8IsDecidedAgain)
{
    TRawSearchOption off(false);
    QByteArray bytes(MaxPlainTextBytes + 1000, 'a');
    bytes += TextToAnsi(QString::fromUtf8(" Привет, мир! Это проверка кодировки."), 1251);
    const QString path = Write("late.txt", bytes);
    EXPECT_TRUE(Contains(path, QString::fromUtf8("проверка")));
    TMatchOptions matchCase;
    matchCase.fMatchCase = true;
    TMatchSummary summary;
    EXPECT_TRUE(FileContainsText(path, QString::fromUtf8("Привет"), fNoServer, nullptr, nullptr, matchCase,
                                 &summary));
    EXPECT_EQ(summary.fMatches, 1);
}

TEST_F(FileContainsTextTest, PlainTextIsReadWhole)
{
    TRawSearchOption off(false);
    // The text 5 MiB in, at the very end, and across a chunk border inside a two-byte character.
    QByteArray bytes(5 * 1024 * 1024, 'a');
    bytes.replace(bytes.size() - 6, 6, "Needle");
    EXPECT_TRUE(Contains(Write("long.log", bytes), "needle"));
    bytes = QByteArray(3 * 1024 * 1024, 'b');
    bytes.replace(MaxPlainTextBytes - 3, 6, "Gr\xC3\xBC\xC3\x9F");
    EXPECT_TRUE(Contains(Write("border.txt", bytes), QString::fromUtf8("GRÜß")));
    EXPECT_FALSE(Contains(Write("border.txt", bytes), QString::fromUtf8("grüss")));
    // A needle with "?" is searched by decoding, across the border as well.
    bytes = QByteArray(3 * 1024 * 1024, 'b');
    bytes.replace(MaxPlainTextBytes - 1, 3, "\xC3\xA4?");
    EXPECT_TRUE(Contains(Write("mark.txt", bytes), QString::fromUtf8("bÄ?b")));
}

// Answers "cancelled" from its aAfter-th question on, and counts the questions.
class TCancelAfter : public ICancellationIndicator
{
public:
    explicit TCancelAfter(int aAfter) : fAfter(aAfter) {}
    bool IsCancellationRequested() const override { return ++fAsked >= fAfter; }
    int Asked() const { return fAsked; }

private:
    int fAfter;
    mutable int fAsked = 0;
};

TEST_F(FileContainsTextTest, LongChecksEndWhenCancelled)
{
    TRawSearchOption on(true);
    // A sparse file of 4 GiB: a whole raw scan would take many seconds.
    const QString sparse = Write("sparse.xyz", "");
    ASSERT_TRUE(QFile::resize(sparse, 4LL * 1024 * 1024 * 1024));
    TCancelAfter cancel(3);
    EXPECT_FALSE(FileContainsText(sparse, "x", fNoServer, &cancel));
    EXPECT_EQ(cancel.Asked(), 3); // once per chunk: the scan ended at the third

    QByteArray text(8 * 1024 * 1024, 'a');
    text.replace(text.size() - 1, 1, "z");
    const QString long_text = Write("long.txt", text);
    TCancelAfter cancelText(1);
    EXPECT_FALSE(FileContainsText(long_text, "z", fNoServer, &cancelText));
    EXPECT_TRUE(FileContainsText(long_text, "z", fNoServer));
}

// Non-ASCII needles in UTF-8 and in text that is not: the answer is always that of decoding the
// file as its preview does and comparing lower cases unit by unit; bytes that are not UTF-8 are
// never read as UTF-8 with marks.
TEST_F(FileContainsTextTest, NonAsciiNeedlesAgreeWithTheDecoder)
{
    struct TCase
    {
        const char *fBytes;
        const char *fNeedle; // UTF-8
        bool fFound;
    };
    const TCase cases[] = {
        {"Zw\xC3\xB6lf Apostel", "zwölf", true},
        {"ZW\xC3\x96LF", "zwölf", true},
        {"zwolf", "zwölf", false},
        {"\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", "москва", true},
        {"\xE2\x84\xAA", "k", true}, // KELVIN SIGN lowers to k
        {"\xC4\xB0"
         "stanbul",
         "istanbul", false}, // I WITH DOT ABOVE has no one-unit lower case
        {"a\xF0\x9F\x98\x80"
         "b",
         "a😀b", true},
        {"a\xF0\x9F\x98\x80"
         "b",
         "a?b", false},
        {"\xC1\xBA"
         "ebra",
         "zebra", false}, // an overlong z is not UTF-8
        {"a\xFF"
         "b",
         "a?b", false},
        {"caf\xC3", "café", false}, // cut short at the end of the file
    };
    for (const TCase &c : cases) {
        const QByteArray bytes(c.fBytes);
        const QString needle = QString::fromUtf8(c.fNeedle);
        const QString path = Write("case.txt", bytes);
        EXPECT_EQ(Contains(path, needle), c.fFound) << c.fBytes << " / " << c.fNeedle;
        EXPECT_EQ(PosIgnoreCase(DecodePlainText(bytes), needle) > 0, c.fFound) << c.fBytes;
    }
    if (GetAnsiCodePage() == 1252) {
        const QString path = Write("ansi.txt", "\xE9t\xE9 \xE0 Paris?????");
        EXPECT_TRUE(Contains(path, QString::fromUtf8("ÉTÉ À")));
    }
}

// No match for a file that cannot be read, and the reason when a user should hear of it: an empty
// or vanished file is no failure, an unreadable one and a document without a server are.
TEST_F(FileContainsTextTest, FilesThatCannotBeReadAreNoMatchWithTheirReason)
{
    TRawSearchOption on(true);
    const QByteArray fifo = QFile::encodeName(fDir.filePath("pipe.xyz"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fDir.filePath("pipe.txt")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(fDir.path()).mkdir(QStringLiteral("folder.txt")));
    const QString locked = Write("locked.txt", "nothing here");
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    const bool canReadAnyway = QFile(locked).open(QIODevice::ReadOnly); // as root
    struct TCase
    {
        QString fPath;
        TDocumentProblem fProblem;
    };
    const TCase cases[] = {
        {fDir.filePath("pipe.xyz"), TDocumentProblem::UnreadableFile},
        {Write("empty.txt", ""), TDocumentProblem::None},
        {fDir.filePath("missing.xyz"), TDocumentProblem::None},
        // A plain-text name that is gone, or a folder, is no failure; a pipe is.
        {fDir.filePath("missing.txt"), TDocumentProblem::None},
        {fDir.filePath("folder.txt"), TDocumentProblem::None},
        {fDir.filePath("pipe.txt"), TDocumentProblem::UnreadableFile},
        {Write("report.pdf", "%PDF-1.4 nothing here"), TDocumentProblem::NoServer},
        {locked, canReadAnyway ? TDocumentProblem::None : TDocumentProblem::UnreadableFile},
    };
    for (const TCase &test : cases) {
        TDocumentFailure failure{TDocumentProblem::Corrupt, QStringLiteral("stale")};
        EXPECT_FALSE(FileContainsText(test.fPath, "needle", fNoServer, nullptr, &failure))
            << test.fPath.toStdString();
        EXPECT_EQ(failure.fProblem, test.fProblem) << test.fPath.toStdString();
    }
    // Found in the raw bytes after all, the document is listed and no failure is kept.
    TDocumentFailure failure;
    EXPECT_TRUE(FileContainsText(Write("raw.pdf", "%PDF needle"), "needle", fNoServer, nullptr, &failure));
    EXPECT_EQ(failure.fProblem, TDocumentProblem::None);
}

} // namespace
