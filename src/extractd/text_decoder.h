// Character set detection and conversion to UTF-8 (byte-order marks, UTF-16 without a mark,
// UTF-8, legacy 8-bit code pages through uchardet and iconv).
#pragma once

#include <iconv.h>
#include <string>
#include <string_view>

// Returns the iconv name of the character set of aHead (the first bytes of a text): from a
// byte-order mark, the zero-byte pattern of UTF-16, valid UTF-8, else uchardet's guess when the
// text has enough non-ASCII bytes for one, else the user's ANSI code page (AnsiCharset()).
// aWhole tells that aHead is the whole text, so that a sequence cut off at its end is no UTF-8.
// Thread-safe; never fails.
std::string DetectCharset(std::string_view aHead, bool aWhole = false);
// Length of the byte-order mark at the start of aBytes (0 when there is none).
std::size_t ByteOrderMarkLength(std::string_view aBytes);
// True when aHead looks like text rather than binary data: a byte-order mark, UTF-16, or no
// NUL byte and few control characters.
bool LooksLikeText(std::string_view aHead);
// True when aBytes is valid UTF-8; a sequence cut off at the very end counts as valid.
bool IsValidUtf8Prefix(std::string_view aBytes);
// Appends the UTF-8 form of the code point aCode to aOut.
void AppendUtf8(std::string &aOut, char32_t aCode);
// Converts aBytes (in aCharset, its byte-order mark skipped) to UTF-8; invalid bytes become
// U+FFFD. An unknown charset is treated as WINDOWS-1252.
std::string ConvertToUtf8(std::string_view aBytes, const std::string &aCharset);

// Converts a text to UTF-8 piece by piece, carrying incomplete sequences between pieces.
class TUtf8Converter
{
public:
    explicit TUtf8Converter(const std::string &aCharset);
    ~TUtf8Converter();
    TUtf8Converter(const TUtf8Converter &) = delete;
    TUtf8Converter &operator=(const TUtf8Converter &) = delete;

    // Appends the UTF-8 form of aBytes to aOut. With aLast, an incomplete tail becomes U+FFFD.
    void Feed(std::string_view aBytes, bool aLast, std::string &aOut);

private:
    iconv_t fCd;
    std::string fPending;
};
