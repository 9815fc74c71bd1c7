// Code page choice by language, conversions to and from code pages and any charset iconv knows,
// per-unit lower case.
#include "platform/ansi_code_page.h"
#include "platform/charset_decoder.h"
#include "platform/lower_case.h"

#include <gtest/gtest.h>

namespace {

struct TLocaleRow
{
    const char *fLocale;
    uint32_t fCodePage;
};

class AnsiCodePageForLocaleTest : public ::testing::TestWithParam<TLocaleRow>
{
};

TEST_P(AnsiCodePageForLocaleTest, MapsLanguageToCodePage)
{
    EXPECT_EQ(AnsiCodePageForLocale(QLocale(QString::fromLatin1(GetParam().fLocale))), GetParam().fCodePage)
        << GetParam().fLocale;
}

INSTANTIATE_TEST_SUITE_P(
    Languages, AnsiCodePageForLocaleTest,
    ::testing::Values(TLocaleRow{"C", 1252}, TLocaleRow{"en_US", 1252}, TLocaleRow{"de_DE", 1252},
                      TLocaleRow{"pl_PL", 1250}, TLocaleRow{"cs_CZ", 1250}, TLocaleRow{"sr_Latn_RS", 1250},
                      TLocaleRow{"sr_RS", 1251}, TLocaleRow{"ru_RU", 1251}, TLocaleRow{"uk_UA", 1251},
                      TLocaleRow{"el_GR", 1253}, TLocaleRow{"tr_TR", 1254}, TLocaleRow{"he_IL", 1255},
                      TLocaleRow{"ar_EG", 1256}, TLocaleRow{"lt_LT", 1257}, TLocaleRow{"th_TH", 874},
                      TLocaleRow{"ja_JP", 932}, TLocaleRow{"zh_CN", 936}, TLocaleRow{"zh_TW", 950},
                      TLocaleRow{"ko_KR", 949}));

TEST(AnsiConversionTest, DecodesSingleByteCodePages)
{
    EXPECT_EQ(AnsiToText("caf\xE9 \x80", 1252), QString::fromUtf8("café €"));
    EXPECT_EQ(AnsiToText("\xCF\xF0\xE8", 1251), QString::fromUtf8("При"));
    EXPECT_EQ(AnsiToText("a\x81"
                         "b",
                         1252),
              QString::fromUtf8("a\uFFFD"
                                "b")); // undefined in 1252
    EXPECT_TRUE(AnsiToText("", 1252).isEmpty());
}

TEST(AnsiConversionTest, DecodesDoubleByteCodePages)
{
    EXPECT_EQ(AnsiToText("\x82\xA0z", 932), QString::fromUtf8("あz"));
    EXPECT_EQ(AnsiToText("z\x82", 932), QString::fromUtf8("z\uFFFD")); // lead byte cut off
}

TEST(AnsiConversionTest, EncodesWithQuestionMarkForMissingCharacters)
{
    EXPECT_EQ(TextToAnsi(QString::fromUtf8("café €"), 1252), QByteArray("caf\xE9 \x80"));
    EXPECT_EQ(TextToAnsi(QString::fromUtf8("a日本b"), 1252), QByteArray("a??b"));
    EXPECT_EQ(TextToAnsi(QString::fromUtf8("a😀b"), 1252), QByteArray("a?b"));
    const QChar loneSurrogate[] = {QChar(u'a'), QChar(char16_t(0xD800)), QChar(u'b')};
    EXPECT_EQ(TextToAnsi(QStringView(loneSurrogate, 3), 1252), QByteArray("a?b"));
    EXPECT_EQ(TextToAnsi(QString::fromUtf8("あ"), 932), QByteArray("\x82\xA0"));
    EXPECT_TRUE(TextToAnsi(QString(), 1252).isEmpty());
}

TEST(AnsiConversionTest, UnknownCodePageDegradesWithoutFailing)
{
    EXPECT_EQ(TextToAnsi(QString::fromUtf8("aé"), 99999), QByteArray("a?"));
    EXPECT_EQ(AnsiToText("a\xE9", 99999), QString::fromUtf8("aé"));
}

// Piece by piece: a sequence cut at a piece's end waits for the next piece, one that is not a
// character gives one mark per unit of the charset and the rest goes on.
TEST(CharsetDecoderTest, DecodesPiecesWithMarksWhereNoCharacterIs)
{
    TCharsetDecoder sjis("SHIFT_JIS");
    ASSERT_TRUE(sjis.IsValid());
    QString text;
    qsizetype consumed = 0;
    EXPECT_EQ(sjis.Decode("z\x82", false, text, consumed), 0);
    EXPECT_EQ(consumed, 1);
    EXPECT_EQ(sjis.Decode("\x82\xA0\x82", true, text, consumed), 1);
    EXPECT_EQ(consumed, 3);
    EXPECT_EQ(text, QString::fromUtf8("zあ\uFFFD"));

    TCharsetDecoder utf16("UTF-16LE");
    text.clear();
    const QByteArray loneSurrogate("a\0\x00\xDC"
                                   "b\0",
                                   6);
    EXPECT_EQ(utf16.Decode(loneSurrogate, true, text, consumed), 1);
    EXPECT_EQ(text, QString::fromUtf8("a\uFFFDb"));

    TCharsetDecoder unknown("NO-SUCH-CHARSET");
    EXPECT_FALSE(unknown.IsValid());
    text.clear();
    EXPECT_EQ(unknown.Decode("ab\xE9", true, text, consumed), 0);
    EXPECT_EQ(text, QString::fromUtf8("abé"));
    EXPECT_EQ(consumed, 3);
    EXPECT_TRUE(TCharsetDecoder::IsKnown("KOI8-R"));
    EXPECT_FALSE(TCharsetDecoder::IsKnown("NO-SUCH-CHARSET"));
    EXPECT_FALSE(TCharsetDecoder::IsKnown(""));
}

TEST(AnsiConversionTest, Utf8)
{
    EXPECT_EQ(TextToUtf8(QString::fromUtf8("Grüße")), QByteArray("Gr\xC3\xBC\xC3\x9F"
                                                                 "e"));
}

TEST(LowerCaseTest, OneUnitForOne)
{
    EXPECT_EQ(LowerCaseUnit(u'A'), u'a');
    EXPECT_EQ(LowerCaseUnit(u'['), u'[');
    EXPECT_EQ(LowerCaseUnit(u'Ä'), u'ä');
    EXPECT_EQ(LowerCaseUnit(char16_t(0xD83D)), char16_t(0xD83D));
    const QString mixed = QString::fromUtf8("ÀB😀ΣİẞZ");
    const QString lowered = LowerCasePerUnit(mixed);
    ASSERT_EQ(lowered.size(), mixed.size());
    EXPECT_EQ(lowered, QString::fromUtf8("àb😀σİßz")); // İ has no one-unit lower case
}

} // namespace
