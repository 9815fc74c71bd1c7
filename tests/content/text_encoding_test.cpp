// The encoding of plain text: the decision row by row, declarations, the decoder deciding again on
// a later piece, and files real programs wrote, read directly or, when RTF, sent to the server.
#include "content/content_matching.h"
#include "content/plain_text_decoder.h"
#include "content/text_encoding.h"
#include "content/text_extraction.h"
#include "platform/ansi_code_page.h"
#include "support/encoding_fixtures.h"
#include "support/fake_extraction_server.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QStringEncoder>

namespace {

QByteArray Encoded(const char *aUtf8, QStringConverter::Encoding aEncoding)
{
    QStringEncoder encoder(aEncoding);
    return encoder.encode(QString::fromUtf8(aUtf8));
}

QByteArray InCodePage(const char *aUtf8, uint32_t aCodePage)
{
    return TextToAnsi(QString::fromUtf8(aUtf8), aCodePage);
}

// Stands for the user's ANSI code page in the table.
const QByteArray kAnsi = "ANSI";
const char *const kCyrillic = "Привет, мир! Это проверка кодировки.";
const char *const kJapanese = "日本語のテキストです。文字コードの判定。";

// Upper case unit by unit, as the matcher compares (ß stays one unit).
QString UpperPerUnit(QString aText)
{
    for (QChar &unit : aText)
        unit = unit.toUpper();
    return aText;
}

struct TDecisionRow
{
    const char *fName;
    QByteArray fBytes;
    QByteArray fCharset; // empty: not text
    qsizetype fMark;
    TEncodingReason fReason;
};

void PrintTo(const TDecisionRow &aRow, std::ostream *aOut)
{
    *aOut << aRow.fName;
}

class DecideTextEncodingTest : public ::testing::TestWithParam<TDecisionRow>
{
};

TEST_P(DecideTextEncodingTest, Row)
{
    const TDecisionRow &row = GetParam();
    const std::optional<TTextEncoding> encoding = DecideTextEncoding(row.fBytes);
    if (row.fCharset.isEmpty()) {
        EXPECT_FALSE(encoding.has_value());
        return;
    }
    ASSERT_TRUE(encoding.has_value());
    EXPECT_EQ(encoding->fCharset,
              row.fCharset == kAnsi ? "CP" + QByteArray::number(GetAnsiCodePage()) : row.fCharset);
    EXPECT_EQ(encoding->fMarkLength, row.fMark);
    EXPECT_EQ(encoding->fReason, row.fReason);
}

using enum TEncodingReason;

INSTANTIATE_TEST_SUITE_P(
    Table, DecideTextEncodingTest,
    ::testing::Values(
        TDecisionRow{"Ascii", "plain words\n", "UTF-8", 0, erUtf8},
        TDecisionRow{"Utf8", "Zw\xC3\xB6lf", "UTF-8", 0, erUtf8},
        TDecisionRow{"Utf8Mark", "\xEF\xBB\xBFx", "UTF-8", 3, erByteOrderMark},
        TDecisionRow{"Utf8MarkThenNoUtf8",
                     "\xEF\xBB\xBF"
                     "caf\xE9s",
                     kAnsi, 3, erAnsi},
        TDecisionRow{"OnlyAMark", "\xEF\xBB\xBF", {}, 0, erUtf8},
        TDecisionRow{"Utf16LeMark", QByteArray("\xFF\xFEH\0i\0", 6), "UTF-16LE", 2, erByteOrderMark},
        TDecisionRow{"Utf16BeMark", QByteArray("\xFE\xFF\0H\0i", 6), "UTF-16BE", 2, erByteOrderMark},
        TDecisionRow{"Utf32LeMark", QByteArray("\xFF\xFE\0\0H\0\0\0", 8), "UTF-32LE", 4, erByteOrderMark},
        TDecisionRow{"Utf32BeMark", QByteArray("\0\0\xFE\xFF\0\0\0H", 8), "UTF-32BE", 4, erByteOrderMark},
        TDecisionRow{"MarkBeforeBinary", QByteArray("\xFF\xFE\x01\0\x02\0\x03\0", 8), {}, 0, erUtf8},
        TDecisionRow{"Utf16LeWithoutMark", Encoded("Hello world\r\n", QStringConverter::Utf16LE), "UTF-16LE",
                     0, erUtf16Pattern},
        TDecisionRow{"Utf16BeCyrillicWithoutMark", Encoded(kCyrillic, QStringConverter::Utf16BE), "UTF-16BE",
                     0, erUtf16Pattern},
        TDecisionRow{"ZerosOnBothSides", QByteArray("a\0\0b", 4).repeated(64), {}, 0, erUtf8},
        TDecisionRow{"Executable",
                     QByteArray("\x7F"
                                "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x3E\0",
                                20),
                     {},
                     0,
                     erUtf8},
        TDecisionRow{"Controls", QByteArray(30, '\x01') + QByteArray(70, 'a'), {}, 0, erUtf8},
        TDecisionRow{"CutAtTheEnd", "abc\xC3", "UTF-8", 0, erUtf8},
        TDecisionRow{"CutInTheMiddle",
                     "ab\xC3"
                     "c",
                     kAnsi, 0, erAnsi},
        TDecisionRow{"Overlong", "a\xC0\xAF", kAnsi, 0, erAnsi},
        TDecisionRow{"SurrogateValue", "a\xED\xA0\x80", kAnsi, 0, erAnsi},
        TDecisionRow{"FewLatin1Letters", "Caf\xE9 cr\xE8me", kAnsi, 0, erAnsi},
        TDecisionRow{"MetaCharset", "<meta charset=\"windows-1251\"><p>" + InCodePage("Мир", 1251), "CP1251",
                     0, erDeclared},
        TDecisionRow{"HttpEquiv",
                     "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">" +
                         InCodePage("東京", 932),
                     "CP932", 0, erDeclared},
        TDecisionRow{"XmlDeclaration", "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><a>\xED\xC9\xD2</a>",
                     "KOI8-R", 0, erDeclared},
        TDecisionRow{"DeclaredUtf8ThatIsNot", "<meta charset=\"utf-8\">caf\xE9s", kAnsi, 0, erAnsi},
        TDecisionRow{"DeclaredUnknown", "<meta charset=\"x-no-such\">caf\xE9s", kAnsi, 0, erAnsi},
        TDecisionRow{"DeclaredButUtf8", "<meta charset=\"windows-1251\">Zw\xC3\xB6lf", "UTF-8", 0, erUtf8},
        TDecisionRow{"DetectedCyrillic", InCodePage(kCyrillic, 1251), "CP1251", 0, erDetected},
        TDecisionRow{"DetectedShiftJis", InCodePage(kJapanese, 932), "CP932", 0, erDetected},
        TDecisionRow{"TooLittleToDetect", InCodePage("東京", 932), kAnsi, 0, erAnsi}),
    [](const ::testing::TestParamInfo<TDecisionRow> &aInfo) { return std::string(aInfo.param.fName); });

TEST(DeclaredCharsetTest, MetaElementsAndXmlDeclarations)
{
    EXPECT_EQ(DeclaredCharset("<META CHARSET=koi8-r>"), "KOI8-R");
    EXPECT_EQ(
        DeclaredCharset("<meta content='text/html; charset = \"iso-8859-2\"' http-equiv='Content-Type'>"),
        "ISO-8859-2");
    EXPECT_EQ(DeclaredCharset("<meta http-equiv=\"refresh\" content=\"5; charset=koi8-r\">"), "");
    EXPECT_EQ(DeclaredCharset("<meta name=\"x\"><meta charset=\"x-no-such\"><meta charset=\"latin1\">"),
              "CP1252");
    EXPECT_EQ(DeclaredCharset("<!-- <meta charset=\"koi8-r\"> --><meta charset=\"gb2312\"/>"), "GB18030");
    EXPECT_EQ(DeclaredCharset("<metadata charset=\"koi8-r\">"), "");
    EXPECT_EQ(DeclaredCharset("<?xml version='1.0' encoding='Shift_JIS'?><a/>"), "CP932");
    EXPECT_EQ(DeclaredCharset("<?xml version='1.0'?><a encoding='koi8-r'/>"), "");
    EXPECT_EQ(DeclaredCharset(QByteArray(9000, ' ') + "<meta charset=\"koi8-r\">"), ""); // past the head
    EXPECT_EQ(DeclaredCharset("<meta charset=\"koi8-r"), "KOI8-R");                      // cut off
    EXPECT_EQ(DeclaredCharset("plain text, charset=koi8-r"), "");
}

TEST(DeclaredCharsetTest, LabelsAreReadAsIconvNames)
{
    EXPECT_EQ(IconvCharsetName(" utf8 "), "UTF-8");
    EXPECT_EQ(IconvCharsetName("Windows-1251"), "CP1251");
    EXPECT_EQ(IconvCharsetName("us-ascii"), "CP1252");
    EXPECT_EQ(IconvCharsetName("sjis"), "CP932");
    EXPECT_EQ(IconvCharsetName("euc-jp"), "EUC-JP");
    EXPECT_EQ(IconvCharsetName("no-such-charset"), "");
    EXPECT_EQ(IconvCharsetName(""), "");
}

TEST(IsValidUtf8Test, StrictButForACharacterCutAtTheEnd)
{
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("a\xF0\x9F\x98\x80"));
    EXPECT_TRUE(IsValidUtf8("a\xF0\x9F\x98"));
    EXPECT_FALSE(IsValidUtf8("a\xF0\x9F\x98"
                             "b"));
    EXPECT_FALSE(IsValidUtf8("\xC1\x81"));         // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // a surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("a\x80"
                             "b"));
    // Long ASCII runs are passed over quickly: what follows them is still looked at, wherever it
    // begins.
    for (const qsizetype run : {63, 64, 65, 127, 128, 200}) {
        const QByteArray ascii(run, 'a');
        EXPECT_TRUE(IsValidUtf8(ascii + "\xC3\xA4" + ascii)) << run;
        EXPECT_TRUE(IsValidUtf8(ascii + "\xF0\x9F\x98")) << run;
        EXPECT_FALSE(IsValidUtf8(ascii + "\xC1\x81" + ascii)) << run;
        EXPECT_FALSE(IsValidUtf8(ascii + "\x80")) << run;
    }
}

TEST(PlainTextDecoderTest, ALaterPieceThatBreaksUtf8IsDecidedAgain)
{
    const QByteArray head(1000, 'a');
    TPlainTextDecoder decoder(head, false);
    ASSERT_TRUE(decoder.IsText());
    EXPECT_TRUE(decoder.Encoding().IsUtf8());
    qsizetype consumed = 0;
    EXPECT_EQ(decoder.Decode(head, false, consumed), QString::fromLatin1(head));
    EXPECT_EQ(consumed, head.size());
    // A character cut at the end of a piece waits for the next.
    EXPECT_TRUE(decoder.KeepsUtf8("x\xC3"));
    EXPECT_EQ(decoder.Decode("x\xC3", false, consumed), "x");
    EXPECT_EQ(consumed, 1);
    EXPECT_EQ(decoder.Decode("\xC3\xA9", false, consumed), QString::fromUtf8("é"));
    // Windows-1251 further on: decided again, and read without a mark.
    const QByteArray cyrillic = InCodePage(kCyrillic, 1251);
    EXPECT_FALSE(decoder.KeepsUtf8(cyrillic));
    EXPECT_EQ(decoder.Encoding().fCharset, "CP1251");
    EXPECT_EQ(decoder.Encoding().fReason, TEncodingReason::erDetected);
    EXPECT_EQ(decoder.Decode(cyrillic, true, consumed), QString::fromUtf8(kCyrillic));
}

TEST(PlainTextDecoderTest, TheHeadsDeclarationDecidesALaterPiece)
{
    const QByteArray head = "<html><head><meta charset=\"koi8-r\"></head><body>" + QByteArray(1000, 'a');
    TPlainTextDecoder decoder(head, false);
    EXPECT_TRUE(decoder.Encoding().IsUtf8()); // ASCII so far
    qsizetype consumed = 0;
    decoder.Decode(head, false, consumed);
    EXPECT_EQ(decoder.Decode(" \xED\xC9\xD2", true, consumed), QString::fromUtf8(" Мир"));
    EXPECT_EQ(decoder.Encoding().fCharset, "KOI8-R");
    EXPECT_EQ(decoder.Encoding().fReason, TEncodingReason::erDeclared);
}

TEST(PlainTextDecoderTest, CharactersSplitBetweenPiecesAreDecodedWhole)
{
    for (const QByteArray &bytes :
         {InCodePage(kJapanese, 932), Encoded(kCyrillic, QStringConverter::Utf16LE)}) {
        for (qsizetype split = 1; split < 9; ++split) {
            TPlainTextDecoder decoder(bytes, false);
            ASSERT_TRUE(decoder.IsText());
            qsizetype consumed = 0;
            QString text = decoder.Decode(bytes.first(split), false, consumed);
            ASSERT_LE(consumed, split);
            qsizetype rest = 0;
            text += decoder.Decode(bytes.sliced(consumed), true, rest);
            EXPECT_EQ(consumed + rest, bytes.size());
            EXPECT_TRUE(text == QString::fromUtf8(kJapanese) || text == QString::fromUtf8(kCyrillic))
                << decoder.Encoding().fCharset.constData() << " split " << split;
        }
    }
}

TEST(DecodePlainTextTest, MarksAreDroppedAndACutCharacterToo)
{
    EXPECT_EQ(DecodePlainText("\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F"
                              "e"),
              QString::fromUtf8("Grüße"));
    EXPECT_EQ(DecodePlainText(QByteArray("\xFE\xFF\0H\0i", 6)), "Hi");
    EXPECT_EQ(DecodePlainText("ab\xC3", false), "ab");
    EXPECT_EQ(DecodePlainText("ab\xC3"), QString::fromUtf8("ab\uFFFD")); // a file cut while written
    EXPECT_TRUE(DecodePlainText(QByteArray("\0\0\0\0", 4)).isEmpty());
}

class EncodingFixtureTest : public ::testing::TestWithParam<TEncodingFixture>
{
};

// Each file gives its words to the text match, the summary and the options' check alike, never
// with a replacement mark; RTF goes whole to the server and its markup is never searched.
TEST_P(EncodingFixtureTest, YieldsItsWords)
{
    const TEncodingFixture &fixture = GetParam();
    const QString path = EncodingFixturePath(fixture.fFile);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = file.readAll();
    TFakeExtractionServer server;
    server.SetReply(TFakeReply::frText, "the server's text");
    QString text;
    TTextOrigin origin = TTextOrigin::toPlainText;
    ASSERT_TRUE(ExtractFileText(path, MaxPlainTextBytes, text, server.Address(), nullptr, &origin));
    if (fixture.fDocument) {
        EXPECT_EQ(origin, TTextOrigin::toDocument);
        EXPECT_EQ(text, "the server's text");
        ASSERT_EQ(server.Requests().size(), 1u);
        EXPECT_EQ(QByteArray::fromStdString(server.Requests()[0].fBody), bytes);
        EXPECT_TRUE(FileContainsText(path, QStringLiteral("server's"), server.Address()));
        EXPECT_FALSE(FileContainsText(path, QStringLiteral("rtf1"), server.Address()));
        return;
    }
    EXPECT_EQ(origin, TTextOrigin::toPlainText);
    EXPECT_EQ(server.RequestCount(), 0u);
    EXPECT_FALSE(text.contains(QChar(0xFFFD)));
    TMatchOptions matchCase;
    matchCase.fMatchCase = true;
    for (const char *word : fixture.fWords) {
        const QString needle = QString::fromUtf8(word);
        EXPECT_TRUE(text.contains(needle)) << word;
        TMatchSummary summary;
        EXPECT_TRUE(
            FileContainsText(path, UpperPerUnit(needle), server.Address(), nullptr, nullptr, {}, &summary))
            << word;
        EXPECT_GE(summary.fMatches, 1) << word;
        EXPECT_TRUE(summary.fContext.contains(needle)) << word;
        EXPECT_TRUE(FileContainsText(path, needle, server.Address(), nullptr, nullptr, matchCase)) << word;
    }
    EXPECT_EQ(server.RequestCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Files, EncodingFixtureTest, ::testing::ValuesIn(EncodingFixtures()),
                         [](const ::testing::TestParamInfo<TEncodingFixture> &aInfo) {
                             std::string name = aInfo.param.fFile;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

} // namespace
