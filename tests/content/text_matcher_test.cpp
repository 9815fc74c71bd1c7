// The match options: case, whole words and regular expressions on plain and document text, the
// plain rule unchanged with all of them off, and a pattern that would backtrack without end.
#include "content/content_matching.h"
#include "content/text_extraction.h"
#include "content/text_matcher.h"
#include "support/fake_extraction_server.h"
#include "support/test_files.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

namespace {

TMatchOptions Options(const char *aFlags)
{
    const std::string flags = aFlags;
    return {flags.find('c') != std::string::npos, flags.find('w') != std::string::npos,
            flags.find('r') != std::string::npos};
}

} // namespace

TEST(TextMatcher, OptionsDecideWhatMatches)
{
    struct TCase
    {
        const char16_t *fText;
        const char16_t *fNeedle;
        const char *fOptions; // c: match case, w: whole words, r: regular expression, s: document text
        qsizetype fStart;     // -1: no match
        qsizetype fLength;
    };
    const TCase cases[] = {
        {u"Apache TIKA and tikaware", u"Tika", "", 7, 4},
        {u"Apache TIKA and tikaware", u"Tika", "c", -1, 0},
        {u"Apache Tika and tikaware", u"Tika", "c", 7, 4},
        {u"tikaware, then tika.", u"tika", "w", 15, 4},
        {u"tika at the start", u"TIKA", "w", 0, 4},
        {u"ends with tika", u"tika", "w", 10, 4},
        {u"(tika)", u"tika", "w", 1, 4},
        {u"métatika and tika_x and tika2", u"tika", "w", -1, 0},
        {u"schön tika", u"schön", "w", 0, 5},
        {u"überschön", u"schön", "w", -1, 0},
        {u"a.b and axb", u"a.b", "", 0, 3},
        {u"axb only", u"a.b", "", -1, 0},
        {u"axb only", u"a.b", "r", 0, 3},
        {u"invoice  2024-11", u"invoice\\s+(\\d{4})-(\\d\\d)", "r", 0, 16},
        {u"net 40 EUR, gross 50 EUR", u"(?<=gross )\\d+", "r", 18, 2},
        {u"Total: 12", u"total", "cr", -1, 0},
        {u"Total: 12", u"total", "r", 0, 5},
        {u"word-wrapped\nline", u"wrapped line", "ws", 5, 12},
        {u"word-wrapped\nline", u"wrapped line", "w", -1, 0},
        {u"a*b", u"x*", "r", -1, 0}, // an empty match never counts
    };
    for (const TCase &test : cases) {
        const std::string flags = test.fOptions;
        const TTextMatcher matcher(QString::fromUtf16(test.fNeedle), Options(test.fOptions),
                                   flags.find('s') != std::string::npos);
        ASSERT_TRUE(matcher.IsValid()) << matcher.ErrorText().toStdString();
        const auto match = matcher.Find(QString::fromUtf16(test.fText));
        const std::string label = QString::fromUtf16(test.fText).toStdString() + " / " +
                                  QString::fromUtf16(test.fNeedle).toStdString() + " / " + flags;
        if (test.fStart < 0) {
            EXPECT_FALSE(match) << label;
            continue;
        }
        ASSERT_TRUE(match) << label;
        EXPECT_EQ(match->Start, test.fStart) << label;
        EXPECT_EQ(match->Length, test.fLength) << label;
    }
}

TEST(TextMatcher, CountsFindsLastAndRefusesBadPatterns)
{
    const TTextMatcher words(QStringLiteral("tika"), Options("w"), false);
    const QString text = QStringLiteral("tika tikaware Tika (tika)");
    EXPECT_EQ(words.Count(text), 3);
    EXPECT_EQ(words.FindLast(text)->Start, 20);
    EXPECT_EQ(words.FindLast(text, 20)->Start, 14);

    const TTextMatcher broken(QStringLiteral("invoice(\\d+"), Options("r"), false);
    EXPECT_FALSE(broken.IsValid());
    EXPECT_FALSE(broken.ErrorText().isEmpty());
    EXPECT_FALSE(broken.Contains(QStringLiteral("invoice(12")));

    // Nested repetition on a subject that cannot match: the library's match limit ends it.
    const TTextMatcher hostile(QStringLiteral("(a+)+$"), Options("r"), false);
    ASSERT_TRUE(hostile.IsValid());
    EXPECT_FALSE(hostile.Contains(QString(40, u'a') + u'b'));
}

// The content check applies the options to plain text (also across its reading chunks) and to a
// document's text; with all of them off it answers as before.
TEST(TextMatcher, TheContentCheckTakesTheOptions)
{
    QTemporaryDir dir;
    QByteArray big(5 * 1024 * 1024, 'x');
    big.replace(2 * 1024 * 1024 - 3, 9, " Tika 42 ");
    const QString text = WriteTestFile(dir.filePath(QStringLiteral("big.txt")), big);
    TFakeExtractionServer server;
    server.SetReply(TFakeReply::frText, "Apache TIKA\nserver");
    const QString document = WriteTestFile(dir.filePath(QStringLiteral("doc.pdf")), "%PDF");
    struct TCase
    {
        const QString &fPath;
        const char *fNeedle;
        const char *fOptions;
        bool fFound;
    };
    const TCase cases[] = {
        {text, "tika", "", true},       {text, "tika", "c", false},
        {text, "Tika", "cw", true},     {text, "Tika\\s+\\d+", "r", true},
        {text, "xTika", "w", false},    {document, "tika server", "", true},
        {document, "Tika", "c", false}, {document, "TIKA server", "cw", true},
    };
    for (const TCase &test : cases)
        EXPECT_EQ(FileContainsText(test.fPath, QString::fromUtf8(test.fNeedle), server.Address(), nullptr,
                                   nullptr, Options(test.fOptions)),
                  test.fFound)
            << test.fNeedle << " " << test.fOptions;
}

// A found file also says how many matches its text holds and shows the line of the first: plain
// text line by line across its reading chunks (a line longer than a chunk too), a document's text
// with its white-space runs.
TEST(TextMatcher, FoundFilesCountTheirMatchesAndShowTheFirstLine)
{
    QTemporaryDir dir;
    const auto write = [&](const char *aName, const QByteArray &aBytes) {
        return WriteTestFile(dir.filePath(QString::fromUtf8(aName)), aBytes);
    };
    const QString lines = write("lines.txt", "first line\nA tika here, tikaware there\r\nno\tTIKA\n");
    QByteArray rows;
    for (int i = 0; i < 200000; ++i)
        rows += "row " + QByteArray::number(i) + " Tika ok\n";
    const QString many = write("many.txt", rows);
    QByteArray line(5 * 1024 * 1024, 'x');
    int32_t inLine = 0;
    for (qsizetype at = 10; at + 4 < line.size(); at += 997, ++inLine)
        line.replace(at, 4, "tika");
    const QString longLine = write("line.txt", line);
    // The first match chunks in, and one across a chunk border, found as bytes and counted in the
    // same reading.
    QByteArray late;
    while (late.size() < 3 * 1024 * 1024)
        late += "filler line\n";
    const QString lateFile = write("late.txt", late + "late tika\ntika end\n");
    QByteArray border(MaxPlainTextBytes - 2, 'y');
    const QString borderFile = write("border.txt", border + " tika tika\n");
    TFakeExtractionServer server;
    server.SetReply(TFakeReply::frText, "Apache TIKA\nserver, tika\n\nserver");
    const QString document = write("doc.pdf", "%PDF");
    struct TCase
    {
        const QString &fPath;
        const char *fNeedle;
        const char *fOptions;
        int32_t fMatches;
        const char *fContext; // null: not compared
    };
    const TCase cases[] = {
        {lines, "tika", "", 3, "A tika here, tikaware there"},
        {lines, "tika", "w", 2, "A tika here, tikaware there"},
        {lines, "TIKA", "c", 1, "no TIKA"},
        {lines, "t\\w*a", "r", 3, "A tika here, tikaware there"},
        {many, "tika", "", 200000, "row 0 Tika ok"},
        {many, "Tika ok", "cw", 200000, "row 0 Tika ok"},
        {longLine, "tika", "", inLine, nullptr},
        {lateFile, "tika", "", 2, "late tika"},
        {lateFile, "TIKA", "w", 2, "late tika"},
        {borderFile, "tika", "", 2, nullptr},
        {document, "tika server", "", 2, "Apache TIKA server, tika"},
        {document, "server", "w", 2, "server, tika"},
    };
    for (const TCase &test : cases) {
        TMatchSummary summary;
        EXPECT_TRUE(FileContainsText(test.fPath, QString::fromUtf8(test.fNeedle), server.Address(), nullptr,
                                     nullptr, Options(test.fOptions), &summary))
            << test.fNeedle << " " << test.fOptions;
        EXPECT_EQ(summary.fMatches, test.fMatches) << test.fNeedle << " " << test.fOptions;
        if (test.fContext) {
            EXPECT_EQ(summary.fContext, QString::fromUtf8(test.fContext))
                << test.fNeedle << " " << test.fOptions;
        }
        // Plain text has no pages; this document's text is one page.
        EXPECT_EQ(summary.fPage, &test.fPath == &document ? 1 : 0) << test.fNeedle << " " << test.fOptions;
    }
    // A document's pages are separated by form feeds: the first match tells its page, and its
    // context ends at the page's border.
    server.SetReply(TFakeReply::frText, "one\ftwo\fthe third page's tika\f tika");
    TMatchSummary paged;
    EXPECT_TRUE(
        FileContainsText(document, QStringLiteral("tika"), server.Address(), nullptr, nullptr, {}, &paged));
    EXPECT_EQ(paged.fPage, 3);
    EXPECT_EQ(paged.fMatches, 2);
    EXPECT_EQ(paged.fContext, QStringLiteral("the third page's tika"));
    TMatchSummary missed{7, QStringLiteral("old")};
    EXPECT_FALSE(
        FileContainsText(lines, QStringLiteral("absent"), server.Address(), nullptr, nullptr, {}, &missed));
    EXPECT_EQ(missed.fMatches, 0);
    EXPECT_TRUE(missed.fContext.isEmpty());
}

// The context is the match's line on one line, cut around the match to about 200 units.
TEST(TextMatcher, MatchContextShowsTheLineAroundTheMatch)
{
    const auto context = [](const QString &aText, const QString &aMatched) {
        const qsizetype at = aText.indexOf(aMatched);
        return MatchContext(aText, TTextSpan{at, aMatched.size()});
    };
    const QString a(1000, u'a');
    const QString b(1000, u'b');
    EXPECT_EQ(context(QStringLiteral("one\ntwo needle three\r\nfour"), QStringLiteral("needle")),
              QStringLiteral("two needle three"));
    EXPECT_EQ(context(QStringLiteral("a\nb needle\nrun c\nd"), QStringLiteral("needle\nrun")),
              QStringLiteral("b needle run c"));
    EXPECT_EQ(context(QStringLiteral("  x\tneedle\x01y  "), QStringLiteral("needle")),
              QStringLiteral("x needle y"));
    EXPECT_EQ(context(a + QStringLiteral("needle") + b, QStringLiteral("needle")),
              u'…' + QString(97, u'a') + QStringLiteral("needle") + QString(97, u'b') + u'…');
    EXPECT_EQ(context(QStringLiteral("needle") + b, QStringLiteral("needle")),
              QStringLiteral("needle") + QString(194, u'b') + u'…');
    EXPECT_EQ(context(a + QStringLiteral("\nneedle"), QStringLiteral("needle")), QStringLiteral("needle"));
    EXPECT_EQ(context(QStringLiteral("page one\fpage two needle\fthree"), QStringLiteral("needle")),
              QStringLiteral("page two needle"));
    EXPECT_EQ(context(QStringLiteral("x ") + QString(300, u'n') + QStringLiteral(" y"), QString(300, u'n')),
              u'…' + QString(200, u'n') + u'…');
    QString faces;
    for (int i = 0; i < 150; ++i)
        faces += QString::fromUtf8("😀");
    const QString cut = context(faces + QStringLiteral("needle") + faces, QStringLiteral("needle"));
    EXPECT_TRUE(cut.contains(QStringLiteral("needle")));
    EXPECT_TRUE(cut.isValidUtf16());
    EXPECT_LE(cut.size(), MatchContextUnits + 2);
}
