// Character set detection and conversion, and the text sink's limits.
#include "extractd/ansi_charset.h"
#include "extractd/extract_error.h"
#include "extractd/text_decoder.h"
#include "extractd/text_sink.h"

#include <gtest/gtest.h>

TEST(TextDecoder, ByteOrderMarksDecideAndAreDropped)
{
    EXPECT_EQ(DetectCharset("\xEF\xBB\xBFhi"), "UTF-8");
    EXPECT_EQ(ConvertToUtf8("\xEF\xBB\xBFhi", "UTF-8"), "hi");
    std::string le("\xFF\xFEh\0i\0", 6);
    EXPECT_EQ(DetectCharset(le), "UTF-16LE");
    EXPECT_EQ(ConvertToUtf8(le, "UTF-16LE"), "hi");
    std::string be("\xFE\xFF\0h\0i", 6);
    EXPECT_EQ(ConvertToUtf8(be, DetectCharset(be)), "hi");
}

TEST(TextDecoder, Utf16WithoutMarkIsRecognised)
{
    std::string le("h\0e\0l\0l\0o\0 \0w\0o\0r\0l\0d\0", 22);
    EXPECT_EQ(DetectCharset(le), "UTF-16LE");
    EXPECT_TRUE(LooksLikeText(le));
    EXPECT_EQ(ConvertToUtf8(le, DetectCharset(le)), "hello world");
    std::string be("\0h\0e\0l\0l\0o", 10);
    EXPECT_EQ(DetectCharset(be), "UTF-16BE");
}

TEST(TextDecoder, Utf8AndLegacyText)
{
    EXPECT_EQ(DetectCharset("Iñtërnâtiônàlizætiøn"), "UTF-8");
    std::string latin = "the name is \xE1"
                        "ndre, caf\xE9 cr\xE8"
                        "me br\xFB"
                        "l\xE9"
                        "e";
    std::string charset = DetectCharset(latin);
    EXPECT_NE(charset, "UTF-8");
    EXPECT_EQ(ConvertToUtf8(latin, charset).substr(0, 18), "the name is ándre");
    // A sequence cut off at the end of the sample still counts as UTF-8.
    EXPECT_TRUE(IsValidUtf8Prefix("ab\xC3"));
    EXPECT_FALSE(IsValidUtf8Prefix("a\xC3z"));
}

TEST(TextDecoder, ShortLegacyTextTakesTheUsersCodePage)
{
    // One or two accented letters are too few for a guess: the user's code page decides.
    EXPECT_EQ(DetectCharset("the na\xEFve skipper"), AnsiCharset());
    EXPECT_EQ(DetectCharset("caf\xE9", true), AnsiCharset());
    // Only a sample may end in the middle of a UTF-8 sequence.
    EXPECT_EQ(DetectCharset("caf\xC3", false), "UTF-8");
    const std::pair<const char *, const char *> locales[] = {
        {"C", "CP1252"},
        {"C.UTF-8", "CP1252"},
        {"en_GB.UTF-8", "CP1252"},
        {"cs_CZ.UTF-8", "CP1250"},
        {"sr_RS@latin", "CP1250"},
        {"sr_RS", "CP1251"},
        {"ru_RU.KOI8-R", "CP1251"},
        {"el_GR", "CP1253"},
        {"tr_TR.UTF-8", "CP1254"},
        {"he_IL", "CP1255"},
        {"ar_EG", "CP1256"},
        {"lt_LT", "CP1257"},
        {"th_TH", "CP874"},
        {"ja_JP.UTF-8", "CP932"},
        {"ko_KR", "CP949"},
        {"zh_CN.UTF-8", "CP936"},
        {"zh_TW.UTF-8", "CP950"},
    };
    for (const auto &[locale, charset] : locales)
        EXPECT_EQ(AnsiCharsetForLocale(locale), charset) << locale;
}

TEST(TextDecoder, InvalidBytesBecomeReplacementCharacters)
{
    EXPECT_EQ(ConvertToUtf8("a\xFF"
                            "b",
                            "UTF-8"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(ConvertToUtf8("x", "NO-SUCH-CHARSET"), "x");
}

TEST(TextDecoder, ConverterCarriesSequencesAcrossPieces)
{
    TUtf8Converter converter("UTF-8");
    std::string out;
    converter.Feed("caf\xC3", false, out);
    converter.Feed("\xA9!", true, out);
    EXPECT_EQ(out, "café!");
}

TEST(TextDecoder, BinaryIsNotText)
{
    EXPECT_FALSE(LooksLikeText(std::string("\x01\x02\x03\x00\x05\x06\x07\x08", 8)));
    EXPECT_FALSE(LooksLikeText(""));
    EXPECT_TRUE(LooksLikeText("plain words\n"));
}

TEST(TextSink, CountsCharactersAndEndsLinesOnce)
{
    TTextSink sink(100);
    sink.Append("für");
    sink.EndLine();
    sink.EndLine();
    sink.Append("x");
    EXPECT_EQ(sink.Text(), "für\nx");
    EXPECT_EQ(sink.Characters(), 5u);
}

TEST(TextSink, OutputBeyondTheRatioIsABomb)
{
    TTextSink sink(1000); // 100 times the input is 100 000; the floor is 1 000 000 characters
    std::string chunk(100000, 'a');
    for (int i = 0; i < 10; ++i)
        sink.Append(chunk);
    EXPECT_THROW(sink.Append("a"), TExtractError);
    TTextSink large(20000); // 100 times is 2 000 000: one million and one is fine
    for (int i = 0; i < 10; ++i)
        large.Append(chunk);
    EXPECT_NO_THROW(large.Append("a"));
}
