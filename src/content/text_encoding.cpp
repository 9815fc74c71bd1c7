// The encoding decision for plain text: marks, UTF-16's zero bytes, UTF-8 validity, HTML and XML
// declarations, uchardet, the ANSI code page.
#include "content/text_encoding.h"

#include "content/text_extraction.h"
#include "content/utf8_text_finder.h"
#include "platform/ansi_code_page.h"
#include "platform/charset_decoder.h"

#include <algorithm>
#include <memory>
#include <QString>
#include <type_traits>
#include <uchardet.h>
#include <utility>

namespace {

// Bytes above 0x7F a detection needs before it is believed: a guess from a few ("na\xEFve" reads
// as Windows-1250 as well as Windows-1252) is a coin toss, where the user's own code page is the
// better bet.
constexpr qsizetype kMinDetectionEvidence = 16;
// Bytes uchardet looks at.
constexpr qsizetype kDetectionSample = 256 * 1024;

struct TMark
{
    QByteArrayView fBytes;
    const char *fCharset;
};
// UTF-32 LE before UTF-16 LE, whose mark begins it.
constexpr TMark kMarks[] = {{QByteArrayView("\xEF\xBB\xBF", 3), "UTF-8"},
                            {QByteArrayView("\xFF\xFE\0\0", 4), "UTF-32LE"},
                            {QByteArrayView("\0\0\xFE\xFF", 4), "UTF-32BE"},
                            {QByteArrayView("\xFF\xFE", 2), "UTF-16LE"},
                            {QByteArrayView("\xFE\xFF", 2), "UTF-16BE"}};

// Labels that name a code page the web reads as a larger one, and the few Unicode labels.
constexpr std::pair<const char *, const char *> kAliases[] = {{"ISO-8859-1", "CP1252"},
                                                              {"ISO8859-1", "CP1252"},
                                                              {"ISO_8859-1", "CP1252"},
                                                              {"LATIN1", "CP1252"},
                                                              {"L1", "CP1252"},
                                                              {"US-ASCII", "CP1252"},
                                                              {"ASCII", "CP1252"},
                                                              {"ANSI_X3.4-1968", "CP1252"},
                                                              {"CP819", "CP1252"},
                                                              {"IBM819", "CP1252"},
                                                              {"ISO-IR-100", "CP1252"},
                                                              {"WINDOWS-1252", "CP1252"},
                                                              {"X-CP1252", "CP1252"},
                                                              {"ISO-8859-9", "CP1254"},
                                                              {"ISO8859-9", "CP1254"},
                                                              {"LATIN5", "CP1254"},
                                                              {"WINDOWS-1254", "CP1254"},
                                                              {"ISO-8859-11", "CP874"},
                                                              {"TIS-620", "CP874"},
                                                              {"WINDOWS-874", "CP874"},
                                                              {"SHIFT_JIS", "CP932"},
                                                              {"SHIFT-JIS", "CP932"},
                                                              {"SJIS", "CP932"},
                                                              {"X-SJIS", "CP932"},
                                                              {"MS_KANJI", "CP932"},
                                                              {"WINDOWS-31J", "CP932"},
                                                              {"CSSHIFTJIS", "CP932"},
                                                              {"MS932", "CP932"},
                                                              {"GB2312", "GB18030"},
                                                              {"GBK", "GB18030"},
                                                              {"X-GBK", "GB18030"},
                                                              {"CSGB2312", "GB18030"},
                                                              {"CHINESE", "GB18030"},
                                                              {"GB_2312-80", "GB18030"},
                                                              {"EUC-CN", "GB18030"},
                                                              {"CP936", "GB18030"},
                                                              {"WINDOWS-936", "GB18030"},
                                                              {"EUC-KR", "CP949"},
                                                              {"KS_C_5601-1987", "CP949"},
                                                              {"KOREAN", "CP949"},
                                                              {"UHC", "CP949"},
                                                              {"WINDOWS-949", "CP949"},
                                                              {"BIG5", "BIG5-HKSCS"},
                                                              {"CN-BIG5", "BIG5-HKSCS"},
                                                              {"X-X-BIG5", "BIG5-HKSCS"},
                                                              {"CSBIG5", "BIG5-HKSCS"},
                                                              {"UTF8", "UTF-8"},
                                                              {"UNICODE-1-1-UTF-8", "UTF-8"},
                                                              {"UNICODE", "UTF-16LE"},
                                                              {"UTF-16", "UTF-16LE"},
                                                              {"UCS-2", "UTF-16LE"},
                                                              {"WINDOWS-1250", "CP1250"},
                                                              {"WINDOWS-1251", "CP1251"},
                                                              {"WINDOWS-1253", "CP1253"},
                                                              {"WINDOWS-1255", "CP1255"},
                                                              {"WINDOWS-1256", "CP1256"},
                                                              {"WINDOWS-1257", "CP1257"},
                                                              {"WINDOWS-1258", "CP1258"}};

bool IsUnicodeCharset(const QByteArray &aCharset)
{
    return aCharset.startsWith("UTF-") || aCharset.startsWith("UCS-");
}

// True when the units of a UTF-16 or UTF-32 sample look like text: no U+0000 and fewer than
// 30 percent other control characters than tab, line feed and carriage return.
bool LooksLikeWideText(QByteArrayView aSample, const QByteArray &aCharset)
{
    TCharsetDecoder decoder(aCharset);
    QString units;
    qsizetype consumed = 0;
    decoder.Decode(aSample, false, units, consumed);
    if (units.isEmpty())
        return false;
    qsizetype controls = 0;
    for (QChar unit : std::as_const(units)) {
        if (unit.unicode() == 0)
            return false;
        if (unit.unicode() < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r')
            ++controls;
    }
    return controls * 100 / units.size() < 30;
}

// "UTF-16LE" or "UTF-16BE" when the zero bytes of the sample sit on one side of its 16-bit
// units: at least one unit in twenty has one there (spaces and line ends do, in any language),
// and the other side has far fewer.
QByteArray Utf16Pattern(QByteArrayView aSample)
{
    const qsizetype units = aSample.size() / 2;
    qsizetype zeroEven = 0, zeroOdd = 0;
    for (qsizetype i = 0; i + 1 < aSample.size(); i += 2) {
        zeroEven += aSample[i] == 0 ? 1 : 0;
        zeroOdd += aSample[i + 1] == 0 ? 1 : 0;
    }
    if (zeroOdd * 20 >= units && zeroEven * 4 < zeroOdd)
        return "UTF-16LE";
    if (zeroEven * 20 >= units && zeroOdd * 4 < zeroEven)
        return "UTF-16BE";
    return {};
}

bool IsSpace(char aByte)
{
    return aByte == ' ' || aByte == '\t' || aByte == '\n' || aByte == '\r' || aByte == '\f';
}

// A byte parser over the head of a page.
class TMarkupScan
{
public:
    explicit TMarkupScan(QByteArrayView aBytes) : fBytes(aBytes) {}

    bool AtEnd() const { return fPos >= fBytes.size(); }
    char Peek() const { return AtEnd() ? '\0' : fBytes[fPos]; }
    void SkipSpaces()
    {
        while (!AtEnd() && IsSpace(fBytes[fPos]))
            ++fPos;
    }
    // Moves past aText (ignoring the case of ASCII letters) when it comes next.
    bool Take(QByteArrayView aText)
    {
        if (fBytes.size() - fPos < aText.size() ||
            QByteArrayView(fBytes.sliced(fPos, aText.size())).compare(aText, Qt::CaseInsensitive) != 0)
            return false;
        fPos += aText.size();
        return true;
    }
    // Moves to the next aByte; to the end when there is none.
    void SkipTo(char aByte)
    {
        const qsizetype at = fBytes.indexOf(aByte, fPos);
        fPos = at < 0 ? fBytes.size() : at;
    }
    void SkipPast(QByteArrayView aText)
    {
        const qsizetype at = fBytes.indexOf(aText, fPos);
        fPos = at < 0 ? fBytes.size() : at + aText.size();
    }
    void Next() { ++fPos; }
    // A quoted value, or one up to white space or any of aStops.
    QByteArray Value(QByteArrayView aStops)
    {
        const char quote = Peek();
        if (quote == '"' || quote == '\'') {
            const qsizetype end = fBytes.indexOf(quote, fPos + 1);
            const qsizetype stop = end < 0 ? fBytes.size() : end;
            QByteArray value = fBytes.sliced(fPos + 1, stop - fPos - 1).toByteArray();
            fPos = std::min(stop + 1, fBytes.size());
            return value;
        }
        const qsizetype start = fPos;
        while (!AtEnd() && !IsSpace(fBytes[fPos]) && !aStops.contains(fBytes[fPos]))
            ++fPos;
        return fBytes.sliced(start, fPos - start).toByteArray();
    }
    // An attribute of a tag: false at its end (">"), with the scan past it.
    bool Attribute(QByteArray &aName, QByteArray &aValue)
    {
        aName.clear();
        aValue.clear();
        while (!AtEnd() && (IsSpace(Peek()) || Peek() == '/'))
            Next();
        if (AtEnd() || Peek() == '>') {
            Next();
            return false;
        }
        aName = Value("=>/").toLower();
        SkipSpaces();
        if (Peek() == '=') {
            Next();
            SkipSpaces();
            aValue = Value(">");
        }
        return true;
    }

private:
    QByteArrayView fBytes;
    qsizetype fPos = 0;
};

// The charset in a Content-Type value: "text/html; charset=windows-1251".
QByteArray CharsetOfContentType(const QByteArray &aContent)
{
    const qsizetype at = aContent.toLower().indexOf("charset");
    if (at < 0)
        return {};
    TMarkupScan scan(QByteArrayView(aContent).sliced(at + 7));
    scan.SkipSpaces();
    if (!scan.Take("="))
        return {};
    scan.SkipSpaces();
    return scan.Value(";");
}

// The charset of the first meta element that names one iconv knows.
QByteArray MetaCharset(QByteArrayView aHead)
{
    TMarkupScan scan(aHead);
    for (;;) {
        scan.SkipTo('<');
        if (scan.AtEnd())
            return {};
        if (scan.Take("<!--")) {
            scan.SkipPast("-->");
            continue;
        }
        if (!scan.Take("<meta") || !(IsSpace(scan.Peek()) || scan.Peek() == '/')) {
            scan.Next();
            continue;
        }
        QByteArray name, value, charset, httpEquiv, content;
        while (scan.Attribute(name, value)) {
            if (name == "charset")
                charset = value;
            else if (name == "http-equiv")
                httpEquiv = value.toLower();
            else if (name == "content")
                content = value;
        }
        if (charset.isEmpty() && httpEquiv == "content-type")
            charset = CharsetOfContentType(content);
        if (QByteArray known = IconvCharsetName(charset); !known.isEmpty())
            return known;
    }
}

// The encoding of an XML declaration at the very start.
QByteArray XmlDeclarationCharset(QByteArrayView aHead)
{
    TMarkupScan scan(aHead);
    if (!scan.Take("<?xml") || !IsSpace(scan.Peek()))
        return {};
    const qsizetype end = aHead.indexOf("?>");
    TMarkupScan declaration(aHead.first(end < 0 ? aHead.size() : end));
    declaration.Take("<?xml");
    QByteArray name, value;
    while (declaration.Attribute(name, value))
        if (name == "encoding")
            return IconvCharsetName(value);
    return {};
}

} // namespace

bool IsValidUtf8(QByteArrayView aBytes)
{
    // Most text is ASCII, which is valid UTF-8: told in blocks the compiler checks with vector
    // instructions, before the full test.
    const auto *bytes = reinterpret_cast<const uint8_t *>(aBytes.data());
    constexpr qsizetype kBlock = 64;
    qsizetype ascii = 0;
    for (; ascii + kBlock <= aBytes.size(); ascii += kBlock) {
        uint8_t high = 0;
        for (qsizetype i = 0; i < kBlock; ++i)
            high |= bytes[ascii + i];
        if (high & 0x80)
            break;
    }
    const QByteArrayView rest = aBytes.sliced(ascii);
    return rest.first(CompleteUnitsEnd(rest)).isValidUtf8();
}

QByteArray IconvCharsetName(QByteArrayView aLabel)
{
    QByteArray name = aLabel.trimmed().toByteArray().toUpper();
    for (const auto &[label, charset] : kAliases)
        if (name == label) {
            name = charset;
            break;
        }
    return TCharsetDecoder::IsKnown(name) ? name : QByteArray();
}

QByteArray DeclaredCharset(QByteArrayView aHead)
{
    const QByteArrayView head = aHead.first(std::min<qsizetype>(aHead.size(), TextTestSampleBytes));
    if (QByteArray declared = XmlDeclarationCharset(head); !declared.isEmpty())
        return declared;
    return MetaCharset(head);
}

QByteArray DetectedCharset(QByteArrayView aBytes)
{
    const QByteArrayView sample = aBytes.first(std::min(aBytes.size(), kDetectionSample));
    const qsizetype evidence =
        std::count_if(sample.begin(), sample.end(), [](char aByte) { return uchar(aByte) >= 0x80; });
    if (evidence < kMinDetectionEvidence)
        return {};
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(uchardet_new(),
                                                                                            uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), sample.data(), size_t(sample.size())) != 0)
        return {};
    uchardet_data_end(detector.get());
    const QByteArray charset = IconvCharsetName(uchardet_get_charset(detector.get()));
    // A legacy text is not UTF-8 (its bytes were not valid) nor UTF-16 (it has its own test).
    if (charset.isEmpty() || IsUnicodeCharset(charset))
        return {};
    TCharsetDecoder decoder(charset);
    QString text;
    qsizetype consumed = 0;
    if (decoder.Decode(sample, false, text, consumed) * 100 >= evidence)
        return {};
    return charset;
}

TTextEncoding DecideLegacyEncoding(QByteArrayView aBytes, const QByteArray &aDeclared)
{
    if (!aDeclared.isEmpty() && !IsUnicodeCharset(aDeclared))
        return {aDeclared, 0, TEncodingReason::erDeclared};
    if (QByteArray detected = DetectedCharset(aBytes); !detected.isEmpty())
        return {detected, 0, TEncodingReason::erDetected};
    return {"CP" + QByteArray::number(GetAnsiCodePage()), 0, TEncodingReason::erAnsi};
}

std::optional<TTextEncoding> DecideTextEncoding(QByteArrayView aHead)
{
    qsizetype mark = 0;
    for (const TMark &candidate : kMarks) {
        if (!aHead.startsWith(candidate.fBytes))
            continue;
        mark = candidate.fBytes.size();
        const TTextEncoding wide{candidate.fCharset, mark, TEncodingReason::erByteOrderMark};
        if (wide.IsUtf8())
            break;
        const QByteArrayView sample = aHead.sliced(mark);
        if (!LooksLikeWideText(sample.first(std::min<qsizetype>(sample.size(), TextTestSampleBytes)),
                               wide.fCharset))
            return std::nullopt;
        return wide;
    }
    const QByteArrayView rest = aHead.sliced(mark);
    const QByteArrayView sample = rest.first(std::min<qsizetype>(rest.size(), TextTestSampleBytes));
    if (!LooksLikeText(sample, int32_t(sample.size()))) {
        const QByteArray utf16 = mark == 0 ? Utf16Pattern(sample) : QByteArray();
        if (utf16.isEmpty() || !LooksLikeWideText(sample, utf16))
            return std::nullopt;
        return TTextEncoding{utf16, 0, TEncodingReason::erUtf16Pattern};
    }
    if (IsValidUtf8(rest))
        return TTextEncoding{"UTF-8", mark,
                             mark > 0 ? TEncodingReason::erByteOrderMark : TEncodingReason::erUtf8};
    TTextEncoding legacy = DecideLegacyEncoding(rest, DeclaredCharset(rest));
    legacy.fMarkLength = mark;
    return legacy;
}
