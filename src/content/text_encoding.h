// Which encoding a plain-text file was written in: a byte-order mark, the zero bytes of UTF-16,
// valid UTF-8, the charset the file declares, a confident detection, else the ANSI code page.
#pragma once

#include <optional>
#include <QByteArray>
#include <QByteArrayView>

// Why an encoding was chosen.
enum class TEncodingReason
{
    erByteOrderMark,
    erUtf16Pattern, // zero bytes on one side of the 16-bit units
    erUtf8,         // the bytes are valid UTF-8
    erDeclared,     // an HTML meta element or an XML declaration names it
    erDetected,     // uchardet, with enough evidence
    erAnsi,         // the ANSI code page of the user's language
};

struct TTextEncoding
{
    // The iconv name: "UTF-8", "UTF-16LE", "UTF-32BE", "CP1251", "CP932", ...
    QByteArray fCharset;
    // Bytes of the byte-order mark at the start of the file, skipped when decoding.
    qsizetype fMarkLength = 0;
    TEncodingReason fReason = TEncodingReason::erUtf8;

    bool IsUtf8() const { return fCharset == "UTF-8"; }
    // Told by the file's form (a mark other than UTF-8's, the zero bytes of UTF-16) rather than
    // guessed from its letters: no later part of the file makes it decided again.
    bool IsFirm() const
    {
        return !IsUtf8() &&
               (fReason == TEncodingReason::erByteOrderMark || fReason == TEncodingReason::erUtf16Pattern);
    }
    friend bool operator==(const TTextEncoding &, const TTextEncoding &) = default;
};

// The encoding of a plain-text file from its first bytes, or none when they do not look like text. In this
// order: a byte-order mark (UTF-8, UTF-16 LE/BE, UTF-32 LE/BE; a UTF-8 mark counts only when valid UTF-8
// follows it); the text test (a UTF-16 or UTF-32 text is tested on its characters, other text by
// LooksLikeText on its first 8192 bytes); UTF-16 without a mark by its zero bytes; valid UTF-8 (IsValidUtf8);
// then DecideLegacyEncoding with the charset the head declares. Runs detection only for bytes that are not
// valid UTF-8. Any thread; never raises but std::bad_alloc.
std::optional<TTextEncoding> DecideTextEncoding(QByteArrayView aHead);

// The encoding of bytes that are not valid UTF-8: aDeclared when it is not empty and not a
// Unicode form (a page that claims UTF-8 but is not valid UTF-8 is not read as UTF-8), else a
// confident detection, else the ANSI code page ("CP" and its number). Any thread.
TTextEncoding DecideLegacyEncoding(QByteArrayView aBytes, const QByteArray &aDeclared);

// The charset that the first 8192 bytes of aHead declare, as the iconv name this program reads it
// with, or empty: an XML declaration at the start (encoding="..."), else the first HTML meta
// element that has a charset attribute or an http-equiv="Content-Type" with charset= in its
// content (comments are passed over). Names the web reads as a larger code page are read so
// (ISO-8859-1 and US-ASCII as CP1252, Shift_JIS as CP932, GB2312 and GBK as GB18030, EUC-KR as
// CP949, Big5 as BIG5-HKSCS); a name iconv does not know gives empty. Pure.
QByteArray DeclaredCharset(QByteArrayView aHead);

// uchardet's charset for bytes that are not UTF-8, when it is confident: at least 16 bytes above
// 0x7F among the first 256 KiB, a legacy charset that iconv knows (named as DeclaredCharset
// names it), which reads those bytes with fewer than one mark per hundred such bytes. Empty
// otherwise. Any thread.
QByteArray DetectedCharset(QByteArrayView aBytes);

// The iconv name for a charset label of the web or of uchardet, or empty when iconv does not
// know it. Pure but for asking iconv.
QByteArray IconvCharsetName(QByteArrayView aLabel);

// True when aBytes are valid UTF-8 (no overlong forms, surrogates or values above U+10FFFF) but
// for a character cut short at their very end: more may follow, and a file cut while it was
// written is still the UTF-8 it was (its cut character alone is no text). Pure.
bool IsValidUtf8(QByteArrayView aBytes);
